#include "app/option_table.h"

#include "app/program_state.h"
#include "core/yes_no.h"

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

using PS = ProgramState;
using enum OptionKind;

constexpr QLatin1StringView kSearch = "search"_L1;
constexpr QLatin1StringView kHtm = "htm"_L1;
constexpr QLatin1StringView kWindow = "window"_L1;

// A list font size above this many points is not applied to the screen: a
// damaged file must not make the window unusable.
constexpr double kMaxListFontPoints = 1000.0;

// The column switches are restored one after the other, after the clip.
constexpr int kFirstFileTagRestore = 23;

constexpr OptionRow FileTag(int index, QLatin1StringView key, QLatin1StringView storeKey,
                            QLatin1StringView control)
{
    return { .key = key,
             .storeKey = storeKey,
             .section = kHtm,
             .kind = YesNo,
             .firstRun = "True"_L1,
             .initial = "False"_L1,
             .fileTag = index,
             .check = FileTagCheck(index),
             .control = control,
             .restoreOrder = kFirstFileTagRestore + index };
}

// clang-format off
constexpr OptionRow kOptions[] {
    // [search]
    { .key = "path"_L1, .storeKey = "txt_DBPathName"_L1, .section = kSearch, .kind = Folder,
      .box = OptionText::DBPathName, .control = "txt_DBPathName"_L1, .restoreOrder = 1 },
    { .key = "ext"_L1, .storeKey = "txtEXT"_L1, .section = kSearch, .kind = Pattern,
      .firstRun = "*.*"_L1, .initial = "*.*"_L1,
      .box = OptionText::EXT, .control = "txtEXT"_L1, .restoreOrder = 2 },
    { .key = "bgSkipEmptyDir"_L1, .section = kSearch, .kind = YesNo,
      .firstRun = "True"_L1, .initial = "True"_L1, .flag = &PS::bgSkipEmptyDir,
      .check = OptionCheck::SkipEmptyDir, .control = "chkSkipEmptyDir"_L1, .restoreOrder = 19 },
    { .key = "sgAnimation"_L1, .section = kSearch, .kind = Clip, .text = &PS::sgAnimation,
      .box = OptionText::Animation, .control = "txtAnimation"_L1, .restoreOrder = 22 },
    { .key = "sgListFont"_L1, .section = kSearch, .kind = ListFont,
      .firstRun = "Arial"_L1, .text = &PS::sgListFont,
      .control = "cmdListFont"_L1, .restoreOrder = 20 },
    { .key = "sgListFontsize"_L1, .section = kSearch, .kind = ListFontSize,
      .firstRun = "8"_L1, .text = &PS::sgListFontsize,
      .control = "cmdListFont"_L1, .restoreOrder = 21 },
    // [htm]
    FileTag(0, "bgFileTag0"_L1, "chkFileTag0"_L1, "chkFileTag_0"_L1),
    FileTag(1, "bgFileTag1"_L1, "chkFileTag1"_L1, "chkFileTag_1"_L1),
    FileTag(2, "bgFileTag2"_L1, "chkFileTag2"_L1, "chkFileTag_2"_L1),
    FileTag(3, "bgFileTag3"_L1, "chkFileTag3"_L1, "chkFileTag_3"_L1),
    FileTag(4, "bgFileTag4"_L1, "chkFileTag4"_L1, "chkFileTag_4"_L1),
    { .key = "bgBorder"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "True"_L1, .initial = "True"_L1, .flag = &PS::bgBorder,
      .check = OptionCheck::Border, .control = "chkborder"_L1, .restoreOrder = 3 },
    { .key = "bgRecursive"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "True"_L1, .initial = "True"_L1, .flag = &PS::bgRecursive,
      .check = OptionCheck::Recursive, .control = "chkRecursive"_L1, .restoreOrder = 4 },
    { .key = "bgLink"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "False"_L1, .initial = "False"_L1, .flag = &PS::bgLink,
      .check = OptionCheck::Link, .control = "chkLink"_L1, .restoreOrder = 5 },
    { .key = "sgBackgroundColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "FFFFFF"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgBackgroundColor,
      .box = OptionText::BackgroundColor, .control = "txtBackgroundColor"_L1, .restoreOrder = 6 },
    { .key = "sgGridColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "FFFFFF"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgGridColor,
      .box = OptionText::GridColor, .control = "txtGridColor"_L1, .restoreOrder = 7 },
    { .key = "sgTextColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "000000"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgTextColor,
      .box = OptionText::TextColor, .control = "txtTextColor"_L1, .restoreOrder = 8 },
    { .key = "sgFont"_L1, .section = kHtm, .kind = PageFont,
      .firstRun = "Arial"_L1, .text = &PS::sgFont,
      .control = "cmdFont"_L1, .restoreOrder = 9 },
    { .key = "sgFontSizeFILE"_L1, .section = kHtm, .kind = FontSize,
      .firstRun = "8"_L1, .initial = "8"_L1, .text = &PS::sgFontSizeFILE,
      .box = OptionText::FontSizeFILE, .control = "txtFontSizeFILE"_L1, .restoreOrder = 10 },
    { .key = "sgFontSizeDIR"_L1, .section = kHtm, .kind = FontSize,
      .firstRun = "9"_L1, .initial = "9"_L1, .text = &PS::sgFontSizeDIR,
      .box = OptionText::FontSizeDIR, .control = "txtFontSizeDIR"_L1, .restoreOrder = 11 },
    { .key = "sgDirColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "eaeaea"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgDirColor,
      .box = OptionText::DirColor, .control = "txtDirColor"_L1, .restoreOrder = 13 },
    { .key = "sgDirFontColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "000000"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgDirFontColor,
      .box = OptionText::DirFontColor, .control = "txtDirFontColor"_L1, .restoreOrder = 14 },
    { .key = "sgFileColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "ffffff"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgFileColor,
      .box = OptionText::FileColor, .control = "txtFileColor"_L1, .restoreOrder = 15 },
    { .key = "sgHeaderColor"_L1, .section = kHtm, .kind = Colour,
      .firstRun = "eaeaea"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgHeaderColor,
      .box = OptionText::HeaderColor, .control = "txtHeaderColor"_L1, .restoreOrder = 12 },
    { .key = "bgHover"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "True"_L1, .initial = "True"_L1, .flag = &PS::bgHover,
      .check = OptionCheck::Hover, .control = "chkHover"_L1, .restoreOrder = 16 },
    // The hover colour follows the folder-row colour until one is stored.
    { .key = "sgHoverColor"_L1, .section = kHtm, .kind = Colour,
      .firstRunFrom = "sgDirColor"_L1, .initial = "FFFFFF"_L1, .text = &PS::sgHoverColor,
      .box = OptionText::HoverColor, .control = "txtHoverColor"_L1, .restoreOrder = 17 },
    { .key = "bgToggle"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "True"_L1, .initial = "True"_L1, .flag = &PS::bgToggle,
      .check = OptionCheck::Toggle, .control = "chkToggle"_L1, .restoreOrder = 18 },
    // [window]
    { .key = "left"_L1, .storeKey = "DESKTOP_LEFT"_L1, .section = kWindow, .kind = WindowLeft },
    { .key = "top"_L1, .storeKey = "DESKTOP_TOP"_L1, .section = kWindow, .kind = WindowTop },
    // Added to the end of [search] when it is written.
    { .key = "sgExclude"_L1, .section = kSearch, .kind = ExcludePatterns, .text = &PS::sgExclude,
      .box = OptionText::Exclude, .control = "txtExclude"_L1, .restoreOrder = 28, .optIn = true },
    // Added to the end of [htm] when it is written.
    { .key = "bgFilterBox"_L1, .section = kHtm, .kind = YesNo,
      .firstRun = "False"_L1, .initial = "False"_L1, .flag = &PS::bgFilterBox,
      .check = OptionCheck::FilterBox, .control = "chkFilterBox"_L1, .restoreOrder = 29,
      .optIn = true },
    // Kept in the preference store only.
    { .storeKey = "txtSettingsPath"_L1, .kind = SettingsFolder,
      .box = OptionText::SettingsPath, .control = "txtSettingsPath"_L1, .restoreOrder = 30 },
};
// clang-format on

