#pragma once

#include <QWebEnginePage>

class QWebEngineView;

// The preview's page: it never opens a dialog of its own. Alerts are
// dropped, confirmations and prompts answered with "cancel", file choosers
// with nothing, so a page's script can never stop the window.
class SilentPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit SilentPage(QObject *parent = nullptr);

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
};

// LoadPreview: marks the browser as loading (its "tag" property is "Load"),
// navigates to the file, lets window events run until the load has
// finished (the tag is emptied then) or timeLimitMs have passed, and then
// reloads the page with page dialogs suppressed. True when the first load
// finished within the limit.
bool LoadPageIntoPreview(QWebEngineView *browser, const QString &file, int timeLimitMs);

// The browser's loading marker: "Load" while a page loads, empty otherwise.
[[nodiscard]] QString PreviewTag(const QWebEngineView *browser);
