#include "output/listing_records.h"

#include "core/text_format.h"
#include "output/page_stream.h"
#include "scan/result_list.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 9> kFieldNames { "kind",    "path",       "name",
                                                        "size",    "files",      "modified",
                                                        "created", "attributes", "type" };
constexpr std::string_view kPathHex = "path_hex";
constexpr std::string_view kFolderKind = "folder";
constexpr std::string_view kFileKind = "file";

QByteArrayView view(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

// File-system bytes as text: each byte that is not part of valid UTF-8
// becomes U+FFFD.
QByteArray validUtf8(const QByteArray &bytes)
{
    if (QByteArrayView(bytes).isValidUtf8())
        return bytes;
    return QString::fromUtf8(bytes).toUtf8();
}

// One row's values, as both formats write them.
struct Record
{
    std::string_view kind;
    QByteArray path; // exact bytes
    QByteArray name; // exact bytes
    ResultList::Properties properties;
    std::optional<qint64> files;
};

Record recordOf(const ResultList &list, int row)
{
    Record record;
    record.properties = list.properties(row);
    if (list.isFolderRow(row)) {
        record.kind = kFolderKind;
        record.path = list.pathBytes(row);
        const qsizetype slash = record.path.lastIndexOf('/');
        record.name = slash < 0 || record.path == "/" ? record.path : record.path.mid(slash + 1);
        record.files = list.fileCount(row);
    } else {
        record.kind = kFileKind;
        record.name = list.nameBytes(row);
        record.path = list.pathBytes(row) + record.name; // the folder ends in "/"
    }
    return record;
}

// Text for a time, in scratch (kept from record to record, so that a million
// records do not allocate two million strings); nullopt when the time could
// not be read.
std::optional<QByteArrayView> timeText(QByteArray &scratch, const std::optional<qint64> &secs)
{
    if (!secs)
        return std::nullopt;
    scratch.truncate(0);
    AppendIsoUtcText(scratch, *secs);
    return QByteArrayView(scratch);
}

// Calls text(value) or number(value) for the fields of a record in order;
// a value that could not be read comes as nullopt. A text value lasts until
// the next call.
template<typename Text, typename Number>
void forEachField(const Record &record, QByteArray &scratch, const Text &text, const Number &number)
{
    const ResultList::Properties &p = record.properties;
    text(std::optional(view(record.kind)));
    text(std::optional(QByteArrayView(validUtf8(record.path))));
    text(std::optional(QByteArrayView(validUtf8(record.name))));
    number(p.sizeBytes);
    number(record.files);
    text(timeText(scratch, p.modifiedSecs));
    text(timeText(scratch, p.createdSecs));
    const QByteArray letters
        = p.attributes ? AttributeLetters(*p.attributes).toLatin1() : QByteArray();
    text(p.attributes ? std::optional(QByteArrayView(letters)) : std::nullopt);
    const QByteArray type = p.type.toUtf8();
    text(p.type.isEmpty() ? std::nullopt : std::optional(QByteArrayView(type)));
}

void appendCsvRecord(QByteArray &out, const Record &record, QByteArray &scratch)
{
    bool first = true;
    const auto separate = [&] {
        if (!first)
            out += ',';
        first = false;
    };
    forEachField(
        record, scratch,
        [&](const std::optional<QByteArrayView> &value) {
            separate();
            if (value)
                RecordText::appendCsvField(out, *value);
        },
        [&](const std::optional<qint64> &value) {
            separate();
            if (value)
                AppendDecimal(out, *value);
        });
    out += "\r\n";
}

void appendJsonRecord(QByteArray &out, const Record &record, QByteArray &scratch)
{
    size_t field = 0;
    const auto key = [&] {
        out += field == 0 ? "{\"" : ",\"";
        out += view(kFieldNames[field++]);
        out += "\":";
    };
    forEachField(
        record, scratch,
        [&](const std::optional<QByteArrayView> &value) {
            key();
            if (value)
                RecordText::appendJsonString(out, *value);
            else
                out += "null";
        },
        [&](const std::optional<qint64> &value) {
            key();
            if (value)
                AppendDecimal(out, *value);
            else
                out += "null";
        });
    if (!QByteArrayView(record.path).isValidUtf8()) {
        out += ",\"";
        out += view(kPathHex);
        out += "\":\"";
        out += record.path.toHex();
        out += '"';
    }
    out += "}\n";
}

} // namespace

void RecordText::appendCsvField(QByteArray &out, QByteArrayView utf8)
{
    const bool quoted = std::any_of(utf8.begin(), utf8.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (!quoted) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void RecordText::appendJsonString(QByteArray &out, QByteArrayView utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (quint8(c) < 0x20) {
                out += "\\u00";
                out += kHex[quint8(c) >> 4];
                out += kHex[quint8(c) & 0xf];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void WriteListingRecords(const ResultList &list, RecordFormat format, PageStream &stream,
                         const std::function<void(int percent)> &progress)
{
    QByteArray &out = stream.buffer();
    if (format == RecordFormat::Csv) {
        for (size_t i = 0; i < kFieldNames.size(); ++i) {
            if (i > 0)
                out += ',';
            out += view(kFieldNames[i]);
        }
        out += "\r\n";
    }
    const int count = list.count();
    int lastPercent = -1;
    QByteArray scratch;
    for (int row = 0; row < count; ++row) {
        if (stream.failed())
            break; // nothing more can be written; commit() says why
        if (!list.isFolderRow(row) && !list.isFileRow(row))
            continue;
        const Record record = recordOf(list, row);
        if (format == RecordFormat::Csv)
            appendCsvRecord(out, record, scratch);
        else
            appendJsonRecord(out, record, scratch);
        stream.flushIfFull();
        if (progress) {
            const int percent = int(std::nearbyint(double(row + 1) / double(count) * 100.0));
            if (percent != lastPercent) {
                lastPercent = percent;
                progress(percent);
            }
        }
    }
}
