// Twips to pixels: the window's layout, its position from settings files
// and the info window all round the same way.
#include "ui/twips.h"

#include <QtTest>

#include <limits>

class TestTwips : public QObject
{
    Q_OBJECT

private slots:
    void halvesRoundAwayFromZero_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("just under half") << 7 << 0;
        QTest::newRow("half") << 8 << 1;
        QTest::newRow("just under one and a half") << 22 << 1;
        QTest::newRow("one and a half") << 23 << 2;
        QTest::newRow("negative, just under half") << -7 << 0;
        QTest::newRow("negative half") << -8 << -1;
        QTest::newRow("negative one and a half") << -23 << -2;
        QTest::newRow("largest") << std::numeric_limits<int>::max() << 143165576;
        QTest::newRow("smallest") << std::numeric_limits<int>::min() << -143165577;
    }
    void halvesRoundAwayFromZero()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(TwipsToPixels(twips), pixels);
    }
};

QTEST_APPLESS_MAIN(TestTwips)
#include "tst_twips.moc"
