#pragma once

#include <QString>

#include <atomic>
#include <functional>

class FileSystem;
class ResultList;
struct ScanCounters;

// The options a scan reads.
struct ScanOptions
{
    bool recursive = false; // bgRecursive: walk the subfolders
    bool skipEmptyFolders = false; // bgSkipEmptyDir: drop folder rows without matching files
    QString pattern; // the reduced pattern (ReducePattern)
    QString excludes; // sgExclude: names left out of the walk (ExcludeList's text)
    // Threads that read the tree beside the one making the rows; negative:
    // as many as suit the machine; 0: the rows' thread reads it too.
    int walkerThreads = -1;
};

// What the scanner needs from the window while it walks. Every member may
// be empty: no yield, "print only current directory" off, an empty path
// box. The hooks are called on the thread that runs ScanFolder.
struct ScanHooks
{
    // "Let pending window events run"; called at the start of every folder,
    // after opening it and after every file row.
    std::function<void()> yield;
    // chkOnlyThisDir (ticked or grey = true), read as each subfolder row is made.
    std::function<bool()> onlyThisDir;
    // The length of the current text of txt_DBPathName, read as each
    // subfolder row is made (only when onlyThisDir() is true).
    std::function<qsizetype()> pathBoxLength;
};

// ScanFolder: walks folderPath (and, with options.recursive, every folder
// below it) and appends a folder row per folder and a file row per matching
// file to `list`, depth first, updating `counters` and `currentItem` (the
// 0-based row added last; -1 after the last row was removed again by the
// skip-empty rule). Never clears the list, never throws, shows nothing.
//
// Rows are made as the folders are read; a folder row's size is filled in
// once everything below the folder has its rows. `cancel` is polled before
// every folder, subfolder and file: the rows made before a cancel stay, the
// counters match them, and the size of a folder whose rows were not all
// made stays empty. The folder path may end in a separator ("/data/" is the
// folder "/data"); a relative path is taken from the current folder; an
// empty path, like a folder that cannot be opened, adds no rows.
void ScanFolder(const FileSystem &fileSystem, const ScanOptions &options,
                const std::atomic<bool> &cancel, ResultList &list, ScanCounters &counters,
                int &currentItem, const QString &folderPath, const ScanHooks &hooks);
