#include "ui/preview_loader.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

namespace {

const char kTagProperty[] = "tag";
const char kTagWatched[] = "tagWatched";

void SetTag(QWebEngineView *browser, const QString &tag)
{
    browser->setProperty(kTagProperty, tag);
}

} // namespace

SilentPage::SilentPage(QObject *parent)
    : QWebEnginePage(parent)
{ }

void SilentPage::javaScriptAlert(const QUrl &, const QString &) { }

bool SilentPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool SilentPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

QStringList SilentPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    return {};
}

QString PreviewTag(const QWebEngineView *browser)
{
    return browser ? browser->property(kTagProperty).toString() : QString();
}

bool LoadPageIntoPreview(QWebEngineView *browser, const QString &file, int timeLimitMs)
{
    if (!browser)
        return false;
    // Page dialogs are suppressed from the first load on: a dialog raised
    // while the window waits for the load would stop the generate command.
    if (!qobject_cast<SilentPage *>(browser->page()))
        browser->setPage(new SilentPage(browser));
    // Every finished load empties the marker, also those started by links
    // clicked in the preview.
    if (!browser->property(kTagWatched).toBool()) {
        browser->setProperty(kTagWatched, true);
        QObject::connect(browser, &QWebEngineView::loadFinished, browser,
                         [browser](bool) { SetTag(browser, QString()); });
    }

    SetTag(browser, QStringLiteral("Load"));
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    const QMetaObject::Connection finished = QObject::connect(
        browser, &QWebEngineView::loadFinished, &wait, [&wait](bool) { wait.quit(); });
    browser->load(QUrl::fromLocalFile(file));
    if (!PreviewTag(browser).isEmpty()) {
        limit.start(timeLimitMs);
        wait.exec();
    }
    QObject::disconnect(finished);
    const bool loaded = PreviewTag(browser).isEmpty();
    browser->reload();
    return loaded;
}
