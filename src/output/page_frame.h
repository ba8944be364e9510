#pragma once

#include <QByteArray>
#include <QString>

struct ProgramState;

// The options the page head, the summary and the rows read, taken from
// ProgramState and the window at the start of a generation.
struct PageFrameInput
{
    const ProgramState *state = nullptr;
    QString listFolder; // ListFolder: the folder without its trailing separator
    QString patternText; // txtEXT as it reads now
};

// ListFolder as the page shows it: the root folder, whose ListFolder is
// empty, is "/".
[[nodiscard]] QString ShownListFolder(const QString &listFolder);

// The exclude patterns in use, as the title and the summary show them after
// the pattern; empty when no name is left out, and the page is then
// written as without exclude lists.
[[nodiscard]] QString ShownExcludes(const ProgramState &state);

// WritePageHead: the whole head (document type, title, meta lines, style
// sheet and, in toggle mode, the script), as one piece of page bytes.
[[nodiscard]] QByteArray WritePageHead(const PageFrameInput &input);

// The page end: "</table>", the credit line and the version text.
[[nodiscard]] QByteArray PageEnd(const ProgramState &state);
