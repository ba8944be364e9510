// The file-name matcher on arbitrary patterns and names. Input: the pattern,
// a newline, the name. Besides not crashing, the byte path (used for names
// from the disk) must agree with the text path for every valid UTF-8 name,
// for the file pattern's tail and for an exclude pattern's whole name.
#include "core/name_pattern.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\n');
    if (split < 0)
        return 0;
    const QByteArray patternBytes = input.left(split);
    const QByteArray name = input.mid(split + 1);
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QLocale &locale = (!name.isEmpty() && name.front() == 'T') ? turkish : QLocale::c();

    const QString text = QString::fromUtf8(name);
    for (const auto extent : { NamePattern::Extent::Tail, NamePattern::Extent::WholeName }) {
        const NamePattern pattern(QString::fromUtf8(patternBytes), locale, extent);
        const bool byBytes = pattern.matches(QByteArrayView(name));
        if (text.toUtf8() == name && pattern.matches(text) != byBytes)
            std::abort();
    }
    return 0;
}
