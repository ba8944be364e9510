#include "output/page_generator.h"

#include "app/program_state.h"
#include "core/html_text.h"
#include "core/text_format.h"
#include "output/list_rows.h"
#include "output/page_frame.h"
#include "output/page_pieces.h"
#include "output/page_stream.h"
#include "output/page_values.h"
#include "scan/file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QDir>

#include <cmath>

namespace {

constexpr double kLargeUnitLimitKb = 999999;

void put(QByteArray &page, std::string_view piece)
{
    page.append(piece.data(), qsizetype(piece.size()));
}

void put(QByteArray &page, const QString &text)
{
    HtmlText::appendText(page, text);
}

void putNumber(QByteArray &page, qint64 value)
{
    page.append(QByteArray::number(value));
}

// The walk's percentage: halves to even, as the progress bar takes it.
int percentOf(qint64 done, qint64 all)
{
    if (all <= 0)
        return 0;
    return int(std::nearbyint(double(done) / double(all) * 100.0));
}

} // namespace

QString ListFolderOf(const QString &folderText)
{
    return folderText.endsWith(u'/') ? folderText.chopped(1) : folderText;
}

QString PageFileName(const QString &listFolder)
{
    if (listFolder.isEmpty())
        return QStringLiteral("root.html");
    QString name = listFolder.mid(listFolder.lastIndexOf(u'/') + 1);
    if (name.endsWith(u':'))
        name.chop(1);
    return name + QStringLiteral(".html");
}

QByteArray SummaryTable(const PageRequest &request, const QString &listFolder)
{
    using namespace PagePieces;
    const ProgramState &s = *request.state;
    const ScanCounters &counters = *request.counters;
    const ResultList &list = *request.list;
    const NumberFormatter numbers(list.locale());

    FileSystem::Drive drive;
    if (request.fileSystem) {
        if (auto found = request.fileSystem->drive(ShownListFolder(listFolder)))
            drive = std::move(*found);
    }
    const auto gib = [&](const std::optional<qint64> &bytes) {
        return bytes ? numbers.grouped(double(*bytes) / 1024.0 / 1024.0 / 1024.0) : QString();
    };
    const QString serial = drive.serialNumber ? QString::number(*drive.serialNumber) : QString();

    const PageStyle style = PageStyleOf(s);
    QByteArray page;
    const auto cellStyle = [&](std::string_view cellOpen) {
        put(page, cellOpen);
        page.append(style.font);
        put(page, kSummaryFontTail);
        put(page, style.textColor);
    };

    put(page, kSummaryOpen);
    // Row 1: the folder, then recursion and pattern.
    put(page, kRowOpen);
    cellStyle(kSummaryFolderCell);
    put(page, kSummaryStyleClose);
    put(page, ShownListFolder(listFolder));
    put(page, kCellClose);
    cellStyle(kSummaryPatternCell);
    put(page, kSummaryRecursive);
    put(page, s.bgRecursive ? kOn : kOff);
    put(page, kTitlePattern);
    put(page, request.patternText);
    if (const QString excludes = ShownExcludes(s); !excludes.isEmpty()) {
        put(page, kTitleExclude);
        put(page, excludes);
    }
    put(page, kSummaryPatternClose);
    put(page, kCellClose);
    put(page, kRowClose);
    // Row 2: the drive.
    put(page, kRowOpen);
    cellStyle(kSummaryWideCell);
    put(page, kSummaryStyleClose);
    put(page, kVolumeName);
    put(page, drive.volumeName);
    put(page, kSeparator);
    put(page, kSerialNumber);
    put(page, serial);
    put(page, kSeparator);
    put(page, kFileSystem);
    put(page, drive.fileSystem);
    put(page, kSeparator);
    put(page, kTotalSize);
    put(page, gib(drive.totalBytes));
    put(page, kGbSeparator);
    put(page, kFreeSpace);
    put(page, gib(drive.freeBytes));
    put(page, kGbSeparator);
    put(page, kSerialNumber);
    put(page, serial);
    put(page, kCellClose);
    put(page, kRowClose);
    // Row 3: the selection. The search folder's own row is not counted.
    const qint64 printedFolders
        = counters.FolderCount - (list.count() > 0 && list.isFolderRow(0) ? 1 : 0);
    put(page, kRowOpen);
    cellStyle(kSummaryWideCell);
    put(page, kThisSelection);
    putNumber(page, counters.FileCount);
    put(page, kFilesOpen);
    const double kb = double(counters.FileKbTotal);
    if (kb > kLargeUnitLimitKb) {
        // GiB, like the drive sizes and the "gb" after them.
        put(page, numbers.grouped(kb / 1024.0 / 1024.0));
        put(page, kLargeUnitClose);
    } else {
        put(page, numbers.grouped(kb));
        put(page, kSmallUnitClose);
    }
    put(page, kIn);
    putNumber(page, printedFolders);
    put(page, kFolder);
    put(page, kSearched);
    putNumber(page, counters.SearchedFolderCount);
    put(page, kFolderComma);
    putNumber(page, counters.SearchedFolderCount - printedFolders);
    put(page, kSkipped);
    put(page, kCellClose);
    put(page, kRowClose);
    put(page, kTableClose);
    return page;
}

