#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QLocale>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class FileSystem;
class OptionControls;
struct ProgramState;

// The settings list lstsettings: every settings file found in the settings
// folder (txtSettingsPath) and all folders below it, one entry per file.
// Column 0 "settings-file" is the file name, column 1 "path" the folder that
// holds it, always ending in "/". The list also holds the current entry: the
// one last clicked, none after every refresh.
//
// The window's side, each a thin call into this file:
//   start-up / OptionControls::refreshSettingsList -> RefreshSettingsList
//   OptionControls::clearCurrentSettingsEntry       -> SettingsList::clearCurrentEntry
//   click on an entry                               -> SettingsList::setCurrentEntry(row)
//   cmdUseSetting_Click, double-click on the list   -> ApplyCurrentSettingsEntry
//   cmdBrowseSettingsPath_Click, after BrowseForFolder(owner, "gus.sdg", no root)
//                                                   -> SettingsPathChosen(controls, folder)
// The view shows no selection on entries the listing adds (a new entry is
// never selected) and sorts nothing itself: the model keeps its order.
class SettingsList : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kColumnCount = 2;
    struct Column
    {
        const char *header;
        int widthTwips;
    };
    static constexpr std::array<Column, kColumnCount> kColumns { {
        { "settings-file", 7830 },
        { "path", 3230 },
    } };

    // File-system bytes, so the entry reaches its file whatever the name.
    struct Entry
    {
        QByteArray fileName;
        QByteArray folder; // ends in "/"
    };

    explicit SettingsList(QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] int count() const { return int(m_entries.size()); }
    [[nodiscard]] const Entry &entry(int row) const { return m_entries[size_t(row)]; }
    // Column 0 and column 1 as shown.
    [[nodiscard]] QString fileNameText(int row) const;
    [[nodiscard]] QString folderText(int row) const;

    // Removes every entry; no entry is current then.
    void clear();
    // Adds one entry; folder gains a trailing "/" when it has none. Once the
    // list is sorted, a new entry goes to its place in the order.
    void addEntry(const QByteArray &folder, const QByteArray &fileName);
    // Sorts ascending by file name, letter case not counting (entries of the
    // same name keep the order they were found in), and keeps it sorted.
    void setSorted();
    [[nodiscard]] bool isSorted() const { return m_sorted; }

    [[nodiscard]] std::optional<int> currentEntry() const { return m_current; }
    // A row outside the list leaves no entry current.
    void setCurrentEntry(int row);
    void clearCurrentEntry() { m_current.reset(); }
    // The current entry's folder followed by its file name; empty when none.
    [[nodiscard]] QString currentFilePath() const;
    // The same in file-system bytes: reaches the file whatever its name.
    [[nodiscard]] QByteArray currentFileBytes() const;

    // True while a listing fills the list (it yields to window events).
    [[nodiscard]] bool isListing() const { return m_listing; }
    void setListing(bool listing) { m_listing = listing; }

private:
    [[nodiscard]] bool nameLess(const QByteArray &a, const QByteArray &b) const;

    std::vector<Entry> m_entries;
    std::optional<int> m_current;
    bool m_sorted = false;
    bool m_listing = false;
};

// Called where the listing lets pending window events run: before each
// folder, before each file and after each added entry. The window passes a
// hook that processes events at most every few milliseconds.
using SettingsYield = std::function<void()>;

// Adds an entry for every file of folder, and of all folders below it, whose
// name ends in extension by the program's wildcard rule (letter case not
// counting; "*" takes every file). Files of a folder come before those of
// its subfolders, depth first, each in the file system's enumeration order.
// A folder that cannot be read adds nothing and the listing goes on. Stops
// early, leaving a partial list, once state.bgCancel is set; never clears it.
// The folder may end in "/" or not. Walks any depth without recursion.
void ListSettingsFiles(SettingsList &list, ProgramState &state, FileSystem &fileSystem,
                       const QString &folder, const QString &extension,
                       const SettingsYield &yield = {}, const QLocale &locale = QLocale());

// Refreshing the settings list: removes every entry, gives the settings
// folder text (txtSettingsPath) a trailing "/", lists the ".kiv" files below
// it, sorts the list when it holds any entry, and leaves no entry current.
// With an empty folder text nothing happens (the list keeps its entries);
// a refresh while a listing is running is refused. False when refused.
bool RefreshSettingsList(SettingsList &list, ProgramState &state, OptionControls &controls,
                         FileSystem &fileSystem, const SettingsYield &yield = {},
                         const QLocale &locale = QLocale());

// cmdBrowseSettingsPath_Click after the folder picker: the chosen folder
// becomes the settings folder text, also when empty (the picker was
// cancelled); a non-empty one refreshes the list through the controls.
void SettingsPathChosen(OptionControls &controls, const QString &chosenFolder);

// cmdUseSetting_Click: applies the current entry's settings file. Does
// nothing, and returns false, when no entry is current.
bool ApplyCurrentSettingsEntry(const SettingsList &list, ProgramState &state,
                               OptionControls &controls, const QLocale &locale = QLocale());
