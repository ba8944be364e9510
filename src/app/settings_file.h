#pragma once

#include "core/regular_file.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

class OptionControls;
struct ProgramState;

// Settings files (".kiv"): a named set of options the user saves from the
// main window and applies again later. They hold the options of
// ProgramState, the folder and pattern texts and the window position, as
// the 29 keys of kSettingsKeys in three sections.
//
// Everything here is window-free: the window shows the dialogs and brings
// its tabs to the front, then calls in with the path the user chose. The
// entry points are
//   cmdsave_Click(index)      -> SaveSettingsFile(state, controls, chosen file name)
//                                 after the save dialog ("KIV Save Settings",
//                                 filter kSaveDialogFilter); nothing on cancel
//   cmdUseSetting_Click       -> ApplyCurrentSettingsEntry (settings_list.h), which
//                                 calls ApplySettingsFile with the entry's file
//   quorvel-list --settings F -> ApplySettingsFile(state, controls, F)
//   quorvel-list --set K=V    -> FindSettingsKey(K), then ApplySettingsValue
// Failures never raise: a key that cannot be read counts as missing, a file
// that cannot be written is left as it was and the save says why.

enum class SettingsKeyKind {
    Text, // the value as read; missing or empty gives an empty option
    YesNo, // "True"/"False" or a number; anything else keeps the option
    Coordinate, // a whole number of twips; anything else leaves the window
};

struct SettingsKey
{
    QLatin1StringView section;
    QLatin1StringView key;
    SettingsKeyKind kind;
};

inline constexpr int kSettingsKeyCount = 29;

// The keys in writing and reading order.
inline constexpr std::array<SettingsKey, kSettingsKeyCount> kSettingsKeys { {
    { QLatin1StringView("search"), QLatin1StringView("path"), SettingsKeyKind::Text },
    { QLatin1StringView("search"), QLatin1StringView("ext"), SettingsKeyKind::Text },
    { QLatin1StringView("search"), QLatin1StringView("bgSkipEmptyDir"), SettingsKeyKind::YesNo },
    { QLatin1StringView("search"), QLatin1StringView("sgAnimation"), SettingsKeyKind::Text },
    { QLatin1StringView("search"), QLatin1StringView("sgListFont"), SettingsKeyKind::Text },
    { QLatin1StringView("search"), QLatin1StringView("sgListFontsize"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("bgFileTag0"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgFileTag1"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgFileTag2"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgFileTag3"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgFileTag4"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgBorder"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgRecursive"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("bgLink"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("sgBackgroundColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgGridColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgTextColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgFont"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgFontSizeFILE"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgFontSizeDIR"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgDirColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgDirFontColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgFileColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("sgHeaderColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("bgHover"), SettingsKeyKind::YesNo },
    { QLatin1StringView("htm"), QLatin1StringView("sgHoverColor"), SettingsKeyKind::Text },
    { QLatin1StringView("htm"), QLatin1StringView("bgToggle"), SettingsKeyKind::YesNo },
    { QLatin1StringView("window"), QLatin1StringView("left"), SettingsKeyKind::Coordinate },
    { QLatin1StringView("window"), QLatin1StringView("top"), SettingsKeyKind::Coordinate },
} };

// The save dialog of cmdsave_Click.
inline constexpr QLatin1StringView kSaveDialogFilter("kiv-Settings (*.kiv)|*.kiv");
inline constexpr QLatin1StringView kSaveDialogTitle("KIV Save Settings");
// The extension the settings list looks for.
inline constexpr QLatin1StringView kSettingsExtension(".kiv");

// A list font size above this many points is not applied to the screen (a
// damaged file must not make the window unusable); the option keeps the text.
inline constexpr double kMaxListFontPoints = 1000.0;

// The index into kSettingsKeys of a key name, in any letter case (the names
// are unique over the three sections); nullopt for an unknown key.
[[nodiscard]] std::optional<int> FindSettingsKey(QStringView key);

// The text the save writes for one key: the option from state, the folder
// and pattern texts from their controls (blanks at both ends removed, as for
// the animation), the window position as whole twips.
[[nodiscard]] QString SettingsValueText(const ProgramState &state, const OptionControls &controls,
                                        int index);

// Applies one key's value as a settings file would: the option first, then
// its control. A text key sets both also when the value is empty; a yes/no
// key that cannot be read keeps the option and sets the box from it; "left"
// or "top" that is no whole number leaves the window on that axis; an empty
// "sgFont"/"sgListFont" empties option and caption but keeps the face on
// screen; "sgListFontsize" changes the list's size only when it reads as a
// number in locale (8,25 under German rules).
void ApplySettingsValue(ProgramState &state, OptionControls &controls, int index,
                        const QString &value, const QLocale &locale = QLocale());

// cmdsave_Click after the dialog: writes the 29 keys into the file named
// exactly as chosen (no extension added), creating it when missing and
// keeping every other line of an existing file byte for byte; then
// refreshes the settings list when the settings folder text is not empty,
// also after a failure. A file whose folder takes no new files is written
// in place. Not ok, with the reason, when nothing could be written (the
// file is then as it was): a path that is not a regular file, a file that
// cannot be read, a folder and file that cannot be written.
[[nodiscard]] RegularFile::WriteResult
SaveSettingsFile(const ProgramState &state, OptionControls &controls, const QString &chosenPath);

// Applies every key of the file in table order. A missing, unreadable or
// damaged file reads as a file without keys (see ApplySettingsValue); the
// file is only read. Nothing is generated and no search is started.
void ApplySettingsFile(ProgramState &state, OptionControls &controls, const QString &path,
                       const QLocale &locale = QLocale());
// The same for a path in file-system bytes, as the settings list holds it.
void ApplySettingsFile(ProgramState &state, OptionControls &controls, const QByteArray &nativePath,
                       const QLocale &locale = QLocale());
