// The commands behind the main window's buttons: search, re-read, copy,
// generate, open in browser, info, cancel and exit, and the result list's
// click and check events.
#include "ui/frm_main.h"

#include "app/program_state.h"
#include "output/clipboard_text.h"
#include "output/page_generator.h"
#include "scan/file_system.h"
#include "scan/item_events.h"
#include "scan/result_list.h"
#include "scan/search_command.h"
#include "ui/browse_for_folder.h"
#include "ui/long_command.h"
#include "ui/preview_loader.h"
#include "ui/progress_painter.h"
#include "ui/result_list_view.h"
#include "ui/status_line.h"
#include "ui/user_dialogs.h"
#include "ui/zfrm_info.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QUrl>
#include <QWebEngineView>

#include <system_error>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// How long the generator waits for the preview before it goes on.
constexpr int kPreviewLoadLimitMs = 15000;
// The scheduling niceness of a scan run beside the window (0 is normal).
constexpr int kScanNiceness = 5;

bool Ticked(const QCheckBox *box)
{
    // A grey (third-state) box counts as ticked.
    return box->checkState() != Qt::Unchecked;
}

} // namespace

// ------------------------------------------------------------ result list

void frm_main::connectCommands()
{
    // A refusal shows in the status line until the running command ends.
    auto *statusLine = qobject_cast<StatusLine *>(m_ui.lblNewFile);
    m_longCommands.setStatusHandlers(
        [statusLine](const QString &refusal) { statusLine->showNotice(refusal); },
        [statusLine] { statusLine->endNotice(); });
    connect(m_resultList, &ResultList::itemCheck, this, [this](int row) {
        ItemCheck(*m_resultList, m_currentItem, row);
        m_ui.lstItems->selectionModel()->setCurrentIndex(m_resultList->index(row, 0),
                                                         QItemSelectionModel::ClearAndSelect
                                                             | QItemSelectionModel::Rows);
    });
    connect(m_ui.lstItems, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        ItemClick(*m_resultList, m_currentItem, index.row());
    });
    // A scan off the window's thread reads these two controls as it makes
    // each subfolder row, so a change during the walk counts from the next row.
    m_onlyThisDirTicked = Ticked(m_ui.chkOnlyThisDir);
    connect(m_ui.chkOnlyThisDir, &QCheckBox::stateChanged, this,
            [this] { m_onlyThisDirTicked = Ticked(m_ui.chkOnlyThisDir); });
    m_pathBoxLength = m_ui.txt_DBPathName->text().size();
    connect(m_ui.txt_DBPathName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_pathBoxLength = text.size(); });
}

// ---------------------------------------------------------------- search

SearchSteps frm_main::searchSteps()
{
    SearchSteps steps;
    steps.runScan = [this](const std::function<void()> &scan) { runOffWindowThread(scan); };
    steps.scan.onlyThisDir = [this] { return m_onlyThisDirTicked.load(); };
    steps.scan.pathBoxLength = [this] { return m_pathBoxLength.load(); };
    steps.yield = [] { QCoreApplication::processEvents(); };
    // The busy pointer belongs to LongCommand, which restores it however the command ends.
    steps.browseForFolder
        = [this] { return BrowseForFolder(m_dialogs, this, QStringLiteral("gus.sdg")); };
    steps.setPathBox = [this](const QString &text) { m_ui.txt_DBPathName->setText(text); };
    steps.startAnimation = [this] { StartSearchAnimation(); };
    steps.stopAnimation = [this] { StopSearchAnimation(); };
    steps.setListVisible = [this](bool visible) { m_ui.lstItems->setVisible(visible); };
    steps.setStatusLine = [this](const QString &text) { m_ui.lblNewFile->setText(text); };
    steps.setCountLine = [this](const QString &text) { m_ui.lbl_Status->setText(text); };
    return steps;
}

SearchContext frm_main::searchContext()
{
    return { m_fileSystem, m_state.bgCancel, m_state.bgRecursive, m_state.bgSkipEmptyDir,
             m_state.sgExclude };
}

