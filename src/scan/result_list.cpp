#include "scan/result_list.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr QLatin1StringView kFolderMarker("FOLDER");
constexpr QLatin1StringView kFileMarker("FILE");
constexpr QLatin1StringView kFileIndent("    ");

enum RowFlag : quint8 {
    Checked = 1,
    Selected = 2,
    Bold = 4,
    HasRowColor = 8,
    HasSize = 16,
    HasCreated = 32,
    HasModified = 64,
};

enum SubItem {
    PathOnly = 1,
    Marker = 2,
    Size = 3,
    Type = 4,
    Created = 5,
    Changed = 6,
    Attr = 7,
    FileCount = 8
};

} // namespace

ResultList::ResultList(QObject *parent)
    : QAbstractTableModel(parent)
{
    static_assert(sizeof(Row) <= 64, "a row must stay small for lists of a million files");
    m_types.emplace_back();
}

ResultList::~ResultList() = default;

void ResultList::setLocale(const QLocale &locale)
{
    beginResetModel();
    m_numbers = NumberFormatter(locale);
    m_dates = DateTextFormatter(locale);
    endResetModel();
}

void ResultList::clear()
{
    beginResetModel();
    m_rows.clear();
    m_bytes.clear();
    m_folders.clear();
    m_folderIds.clear();
    m_types.resize(1);
    m_typeIds.clear();
    m_overrides.clear();
    m_subItemColors.clear();
    m_publishedRows = 0;
    endResetModel();
}

quint64 ResultList::overrideKey(int row, int index)
{
    return (quint64(row) << 4) | quint64(index);
}

ResultList::Row &ResultList::appendRow(Kind kind)
{
    Row &row = m_rows.emplace_back();
    row.kind = kind;
    return row;
}

int ResultList::addRow(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    Row &row = appendRow(Kind::Other);
    row.textOffset = m_bytes.add(bytes);
    row.textLength = quint32(bytes.size());
    return count() - 1;
}

quint32 ResultList::internFolder(const QByteArray &path)
{
    // File rows arrive folder by folder: the last folder is the likely one.
    if (!m_folders.empty() && m_folders.back().path == path)
        return quint32(m_folders.size() - 1);
    const auto found = m_folderIds.constFind(path);
    if (found != m_folderIds.constEnd())
        return *found;
    m_folders.push_back({ path, std::nullopt });
    const quint32 id = quint32(m_folders.size() - 1);
    m_folderIds.insert(path, id);
    return id;
}

quint32 ResultList::internType(const QString &type)
{
    if (type.isEmpty())
        return 0;
    const auto found = m_typeIds.constFind(type);
    if (found != m_typeIds.constEnd())
        return *found;
    m_types.push_back(type);
    const quint32 id = quint32(m_types.size() - 1);
    m_typeIds.insert(type, id);
    return id;
}

static void applyProperties(ResultList::Properties const &properties, auto &row)
{
    if (properties.sizeBytes) {
        row.size = *properties.sizeBytes;
        row.flags |= HasSize;
    }
    if (properties.createdSecs) {
        row.created = *properties.createdSecs;
        row.flags |= HasCreated;
    }
    if (properties.modifiedSecs) {
        row.modified = *properties.modifiedSecs;
        row.flags |= HasModified;
    }
    if (properties.attributes && *properties.attributes >= 0 && *properties.attributes <= 255)
        row.attributes = qint16(*properties.attributes);
}

int ResultList::addFolderRow(const QString &rowText, const QByteArray &folderPath,
                             const Properties &properties, std::optional<qint64> fileCount)
{
    const QByteArray text = rowText.toUtf8();
    const quint32 folder = internFolder(folderPath);
    m_folders[folder].fileCount = fileCount;
    const quint32 type = internType(properties.type);
    Row &row = appendRow(Kind::Folder);
    row.textOffset = m_bytes.add(text);
    row.textLength = quint32(text.size());
    row.folder = folder;
    row.type = type;
    applyProperties(properties, row);
    row.flags |= Checked | Bold | HasRowColor;
    row.rowColor = kFolderTextColor;
    // Sub-items 3 to 7 black and bold.
    constexpr quint8 kStyledSubItems
        = (1 << Size) | (1 << Type) | (1 << Created) | (1 << Changed) | (1 << Attr);
    row.subBold = kStyledSubItems;
    row.subColored = kStyledSubItems;
    row.subColor = kFolderTextColor;
    return count() - 1;
}

int ResultList::addFileRow(const QByteArray &name, const QByteArray &folderPath,
                           const Properties &properties)
{
    const quint32 folder = internFolder(folderPath);
    const quint32 type = internType(properties.type);
    Row &row = appendRow(Kind::File);
    row.textOffset = m_bytes.add(name);
    row.textLength = quint32(name.size());
    row.folder = folder;
    row.type = type;
    applyProperties(properties, row);
    row.flags |= Checked | HasRowColor;
    row.rowColor = kFileTextColor;
    return count() - 1;
}

