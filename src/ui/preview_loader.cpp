#include "ui/preview_loader.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

const char kTagProperty[] = "tag";
const char kTagWatched[] = "tagWatched";
// How long after the user's click or key press a move counts as theirs.
constexpr qint64 kUserMoveMs = 3000;

void SetTag(QWebEngineView *browser, const QString &tag)
{
    browser->setProperty(kTagProperty, tag);
}

// Lets through the documents the preview shows and nothing they would load.
class DocumentsOnly final : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            info.block(true);
    }
};

} // namespace

PreviewPage::PreviewPage(QObject *parent)
    : QWebEnginePage(parent)
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    setUrlRequestInterceptor(new DocumentsOnly(this));
    // The view's input goes to a surface widget that the engine replaces
    // as it likes; watching the application sees it whichever it is.
    QCoreApplication::instance()->installEventFilter(this);
}

bool PreviewPage::eventFilter(QObject *watched, QEvent *event)
{
    bool input = event->type() == QEvent::MouseButtonRelease;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        input = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    if (input) {
        const auto *widget = qobject_cast<const QWidget *>(watched);
        const QWebEngineView *view = QWebEngineView::forPage(this);
        if (widget && view && (widget == view || view->isAncestorOf(widget)))
            m_sinceUserInput.start();
    }
    return false;
}

bool PreviewPage::userJustActed() const
{
    return m_sinceUserInput.isValid() && m_sinceUserInput.elapsed() <= kUserMoveMs;
}

bool PreviewPage::acceptNavigationRequest(const QUrl &, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame)
        return false;
    switch (type) {
    case NavigationTypeTyped: // the program's own load
    case NavigationTypeReload:
    case NavigationTypeBackForward:
        return true;
    case NavigationTypeLinkClicked: // also a script's move
    case NavigationTypeRedirect:
        return userJustActed();
    default:
        return false;
    }
}

void PreviewPage::javaScriptAlert(const QUrl &, const QString &) { }

bool PreviewPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool PreviewPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

QStringList PreviewPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
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
    if (!qobject_cast<PreviewPage *>(browser->page()))
        browser->setPage(new PreviewPage(browser));
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
