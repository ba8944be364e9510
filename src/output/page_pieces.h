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
// The filter box, only on a page that asks for one: its style rule and
// script after the toggle script, the box between the summary and the list. The script reads
// names as the browser shows them (textContent) and copies the page's own
// rows, so a name written as character references is compared and shown as
// the characters it stands for; it never builds markup from text, and
// nothing of the page's options or names is part of it.
inline constexpr std::string_view kFilterHead[] = {
    // The list gets a layer of its own: the results drawn over it then
    // leave its drawing as it was, which on a long list costs seconds.
    R"(<style type="text/css">#filterList { will-change: transform; }</style>)",
    R"(<script type="text/javascript">)",
    "var filterIndex = null, filterView = null;",
    // The file rows in page order, their names as the browser shows them in
    // lower case, and for each the header of its folder: in table mode the
    // header row before it, in toggle mode the folder whose list item holds
    // its group (none for a group without a folder row).
    "function buildFilterIndex() {",
    R"( var toggle = document.querySelector("td.DIR > ul.Area") != null;)",
    R"( var cells = document.querySelectorAll(toggle ? "td.NR, div.more" : "td.NR, td.DIR");)",
    R"( var index = { toggle: toggle, rows: [], names: [], owner: [], heads: [], query: "", matches: null };)",
    " var current = -1;",
    " for (var i = 0; i < cells.length; i++) {",
    "  var cell = cells[i];",
    R"(  if (cell.className == "NR") {)",
    "   index.rows.push(cell.parentNode);",
    "   index.names.push(cell.nextElementSibling.textContent.toLowerCase());",
    "   index.owner.push(current);",
    R"(  } else if (!toggle || cell.parentNode.tagName == "LI") {)",
    "   current = index.heads.length;",
    "   index.heads.push(toggle ? cell : cell.parentNode);",
    "  } else {",
    "   current = -1;",
    "  }",
    " }",
    " return index;",
    "}",
    // The rows whose name holds the text, * standing for any characters and ?
    // for one. A text that holds the last one can only narrow its rows.
    "function filterMatches(index, query) {",
    R"( var pattern = null, from = index.query != "" && query.indexOf(index.query) >= 0 ? index.matches : null, matches = [];)",
    R"( if (/[*?]/.test(query)) pattern = new RegExp(query.replace(/[\^$\\.+()[\]{}|\/]/g, "\\$&").replace(/\*/g, ".*").replace(/\?/g, "."), "su");)",
    " for (var k = 0, n = from ? from.length : index.names.length; k < n; k++) {",
    "  var i = from ? from[k] : k;",
    "  if (pattern ? pattern.test(index.names[i]) : index.names[i].indexOf(query) >= 0) "
    "matches.push(i);",
    " }",
    " index.query = query;",
    " index.matches = matches;",
    " return matches;",
    "}",
    // A folder's header as rows of the results: table mode's header row; in
    // toggle mode the name and counts, then the folder's column headings.
    "function filterHeaderRows(index, group) {",
    " var head = index.heads[group];",
    " if (!index.toggle) return [head.cloneNode(true)];",
    R"( var item = head.parentNode, row = document.createElement("tr"), cell = item.parentNode.parentNode.cloneNode(false);)",
    R"( cell.appendChild(document.createTextNode(item.getElementsByTagName("a")[0].textContent + " "));)",
    R"( cell.appendChild(item.getElementsByTagName("span")[0].cloneNode(true));)",
    " row.appendChild(cell);",
    R"( return [row, head.getElementsByTagName("tr")[0].cloneNode(true)];)",
    "}",
    // Draws one chunk of the results (up to 100 headers and rows, copies of
    // the page's own) into its place holder.
    "function filterFillChunk(holder) {",
    " var view = filterView, index = filterIndex;",
    " if (!view || holder.parentNode != view.box || holder.firstChild) return;",
    R"( var table = view.table.cloneNode(false), body = document.createElement("tbody");)",
    R"( if (holder.from > 0) table.style.marginTop = "0";)",
    // Table mode: every chunk takes the list's column widths.
    " if (view.columns) {",
    R"(  table.style.tableLayout = "fixed";)",
    "  table.appendChild(view.columns.cloneNode(true));",
    " }",
    " for (var k = holder.from; k < view.items.length && k < holder.from + 100; k++) {",
    "  var item = view.items[k], rows = item < 0 ? filterHeaderRows(index, -1 - item) : "
    "[index.rows[item].cloneNode(true)];",
    "  for (var r = 0; r < rows.length; r++) body.appendChild(rows[r]);",
    " }",
    " table.appendChild(body);",
    R"( holder.style.height = "";)",
    " holder.appendChild(table);",
    " if (view.observer) view.observer.unobserve(holder);",
    "}",
    // The results cover the list where it stands, so the list itself is
    // never laid out again: a page of many rows keeps its layout, and with it
    // which folders are open and where it was scrolled to. Table mode keeps
    // the list's column widths.
    "function filterOpenView() {",
    R"( var index = filterIndex, list = document.getElementById("filterList"), end = document.querySelector("span.text7nN");)",
    " var from = list.getBoundingClientRect(), root = document.scrollingElement || "
    "document.documentElement, first = index.rows.length ? index.rows[0] : null;",
    " var top = from.top + window.scrollY, bottom = end ? end.getBoundingClientRect().top + "
    "window.scrollY : root.scrollHeight;",
    R"( var view = { box: document.createElement("div"), x: window.scrollX, y: window.scrollY, items: [], observer: null, columns: null, itemHeight: 0 };)",
    " view.table = first ? first.parentNode.parentNode.cloneNode(false) : list.cloneNode(false);",
    " if (first && !index.toggle) {",
    R"(  view.columns = document.createElement("colgroup");)",
    "  for (var c = 0; c < first.cells.length; c++) {",
    R"(   var column = document.createElement("col");)",
    R"(   column.style.width = first.cells[c].getBoundingClientRect().width + "px";)",
    "   view.columns.appendChild(column);",
    "  }",
    R"(  view.table.style.width = first.parentNode.parentNode.getBoundingClientRect().width + "px";)",
    " }",
    R"( view.box.id = "filterResults";)",
    R"( view.box.style.cssText = "position:absolute;z-index:1;left:0;box-sizing:border-box;top:" + top + "px;min-height:" + (bottom - top) + "px;min-width:" + root.scrollWidth + "px;padding:0 " + (from.left + window.scrollX) + "px;background-color:" + getComputedStyle(document.body).backgroundColor;)",
    " document.body.appendChild(view.box);",
    " if (window.IntersectionObserver) {",
    "  view.observer = new IntersectionObserver(function (seen) {",
    "   for (var s = 0; s < seen.length; s++) if (seen[s].isIntersecting) "
    "filterFillChunk(seen[s].target);",
    R"(  }, { rootMargin: "100% 0px" });)",
    " }",
    " return view;",
    "}",
    "function filterCloseView() {",
    " var view = filterView;",
    " filterView = null;",
    " if (view.observer) view.observer.disconnect();",
    " view.box.parentNode.removeChild(view.box);",
    " window.scrollTo(view.x, view.y);",
    "}",
    // The box's input handler: the results grouped by folder, only the chunks
    // near the window drawn, and the count.
    "function filterList(text) {",
    " var index = filterIndex;",
    " if (!index) return;",
    " var query = text.toLowerCase(), shown = index.rows.length;",
    R"( if (query == "") {)",
    "  if (filterView) filterCloseView();",
    R"(  index.query = "";)",
    " } else {",
    "  var matches = filterMatches(index, query), items = [], group = -2;",
    "  for (var k = 0; k < matches.length; k++) {",
    "   var owner = index.owner[matches[k]];",
    "   if (owner != group && owner >= 0) items.push(-1 - owner);",
    "   group = owner;",
    "   items.push(matches[k]);",
    "  }",
    "  shown = matches.length;",
    "  if (!filterView) filterView = filterOpenView();",
    "  var view = filterView;",
    "  if (view.observer) view.observer.disconnect();",
    "  view.items = items;",
    R"(  view.box.textContent = "";)",
    "  for (var from = 0; from < items.length; from += 100) {",
    R"(   var holder = document.createElement("div");)",
    "   holder.from = from;",
    "   view.box.appendChild(holder);",
    "   if (from == 0 || !view.observer) {",
    "    filterFillChunk(holder);",
    "    if (!view.itemHeight) view.itemHeight = holder.offsetHeight / Math.min(items.length, "
    "100);",
    "   } else {",
    R"(    holder.style.height = Math.round(view.itemHeight * Math.min(items.length - from, 100)) + "px";)",
    "    view.observer.observe(holder);",
    "   }",
    "  }",
    " }",
    R"( document.getElementById("filterCount").textContent = shown + " of " + index.rows.length + " files";)",
    "}",
    // A box the browser filled in again before the page was read counts too.
    R"(document.addEventListener("DOMContentLoaded", function () {)",
    " filterIndex = buildFilterIndex();",
    R"( filterList(document.getElementById("filterText").value);)",
    "});",
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
// The filter box, after the summary (only with its script), and the block
// that holds the list below it, closed after the list.
inline constexpr std::string_view kFilterListOpen = R"(<div id="filterList">)";
inline constexpr std::string_view kFilterListClose = "</div>";
inline constexpr std::string_view kFilterBox
    = R"(<div id="filterBox" style="margin-top: 0.4em;"><input type="text" id="filterText" class="text" size="40" autocomplete="off" placeholder="filter names: * any text, ? one character" oninput="filterList(this.value);"><span class="text7n" id="filterCount"></span></div>)";

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
