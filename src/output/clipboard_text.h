#pragma once

#include <QString>

#include <array>
#include <functional>

class ResultList;

// The text CopyListToClipboard puts on the clipboard: the folder line, CR
// LF, then CR LF and one line per written row. With includeFiles false only
// folder rows are written. fileTags are the five "show columns" boxes (a
// grey box counts as ticked). progress gets written lines / all rows as a
// percentage (halves to even) whenever it changes; it may be empty.
[[nodiscard]] QString ClipboardText(const ResultList &list, const QString &folderText,
                                    bool includeFiles, const std::array<bool, 5> &fileTags,
                                    const std::function<void(int percent)> &progress = {});

// The same text in pieces: sink gets the folder line with its CR LF, then CR
// LF and the line of each written row, so a long text can be written out
// without being held whole.
void WriteClipboardText(const ResultList &list, const QString &folderText, bool includeFiles,
                        const std::array<bool, 5> &fileTags,
                        const std::function<void(const QString &piece)> &sink,
                        const std::function<void(int percent)> &progress = {});
