#pragma once

#include <string_view>

// The fixed text of the page, in page order. Pieces are joined with nothing
// in between and hold no line break; a blank at either end belongs to the
// piece. Variable texts go between them through HtmlText.
namespace PagePieces {

// Head.
inline constexpr std::string_view kDoctype
    = R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">)";
inline constexpr std::string_view kTitleOpen = "<html><head><title>";
inline constexpr std::string_view kTitleRecursive = " [recursive: ";
inline constexpr std::string_view kOn = "on";
inline constexpr std::string_view kOff = "off";
inline constexpr std::string_view kTitlePattern = ", pattern: ";
// Only when names are left out (ShownExcludes); the title and the summary.
inline constexpr std::string_view kTitleExclude = ", exclude: ";
inline constexpr std::string_view kTitleClose = "]</title>";
inline constexpr std::string_view kMetaContentType
    = R"(<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">)";
inline constexpr std::string_view kMetaAuthorOpen = R"(<meta name="author" content="Dallowin [)";
inline constexpr std::string_view kMetaAuthorClose = R"(]">)";
inline constexpr std::string_view kMetaLanguage = R"(<meta name="language" content="de">)";
inline constexpr std::string_view kStyleOpen = R"(<style type="text/css">)";
inline constexpr std::string_view kBodyRuleOpen = "body {background-color:#";
inline constexpr std::string_view kBodyRuleClose = "; margin-right: 4px; margin-left: 4px; }";
inline constexpr std::string_view kText7nOpen
    = ".text7n { margin-left: 12px;vertical-align:middle; text-align:right; text-decoration: none; "
      "color:#";
inline constexpr std::string_view kText7nFont = ";font: 8pt ";
// The two forms of the font fallback list.
inline constexpr std::string_view kFallbackTight = ",Arial,Verdana,Courier New }";
inline constexpr std::string_view kFallbackSpaced = ", Arial,Verdana,Courier New }";
inline constexpr std::string_view kTextRuleOpen
    = ".text { text-decoration: none; color: #202020; font: 8pt ";
inline constexpr std::string_view kText8nOpen
    = ".text8n { text-decoration: none; color: #202020; font: 8pt ";
inline constexpr std::string_view kText7nU
    = ".text7nU { text-decoration: underline; color: #909090; font: 7pt Arial,Verdana,Courier New; "
      "background-color:#efefef;}";
inline constexpr std::string_view kText7nN
    = ".text7nN { text-decoration: none; color: #909090; font: 7pt Arial,Verdana,Courier New; "
      "background-color:#efefef;}";
inline constexpr std::string_view kText9nOpen
    = ".text9n { text-decoration: none; color: #202020; font: 9pt ";
inline constexpr std::string_view kText10nOpen
    = ".text10n { text-decoration: none; color: #202020; font: 10pt ";
inline constexpr std::string_view kText12nbOpen
    = ".text12nb { text-decoration: none; color: #202020; font-weight: bold; font: 12pt ";
inline constexpr std::string_view kTdFileOpen
    = "td.FILE { vertical-align:left; text-align:left; color:#";
inline constexpr std::string_view kFontOpen = "; font: ";
inline constexpr std::string_view kPt = "pt ";
inline constexpr std::string_view kTdDirOpen
    = "td.DIR { vertical-align:left; text-align:left; color:#";
inline constexpr std::string_view kBackgroundColor = "; background-color:#";
inline constexpr std::string_view kTdFileLinkOpen
    = "td.FILE a, a:link, a:hover, a:visited { vertical-align:left; text-align:left; "
      "text-decoration: none; font: ";
inline constexpr std::string_view kLinkRuleClose = ",  Arial, Verdana; }";
inline constexpr std::string_view kTdNrOpen
    = "td.NR { vertical-align:middle; text-align:right; width:2px; color:#";
inline constexpr std::string_view kFont7pt = "; font: 7pt ";
inline constexpr std::string_view kTdRootOpen
    = "td.ROOT { vertical-align:left; text-align:left; color:#";
inline constexpr std::string_view kFont8pt = "; font: 8pt ";
inline constexpr std::string_view kTdRootValueOpen
    = "td.ROOTVALUE { vertical-align:middle; text-align:right; color:#";