PageResult GeneratePage(const PageRequest &request)
{
    PageResult result;
    const ProgramState &state = *request.state;
    const ResultList &list = *request.list;

    if (request.folderText.isEmpty()) {
        result.reason = QStringLiteral("no folder to name the page after");
        return result;
    }
    const QString listFolder = ListFolderOf(request.folderText);

    std::unique_ptr<PageStream> stream;
    if (request.outputDescriptor >= 0) {
        stream
            = std::make_unique<PageStream>(PageStream::OpenDescriptor { request.outputDescriptor });
    } else if (request.device) {
        stream = std::make_unique<PageStream>(request.device);
    } else {
        QString path = request.outputPath;
        if (path.isEmpty()) {
            const QString exportFolder = state.exportFolder;
            const bool folderReady = request.fileSystem
                ? request.fileSystem->folderExists(exportFolder)
                    || request.fileSystem->createFolder(exportFolder)
                : QDir().mkpath(exportFolder);
            path = exportFolder + PageFileName(listFolder);
            if (!folderReady) {
                result.path = path;
                result.reason = QStringLiteral("the export folder %1 cannot be made")
                                    .arg(QDir::toNativeSeparators(exportFolder));
                return result;
            }
        }
        result.path = path;
        stream = std::make_unique<PageStream>(path,
                                              request.writeSpecialFiles
                                                  ? PageStream::SpecialFiles::WriteDirectly
                                                  : PageStream::SpecialFiles::Refuse);
    }
    if (!stream->open()) {
        result.reason = stream->errorString().isEmpty() ? QStringLiteral("cannot be opened")
                                                        : stream->errorString();
        return result;
    }

    stream->buffer().append(WritePageHead({ &state, listFolder, request.patternText }));
    stream->buffer().append(SummaryTable(request, listFolder));
    if (state.bgFilterBox) {
        stream->write(PagePieces::kFilterBox);
        stream->write(PagePieces::kFilterListOpen);
    }
    if (!state.bgToggle)
        stream->write(PagePieces::kListTableOpen);

    ListRowWriter rows({ &list, &state, listFolder, request.onlyThisDir, request.yield }, *stream);
    const int count = list.count();
    int lastPercent = -1;
    for (int i = 0; i < count; ++i) {
        if (state.bgCancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            break;
        }
        if (stream->failed())
            break; // nothing more can be written; commit() says why
        rows.WriteListRow(i);
        const int percent = percentOf(qint64(i) + 1, count);
        if (percent != lastPercent && request.progress) {
            lastPercent = percent;
            request.progress(percent);
        }
        if (request.yield)
            request.yield();
    }
    stream->buffer().append(PageEnd(state));
    if (!stream->commit()) {
        result.reason = stream->errorString();
        return result;
    }
    result.ok = true;
    return result;
}
