#include "output/list_rows.h"

#include "app/program_state.h"
#include "core/html_text.h"
#include "output/page_frame.h"
#include "output/page_pieces.h"
#include "output/page_stream.h"
#include "output/page_values.h"
#include "scan/result_list.h"

namespace {

enum SubItem { PathOnly = 1, Size = 3, Type = 4, Created = 5, Changed = 6, Attr = 7 };

void put(QByteArray &page, std::string_view piece)
{
    page.append(piece.data(), qsizetype(piece.size()));
}

void put(QByteArray &page, const QString &text)
{
    HtmlText::appendText(page, text);
}

template<typename Text> Text withoutBlanksAround(const Text &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.mid(first, end - first);
}

} // namespace

ListRowWriter::ListRowWriter(Input input, PageStream &stream)
    : m_input(std::move(input))
    , m_list(*m_input.list)
    , m_state(*m_input.state)
    , m_stream(stream)
    , m_page(stream.buffer())
    , m_numbers(m_list.locale())
{
    using namespace PagePieces;
    // The file row opener, built once per run from the current settings.
    const PageStyle style = PageStyleOf(m_state);
    put(m_fileRowOpener, kFileRowOpen);
    put(m_fileRowOpener, style.fileColor);
    if (m_state.bgHover) {
        put(m_fileRowOpener, kFileRowHover);
        put(m_fileRowOpener, style.hoverColor);
        put(m_fileRowOpener, kFileRowHoverOut);
        put(m_fileRowOpener, style.fileColor);
        put(m_fileRowOpener, kFileRowHoverClose);
    } else {
        put(m_fileRowOpener, kFileRowClose);
    }
}

bool ListRowWriter::cancelled() const
{
    return m_state.bgCancel.load(std::memory_order_relaxed);
}

ListRowWriter::HeaderCounts ListRowWriter::countFiles(int firstFileRow) const
{
    // Every file row counts, checked or not.
    HeaderCounts counts;
    for (int row = firstFileRow; row < m_list.count() && m_list.isFileRow(row); ++row) {
        ++counts.files;
        if (const auto kb = m_list.sizeNumber(row))
            counts.kb += *kb;
    }
    return counts;
}

void ListRowWriter::WriteListRow(int &i)
{
    if (!m_list.checked(i))
        return;
    // The list starts with files that have no folder row before them.
    if (i == 0 && m_list.isFileRow(i))
        writeHeader(i, countFiles(i), true);

    switch (m_list.kind(i)) {
    case ResultList::Kind::Folder:
        m_rowNumber = 1;
        writeHeader(i, countFiles(i + 1), false);
        break;
    case ResultList::Kind::File:
        if (m_state.bgToggle) {
            writeGroup(i);
        } else {
            writeFileRow(i);
            ++m_rowNumber;
        }
        break;
    case ResultList::Kind::Other:
        break;
    }
    m_stream.flushIfFull();
}

void ListRowWriter::appendDisplayName(int row)
{
    if (m_input.onlyThisDir)
        put(m_page, m_list.text(row));
    else
        HtmlText::appendUtf8(m_page, m_list.pathBytes(row));
}

void ListRowWriter::appendFileName(int row)
{
    // The row text without its indent and the blanks around the name; other
    // white space (a TAB, a line break, U+3000) is part of the name.
    const QByteArray name = m_list.nameBytes(row);
    if (!name.isEmpty())
        HtmlText::appendUtf8(m_page, withoutBlanksAround(name));
    else
        put(m_page, withoutBlanksAround(m_list.text(row)));
}

void ListRowWriter::appendFileLink(int row)
{
    // Files of one folder follow each other: encode the folder part once.
    const QByteArray folder = m_list.pathBytes(row);
    if (folder != m_lastFolderPath || m_lastFolderLink.isEmpty()) {
        m_lastFolderPath = folder;
        m_lastFolderLink.clear();
        HtmlText::appendFileUrl(m_lastFolderLink, folder);
    }
    m_page.append(m_lastFolderLink);
    // The link keeps blanks around the name, so it still reaches the file.
    const QByteArray name = m_list.nameBytes(row);
    if (!name.isEmpty())
        HtmlText::appendUrlPath(m_page, name);
    else
        HtmlText::appendUrlPath(m_page, withoutBlanksAround(m_list.text(row)).toUtf8());
}