inline constexpr std::string_view kTdValueOpen
    = "td.VALUE { vertical-align:middle; text-align:right; color:#";
// The border tail of the bordered rules: width "1" or "0", then the colour.
inline constexpr std::string_view kBorderOpen = ",  Arial, Verdana; border:";
inline constexpr std::string_view kBorderOn = "1";
inline constexpr std::string_view kBorderOff = "0";
inline constexpr std::string_view kBorderColor = "px solid #";
inline constexpr std::string_view kBorderClose = "; }";

// The toggle rules, in order; the third keeps its missing semicolon.
inline constexpr std::string_view kToggleRules[] = {
    "ul.Area {clear:both;width:100%;float:left;margin: 0 0 0 0; padding: 0;}",
    "ul.Area li {clear:both;float:left;width:100%;list-style-type: none;margin-left:0px;padding: "
    "0px;overflow:auto;}",
    "ul.Area li a {text-decoration:none;width:100%margin-left:0px;;}",
    "ul.Area li a:visited {text-decoration:none;width:100%;margin-left:0px;}",
    "ul.Area li a:hover {text-decoration:none;width:100%;margin-left:0px;}",
    "ul.Area li a:active {text-decoration:none;width:100%;margin-left:0px;}",
    "ul.Area li p {display:none;}",
    "ul.Area li div.more {display:none;float:left;}",
    "ul.Area li div.more p {line-height:normal;}",
    "ul.Area li div.more p a {text-decoration:none;}",
    "ul.Area li div.more ul{display:inline;width:100%;}",
    "ul.Area li div.more ul li{ clear:both;width:100%;overflow:auto;}",
    "ul.Area li.active {}",
    "ul.Area li.active a {text-decoration:none;}",
    "ul.Area li.active p a {text-decoration:none;}",
    "ul.Area li.active p a:hover {text-decoration:none;}",
    "ul.Area li.active p {display:block;margin:0px 0px 0px 0px;}",
    "ul.Area li.active div.more {display:block;width:100%;}",
    "ul.Area li.active div.more a.link {text-decoration:none;width:auto;}",
};
inline constexpr std::string_view kStyleClose = "</style>";

// The toggle script, in order; the pieces carry their own leading blanks.
inline constexpr std::string_view kScript[] = {
    R"(<script language="JavaScript" type="text/javascript">)",
    "function toggleFaqEntry(obj) {",
    R"(if(obj.className == "active"))",
    R"(  obj.className = "";)",
    " else {",
    "  for(i=0; i<obj.parentNode.childNodes.length; i++) {",
    R"(   obj.parentNode.childNodes[i].className = "";)",
    "  }",
    R"(  obj.className = "active";)",
    " }",
    "}",
    "function openFaqEntry() {",
    R"( document.getElementById(location.href.substring(location.href.lastIndexOf("#")+1,location.href.length)).className = "active";)",
    "}",
    "</script>",
};
inline constexpr std::string_view kHeadClose = "</head><body>";

// Summary table.
inline constexpr std::string_view kSummaryOpen
    = R"(<table width="100%" cellpadding="0" cellspacing="0" border="0">)";
inline constexpr std::string_view kRowOpen = "<tr>";
inline constexpr std::string_view kCellClose = "</td>";
inline constexpr std::string_view kRowClose = "</tr>";
inline constexpr std::string_view kSummaryFolderCell
    = R"(<td height="10" valign="top" align="top" style='font:7pt )";
inline constexpr std::string_view kSummaryPatternCell
    = R"(<td height="10" valign="top" align="right" style='font:7pt )";
inline constexpr std::string_view kSummaryWideCell
    = R"(<td colspan="2" height="10" valign="top" align="top" style='font:7pt )";
