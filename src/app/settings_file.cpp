#include "app/settings_file.h"

#include "app/option_controls.h"
#include "app/program_state.h"
#include "core/ini_file.h"
#include "core/yes_no.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The rows of kSettingsKeys, by name, in the same order.
enum class Row {
    Path,
    Ext,
    SkipEmptyDir,
    Animation,
    ListFont,
    ListFontsize,
    FileTag0,
    FileTag1,
    FileTag2,
    FileTag3,
    FileTag4,
    Border,
    Recursive,
    Link,
    BackgroundColor,
    GridColor,
    TextColor,
    Font,
    FontSizeFILE,
    FontSizeDIR,
    DirColor,
    DirFontColor,
    FileColor,
    HeaderColor,
    Hover,
    HoverColor,
    Toggle,
    Left,
    Top,
};
static_assert(int(Row::Top) + 1 == kSettingsKeyCount);

// A text option shown in a text box.
struct TextBinding
{
    QString ProgramState::*field;
    OptionText box;
};

std::optional<TextBinding> textBinding(Row row)
{
    switch (row) {
    case Row::Animation:
        return TextBinding { &ProgramState::sgAnimation, OptionText::Animation };
    case Row::BackgroundColor:
        return TextBinding { &ProgramState::sgBackgroundColor, OptionText::BackgroundColor };
    case Row::GridColor:
        return TextBinding { &ProgramState::sgGridColor, OptionText::GridColor };
    case Row::TextColor:
        return TextBinding { &ProgramState::sgTextColor, OptionText::TextColor };
    case Row::FontSizeFILE:
        return TextBinding { &ProgramState::sgFontSizeFILE, OptionText::FontSizeFILE };
    case Row::FontSizeDIR:
        return TextBinding { &ProgramState::sgFontSizeDIR, OptionText::FontSizeDIR };
    case Row::DirColor:
        return TextBinding { &ProgramState::sgDirColor, OptionText::DirColor };
    case Row::DirFontColor:
        return TextBinding { &ProgramState::sgDirFontColor, OptionText::DirFontColor };
    case Row::FileColor:
        return TextBinding { &ProgramState::sgFileColor, OptionText::FileColor };
    case Row::HeaderColor:
        return TextBinding { &ProgramState::sgHeaderColor, OptionText::HeaderColor };
    case Row::HoverColor:
        return TextBinding { &ProgramState::sgHoverColor, OptionText::HoverColor };
    default:
        return std::nullopt;
    }
}

// A yes/no option and its check box (const for the save).
template<typename State> auto yesNoBinding(State &state, Row row)
{
    using Field = decltype(&state.bgBorder);
    struct Binding
    {
        Field field;
        OptionCheck box;
    };
    switch (row) {
    case Row::SkipEmptyDir:
        return std::optional<Binding>({ &state.bgSkipEmptyDir, OptionCheck::SkipEmptyDir });
    case Row::FileTag0:
    case Row::FileTag1:
    case Row::FileTag2:
    case Row::FileTag3:
    case Row::FileTag4: {
        const int tag = int(row) - int(Row::FileTag0);
        return std::optional<Binding>({ &state.bgFileTag[size_t(tag)], FileTagCheck(tag) });
    }
    case Row::Border:
        return std::optional<Binding>({ &state.bgBorder, OptionCheck::Border });
    case Row::Recursive:
        return std::optional<Binding>({ &state.bgRecursive, OptionCheck::Recursive });
    case Row::Link:
        return std::optional<Binding>({ &state.bgLink, OptionCheck::Link });
    case Row::Hover:
        return std::optional<Binding>({ &state.bgHover, OptionCheck::Hover });
    case Row::Toggle:
        return std::optional<Binding>({ &state.bgToggle, OptionCheck::Toggle });
    default:
        return std::optional<Binding>();
    }
}

bool validIndex(int index)
{
    return index >= 0 && index < kSettingsKeyCount;
}

} // namespace

