#pragma once

// The README's pictures, taken by the program itself under a virtual
// display: `quorvel --demo-screenshots TREE FOLDER` searches TREE, writes
// its page and saves the tabs "search result", "htm/txt options" and "htm
// preview" as PNG files in FOLDER, then ends. Only scripts/screenshot.sh
// uses it; a normal start never does.

#include "ui/user_dialogs.h"

#include <QString>
#include <QStringList>

#include <optional>

class frm_main;

struct DemoScreenshotRequest
{
    QString tree;
    QString outFolder;
};

// The request on the command line, if it names one.
[[nodiscard]] std::optional<DemoScreenshotRequest>
DemoScreenshotRequestFrom(const QStringList &arguments);

// Answers the folder picker with the demo tree; every other question is
// answered No or cancelled, so nothing waits for a person.
class DemoUserDialogs final : public UserDialogs
{
public:
    explicit DemoUserDialogs(const QString &tree)
        : m_tree(tree)
    { }
    std::optional<QString> openFileName(QWidget *, const QString &, const QString &,
                                        const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget *, const QString &, const QString &,
                                        const QString &, bool) override
    {
        return std::nullopt;
    }
    std::optional<QFont> font(QWidget *, const QString &, const QFont &) override
    {
        return std::nullopt;
    }
    QString existingDirectory(QWidget *, const QString &, const QString &) override
    {
        return m_tree;
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return false; }

private:
    QString m_tree;
};

// Sets demo page options, runs the search and the generation on the shown
// window and saves the three pictures. False when one could not be saved.
bool TakeDemoScreenshots(frm_main &window, const QString &outFolder);

// Takes them once the shown window has restored its options, then closes
// it; exitCode becomes 0, or 1 when a picture could not be saved.
void TakeDemoScreenshotsWhenReady(frm_main &window, const QString &outFolder, int &exitCode);
