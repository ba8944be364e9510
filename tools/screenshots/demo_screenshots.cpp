#include "demo_screenshots.h"

#include "app/option_controls.h"
#include "app/program_state.h"
#include "ui/frm_main.h"
#include "ui/result_list_view.h"
#include "ui/zfrm_info.h"

#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace {

// Lets the window settle (layout, the preview's rendering) for a while.
void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool SavePicture(QWidget &widget, const QString &file)
{
    // Without an alpha channel the pictures stay smaller; the colours stay exact.
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB888).save(file, "PNG", 9);
}

bool Shoot(frm_main &window, int tab, const QString &file)
{
    window.ui().tabData->setCurrentIndex(tab);
    Settle(tab == frm_main::kTabPreview ? 2500 : 300);
    return SavePicture(window, file);
}

// The info window as it stands once its text is typed out whole.
bool ShootInfoWindow(frm_main &window, const QString &file)
{
    zfrm_Info info(window.state(), &window, zfrm_Info::TimerDriving::ByTest);
    info.show();
    while (info.isTimerRunning())
        info.tm_Timer();
    Settle(300);
    const bool saved = SavePicture(info, file);
    info.close();
    return saved;
}

bool TakeDemoScreenshots(frm_main &window, const QString &outFolder)
{
    Settle(300);
    // A readable page: dark text on light colours, three columns.
    const std::pair<OptionText, const char *> colours[] = {
        { OptionText::BackgroundColor, "FFFFFF" }, { OptionText::GridColor, "C8D0DC" },
        { OptionText::TextColor, "1E2A38" },       { OptionText::HeaderColor, "DDE6F2" },
        { OptionText::DirColor, "EEF3FA" },        { OptionText::DirFontColor, "1F3A5F" },
        { OptionText::FileColor, "FFFFFF" },       { OptionText::HoverColor, "FFF3C4" },
        { OptionText::FontSizeDIR, "9" },          { OptionText::FontSizeFILE, "8" },
    };
    for (const auto &[box, text] : colours)
        window.setOptionText(box, QLatin1String(text));
    window.setOptionCheck(OptionCheck::Recursive, true);
    window.setOptionCheck(OptionCheck::SkipEmptyDir, true);
    window.setOptionCheck(OptionCheck::Toggle, false);
    window.setOptionCheck(OptionCheck::Border, true);
    window.setOptionCheck(OptionCheck::Hover, true);
    window.setOptionCheck(OptionCheck::FileTag0, true);
    window.setOptionCheck(OptionCheck::FileTag1, true);
    window.setOptionCheck(OptionCheck::FileTag3, true);
    window.setOptionCheck(OptionCheck::FileTag2, false);
    window.setOptionCheck(OptionCheck::FileTag4, false);
    window.state().sgFont = QStringLiteral("DejaVu Sans");
    window.showPageFont(window.state().sgFont);
    window.setOptionText(OptionText::EXT, QStringLiteral("*.*"));

    QDir().mkpath(outFolder);
    const QDir out(outFolder);
    window.cmdsearch_Click();
    // The narrow date columns widened, as a user would drag them, so their
    // texts show whole.
    // The path column gives up what they need.
    QTableView *list = window.ui().lstItems;
    int others = 0;
    for (int column = 1; column < 9; ++column) {
        if (list->isColumnHidden(column))
            continue;
        list->resizeColumnToContents(column);
        others += list->columnWidth(column);
    }
    list->resizeColumnToContents(0);
    list->setColumnWidth(0, qMax(list->columnWidth(0), list->viewport()->width() - others - 2));
    bool saved = Shoot(window, frm_main::kTabSearchResult,
                       out.filePath(QStringLiteral("search-result.png")));
    saved = Shoot(window, frm_main::kTabPageOptions,
                  out.filePath(QStringLiteral("htm-txt-options.png")))
        && saved;
    window.cmdMach_Click(0);
    saved = Shoot(window, frm_main::kTabPreview, out.filePath(QStringLiteral("htm-preview.png")))
        && saved;
    saved = ShootInfoWindow(window, out.filePath(QStringLiteral("info-window.png"))) && saved;
    return saved;
}

} // namespace

void TakeDemoScreenshotsWhenReady(frm_main &window, const QString &outFolder, int &exitCode)
{
    // The options are set once the first activation has restored the stored
    // ones (set earlier, the restore would overwrite them), and from the
    // event loop itself, not from inside the restore's own event handling.
    auto *ready = new QTimer(&window);
    ready->setInterval(50);
    QObject::connect(ready, &QTimer::timeout, &window, [&window, outFolder, &exitCode, ready] {
        if (!window.restored() || window.longCommandRunning())
            return;
        ready->stop();
        exitCode = TakeDemoScreenshots(window, outFolder) ? 0 : 1;
        window.close();
    });
    ready->start();
}
