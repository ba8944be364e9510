#include "scan/search_command.h"

#include "scan/result_list.h"
#include "scan/scan_counters.h"

QString ReducePattern(const QString &patternBoxText)
{
    if (!patternBoxText.startsWith(u'*'))
        return patternBoxText;
    const qsizetype dot = patternBoxText.indexOf(u'.');
    if (dot < 0)
        return patternBoxText;
    return patternBoxText.mid(dot + 1);
}

QString SearchStatusText(const QString &reducedPattern, const QString &folder)
{
    return QStringLiteral("Searching for '") + reducedPattern + QStringLiteral("' in '") + folder
        + QStringLiteral("' (recursive)");
}

QString ItemCountText(qint64 rows)
{
    return QString::number(rows) + QStringLiteral(" items");
}

namespace {

template<typename F, typename... Args> void call(const F &step, Args &&...args)
{
    if (step)
        step(std::forward<Args>(args)...);
}

// From the path box to the shown list, shared by the search and the re-read:
// reset the counters, clear and hide the list, show the status line, scan
// with the animation running, then show the list and its count.
void scanFromPathBox(const SearchContext &context, ResultList &list, ScanCounters &counters,
                     int &currentItem, const QString &pathBoxText, const QString &patternBoxText,
                     const SearchSteps &steps)
{
    counters.reset();
    list.clear();
    currentItem = -1;
    const QString pattern = ReducePattern(patternBoxText);
    const QString folder = pathBoxText;
    call(steps.setStatusLine, SearchStatusText(pattern, folder));
    call(steps.yield);
    call(steps.startAnimation);
    call(steps.setListVisible, false);
    ScanHooks hooks = steps.scan;
    if (!hooks.pathBoxLength)
        hooks.pathBoxLength = [&pathBoxText] { return pathBoxText.size(); };
    ScanOptions options;
    options.recursive = context.recursive;
    options.skipEmptyFolders = context.skipEmptyFolders;
    options.pattern = pattern;
    options.excludes = context.excludes;
    const auto scan = [&] {
        ScanFolder(context.fileSystem, options, context.cancel, list, counters, currentItem, folder,
                   hooks);
    };
    if (!folder.isEmpty()) {
        if (steps.runScan)
            steps.runScan(scan);
        else
            scan();
    }
    list.publishRows();
    // A million new rows keep the view busy for a moment; its first paint
    // comes in a turn of its own.
    call(steps.yield);
    call(steps.setListVisible, true);
    call(steps.stopAnimation);
    call(steps.setCountLine, ItemCountText(list.count()));
}

} // namespace

void RunSearch(const SearchContext &context, ResultList &list, ScanCounters &counters,
               int &currentItem, QString &pathBoxText, const QString &patternBoxText,
               const SearchSteps &steps)
{
    call(steps.setStatusLine, QString());
    call(steps.setCountLine, QString());
    context.cancel = false;
    pathBoxText = steps.browseForFolder ? steps.browseForFolder() : QString();
    // The picker shows the normal pointer; the busy one comes once it has closed.
    call(steps.setBusyPointer, true);
    call(steps.setPathBox, pathBoxText);
    if (!pathBoxText.isEmpty()) {
        if (!pathBoxText.endsWith(u'/')) {
            pathBoxText += u'/';
            call(steps.setPathBox, pathBoxText);
        }
        scanFromPathBox(context, list, counters, currentItem, pathBoxText, patternBoxText, steps);
    }
    call(steps.setBusyPointer, false);
}

void ReadFolderAgain(const SearchContext &context, ResultList &list, ScanCounters &counters,
                     int &currentItem, const QString &pathBoxText, const QString &patternBoxText,
                     const SearchSteps &steps)
{
    call(steps.setBusyPointer, true);
    call(steps.setStatusLine, QString());
    call(steps.setCountLine, QString());
    context.cancel = false;
    scanFromPathBox(context, list, counters, currentItem, pathBoxText, patternBoxText, steps);
    call(steps.setBusyPointer, false);
}
