#include "core/text_format.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>

namespace {
constexpr int kSecondsPerDay = 24 * 60 * 60;
} // namespace

NumberFormatter::NumberFormatter(const QLocale &locale)
    : m_locale(locale)
    , m_ungrouped(locale)
{
    // The C locale omits grouping by default; "#,#0" always groups.
    m_locale.setNumberOptions(QLocale::DefaultNumberOptions);
    m_ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    m_negativeSign = m_locale.negativeSign();
    m_groupSeparator = m_locale.groupSeparator();
    const QString zero = m_locale.zeroDigit();
    // A digit of some scripts takes two UTF-16 units.
    m_groupWidth = 3 * qMax(qsizetype(1), zero.size());
    m_asciiDigits = zero == QLatin1String("0");
}

// "#,#0" groups by three digits with the locale's separator, also where the
// locale itself groups otherwise (en_IN would write 12,34,567).
QString NumberFormatter::groupedByThree(QString digits) const
{
    const qsizetype first = digits.startsWith(m_negativeSign) ? m_negativeSign.size() : 0;
    for (qsizetype at = digits.size() - m_groupWidth; at > first; at -= m_groupWidth)
        digits.insert(at, m_groupSeparator);
    return digits;
}

QString NumberFormatter::grouped(double value) const
{
    if (!std::isfinite(value))
        return {};
    const double rounded = std::round(value); // halves away from zero
    constexpr double kLimit = double(std::numeric_limits<qint64>::max());
    if (std::fabs(rounded) >= kLimit)
        return groupedByThree(m_ungrouped.toString(rounded, 'f', 0));
    return grouped(qint64(rounded));
}

QString NumberFormatter::grouped(qint64 value) const
{
    // With digits 0 to 9 a count or size needs no locale to be written.
    if (m_asciiDigits && value >= 0)
        return groupedByThree(QString::number(value));
    return groupedByThree(m_ungrouped.toString(value));
}

QString NumberFormatter::sizeText(qint64 bytes) const
{
    return grouped(double(bytes) / 1024.0);
}

std::optional<double> NumberFormatter::read(const QString &text) const
{
    bool isNumber = false;
    const double value = m_locale.toDouble(text.trimmed(), &isNumber);
    if (!isNumber)
        return std::nullopt;
    return value;
}

QString WithoutTimeZoneField(const QString &timeFormat)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < timeFormat.size(); ++i) {
        const QChar c = timeFormat.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            // Drop the field and the blanks that separated it from the rest.
            while (!result.isEmpty() && result.back().isSpace())
                result.chop(1);
            while (i + 1 < timeFormat.size() && timeFormat.at(i + 1) == u't')
                ++i;
            continue;
        }
        result.append(c);
    }
    return result.trimmed();
}

DateTextFormatter::DateTextFormatter(const QLocale &locale)
    : m_locale(locale)
    , m_dateFormat(locale.dateFormat(QLocale::ShortFormat))
    , m_timeFormat(WithoutTimeZoneField(locale.timeFormat(QLocale::LongFormat)))
{ }

QString DateTextFormatter::compose(QDate date, int secondOfDay) const
{
    auto dateText = m_dateTexts.find(date.toJulianDay());
    if (dateText == m_dateTexts.end())
        dateText = m_dateTexts.insert(date.toJulianDay(), m_locale.toString(date, m_dateFormat));
    if (secondOfDay == 0)
        return *dateText;
    if (m_timeTexts.empty())
        m_timeTexts.resize(kSecondsPerDay);
    QString &timeText = m_timeTexts[size_t(secondOfDay)];
    if (timeText.isNull())
        timeText
            = m_locale.toString(QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000), m_timeFormat);
    return *dateText + u' ' + timeText;
}

QString DateTextFormatter::format(const QDateTime &dateTime) const
{
    if (!dateTime.isValid())
        return {};
    const QDateTime local = dateTime.toLocalTime();
    return compose(local.date(), local.time().msecsSinceStartOfDay() / 1000);
}

QString DateTextFormatter::formatSecsSinceEpoch(qint64 secs) const
{
    // localtime_r reads the time zone once; QDateTime's conversion would
    // look at the zone file again for every date.
    const std::time_t time = std::time_t(secs);
    std::tm parts {};
    if (localtime_r(&time, &parts) == nullptr)
        return {};
    const QDate date(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
    const int secondOfDay
        = std::min(parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec, kSecondsPerDay - 1);
    return compose(date, secondOfDay);
}

void AppendDecimal(QByteArray &out, qint64 value, int minDigits)
{
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    for (qsizetype pad = minDigits - (end - digits); pad > 0; --pad)
        out += '0';
    out.append(digits, end - digits);
}

void AppendIsoUtcText(QByteArray &out, qint64 secsSinceEpoch)
{
    constexpr qint64 kSecondsPerDayLong = kSecondsPerDay;
    qint64 days = secsSinceEpoch / kSecondsPerDayLong;
    qint64 second = secsSinceEpoch % kSecondsPerDayLong;
    if (second < 0) {
        second += kSecondsPerDayLong;
        --days;
    }
    // The proleptic Gregorian calendar in eras of 400 years (146097 days),
    // counted from 0000-03-01 so that the leap day ends each year; 64-bit
    // throughout, so no time a file system can hold overflows.
    const qint64 shifted = days + 719468;
    const qint64 era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const qint64 dayOfEra = shifted - era * 146097;
    const qint64 yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthFromMarch = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const qint64 month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    if (year < 0 || year > 9999)
        out += year < 0 ? '-' : '+';
    AppendDecimal(out, year < 0 ? -year : year, 4);
    out += '-';
    AppendDecimal(out, month, 2);
    out += '-';
    AppendDecimal(out, day, 2);
    out += 'T';
    AppendDecimal(out, second / 3600, 2);
    out += ':';
    AppendDecimal(out, second / 60 % 60, 2);
    out += ':';
    AppendDecimal(out, second % 60, 2);
    out += 'Z';
}

QByteArray IsoUtcText(qint64 secsSinceEpoch)
{
    QByteArray text;
    AppendIsoUtcText(text, secsSinceEpoch);
    return text;
}

QString AttributeLetters(qint64 attributes)
{
    if (attributes < 0 || attributes > 255)
        return {};
    QString letters;
    if (attributes & 1)
        letters += u'R';
    if (attributes & 2)
        letters += u'H';
    if (attributes & 32)
        letters += u'A';
    if (attributes & 4)
        letters += u'S';
    return letters;
}