void frm_main::runOffWindowThread(const std::function<void()> &scan)
{
    // The window keeps painting, playing the animation and taking the
    // cancel click. Nothing on this thread touches the list meanwhile: it is
    // hidden, and the other long commands are refused.
    QEventLoop loop;
    std::thread worker;
    try {
        worker = std::thread([&] {
            // This thread and the scan's own threads, which inherit it, give
            // way to the window's thread when both want the processor.
            ::setpriority(PRIO_PROCESS, ::gettid(), kScanNiceness);
            scan();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error &) {
        scan(); // no thread to be had: the window waits
        return;
    }
    loop.exec();
    worker.join();
}

void frm_main::cmdsearch_Click()
{
    // The folder picker shows the normal pointer; the busy one follows it.
    LongCommand command(m_longCommands, LongCommandKind::Search, LongCommand::BusyPointer::Later);
    if (!command.started())
        return;
    SearchSteps steps = searchSteps();
    steps.setBusyPointer = [&command](bool busy) {
        if (busy)
            command.showBusyPointer();
    };
    QString pathBox = m_ui.txt_DBPathName->text();
    RunSearch(searchContext(), *m_resultList, m_counters, m_currentItem, pathBox,
              m_ui.txtEXT->text(), steps);
}

void frm_main::ReadFolderAgain()
{
    ::ReadFolderAgain(searchContext(), *m_resultList, m_counters, m_currentItem,
                      m_ui.txt_DBPathName->text(), m_ui.txtEXT->text(), searchSteps());
}

void frm_main::cmdRefresh_Click()
{
    const LongCommand command(m_longCommands, LongCommandKind::ReadAgain);
    if (command.started())
        ReadFolderAgain();
}

void frm_main::cmdReadFolderAgain_Click()
{
    cmdRefresh_Click();
}

// ------------------------------------------------------------- clipboard

void frm_main::cmdcopy_Click()
{
    CopyListToClipboard();
}

void frm_main::CopyListToClipboard()
{
    const LongCommand command(m_longCommands, LongCommandKind::ClipboardCopy);
    if (!command.started())
        return;
    const QString folderLine = m_ui.txt_DBPathName->text();
    const bool includeFiles = m_dialogs.askYesNoDefaultNo(this, QStringLiteral(" K I V "),
                                                          QStringLiteral("print files in output?"));
    std::array<bool, 5> fileTags {};
    for (size_t i = 0; i < fileTags.size(); ++i)
        fileTags[i] = Ticked(m_ui.chkFileTag[i]);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QCoreApplication::processEvents();
    const QString text
        = ClipboardText(*m_resultList, folderLine, includeFiles, fileTags, [this](int percent) {
              DrawProgress(m_ui.picProgress, qint16(percent), ProgressColours::kClipboard);
              letEventsRun();
          });
    clipboard->setText(text);
    DrawProgress(m_ui.picProgress, 0, ProgressColours::kReset);
}

// -------------------------------------------------------------- generate

void frm_main::cmdMach_Click(int index)
{
    Q_UNUSED(index)
    const LongCommand command(m_longCommands, LongCommandKind::Generation);
    if (!command.started())
        return;
    if (m_iebrowser)
        m_iebrowser->hide();

    if (m_resultList->count() == 0 && !m_ui.txt_DBPathName->text().isEmpty()) {
        if (!m_dialogs.askYesNo(this, applicationTitle(),
                                QStringLiteral("Array not generated. Read folder again?")))
            return;
        ReadFolderAgain();
    }
    DrawProgress(m_ui.picProgress, 0, ProgressColours::kReset);

    PageRequest request;
    request.list = m_resultList;
    request.counters = &m_counters;
    request.state = &m_state;
    request.folderText = m_ui.txt_DBPathName->text();
    request.patternText = m_ui.txtEXT->text();
    request.onlyThisDir = Ticked(m_ui.chkOnlyThisDir);
    request.fileSystem = &m_fileSystem;
    request.progress = [this](int percent) {
        DrawProgress(m_ui.picProgress, qint16(percent), ProgressColours::kGeneration);
    };
    request.yield = [this] { letEventsRun(); };
    if (!request.folderText.isEmpty())
        m_listFolder = ListFolderOf(request.folderText);
    const PageResult result = GeneratePage(request);

    m_ui.lstItems->show();
    if (!result.ok) {
        // OutputFile keeps naming the page written last; the preview still shows it.
        if (m_iebrowser)
            m_iebrowser->show();
        m_ui.lblNewFile->setText(
            FailureStatusText(u"List not written", result.path, result.reason));
        return;
    }
    m_outputFile = result.path;
    LoadPreview();
    iebrowser()->show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    m_ui.lblNewFile->setText(QStringLiteral("List ready."));
    m_ui.tabData->setCurrentIndex(kTabPreview);
    QCoreApplication::processEvents();
}

// ------------------------------------------------- preview and the rest

void frm_main::LoadPreview()
{
    LoadPageIntoPreview(iebrowser(), m_outputFile, kPreviewLoadLimitMs);
}

void frm_main::cmdBrowser_Click(int index)
{
    Q_UNUSED(index)
    if (m_outputFile.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_outputFile));
}

void frm_main::cmdInfo_Click()
{
    ShowInfoWindow(m_info, m_state, this);
}

void frm_main::cmdCancel_Click(int index)
{
    // Every cancel button does the same: the running command stops at its
    // next step. With none running there is nothing to stop.
    Q_UNUSED(index)
    m_longCommands.cancel();
}

void frm_main::cmdexit_Click()
{
    close(); // closing also stops a command that still runs
}
