// DrawProgress's geometry.
#undef QT_NO_CAST_FROM_ASCII
#include "scan/progress_geometry.h"

#include <QTest>

class TestProgressGeometry : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("barEnd");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 200 << 20 << 0 << "" << 0 << "";
        QTest::newRow("37") << 200 << 20 << 37 << "" << 74 << "37%";
        QTest::newRow("rounded down") << 333 << 20 << 37 << "" << 123 << "37%"; // 123.21
        QTest::newRow("full") << 333 << 20 << 100 << "" << 333 << "100%";
        QTest::newRow("caption") << 100 << 20 << 5 << " done" << 5 << "5% done";
        QTest::newRow("negative rounds toward minus infinity")
            << 333 << 20 << -37 << "" << -124 << "";
        QTest::newRow("zero width") << 0 << 20 << 50 << "" << 0 << "50%";
    }

    void geometry()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, value);
        QFETCH(QString, caption);
        QFETCH(int, barEnd);
        QFETCH(QString, text);
        const ProgressGeometry g = DrawProgressGeometry(width, height, qint16(value), caption);
        QCOMPARE(g.left, 1);
        QCOMPARE(g.top, 1);
        QCOMPARE(g.barEnd, barEnd);
        QCOMPARE(g.bottom, height);
        QCOMPARE(g.textX, 30);
        QCOMPARE(g.textY, -30);
        QCOMPARE(g.text, text);
    }

    void zeroScale()
    {
        const ProgressGeometry g = DrawProgressGeometry(100, 10, 0, {}, 0);
        QCOMPARE(g.barEnd, 0);
    }
};

QTEST_GUILESS_MAIN(TestProgressGeometry)
#include "tst_progress_geometry.moc"
