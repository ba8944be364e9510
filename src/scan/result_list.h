#pragma once

#include "core/text_format.h"
#include "scan/byte_arena.h"
#include "scan/item_properties.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>

#include <array>
#include <deque>
#include <optional>
#include <vector>

// The result list lstItems: one row per folder and per matching file, in
// the order the folder tree was walked. Column 0 is the row's own text;
// columns 1 to 8 are its sub-items 1 to 8 ("pathonly", "a", "size", "type",
// "created", "changed", "attr", "filecount").
//
// Rows are stored compactly for lists of a million files: names and paths
// as file-system bytes in a shared arena, sizes and dates as numbers that
// are turned into text only when asked for, repeated texts (folder paths,
// type descriptions) once. A sub-item written as text keeps that text.
//
// Rows are numbered from 0. Rows appended since the last publishRows() are
// part of the list (count(), text(), ...) but not yet announced to views, so
// a scan of a million files does not mean a million model signals.
class ResultList : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kColumnCount = 9;
    struct Column
    {
        const char *header;
        int widthTwips;
    };
    static constexpr std::array<Column, kColumnCount> kColumns { {
        { "path", 7650 },
        { "pathonly", 0 },
        { "a", 0 },
        { "size", 920 },
        { "type", 1130 },
        { "created", 520 },
        { "changed", 520 },
        { "attr", 340 },
        { "filecount", 0 },
    } };
    using Rgb = quint32; // 0xRRGGBB
    static constexpr Rgb kRgbMask = 0xffffff;
    static constexpr Rgb kFolderTextColor = 0x000000;
    static constexpr Rgb kFileTextColor = 0x666666;

    enum class Kind : quint8 { Other, Folder, File };

    // Display roles beyond Qt's own. The list links QtCore only, so the view
    // turns these into its font and colour: TextColorRole is a Rgb (absent
    // for the list's default colour), BoldRole a bool.
    enum Role { TextColorRole = Qt::UserRole + 1, BoldRole };

    using Properties = ItemProperties;

    explicit ResultList(QObject *parent = nullptr);
    ~ResultList() override;

    // Sizes, counts and dates are shown in this locale.
    void setLocale(const QLocale &locale);
    [[nodiscard]] const QLocale &locale() const { return m_numbers.locale(); }

    // The list operations.
    void clear();
    [[nodiscard]] int count() const { return int(m_rows.size()); }
    int addRow(const QString &text); // unchecked, sub-items empty, not bold
    void removeAt(int row);
    [[nodiscard]] QString text(int row) const;
    [[nodiscard]] QString subItem(int row, int index) const; // index 1..8
    void setSubItem(int row, int index, const QString &text);
    [[nodiscard]] bool checked(int row) const;
    void setChecked(int row, bool checked);
    [[nodiscard]] bool selected(int row) const;
    void setSelected(int row, bool selected);
    void setRowStyle(int row, Rgb color, bool bold);
    void setSubItemStyle(int row, int index, Rgb color, bool bold);
    [[nodiscard]] std::optional<Rgb> rowColor(int row) const;
    [[nodiscard]] bool rowBold(int row) const;
    [[nodiscard]] std::optional<Rgb> subItemColor(int row, int index) const;
    [[nodiscard]] bool subItemBold(int row, int index) const;

    // The scanner's rows, made in one step each: checked, with sub-items
    // and display attributes as a folder row or a file row has them.
    // folderPath and the file's name are file-system bytes; the folder path
    // has no trailing separator except for the root "/".
    int addFolderRow(const QString &rowText, const QByteArray &folderPath,
                     const Properties &properties, std::optional<qint64> fileCount);
    int addFileRow(const QByteArray &name, const QByteArray &folderPath,
                   const Properties &properties);
    // A folder row's size, known once everything below the folder was read.
    void setFolderSize(int row, qint64 bytes);

    // The row-kind marker of sub-item 2, compared as "FOLDER" / "FILE".
    [[nodiscard]] Kind kind(int row) const;
    [[nodiscard]] bool isFolderRow(int row) const { return kind(row) == Kind::Folder; }
    [[nodiscard]] bool isFileRow(int row) const { return kind(row) == Kind::File; }
    // Sub-item 1 as file-system bytes, for links that must reach the file
    // even when its name is not valid UTF-8.
    [[nodiscard]] QByteArray pathBytes(int row) const;
    // The file name of a scanner's file row as file-system bytes (empty for
    // other rows).
    [[nodiscard]] QByteArray nameBytes(int row) const;
    // The number sub-item 3 shows, read in the list's locale; nullopt when
    // empty or not a number.
    [[nodiscard]] std::optional<double> sizeNumber(int row) const;
    // The values a scanner's row was made from, before they became texts:
    // bytes, seconds since the epoch, attribute bits (nullopt when above
    // 255, as the cell is then empty) and the type text. Sub-items written
    // as text later do not change them.
    [[nodiscard]] Properties properties(int row) const;
    // A folder row's count of the files directly in its folder; nullopt for
    // other rows and when it could not be read.
    [[nodiscard]] std::optional<qint64> fileCount(int row) const;

    // Announces rows appended since the last call to attached views.
    void publishRows();

    // QAbstractTableModel.
    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

signals:
    // The user toggled a row's check box (through the view).
    void itemCheck(int row);

private:
    static constexpr quint32 kNoFolder = 0xffffffffu;
    // One row, 64 bytes: numbers and ids; texts live in the arena and tables.
    struct Row
    {
        qint64 size = 0;
        qint64 created = 0;
        qint64 modified = 0;
        quint64 textOffset = 0; // file rows: the name; other rows: the row text (UTF-8)
        quint32 textLength = 0;
        quint32 folder = kNoFolder;
        quint32 type = 0;
        Rgb rowColor = 0;
        Rgb subColor = 0;
        qint16 attributes = -1;
        quint16 overridden = 0; // bit i: column i was written as text
        Kind kind = Kind::Other;
        quint8 flags = 0;
        quint8 subBold = 0; // bit i: sub-item i bold
        quint8 subColored = 0; // bit i: sub-item i has a colour
    };
    struct Folder
    {
        QByteArray path;
        std::optional<qint64> fileCount;
    };
    quint32 internFolder(const QByteArray &path);
    quint32 internType(const QString &type);
    Row &appendRow(Kind kind);
    [[nodiscard]] QString nativeSubItem(const Row &row, int index) const;
    [[nodiscard]] static quint64 overrideKey(int row, int index);
    void announce(int first, int last);

    std::deque<Row> m_rows;
    ByteArena m_bytes; // row texts and file names
    std::vector<Folder> m_folders;
    QHash<QByteArray, quint32> m_folderIds;
    std::vector<QString> m_types;
    QHash<QString, quint32> m_typeIds;
    QHash<quint64, QString> m_overrides; // sub-items written as text
    QHash<quint64, Rgb> m_subItemColors; // colours beyond the row's one sub-item colour
    int m_publishedRows = 0;
    NumberFormatter m_numbers;
    DateTextFormatter m_dates;
};
