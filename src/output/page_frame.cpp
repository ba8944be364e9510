#include "output/page_frame.h"

#include "app/program_state.h"
#include "core/exclude_list.h"
#include "core/html_text.h"
#include "output/page_pieces.h"
#include "output/page_values.h"

namespace {

class PageText
{
public:
    PageText() { m_bytes.reserve(4096); }
    PageText &operator<<(std::string_view piece)
    {
        m_bytes.append(piece.data(), qsizetype(piece.size()));
        return *this;
    }
    PageText &operator<<(const QString &text)
    {
        HtmlText::appendText(m_bytes, text);
        return *this;
    }
    // Bytes that are already in page form (the font name as CSS).
    PageText &operator<<(const QByteArray &pageBytes)
    {
        m_bytes.append(pageBytes);
        return *this;
    }
    [[nodiscard]] QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

} // namespace

QString ShownListFolder(const QString &listFolder)
{
    return listFolder.isEmpty() ? QStringLiteral("/") : listFolder;
}

QString ShownExcludes(const ProgramState &state)
{
    return ExcludeList::join(ExcludeList(state.sgExclude).patterns());
}

QByteArray WritePageHead(const PageFrameInput &input)
{
    using namespace PagePieces;
    const ProgramState &s = *input.state;
    const PageStyle style = PageStyleOf(s);
    const QByteArray &font = style.font;
    const std::string_view border = s.bgBorder ? kBorderOn : kBorderOff;
    const auto borderTail = [&](PageText &page) {
        page << kBorderOpen << border << kBorderColor << style.gridColor << kBorderClose;
    };

    PageText page;
    page << kDoctype;
    page << kTitleOpen << ShownListFolder(input.listFolder) << kTitleRecursive
         << (s.bgRecursive ? kOn : kOff) << kTitlePattern << input.patternText;
    if (const QString excludes = ShownExcludes(s); !excludes.isEmpty())
        page << kTitleExclude << excludes;
    page << kTitleClose;
    page << kMetaContentType;
    page << kMetaAuthorOpen << QString::fromLatin1(ProgramIdentity::kMakerDomain)
         << kMetaAuthorClose;
    page << kMetaLanguage;
    page << kStyleOpen;
    page << kBodyRuleOpen << style.backgroundColor << kBodyRuleClose;
    page << kText7nOpen << style.textColor << kText7nFont << font << kFallbackTight;
    page << kTextRuleOpen << font << kFallbackTight;
    page << kText8nOpen << font << kFallbackSpaced;
    page << kText7nU;
    page << kText7nN;
    page << kText9nOpen << font << kFallbackSpaced;
    page << kText10nOpen << font << kFallbackSpaced;
    page << kText12nbOpen << font << kFallbackSpaced;
    page << kTdFileOpen << style.textColor << kFontOpen << style.fontSizeFILE << kPt << font;
    borderTail(page);
    page << kTdDirOpen << style.dirFontColor << kBackgroundColor << style.dirColor << kFontOpen
         << style.fontSizeDIR << kPt << font;
    borderTail(page);
    page << kTdFileLinkOpen << style.fontSizeFILE << kPt << font << kLinkRuleClose;
    page << kTdNrOpen << style.textColor << kFont7pt << font;
    borderTail(page);
    page << kTdRootOpen << style.textColor << kBackgroundColor << style.headerColor << kFont8pt
         << font;
    borderTail(page);
    page << kTdRootValueOpen << style.textColor << kBackgroundColor << style.headerColor << kFont8pt
         << font;
    borderTail(page);
    page << kTdValueOpen << style.textColor << kFontOpen << style.fontSizeFILE << kPt << font;
    borderTail(page);
    if (s.bgToggle) {
        for (const std::string_view rule : kToggleRules)
            page << rule;
    }
    page << kStyleClose;
    if (s.bgToggle) {
        for (const std::string_view piece : kScript)
            page << piece;
    }
    if (s.bgFilterBox) {
        for (const std::string_view piece : kFilterHead)
            page << piece;
    }
    page << kHeadClose;
    return page.take();
}

QByteArray PageEnd(const ProgramState &state)
{
    using namespace PagePieces;
    PageText page;
    page << kTableClose;
    if (state.bgFilterBox)
        page << kFilterListClose;
    page << kCreditOpen << QString::fromLatin1(ProgramIdentity::kMakerSite) << kCreditMakerClose
         << QString::fromLatin1(ProgramIdentity::kUpdatePage) << kCreditUpdateClose
         << state.versionText << kPageClose;
    return page.take();
}
