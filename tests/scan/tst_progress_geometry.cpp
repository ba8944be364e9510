// DrawProgress's geometry.
#include "scan/progress_geometry.h"

#include <QTest>

class TestProgressGeometry : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("barEnd");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 200 << 0 << "" << 100 << 0 << "";
        QTest::newRow("rounded down") << 333 << 37 << "" << 100 << 123 << "37%"; // 123.21
        QTest::newRow("full") << 333 << 100 << "" << 100 << 333 << "100%";
        QTest::newRow("caption") << 100 << 5 << " done" << 100 << 5 << "5% done";
        QTest::newRow("negative rounds toward minus infinity")
            << 333 << -37 << "" << 100 << -124 << "";
        QTest::newRow("zero width") << 0 << 50 << "" << 100 << 0 << "50%";
        QTest::newRow("zero scale") << 100 << 0 << "" << 0 << 0 << "";
    }

    void geometry()
    {
        QFETCH(int, width);
        QFETCH(int, value);
        QFETCH(QString, caption);
        QFETCH(int, scale);
        QFETCH(int, barEnd);
        QFETCH(QString, text);
        const ProgressGeometry g
            = DrawProgressGeometry(width, 20, qint16(value), caption, qint16(scale));
        QCOMPARE(g.barEnd, barEnd);
        QCOMPARE(g.bottom, 20);
        QCOMPARE(g.text, text);
    }
};

QTEST_GUILESS_MAIN(TestProgressGeometry)
#include "tst_progress_geometry.moc"