void ResultList::setFolderSize(int index, qint64 bytes)
{
    Row &row = m_rows[size_t(index)];
    row.size = bytes;
    row.flags |= HasSize;
    announce(index, index);
}

void ResultList::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    const bool published = index < m_publishedRows;
    if (published)
        beginRemoveRows({}, index, index);
    m_rows.erase(m_rows.begin() + index);
    // Texts and colours written for later rows move up with their rows.
    const auto shift = [&](auto &table) {
        std::remove_reference_t<decltype(table)> moved;
        for (auto it = table.cbegin(); it != table.cend(); ++it) {
            const int keyRow = int(it.key() >> 4);
            if (keyRow == index)
                continue;
            const int newRow = keyRow > index ? keyRow - 1 : keyRow;
            moved.insert(overrideKey(newRow, int(it.key() & 0xf)), it.value());
        }
        table = std::move(moved);
    };
    if (!m_overrides.isEmpty())
        shift(m_overrides);
    if (!m_subItemColors.isEmpty())
        shift(m_subItemColors);
    if (published) {
        --m_publishedRows;
        endRemoveRows();
    }
}

QString ResultList::text(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.overridden & 1)
        return m_overrides.value(overrideKey(index, 0));
    const QString stored = QString::fromUtf8(m_bytes.view(row.textOffset, row.textLength));
    return row.kind == Kind::File ? kFileIndent + stored : stored;
}

QString ResultList::nativeSubItem(const Row &row, int index) const
{
    switch (index) {
    case PathOnly: {
        if (row.folder == kNoFolder)
            return {};
        const QByteArray &path = m_folders[row.folder].path;
        QString text = QString::fromUtf8(path);
        if (row.kind == Kind::File && !path.endsWith('/'))
            text += u'/';
        return text;
    }
    case Marker:
        return row.kind == Kind::Folder ? QString(kFolderMarker)
            : row.kind == Kind::File    ? QString(kFileMarker)
                                        : QString();
    case Size:
        return row.flags & HasSize ? m_numbers.sizeText(row.size) : QString();
    case Type:
        return m_types[row.type];
    case Created:
        return row.flags & HasCreated ? m_dates.formatSecsSinceEpoch(row.created) : QString();
    case Changed:
        return row.flags & HasModified ? m_dates.formatSecsSinceEpoch(row.modified) : QString();
    case Attr:
        return row.attributes >= 0 ? AttributeLetters(row.attributes) : QString();
    case FileCount:
        if (row.kind == Kind::Folder && row.folder != kNoFolder && m_folders[row.folder].fileCount)
            return m_numbers.grouped(*m_folders[row.folder].fileCount);
        return {};
    }
    return {};
}

QString ResultList::subItem(int index, int subItemIndex) const
{
    if (subItemIndex < 1 || subItemIndex >= kColumnCount)
        return {};
    const Row &row = m_rows[size_t(index)];
    if (row.overridden & (1u << subItemIndex))
        return m_overrides.value(overrideKey(index, subItemIndex));
    return nativeSubItem(row, subItemIndex);
}

void ResultList::setSubItem(int index, int subItemIndex, const QString &text)
{
    if (subItemIndex < 1 || subItemIndex >= kColumnCount)
        return;
    Row &row = m_rows[size_t(index)];
    if (subItemIndex == Marker) {
        // The marker is kept as a kind; other texts are stored as written.
        row.kind = text == kFolderMarker ? Kind::Folder
            : text == kFileMarker        ? Kind::File
                                         : Kind::Other;
        if (row.kind != Kind::Other) {
            row.overridden &= quint16(~(1u << Marker));
            m_overrides.remove(overrideKey(index, Marker));
            announce(index, index);
            return;
        }
    }
    row.overridden |= quint16(1u << subItemIndex);
    m_overrides.insert(overrideKey(index, subItemIndex), text);
    announce(index, index);
}

ResultList::Kind ResultList::kind(int index) const
{
    const Row &row = m_rows[size_t(index)];
    return row.overridden & (1u << Marker) ? Kind::Other : row.kind;
}

QByteArray ResultList::pathBytes(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.overridden & (1u << PathOnly))
        return m_overrides.value(overrideKey(index, PathOnly)).toUtf8();
    if (row.folder == kNoFolder)
        return {};
    QByteArray path = m_folders[row.folder].path;
    if (row.kind == Kind::File && !path.endsWith('/'))
        path += '/';
    return path;
}

QByteArray ResultList::nameBytes(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.kind != Kind::File)
        return {};
    return m_bytes.view(row.textOffset, row.textLength).toByteArray();
}

std::optional<double> ResultList::sizeNumber(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.overridden & (1u << Size))
        return m_numbers.read(m_overrides.value(overrideKey(index, Size)));
    if (!(row.flags & HasSize))
        return std::nullopt;
    return std::round(double(row.size) / 1024.0);
}

