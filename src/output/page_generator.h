#pragma once

#include <QString>

#include <functional>

class FileSystem;
class QIODevice;
class ResultList;
struct ProgramState;
struct ScanCounters;

// What the generate command needs, as plain values: the window reads its
// controls and passes them in; nothing here touches a widget.
struct PageRequest
{
    const ResultList *list = nullptr;
    const ScanCounters *counters = nullptr;
    // Options, export folder and version text; bgCancel is polled during the
    // walk. The caller clears bgCancel when its command starts (before a
    // re-read the command may run first).
    const ProgramState *state = nullptr;
    QString folderText; // txt_DBPathName
    QString patternText; // txtEXT
    bool onlyThisDir = false; // chkOnlyThisDir
    // Drive data of the summary and the export folder's creation; without
    // it the drive values stay empty and the folder is made with QDir.
    FileSystem *fileSystem = nullptr;
    // Where to write: a file path (empty: the export folder and the page
    // file name), an open descriptor such as standard output (not closed),
    // or an open device.
    QString outputPath;
    int outputDescriptor = -1;
    QIODevice *device = nullptr;
    // A path that is a pipe or a device is written directly; without this
    // (the window) the page must be a regular file or a new one, and
    // anything else is refused at once.
    bool writeSpecialFiles = false;
    // Called with the walk's percentage (0..100, halves to even) whenever
    // it changes; may be empty.
    std::function<void(int percent)> progress;
    // "Let pending window events run": after every row and inside file
    // groups. The hook itself decides how often it really does something.
    std::function<void()> yield;
};

struct PageResult
{
    bool ok = false;
    bool cancelled = false; // the walk was stopped; the page was still closed
    QString path; // the page written, or the one that could not be
    QString reason; // why it failed, for the status line
};

// cmdMach_Click without the window, up to closing the stream: names, export
// folder, output stream, page head, summary, list table opener, row walk
// with cancel and progress, page end, close. A page that cannot be written
// is a failed result and leaves nothing under its final name.
[[nodiscard]] PageResult GeneratePage(const PageRequest &request);

// ListFolder: the folder text without one trailing separator ("/" gives "").
[[nodiscard]] QString ListFolderOf(const QString &folderText);
// The page's file name: the last part of ListFolder (a trailing ":" removed)
// + ".html"; the root folder, whose ListFolder is empty, gives "root.html".
[[nodiscard]] QString PageFileName(const QString &listFolder);
// The summary table, written after the head.
[[nodiscard]] QByteArray SummaryTable(const PageRequest &request, const QString &listFolder);
