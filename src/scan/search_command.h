#pragma once

#include "scan/folder_scanner.h"

#include <QString>

#include <atomic>
#include <functional>

class FileSystem;
class ResultList;
struct ScanCounters;

// Pattern reduction: a pattern that begins with "*" becomes
// everything after its first "." ("*.txt" -> "txt", "*.*" -> "*",
// "*.tar.gz" -> "tar.gz"); without a "." it stays ("*abc"); a pattern that
// does not begin with "*" is used unchanged.
[[nodiscard]] QString ReducePattern(const QString &patternBoxText);

// "Searching for '<pattern>' in '<folder>' (recursive)" - the last words are
// always written, also with the recursive option off.
[[nodiscard]] QString SearchStatusText(const QString &reducedPattern, const QString &folder);

// The count line: the row count in plain digits + " items" ("0 items", "1 items").
[[nodiscard]] QString ItemCountText(qint64 rows);

// What a search reads besides the window: the file system, the search
// options bgRecursive, bgSkipEmptyDir and sgExclude, and the cancel flag
// bgCancel, which the search clears before it starts.
struct SearchContext
{
    const FileSystem &fileSystem;
    std::atomic<bool> &cancel;
    bool recursive = false;
    bool skipEmptyFolders = false;
    QString excludes {}; // the exclude list's text
};

// The window's side of the search commands. Every member may be empty (a
// no-op; browseForFolder empty = the user cancelled).
struct SearchSteps
{
    ScanHooks scan; // scan.pathBoxLength empty: the pathBoxText argument is read
    // Runs the scan and returns when it has ended. The window runs it off
    // its own thread and keeps its events running meanwhile; the scan's
    // hooks are then called on that other thread. Empty: run here.
    std::function<void(const std::function<void()> &scan)> runScan;
    // "Let pending window events run": before the scan, and between
    // announcing its rows and showing the list.
    std::function<void()> yield;
    std::function<void(bool busy)> setBusyPointer; // arrow with hourglass / default
    std::function<QString()> browseForFolder; // BrowseForFolder(main window, "gus.sdg", none)
    std::function<void(const QString &)> setPathBox; // shows the new txt_DBPathName
    std::function<void()> startAnimation; // StartSearchAnimation
    std::function<void()> stopAnimation; // StopSearchAnimation
    std::function<void(bool visible)> setListVisible;
    std::function<void(const QString &)> setStatusLine; // lblNewFile
    std::function<void(const QString &)> setCountLine; // lbl_Status
};

// cmdsearch_Click without the window. The folder comes from
// steps.browseForFolder and is written into pathBoxText (also when empty:
// then the list and counters stay as they were); a trailing separator is
// appended. Then the counters are reset, the list cleared, the pattern
// reduced and ScanFolder run.
void RunSearch(const SearchContext &context, ResultList &list, ScanCounters &counters,
               int &currentItem, QString &pathBoxText, const QString &patternBoxText,
               const SearchSteps &steps);

// ReadFolderAgain: the same steps without the folder dialog, the
// empty-path test and the trailing separator; pathBoxText is scanned as it
// is (an empty or unusable path gives an empty list and "0 items").
void ReadFolderAgain(const SearchContext &context, ResultList &list, ScanCounters &counters,
                     int &currentItem, const QString &pathBoxText, const QString &patternBoxText,
                     const SearchSteps &steps);
