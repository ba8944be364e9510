#include "output/page_frame.h"

#include "app/program_state.h"
#include "core/html_text.h"
#include "output/page_pieces.h"

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
    [[nodiscard]] QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

} // namespace

QByteArray WritePageHead(const PageFrameInput &input)
{
    using namespace PagePieces;
    const ProgramState &s = *input.state;
    const std::string_view border = s.bgBorder ? kBorderOn : kBorderOff;
    const auto borderTail = [&](PageText &page) {
        page << kBorderOpen << border << kBorderColor << s.sgGridColor << kBorderClose;
    };

    PageText page;
    page << kDoctype;
    page << kTitleOpen << input.listFolder << kTitleRecursive << (s.bgRecursive ? kOn : kOff)
         << kTitlePattern << input.patternText << kTitleClose;
    page << kMetaContentType;
    page << kMetaAuthorOpen << QString::fromLatin1(ProgramIdentity::kMakerDomain)
         << kMetaAuthorClose;
    page << kMetaLanguage;
    page << kStyleOpen;
    page << kBodyRuleOpen << s.sgBackgroundColor << kBodyRuleClose;
    page << kText7nOpen << s.sgTextColor << kText7nFont << s.sgFont << kFallbackTight;
    page << kTextRuleOpen << s.sgFont << kFallbackTight;
    page << kText8nOpen << s.sgFont << kFallbackSpaced;
    page << kText7nU;
    page << kText7nN;
    page << kText9nOpen << s.sgFont << kFallbackSpaced;
    page << kText10nOpen << s.sgFont << kFallbackSpaced;
    page << kText12nbOpen << s.sgFont << kFallbackSpaced;
    page << kTdFileOpen << s.sgTextColor << kFontOpen << s.sgFontSizeFILE << kPt << s.sgFont;
    borderTail(page);
    page << kTdDirOpen << s.sgDirFontColor << kBackgroundColor << s.sgDirColor << kFontOpen
         << s.sgFontSizeDIR << kPt << s.sgFont;
    borderTail(page);
    page << kTdFileLinkOpen << s.sgFontSizeFILE << kPt << s.sgFont << kLinkRuleClose;
    page << kTdNrOpen << s.sgTextColor << kFont7pt << s.sgFont;
    borderTail(page);
    page << kTdRootOpen << s.sgTextColor << kBackgroundColor << s.sgHeaderColor << kFont8pt
         << s.sgFont;
    borderTail(page);
    page << kTdRootValueOpen << s.sgTextColor << kBackgroundColor << s.sgHeaderColor << kFont8pt
         << s.sgFont;
    borderTail(page);
    page << kTdValueOpen << s.sgTextColor << kFontOpen << s.sgFontSizeFILE << kPt << s.sgFont;
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
    page << kHeadClose;
    return page.take();
}

QByteArray PageEnd(const ProgramState &state)
{
    using namespace PagePieces;
    PageText page;
    page << kTableClose << kCreditOpen << QString::fromLatin1(ProgramIdentity::kMakerSite)
         << kCreditMakerClose << QString::fromLatin1(ProgramIdentity::kUpdatePage)
         << kCreditUpdateClose << state.versionText << kPageClose;
    return page.take();
}
