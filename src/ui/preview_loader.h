#pragma once

#include <QElapsedTimer>
#include <QWebEnginePage>

class QWebEngineView;

// The preview's page. It runs the page's own script, but the page stays to
// itself: it cannot read other local files, load anything from elsewhere
// (no image, style sheet, script, frame, fetch or ping leaves it), open
// windows or reach the clipboard, and it moves to another address only
// when the user has just clicked (or pressed a key) in it, or when the
// program loads a page: the browser engine reports a script's move and a
// click on a link alike, so the page watches the user's input. It never
// opens a dialog of its own: alerts are dropped, confirmations and prompts
// answered with "cancel", file choosers with nothing, so a page's script
// can never stop the window.
class PreviewPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit PreviewPage(QObject *parent = nullptr);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    [[nodiscard]] bool userJustActed() const;

    QElapsedTimer m_sinceUserInput; // invalid until the first input
};

// LoadPreview: marks the browser as loading (its "tag" property is "Load"),
// navigates to the file, lets window events run until the load has
// finished (the tag is emptied then) or timeLimitMs have passed, and then
// reloads the page with page dialogs suppressed. The browser shows its
// pages in a PreviewPage from the first load on. True when the first load
// finished within the limit.
bool LoadPageIntoPreview(QWebEngineView *browser, const QString &file, int timeLimitMs);

// The browser's loading marker: "Load" while a page loads, empty otherwise.
[[nodiscard]] QString PreviewTag(const QWebEngineView *browser);
