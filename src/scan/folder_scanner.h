#pragma once

#include <QString>

#include <functional>

struct ProgramState;
struct ScanCounters;
class ResultList;

// What the scanner needs from the window while it walks. Every member may be
// empty: no yield, "print only current directory" off, an empty path box.
struct ScanHooks
{
    // "Let pending window events run"; called at the start of every folder, after
    // opening it and after every file row
    // (and while the tree is read ahead). The window throttles it.
    std::function<void()> yield;
    // chkOnlyThisDir (ticked or grey = true), read as each subfolder row is made.
    std::function<bool()> onlyThisDir;
    // The current text of txt_DBPathName, read as each subfolder row is made
    // (only when onlyThisDir() is true).
    std::function<QString()> pathBoxText;
};

// ScanFolder: walks folderPath (and, with state.bgRecursive, every
// folder below it) and appends a folder row per folder and a file row per
// matching file to `list`, depth first, updating `counters` and
// `currentItem` (the 0-based row added last; -1 after the last row was
// removed again by the skip-empty rule). `pattern` is the reduced pattern
// (ReducePattern). Never clears the list, never throws, shows nothing.
//
// Reads state.bgRecursive, state.bgSkipEmptyDir and polls state.bgCancel at
// every point the Part names (and while reading ahead); the rows added before
// a cancel stay and the counters match them. The file system is
// SharedFileSystem(state). The folder path may end in a separator ("/data/"
// is the folder "/data"); a relative path is taken from the current folder;
// an empty path, like a folder that cannot be opened, adds no rows.
//
// The tree is read ahead into a compact snapshot (folder totals computed
// once, bottom up), then rows are made from it. No C++ recursion: a tree of
// any depth is walked, each folder opened relative to its parent.
void ScanFolder(ProgramState &state, ResultList &list, ScanCounters &counters, int &currentItem,
                const QString &folderPath, const QString &pattern, const ScanHooks &hooks);
