#pragma once

// Reading, writing and comparing whole files byte for byte in tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Creates the file's folders first.
inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Fails the running test at the first differing offset, with some context
// (bytes outside printable ASCII percent-encoded), instead of printing two
// whole files.
inline void compareBytes(const QByteArray &actual, const QByteArray &expected)
{
    if (actual == expected)
        return;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const qsizetype from = qMax<qsizetype>(0, at - 30);
    QFAIL(qPrintable(
        // One arg() call: the encoded bytes hold "%" themselves.
        QStringLiteral("first difference at offset %1 (sizes %2/%3)\n actual:   %4\n expected: %5")
            .arg(QString::number(at), QString::number(actual.size()),
                 QString::number(expected.size()),
                 QString::fromLatin1(actual.mid(from, 60).toPercentEncoding(" =[];")),
                 QString::fromLatin1(expected.mid(from, 60).toPercentEncoding(" =[];")))));
}
