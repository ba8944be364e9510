#include "scan/search_command.h"

#include "app/program_state.h"
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

// Steps 6 to 15, shared by the search and the re-read.
void scanFromPathBox(ProgramState &state, ResultList &list, ScanCounters &counters,
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
    if (!hooks.pathBoxText)
        hooks.pathBoxText = [&pathBoxText] { return pathBoxText; };
    if (!folder.isEmpty())
        ScanFolder(state, list, counters, currentItem, folder, pattern, hooks);
    list.publishRows();
    call(steps.setListVisible, true);
    call(steps.stopAnimation);
    call(steps.setCountLine, ItemCountText(list.count()));
}

} // namespace

void RunSearch(ProgramState &state, ResultList &list, ScanCounters &counters, int &currentItem,
               QString &pathBoxText, const QString &patternBoxText, const SearchSteps &steps)
{
    call(steps.setStatusLine, QString());
    call(steps.setCountLine, QString());
    state.bgCancel = false;
    pathBoxText = steps.browseForFolder ? steps.browseForFolder() : QString();
    // The picker shows the normal pointer; the busy one comes once it has closed.
    call(steps.setBusyPointer, true);
    call(steps.setPathBox, pathBoxText);
    if (!pathBoxText.isEmpty()) {
        if (!pathBoxText.endsWith(u'/')) {
            pathBoxText += u'/';
            call(steps.setPathBox, pathBoxText);
        }
        scanFromPathBox(state, list, counters, currentItem, pathBoxText, patternBoxText, steps);
    }
    call(steps.setBusyPointer, false);
}

void ReadFolderAgain(ProgramState &state, ResultList &list, ScanCounters &counters,
                     int &currentItem, const QString &pathBoxText, const QString &patternBoxText,
                     const SearchSteps &steps)
{
    call(steps.setBusyPointer, true);
    call(steps.setStatusLine, QString());
    call(steps.setCountLine, QString());
    state.bgCancel = false;
    scanFromPathBox(state, list, counters, currentItem, pathBoxText, patternBoxText, steps);
    call(steps.setBusyPointer, false);
}
