#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The one way every variable text reaches the page: escaped for HTML and
// encoded as the iso-8859-1 bytes the page declares.
//
// - "&", "<", ">", '"' and "'" become "&amp;", "&lt;", "&gt;", "&quot;" and
//   "&#39;", so a name can never end an attribute or open a tag;
// - a line feed, carriage return or TAB becomes "&#10;", "&#13;", "&#9;",
//   so the page stays one line;
// - a character of Latin-1 is its single byte (é is E9); any other
//   character is a decimal numeric reference (日 is "&#26085;");
// - a C1 control character (U+0080 to U+009F) shows as U+FFFD
//   ("&#65533;"): a browser reads the page as windows-1252, which would show
//   it as another character (U+0085 as "…").
//
// File-system names arrive as UTF-8 bytes; a byte that is not part of valid
// UTF-8 shows as U+FFFD ("&#65533;"), so no name is dropped.
namespace HtmlText {

// Appends text, escaped and encoded.
void appendText(QByteArray &page, QStringView text);
// Appends UTF-8 bytes (a file-system name or path), escaped and encoded.
void appendUtf8(QByteArray &page, QByteArrayView utf8);

// The target of a link to a file or folder: "file://" + the absolute path
// (which begins with "/"). "%", "#", "?" and "\" are percent-encoded, so is
// every control character (a C1 character as its UTF-8 bytes, "%C2%85")
// and a blank at the very end (a browser would drop or misread them), and
// every byte that is not valid UTF-8 ("%FF"); the other characters stay and
// are encoded like text. The result is escaped like text.
void appendFileUrl(QByteArray &page, QByteArrayView pathUtf8);
// The same encoding without "file://", for a link built in parts (a folder
// part, then a name part); the blank rule applies to the end of this part.
void appendUrlPath(QByteArray &page, QByteArrayView pathUtf8);

// Convenience forms returning the bytes.
[[nodiscard]] QByteArray text(QStringView text);
[[nodiscard]] QByteArray utf8(QByteArrayView utf8);
[[nodiscard]] QByteArray fileUrl(QByteArrayView pathUtf8);

} // namespace HtmlText