std::optional<int> FindSettingsKey(QStringView key)
{
    for (int i = 0; i < kSettingsKeyCount; ++i) {
        if (key.compare(kSettingsKeys[size_t(i)].key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

QString SettingsValueText(const ProgramState &state, const OptionControls &controls, int index)
{
    if (!validIndex(index))
        return {};
    const auto row = Row(index);
    if (const auto text = textBinding(row)) {
        const QString &value = state.*(text->field);
        return row == Row::Animation ? value.trimmed() : value;
    }
    if (const auto yesNo = yesNoBinding(state, row))
        return YesNoText(*yesNo->field);
    switch (row) {
    case Row::Path:
        return controls.optionText(OptionText::DBPathName).trimmed();
    case Row::Ext:
        return controls.optionText(OptionText::EXT).trimmed();
    case Row::ListFont:
        return state.sgListFont;
    case Row::ListFontsize:
        return state.sgListFontsize;
    case Row::Font:
        return state.sgFont;
    case Row::Left:
        return QString::number(controls.windowPositionTwips().x());
    case Row::Top:
        return QString::number(controls.windowPositionTwips().y());
    default:
        return {};
    }
}

void ApplySettingsValue(ProgramState &state, OptionControls &controls, int index,
                        const QString &value, const QLocale &locale)
{
    if (!validIndex(index))
        return;
    const auto row = Row(index);
    if (const auto text = textBinding(row)) {
        state.*(text->field) = value;
        controls.setOptionText(text->box, value);
        return;
    }
    if (const auto yesNo = yesNoBinding(state, row)) {
        if (const auto parsed = ParseYesNo(value))
            *yesNo->field = *parsed;
        controls.setOptionCheck(yesNo->box, *yesNo->field);
        return;
    }
    const auto coordinate = [&]() -> std::optional<int> {
        bool isNumber = false;
        const int twips = value.trimmed().toInt(&isNumber);
        return isNumber ? std::optional<int>(twips) : std::nullopt;
    };
    switch (row) {
    case Row::Path:
        controls.setOptionText(OptionText::DBPathName, value);
        break;
    case Row::Ext:
        controls.setOptionText(OptionText::EXT, value);
        break;
    case Row::ListFont:
        state.sgListFont = value;
        // After a settings file the caption is the face alone, without size.
        controls.setListFontCaption(value);
        if (!value.isEmpty())
            controls.setListFontFace(value);
        break;
    case Row::ListFontsize: {
        state.sgListFontsize = value;
        bool isNumber = false;
        const double points = locale.toDouble(value.trimmed(), &isNumber);
        if (isNumber && points > 0 && points <= kMaxListFontPoints)
            controls.setListFontSize(points);
        break;
    }
    case Row::Font:
        state.sgFont = value;
        controls.showPageFont(value);
        break;
    case Row::Left:
        if (const auto left = coordinate())
            controls.moveWindowTwips(left, std::nullopt);
        break;
    case Row::Top:
        if (const auto top = coordinate())
            controls.moveWindowTwips(std::nullopt, top);
        break;
    default:
        break;
    }
}

RegularFile::WriteResult SaveSettingsFile(const ProgramState &state, OptionControls &controls,
                                          const QString &chosenPath)
{
    RegularFile::WriteResult result;
    if (!chosenPath.isEmpty()) {
        // One write for all keys: a failure leaves the old file whole.
        result = IniFile::update(
            QFileInfo(chosenPath).absoluteFilePath(), [&](IniDocument &document) {
                for (int i = 0; i < kSettingsKeyCount; ++i) {
                    const SettingsKey &key = kSettingsKeys[size_t(i)];
                    document.setValue(key.section, key.key, SettingsValueText(state, controls, i));
                }
                return true;
            });
    }
    if (!controls.optionText(OptionText::SettingsPath).isEmpty())
        controls.refreshSettingsList();
    return result;
}

void ApplySettingsFile(ProgramState &state, OptionControls &controls, const QString &path,
                       const QLocale &locale)
{
    const QFileInfo info(path);
    const QString fullPath = info.exists() ? info.absoluteFilePath() : path;
    ApplySettingsFile(state, controls, QFile::encodeName(fullPath), locale);
}

void ApplySettingsFile(ProgramState &state, OptionControls &controls, const QByteArray &nativePath,
                       const QLocale &locale)
{
    const IniDocument document = IniFile::load(nativePath).value_or(IniDocument());
    for (int i = 0; i < kSettingsKeyCount; ++i) {
        const SettingsKey &key = kSettingsKeys[size_t(i)];
        ApplySettingsValue(state, controls, i, IniFile::read(document, key.section, key.key),
                           locale);
    }
}