inline constexpr std::string_view kSummaryFontTail = ", Arial; color:#";
inline constexpr std::string_view kSummaryStyleClose = ";'>";
inline constexpr std::string_view kSummaryRecursive = ";'>[recursive: ";
inline constexpr std::string_view kSummaryPatternClose = "]";
inline constexpr std::string_view kVolumeName = "VolumeName: ";
inline constexpr std::string_view kSeparator = " | ";
inline constexpr std::string_view kSerialNumber = "SerialNumber: ";
inline constexpr std::string_view kFileSystem = "FileSystem: ";
inline constexpr std::string_view kTotalSize = "TotalSize: ";
inline constexpr std::string_view kGbSeparator = "gb | ";
inline constexpr std::string_view kFreeSpace = "FreeSpace: ";
inline constexpr std::string_view kThisSelection = ";'>ThisSelection: ";
inline constexpr std::string_view kFilesOpen = " files [";
inline constexpr std::string_view kLargeUnitClose = "gb]";
inline constexpr std::string_view kSmallUnitClose = "kb]";
inline constexpr std::string_view kIn = " in ";
inline constexpr std::string_view kFolder = " folder";
inline constexpr std::string_view kSearched = " searched ";
inline constexpr std::string_view kFolderComma = " folder, ";
inline constexpr std::string_view kSkipped = " skipped";
inline constexpr std::string_view kTableClose = "</table>";

// The list table, in both modes.
inline constexpr std::string_view kListTableOpen
    = R"(<table width="100%" border="0" cellpadding="2" cellspacing="0" style='margin-top: 0.2em; border:1px solid #c0c0c0;border-collapse:collapse'>)";

// Cell openers.
inline constexpr std::string_view kFolderCell = R"(<td colspan="7" class="DIR">)";
inline constexpr std::string_view kFileCell = R"(<td nowrap class="FILE">)";
inline constexpr std::string_view kNumberCell = R"(<td nowrap class="NR">)";
inline constexpr std::string_view kHeaderCell = R"(<td nowrap class="ROOT">)";
inline constexpr std::string_view kValueCell = R"(<td nowrap class="VALUE">)";
inline constexpr std::string_view kHeaderValueCell = R"(<td nowrap class="ROOTVALUE">)";

// The file row opener, with and without hover.
inline constexpr std::string_view kFileRowOpen = R"(<tr bgcolor="#)";
inline constexpr std::string_view kFileRowHover
    = R"("; onmouseover="this.style.backgroundColor='#)";
inline constexpr std::string_view kFileRowHoverOut
    = R"(';" onmouseout="this.style.backgroundColor='#)";
inline constexpr std::string_view kFileRowHoverClose = R"(';">)";
inline constexpr std::string_view kFileRowClose = R"(">)";

// Folder headers.
inline constexpr std::string_view kLinkOpen = R"(<a href=")";
inline constexpr std::string_view kFolderLinkClose = R"(" class="DIR">)";
inline constexpr std::string_view kLinkEnd = "</a>";
inline constexpr std::string_view kToggleHeaderOpen
    = R"(<ul class="Area"> <li onclick="toggleFaqEntry(this);"> <a onclick="this.blur();return false;" href="#">)";
inline constexpr std::string_view kToggleNameClose = "</a>";
inline constexpr std::string_view kHeaderInfoOpen = R"( <span class="text7n">()";
inline constexpr std::string_view kHeaderFiles = " files, ";
inline constexpr std::string_view kHeaderKb = "kb | ";
inline constexpr std::string_view kHeaderCreated = "kb | created: ";
inline constexpr std::string_view kHeaderRecCreated = "kb rec. | created: ";
inline constexpr std::string_view kHeaderAttr = " | attr: ";
inline constexpr std::string_view kHeaderInfoClose = ")</span>";

// File rows.
inline constexpr std::string_view kFileLinkClose = R"(">)";
inline constexpr std::string_view kSizeUnit = " kb";

// Toggle-mode file groups.
inline constexpr std::string_view kGroupOpen = R"(<div class="more">)";
inline constexpr std::string_view kNumberHeading = "#";
inline constexpr std::string_view kNameHeading = "name";
inline constexpr std::string_view kColumnHeadings[]
    = { "size", "type", "created", "changed", "attributes" };
inline constexpr std::string_view kGroupClose = "</table></div></li></ul>";

// Page end.
inline constexpr std::string_view kCreditOpen = R"(<br><span class="text7nN">kiv by <a href=")";
inline constexpr std::string_view kCreditMakerClose
    = R"("><span class="text7nU">Morbanta</span></a>&nbsp;&nbsp;|&nbsp;&nbsp;<a href=")";
inline constexpr std::string_view kCreditUpdateClose
    = R"("><span class="text7nU">kiv-update</span></a> (this version: )";
inline constexpr std::string_view kPageClose = ")</span></body></html>";

} // namespace PagePieces