void ListRowWriter::writeHeader(int row, const HeaderCounts &counts, bool leading)
{
    using namespace PagePieces;
    const auto sizeText = m_numbers.grouped(counts.kb);
    const auto info = [&](std::string_view createdPiece) {
        put(m_page, kHeaderInfoOpen);
        m_page.append(QByteArray::number(counts.files));
        put(m_page, kHeaderFiles);
        put(m_page, sizeText);
        put(m_page, kHeaderKb);
        put(m_page, m_list.subItem(row, Size));
        put(m_page, createdPiece);
        put(m_page, m_list.subItem(row, Created));
        put(m_page, kHeaderAttr);
        put(m_page, m_list.subItem(row, Attr));
        put(m_page, kHeaderInfoClose);
    };

    if (!m_state.bgToggle) {
        put(m_page, kRowOpen);
        put(m_page, kFolderCell);
        if (m_state.bgLink) {
            put(m_page, kLinkOpen);
            if (leading) {
                HtmlText::appendFileUrl(m_page, ShownListFolder(m_input.listFolder).toUtf8());
            } else {
                HtmlText::appendFileUrl(m_page, m_list.pathBytes(row));
            }
            put(m_page, kFolderLinkClose);
        }
        if (leading)
            put(m_page, ShownListFolder(m_input.listFolder));
        else
            appendDisplayName(row);
        if (m_state.bgLink)
            put(m_page, kLinkEnd);
        info(leading ? kHeaderRecCreated : kHeaderCreated);
        put(m_page, kCellClose);
        put(m_page, kRowClose);
        return;
    }

    // Toggle mode: the block stays open until the file group after it ends.
    put(m_page, kListTableOpen);
    put(m_page, kRowOpen);
    put(m_page, kFolderCell);
    put(m_page, kToggleHeaderOpen);
    appendDisplayName(row);
    put(m_page, kToggleNameClose);
    info(kHeaderRecCreated);
}

void ListRowWriter::writeFileRow(int row)
{
    using namespace PagePieces;
    m_page.append(m_fileRowOpener);
    put(m_page, kNumberCell);
    m_page.append(QByteArray::number(m_rowNumber));
    put(m_page, kCellClose);
    put(m_page, kFileCell);
    if (m_state.bgLink) {
        put(m_page, kLinkOpen);
        appendFileLink(row);
        put(m_page, kFileLinkClose);
    }
    appendFileName(row);
    if (m_state.bgLink)
        put(m_page, kLinkEnd);
    put(m_page, kCellClose);
    const auto &tags = m_state.bgFileTag;
    if (tags[0]) {
        put(m_page, kValueCell);
        put(m_page, m_list.subItem(row, Size));
        put(m_page, kSizeUnit);
        put(m_page, kCellClose);
    }
    for (int tag = 1; tag < int(tags.size()); ++tag) {
        if (!tags[size_t(tag)])
            continue;
        put(m_page, kFileCell);
        put(m_page, m_list.subItem(row, Size + tag));
        put(m_page, kCellClose);
    }
    put(m_page, kRowClose);
}

void ListRowWriter::writeGroup(int &i)
{
    using namespace PagePieces;
    put(m_page, kGroupOpen);
    put(m_page, kListTableOpen);
    put(m_page, kRowOpen);
    put(m_page, kHeaderValueCell);
    put(m_page, kNumberHeading);
    put(m_page, kCellClose);
    put(m_page, kHeaderCell);
    put(m_page, kNameHeading);
    put(m_page, kCellClose);
    const auto &tags = m_state.bgFileTag;
    for (size_t tag = 0; tag < tags.size(); ++tag) {
        if (!tags[tag])
            continue;
        put(m_page, tag == 0 ? kHeaderValueCell : kHeaderCell);
        put(m_page, kColumnHeadings[tag]);
        put(m_page, kCellClose);
    }
    put(m_page, kRowClose);
    writeFileRow(i);
    ++m_rowNumber;

    // The folder's further files join the group, checked or not.
    const int last = m_list.count() - 1;
    while (i < last) {
        if (!m_list.isFileRow(i + 1) || cancelled())
            break;
        yield();
        ++i;
        writeFileRow(i);
        ++m_rowNumber;
        m_stream.flushIfFull();
        yield();
    }

    put(m_page, kGroupClose);
    put(m_page, kCellClose);
    put(m_page, kRowClose);
    put(m_page, kTableClose);
    ++m_rowNumber;
}
