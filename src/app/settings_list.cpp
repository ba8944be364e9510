#include "app/settings_list.h"

#include "app/option_controls.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "core/name_pattern.h"
#include "scan/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QByteArray withTrailingSeparator(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// The folder as the file system names it: absolute, without "." and ".."
// steps and without a trailing separator (the root stays "/").
QByteArray folderPath(const QString &folder)
{
    return QFile::encodeName(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

QByteArray childPath(const QByteArray &folder, const QByteArray &name)
{
    return withTrailingSeparator(folder) + name;
}

} // namespace

SettingsList::SettingsList(QObject *parent)
    : QAbstractTableModel(parent)
{ }

int SettingsList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int SettingsList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QString SettingsList::fileNameText(int row) const
{
    return QFile::decodeName(entry(row).fileName);
}

QString SettingsList::folderText(int row) const
{
    return QFile::decodeName(entry(row).folder);
}

QVariant SettingsList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return index.column() == 0 ? fileNameText(index.row()) : folderText(index.row());
}

QVariant SettingsList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= kColumnCount)
        return {};
    return QString::fromLatin1(kColumns[size_t(section)].header);
}

void SettingsList::clear()
{
    beginResetModel();
    m_entries.clear();
    m_current.reset();
    endResetModel();
}

bool SettingsList::nameLess(const QByteArray &a, const QByteArray &b) const
{
    return QFile::decodeName(a).compare(QFile::decodeName(b), Qt::CaseInsensitive) < 0;
}

void SettingsList::addEntry(const QByteArray &folder, const QByteArray &fileName)
{
    auto at = m_entries.end();
    if (m_sorted) {
        at = std::upper_bound(
            m_entries.begin(), m_entries.end(), fileName,
            [this](const QByteArray &name, const Entry &e) { return nameLess(name, e.fileName); });
    }
    const int row = int(at - m_entries.begin());
    beginInsertRows({}, row, row);
    m_entries.insert(at, Entry { fileName, withTrailingSeparator(folder) });
    endInsertRows();
}

void SettingsList::setSorted()
{
    m_sorted = true;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // Remember where each entry was, to move persistent indexes with it.
    std::vector<int> order(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return nameLess(m_entries[size_t(a)].fileName, m_entries[size_t(b)].fileName);
    });
    std::vector<Entry> sorted;
    sorted.reserve(m_entries.size());
    std::vector<int> newRow(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_entries[size_t(order[i])]));
        newRow[size_t(order[i])] = int(i);
    }
    m_entries = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << this->index(newRow[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    if (m_current)
        m_current = newRow[size_t(*m_current)];
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SettingsList::setCurrentEntry(int row)
{
    if (row >= 0 && row < count())
        m_current = row;
    else
        m_current.reset();
}

QByteArray SettingsList::currentFileBytes() const
{
    if (!m_current)
        return {};
    const Entry &e = entry(*m_current);
    return e.folder + e.fileName;
}

QString SettingsList::currentFilePath() const
{
    return QFile::decodeName(currentFileBytes());
}

void ListSettingsFiles(SettingsList &list, ProgramState &state, FileSystem &fileSystem,
                       const QString &folder, const QString &extension, const SettingsYield &yield,
                       const QLocale &locale)
{
    const auto letEventsRun = [&yield] {
        if (yield)
            yield();
    };
    const NamePattern pattern(extension, locale);

    // Folders still to be listed, the next one last: depth first, files of
    // a folder before the files of its subfolders, as a recursion would.
    std::vector<QByteArray> pending { folderPath(folder) };
    while (!pending.empty() && !state.bgCancel) {
        const QByteArray current = std::move(pending.back());
        pending.pop_back();
        letEventsRun();
        const auto listing = fileSystem.listFolder(current);
        if (!listing)
            continue; // unreadable or gone: no entries, the others go on
        for (const FileSystem::Entry &file : listing->files) {
            if (state.bgCancel)
                return;
            letEventsRun();
            if (pattern.matches(QByteArrayView(file.name))) {
                list.addEntry(current, file.name);
                letEventsRun();
            }
        }
        for (auto it = listing->subfolders.rbegin(); it != listing->subfolders.rend(); ++it)
            pending.push_back(childPath(current, it->name));
    }
}

bool RefreshSettingsList(SettingsList &list, ProgramState &state, OptionControls &controls,
                         FileSystem &fileSystem, const SettingsYield &yield, const QLocale &locale)
{
    QString folder = controls.optionText(OptionText::SettingsPath);
    if (folder.isEmpty() || list.isListing())
        return false;
    list.setListing(true);
    list.clear();
    if (!folder.endsWith(u'/')) {
        folder += u'/';
        controls.setOptionText(OptionText::SettingsPath, folder);
    }
    ListSettingsFiles(list, state, fileSystem, folder, QString(kSettingsExtension), yield, locale);
    if (list.count() > 0)
        list.setSorted();
    list.clearCurrentEntry();
    list.setListing(false);
    return true;
}

void SettingsPathChosen(OptionControls &controls, const QString &chosenFolder)
{
    controls.setOptionText(OptionText::SettingsPath, chosenFolder);
    if (!chosenFolder.isEmpty())
        controls.refreshSettingsList();
}

bool ApplyCurrentSettingsEntry(const SettingsList &list, ProgramState &state,
                               OptionControls &controls, const QLocale &locale)
{
    if (!list.currentEntry())
        return false;
    ApplySettingsFile(state, controls, list.currentFileBytes(), locale);
    return true;
}