constexpr int SettingsFileRowCount()
{
    return int(std::ranges::count_if(kOptions, &OptionRow::inSettingsFiles));
}
constexpr int kSettingsFileRows = SettingsFileRowCount();
static_assert(std::ranges::all_of(std::span(kOptions).first(kSettingsFileRows),
                                  &OptionRow::inSettingsFiles),
              "the settings-file keys come first");

constexpr int RestoredRowCount()
{
    return int(
        std::ranges::count_if(kOptions, [](const OptionRow &row) { return row.restoreOrder > 0; }));
}

// The rows by their restore position; every position from 1 is taken once.
constexpr auto kRestoreOrder = [] {
    std::array<const OptionRow *, RestoredRowCount()> order {};
    for (const OptionRow &row : kOptions) {
        if (row.restoreOrder > 0)
            order.at(size_t(row.restoreOrder - 1)) = &row;
    }
    return order;
}();
static_assert(std::ranges::none_of(kRestoreOrder, [](const OptionRow *row) { return !row; }),
              "restore positions run from 1 without a gap");

template<typename State> auto *yesNoIn(State &state, const OptionRow &row)
{
    using Flag = decltype(&state.bgBorder);
    if (row.fileTag >= 0)
        return Flag(&state.bgFileTag.at(size_t(row.fileTag)));
    return row.flag ? Flag(&(state.*row.flag)) : nullptr;
}

