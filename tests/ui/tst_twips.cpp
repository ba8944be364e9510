// Twips to pixels: the window's layout, its position from settings files
// and the info window all round the same way.
#include "ui/twips.h"

#include <QtTest>

#include <limits>

class TestTwips : public QObject
{
    Q_OBJECT

private slots:
    void halvesRoundAwayFromZero()
    {
        constexpr int kMax = std::numeric_limits<int>::max();
        constexpr int kMin = std::numeric_limits<int>::min();
        // Twips and pixels around each half, either side of zero, and at the ends of int.
        const int cases[][2]
            = { { 0, 0 },  { 7, 0 },   { 8, 1 },    { 22, 1 },           { 23, 2 },
                { -7, 0 }, { -8, -1 }, { -23, -2 }, { kMax, 143165576 }, { kMin, -143165577 } };
        for (const auto &[twips, pixels] : cases)
            QCOMPARE(TwipsToPixels(twips), pixels);
    }
};

QTEST_APPLESS_MAIN(TestTwips)
#include "tst_twips.moc"
