#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class PageStream;
class ResultList;

// The list as data for scripts: one record per folder row and file row, in
// list order, in UTF-8. The fields, in this order:
//   kind        "folder" or "file"
//   path        the full path: a folder's own, or a file's folder + "/" + name
//   name        the folder's or the file's name ("/" for the root folder)
//   size        bytes; for a folder, everything in it and below it
//   files       a folder's count of the files directly in it; none for a file
//   modified    ISO 8601 in UTC with seconds ("2024-03-05T14:07:09Z")
//   created
//   attributes  the attribute letters (empty for a plain file)
//   type        the type description
// A value that could not be read is empty in CSV and null in JSON Lines.
// A name that is not valid UTF-8 shows each bad byte as U+FFFD; JSON Lines
// then adds "path_hex", the exact bytes of the path in hexadecimal, to that
// record (and only to such records), so a script can still reach the file.
enum class RecordFormat {
    Csv, // RFC 4180: a header row, CR LF line ends, quotes where needed
    JsonLines, // one JSON object per line, LF line ends
};

// Writes the records into stream, a block at a time as it fills. progress
// gets the share of rows written (0..100, halves to even) whenever it
// changes; it may be empty.
void WriteListingRecords(const ResultList &list, RecordFormat format, PageStream &stream,
                         const std::function<void(int percent)> &progress = {});

// The pieces of a record, for anything that writes one.
namespace RecordText {
// A CSV field: quoted when it holds ",", '"', CR or LF, with '"' doubled.
void appendCsvField(QByteArray &out, QByteArrayView utf8);
// A JSON string with its quotes: '"', "\" and control characters escaped.
void appendJsonString(QByteArray &out, QByteArrayView utf8);
} // namespace RecordText
