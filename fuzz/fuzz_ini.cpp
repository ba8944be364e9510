// Feeds arbitrary bytes to the settings-file reader as a file's content,
// reads every settings key, then writes one key and checks that the written
// document reads back that value and leaves every other key as it was.
#include "core/ini_file.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

struct Key
{
    const char16_t *section;
    const char16_t *key;
};

constexpr Key kKeys[] = {
    { u"search", u"path" },  { u"search", u"ext" }, { u"search", u"sgListFontsize" },
    { u"htm", u"bgBorder" }, { u"htm", u"sgFont" }, { u"htm", u"sgHoverColor" },
    { u"window", u"left" },  { u"window", u"top" }, { u"Window", u"TOP" },
};

qsizetype codePoints(const QString &text)
{
    return qsizetype(text.toUcs4().size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument document = IniDocument::fromBytes(bytes);

    QString before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const QString section = QString::fromUtf16(kKeys[i].section);
        const QString key = QString::fromUtf16(kKeys[i].key);
        before[i] = document.value(section, key).value_or(QStringLiteral("<missing>"));
        if (codePoints(IniFile::read(document, section, key)) > IniFile::kValueLimit)
            std::abort();
    }

    // A value built from the input, line breaks and all.
    const QString written = QString::fromLatin1(bytes.left(40)).trimmed();
    QString expected = written;
    expected.replace(u'\r', u' ').replace(u'\n', u' ');
    expected = expected.trimmed();
    // Blanks the reader removes at the ends may be left after the line breaks
    // became blanks; compare what a read gives.
    if (!document.setValue(QStringLiteral("search"), QStringLiteral("ext"), written))
        std::abort();
    const IniDocument again = IniDocument::fromBytes(document.toBytes());
    const auto readBack = again.value(QStringLiteral("search"), QStringLiteral("ext"));
    if (!readBack)
        std::abort();
    QString readTrimmed = *readBack;
    if (readTrimmed.trimmed() != expected)
        std::abort();
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const QString section = QString::fromUtf16(kKeys[i].section);
        const QString key = QString::fromUtf16(kKeys[i].key);
        if (section == u"search" && key == u"ext")
            continue;
        if (again.value(section, key).value_or(QStringLiteral("<missing>")) != before[i])
            std::abort();
    }
    return 0;
}