// The option named by row.firstRunFrom, or row itself.
const OptionRow &firstRunSource(const OptionRow &row)
{
    if (row.firstRunFrom.isEmpty())
        return row;
    return *std::ranges::find(kOptions, row.firstRunFrom, &OptionRow::key);
}

} // namespace

std::span<const OptionRow> OptionTable()
{
    return kOptions;
}

std::span<const OptionRow> SettingsFileOptions()
{
    return std::span(kOptions).first(kSettingsFileRows);
}

std::span<const OptionRow *const> RestoreOrder()
{
    return kRestoreOrder;
}

const OptionRow &OptionOf(OptionText box)
{
    return *std::ranges::find(kOptions, std::optional(box), &OptionRow::box);
}

const OptionRow &OptionOf(OptionCheck box)
{
    return *std::ranges::find(kOptions, std::optional(box), &OptionRow::check);
}

const OptionRow *OptionOf(QString ProgramState::*field)
{
    const auto *found = std::ranges::find(kOptions, field, &OptionRow::text);
    return found == std::end(kOptions) ? nullptr : found;
}

QString *TextField(ProgramState &state, const OptionRow &row)
{
    return row.text ? &(state.*row.text) : nullptr;
}

const QString *TextField(const ProgramState &state, const OptionRow &row)
{
    return row.text ? &(state.*row.text) : nullptr;
}

bool *YesNoField(ProgramState &state, const OptionRow &row)
{
    return yesNoIn(state, row);
}

const bool *YesNoField(const ProgramState &state, const OptionRow &row)
{
    return yesNoIn(state, row);
}

void LoadOptionValue(ProgramState &state, OptionControls &controls, const OptionRow &row,
                     const QString &value)
{
    if (bool *flag = YesNoField(state, row)) {
        if (const auto parsed = ParseYesNo(value))
            *flag = *parsed;
        controls.setOptionCheck(*row.check, *flag);
        return;
    }
    if (QString *text = TextField(state, row))
        *text = value;
    if (row.box)
        controls.setOptionText(*row.box, value);
    else if (row.kind == PageFont)
        controls.showPageFont(value);
}

QString OptionValueText(const ProgramState &state, const OptionControls &controls,
                        const OptionRow &row)
{
    if (const bool *flag = YesNoField(state, row))
        return YesNoText(*flag);
    if (const QString *text = TextField(state, row))
        return *text;
    if (row.kind == WindowLeft)
        return QString::number(controls.windowPositionTwips().x());
    if (row.kind == WindowTop)
        return QString::number(controls.windowPositionTwips().y());
    return controls.optionText(*row.box);
}

QString FirstRunText(const ProgramState &state, const OptionRow &row)
{
    switch (row.kind) {
    case Clip:
        return DefaultAnimationPath(state.dataFolder);
    case SettingsFolder: {
        QString folder = state.settingsFolder;
        if (folder.size() > 1 && folder.endsWith(u'/'))
            folder.chop(1);
        return folder;
    }
    default:
        if (row.firstRunFrom.isEmpty())
            return row.firstRun;
        return *TextField(state, firstRunSource(row));
    }
}

QLatin1StringView FixedFirstRunText(const OptionRow &row)
{
    return firstRunSource(row).firstRun;
}

std::optional<double> ListFontPoints(const QString &text, const QLocale &locale)
{
    bool isNumber = false;
    const double points = locale.toDouble(text.trimmed(), &isNumber);
    if (!isNumber || !(points > 0) || points > kMaxListFontPoints)
        return std::nullopt;
    return points;
}

QString DefaultAnimationPath(const QString &dataFolder)
{
    return WithTrailingSeparator(dataFolder) + QStringLiteral("animation/spin.avi");
}
