#pragma once

#include "core/regular_file.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

class OptionControls;
struct ProgramState;

// Settings files (".kiv"): a named set of options the user saves from the
// main window and applies again later. They hold the options of
// ProgramState, the folder and pattern texts and the window position, as
// the keys of SettingsFileOptions (option_table.h) in three sections.
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

// The save dialog of cmdsave_Click.
inline constexpr QLatin1StringView kSaveDialogFilter("kiv-Settings (*.kiv)|*.kiv");
inline constexpr QLatin1StringView kSaveDialogTitle("KIV Save Settings");
// The extension the settings list looks for.
inline constexpr QLatin1StringView kSettingsExtension(".kiv");

// The index into SettingsFileOptions of a key name, in any letter case (the names
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

// cmdsave_Click after the dialog: writes every key into the file named
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