ResultList::Properties ResultList::properties(int index) const
{
    const Row &row = m_rows[size_t(index)];
    Properties properties;
    if (row.flags & HasSize)
        properties.sizeBytes = row.size;
    properties.type = m_types[row.type];
    if (row.flags & HasCreated)
        properties.createdSecs = row.created;
    if (row.flags & HasModified)
        properties.modifiedSecs = row.modified;
    if (row.attributes >= 0)
        properties.attributes = row.attributes;
    return properties;
}

std::optional<qint64> ResultList::fileCount(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (row.kind != Kind::Folder || row.folder == kNoFolder)
        return std::nullopt;
    return m_folders[row.folder].fileCount;
}

bool ResultList::checked(int index) const
{
    return m_rows[size_t(index)].flags & Checked;
}

void ResultList::setChecked(int index, bool checked)
{
    Row &row = m_rows[size_t(index)];
    row.flags = checked ? (row.flags | Checked) : (row.flags & ~Checked);
    if (index < m_publishedRows)
        emit dataChanged(this->index(index, 0), this->index(index, 0), { Qt::CheckStateRole });
}

bool ResultList::selected(int index) const
{
    return m_rows[size_t(index)].flags & Selected;
}

void ResultList::setSelected(int index, bool selected)
{
    Row &row = m_rows[size_t(index)];
    row.flags = selected ? (row.flags | Selected) : (row.flags & ~Selected);
}

void ResultList::setRowStyle(int index, Rgb color, bool bold)
{
    Row &row = m_rows[size_t(index)];
    row.rowColor = color & kRgbMask;
    row.flags |= HasRowColor;
    row.flags = bold ? (row.flags | Bold) : (row.flags & ~Bold);
    announce(index, index);
}

void ResultList::setSubItemStyle(int index, int subItemIndex, Rgb color, bool bold)
{
    if (subItemIndex < 1 || subItemIndex >= kColumnCount)
        return;
    Row &row = m_rows[size_t(index)];
    color &= kRgbMask;
    const quint8 bit = quint8(1u << subItemIndex);
    row.subBold = bold ? (row.subBold | bit) : (row.subBold & ~bit);
    const bool sharesRowColor = row.subColored == 0 || row.subColor == color;
    if (sharesRowColor) {
        row.subColor = color;
        m_subItemColors.remove(overrideKey(index, subItemIndex));
    } else {
        m_subItemColors.insert(overrideKey(index, subItemIndex), color);
    }
    row.subColored |= bit;
    announce(index, index);
}

std::optional<ResultList::Rgb> ResultList::rowColor(int index) const
{
    const Row &row = m_rows[size_t(index)];
    if (!(row.flags & HasRowColor))
        return std::nullopt;
    return row.rowColor;
}

bool ResultList::rowBold(int index) const
{
    return m_rows[size_t(index)].flags & Bold;
}

std::optional<ResultList::Rgb> ResultList::subItemColor(int index, int subItemIndex) const
{
    const Row &row = m_rows[size_t(index)];
    if (subItemIndex < 1 || subItemIndex >= kColumnCount
        || !(row.subColored & (1u << subItemIndex)))
        return std::nullopt;
    const auto own = m_subItemColors.constFind(overrideKey(index, subItemIndex));
    return own != m_subItemColors.constEnd() ? *own : row.subColor;
}

bool ResultList::subItemBold(int index, int subItemIndex) const
{
    return subItemIndex >= 1 && subItemIndex < kColumnCount
        && (m_rows[size_t(index)].subBold & (1u << subItemIndex));
}

void ResultList::announce(int first, int last)
{
    if (first < m_publishedRows)
        emit dataChanged(index(first, 0),
                         index(std::min(last, m_publishedRows - 1), kColumnCount - 1));
}

void ResultList::publishRows()
{
    if (m_publishedRows == count())
        return;
    if (m_publishedRows > count()) {
        beginResetModel();
        m_publishedRows = count();
        endResetModel();
        return;
    }
    beginInsertRows({}, m_publishedRows, count() - 1);
    m_publishedRows = count();
    endInsertRows();
}

int ResultList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_publishedRows;
}

int ResultList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_publishedRows)
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == 0 ? text(row) : subItem(row, column);
    case Qt::CheckStateRole:
        return column == 0 ? QVariant(checked(row) ? Qt::Checked : Qt::Unchecked) : QVariant();
    case TextColorRole: {
        const auto color = column == 0 ? rowColor(row) : subItemColor(row, column);
        return color ? QVariant::fromValue<uint>(*color) : QVariant();
    }
    case BoldRole:
        return column == 0 ? rowBold(row) : subItemBold(row, column);
    }
    return {};
}

bool ResultList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole
        || index.row() >= m_publishedRows)
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    emit itemCheck(index.row());
    return true;
}

Qt::ItemFlags ResultList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ResultList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= kColumnCount)
        return {};
    return QString::fromLatin1(kColumns[size_t(section)].header);
}
