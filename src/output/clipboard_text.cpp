#include "output/clipboard_text.h"

#include "scan/result_list.h"

#include <cmath>

namespace {

constexpr int kFirstValue = 3; // sub-items 3 (size) to 7 (attributes)

// A line break or TAB inside a name would break the one-line-per-row text.
void appendOneLine(QString &line, const QString &text)
{
    const qsizetype start = line.size();
    line += text;
    for (qsizetype k = start; k < line.size(); ++k) {
        const QChar c = line.at(k);
        if (c == u'\r' || c == u'\n' || c == u'\t')
            line[k] = u' ';
    }
}

} // namespace

QString ClipboardText(const ResultList &list, const QString &folderText, bool includeFiles,
                      const std::array<bool, 5> &fileTags,
                      const std::function<void(int percent)> &progress)
{
    QString text;
    WriteClipboardText(
        list, folderText, includeFiles, fileTags, [&text](const QString &piece) { text += piece; },
        progress);
    return text;
}

void WriteClipboardText(const ResultList &list, const QString &folderText, bool includeFiles,
                        const std::array<bool, 5> &fileTags,
                        const std::function<void(const QString &piece)> &sink,
                        const std::function<void(int percent)> &progress)
{
    sink(folderText + QStringLiteral("\r\n"));
    const int count = list.count();
    qint64 written = 0;
    int lastPercent = -1;
    QString line;
    for (int row = 0; row < count; ++row) {
        if (!includeFiles && !list.isFolderRow(row))
            continue;
        line.clear();
        appendOneLine(line, list.text(row));
        if (includeFiles)
            line += u'\t';
        for (size_t tag = 0; tag < fileTags.size(); ++tag) {
            if (!fileTags[tag])
                continue;
            const QString value = list.subItem(row, kFirstValue + int(tag));
            line += u'\t';
            if (!value.isEmpty()) {
                appendOneLine(line, value);
                line += u'\t';
            }
        }
        line.replace(u'\\', QStringLiteral(" \\\\ "));
        line.prepend(QStringLiteral("\r\n"));
        sink(line);
        ++written;
        if (progress) {
            const int percent = int(std::nearbyint(double(written) / double(count) * 100.0));
            if (percent != lastPercent) {
                lastPercent = percent;
                progress(percent);
            }
        }
    }
}
