#pragma once

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

// Number and size texts in the number format "#,#0": a whole number, halves
// rounded away from zero, the locale's group separator between groups of
// three digits.
class NumberFormatter
{
public:
    explicit NumberFormatter(const QLocale &locale = QLocale());

    [[nodiscard]] QString grouped(double value) const;
    [[nodiscard]] QString grouped(qint64 value) const;
    // Bytes shown in KiB: bytes / 1024 in floating point, then grouped.
    [[nodiscard]] QString sizeText(qint64 bytes) const;
    // Reads a grouped number back (a size text of the list, say).
    [[nodiscard]] std::optional<double> read(const QString &text) const;

    [[nodiscard]] const QLocale &locale() const { return m_locale; }

private:
    [[nodiscard]] QString groupedByThree(QString digits) const;

    QLocale m_locale;
    QLocale m_ungrouped; // the same locale, writing digits without separators
    // The locale's signs, read once: asking the system locale for them
    // costs more than formatting a number.
    QString m_negativeSign;
    QString m_groupSeparator;
    qsizetype m_groupWidth = 3; // three digits, in UTF-16 units
    bool m_asciiDigits = true;
};

// Date texts: the locale's short date, a blank and the locale's long time
// without its time-zone field; at exactly midnight the date alone. Local
// time. Date and time parts are cached, so formatting a million file dates
// costs little; not for use from more than one thread at a time.
class DateTextFormatter
{
public:
    explicit DateTextFormatter(const QLocale &locale = QLocale());

    [[nodiscard]] QString format(const QDateTime &dateTime) const;
    [[nodiscard]] QString formatSecsSinceEpoch(qint64 secs) const;

private:
    [[nodiscard]] QString compose(QDate date, int secondOfDay) const;

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    mutable QHash<qint64, QString> m_dateTexts; // by Julian day
    mutable std::vector<QString> m_timeTexts; // by second of the day, made on first use
};

// The attribute letters of an attribute value: R (1), H (2), A (32), S (4),
// in that order. A value that does not fit an unsigned 8-bit number gives
// the empty text.
[[nodiscard]] QString AttributeLetters(qint64 attributes);

// A time for scripts: ISO 8601 in UTC with seconds, "2024-03-05T14:07:09Z",
// whatever the locale and time zone. A year outside 0000 to 9999 is written
// in the expanded form with its sign ("+10000-01-01T00:00:00Z").
[[nodiscard]] QByteArray IsoUtcText(qint64 secsSinceEpoch);
// The same, appended.
void AppendIsoUtcText(QByteArray &out, qint64 secsSinceEpoch);

// value in decimal, appended, with zeros in front up to minDigits digits (for
// a value that is not negative), without the allocation of
// QByteArray::number.
void AppendDecimal(QByteArray &out, qint64 value, int minDigits = 1);

// A long time format without its time-zone field ("h:mm:ss AP t" becomes
// "h:mm:ss AP").
[[nodiscard]] QString WithoutTimeZoneField(const QString &timeFormat);
