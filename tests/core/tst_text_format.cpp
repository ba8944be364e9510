#include "core/text_format.h"

#include <QTest>

#include <limits>

namespace {
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kIndianEnglish(QLocale::English, QLocale::India);
} // namespace

class TestTextFormat : public QObject
{
    Q_OBJECT

private slots:
    void sizeText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("511 bytes round down") << kEnglish << qint64(511) << QStringLiteral("0");
        QTest::newRow("512 bytes: half away from zero")
            << kEnglish << qint64(512) << QStringLiteral("1");
        QTest::newRow("2560 bytes: 2.5 up, not to even")
            << kEnglish << qint64(2560) << QStringLiteral("3");
        QTest::newRow("grouping en") << kEnglish << qint64(1536) * 1024 << QStringLiteral("1,536");
        QTest::newRow("millions de")
            << kGerman << qint64(1234567) * 1024 << QStringLiteral("1.234.567");
        // en_IN groups its own numbers as 12,34,567; sizes still group by three.
        QTest::newRow("millions en_IN")
            << kIndianEnglish << qint64(1234567) * 1024 << QStringLiteral("1,234,567");
        QTest::newRow("three digits en_IN: no separator")
            << kIndianEnglish << qint64(999) * 1024 << QStringLiteral("999");
        QTest::newRow("C locale still groups")
            << QLocale::c() << qint64(1536) * 1024 << QStringLiteral("1,536");
        QTest::newRow("terabytes")
            << kEnglish << qint64(5) * 1024 * 1024 * 1024 * 1024 << QStringLiteral("5,368,709,120");
    }
    void sizeText()
    {
        QFETCH(QLocale, locale);
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(NumberFormatter(locale).sizeText(bytes), expected);
    }

    void groupedRoundsHalvesAwayFromZero()
    {
        const NumberFormatter numbers(kEnglish);
        QCOMPARE(numbers.grouped(999999.5), QStringLiteral("1,000,000"));
        QCOMPARE(numbers.grouped(-0.5), QStringLiteral("-1"));
        QCOMPARE(numbers.grouped(1234.4), QStringLiteral("1,234"));
        QCOMPARE(numbers.read(QStringLiteral("1,536")), std::optional<double>(1536));
        QCOMPARE(NumberFormatter(kGerman).read(QStringLiteral("1.536")),
                 std::optional<double>(1536));
        QVERIFY(!numbers.read(QStringLiteral("x")));
        // Counts, negative numbers and those beyond 64 bits group the same way.
        const NumberFormatter indian(kIndianEnglish);
        QCOMPARE(indian.grouped(qint64(123456789012)), QStringLiteral("123,456,789,012"));
        QCOMPARE(indian.grouped(-1234567.0), QStringLiteral("-1,234,567"));
        QCOMPARE(indian.grouped(1e20), QStringLiteral("100,000,000,000,000,000,000"));
        QCOMPARE(NumberFormatter(kGerman).grouped(qint64(-1000)), QStringLiteral("-1.000"));
    }

    void dateText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("dateTime");
        QTest::addColumn<QString>("expected");
        const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
        const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0, 0));
        QTest::newRow("en afternoon")
            << kEnglish << afternoon << QStringLiteral("3/5/24 2:07:09 PM");
        QTest::newRow("de afternoon")
            << kGerman << afternoon << QStringLiteral("05.03.24 14:07:09");
        QTest::newRow("en midnight: date alone")
            << kEnglish << midnight << QStringLiteral("3/5/24");
        QTest::newRow("de midnight: date alone")
            << kGerman << midnight << QStringLiteral("05.03.24");
        QTest::newRow("en one second past midnight")
            << kEnglish << QDateTime(QDate(2024, 12, 31), QTime(0, 0, 1))
            << QStringLiteral("12/31/24 12:00:01 AM");
    }
    void dateText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, dateTime);
        QFETCH(QString, expected);
        const DateTextFormatter dates(locale);
        QCOMPARE(dates.format(dateTime), expected);
        // The epoch-seconds path (the one the list uses) agrees, and the
        // cached second call gives the same text.
        QCOMPARE(dates.formatSecsSinceEpoch(dateTime.toSecsSinceEpoch()), expected);
        QCOMPARE(dates.formatSecsSinceEpoch(dateTime.toSecsSinceEpoch()), expected);
    }

    void timeZoneFieldRemoved()
    {
        QCOMPARE(WithoutTimeZoneField(QStringLiteral("h:mm:ss AP t")),
                 QStringLiteral("h:mm:ss AP"));
        QCOMPARE(WithoutTimeZoneField(QStringLiteral("t HH:mm:ss")), QStringLiteral("HH:mm:ss"));
        QCOMPARE(WithoutTimeZoneField(QStringLiteral("HH 'Uhr' mm tttt")),
                 QStringLiteral("HH 'Uhr' mm"));
    }

    void attributeLetters_data()
    {
        QTest::addColumn<qint64>("attributes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << qint64(0) << QString();
        QTest::newRow("archive + system: A before S") << qint64(32 | 4) << QStringLiteral("AS");
        QTest::newRow("all four") << qint64(1 | 2 | 4 | 32) << QStringLiteral("RHAS");
        QTest::newRow("directory bit adds nothing") << qint64(16) << QString();
        QTest::newRow("255 fits") << qint64(255) << QStringLiteral("RHAS");
        QTest::newRow("above 255: empty") << qint64(256 | 1) << QString();
        QTest::newRow("negative: empty") << qint64(-1) << QString();
    }
    void attributeLetters()
    {
        QFETCH(qint64, attributes);
        QFETCH(QString, expected);
        QCOMPARE(AttributeLetters(attributes), expected);
    }

    void isoUtcText_data()
    {
        QTest::addColumn<qint64>("secs");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("epoch") << qint64(0) << QByteArray("1970-01-01T00:00:00Z");
        QTest::newRow("a second before") << qint64(-1) << QByteArray("1969-12-31T23:59:59Z");
        QTest::newRow("afternoon") << qint64(1709647629) << QByteArray("2024-03-05T14:07:09Z");
        QTest::newRow("leap day") << qint64(951782400) << QByteArray("2000-02-29T00:00:00Z");
        QTest::newRow("not a leap day") << qint64(4107542400) << QByteArray("2100-03-01T00:00:00Z");
        QTest::newRow("last of four digits")
            << qint64(253402300799) << QByteArray("9999-12-31T23:59:59Z");
        QTest::newRow("five digits")
            << qint64(253402300800) << QByteArray("+10000-01-01T00:00:00Z");
        QTest::newRow("year zero") << qint64(-62167219200) << QByteArray("0000-01-01T00:00:00Z");
        QTest::newRow("before year zero")
            << qint64(-62167219201) << QByteArray("-0001-12-31T23:59:59Z");
    }
    void isoUtcText()
    {
        QFETCH(qint64, secs);
        QFETCH(QByteArray, expected);
        QCOMPARE(IsoUtcText(secs), expected);
    }

    // Against Qt's own calendar, a day and a bit at a time over four centuries,
    // and at the ends of what a file system can hold.
    void isoUtcTextAgreesWithQt()
    {
        for (qint64 secs = -2208988800; secs < 10413792000; secs += 86400 + 3671) {
            const QByteArray qt
                = QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate).toLatin1();
            if (IsoUtcText(secs) != qt)
                QFAIL(QByteArray(QByteArray::number(secs) + ": " + IsoUtcText(secs) + " vs " + qt)
                          .constData());
        }
        QVERIFY(IsoUtcText(std::numeric_limits<qint64>::max()).endsWith("Z"));
        QVERIFY(IsoUtcText(std::numeric_limits<qint64>::min()).startsWith("-"));
    }

    void appendDecimal()
    {
        QByteArray out = "x";
        AppendDecimal(out, 0);
        out += ' ';
        AppendDecimal(out, 7, 2);
        out += ' ';
        AppendDecimal(out, 1234, 2);
        out += ' ';
        AppendDecimal(out, -42);
        out += ' ';
        AppendDecimal(out, std::numeric_limits<qint64>::min());
        out += ' ';
        AppendDecimal(out, std::numeric_limits<qint64>::max());
        QCOMPARE(out, QByteArray("x0 07 1234 -42 -9223372036854775808 9223372036854775807"));
    }
};

QTEST_GUILESS_MAIN(TestTextFormat)
#include "tst_text_format.moc"
