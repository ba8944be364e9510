#pragma once

#include "app/option_controls.h"

#include <QLatin1StringView>
#include <QLocale>
#include <QString>

#include <optional>
#include <span>

struct ProgramState;

// Every option of the program, declared once: its keys, where a settings
// file keeps it, what sort of value it is, its first-run value, its
// ProgramState field and its control. The start-up restore, the save at
// exit, settings files, quorvel-list's first run and the page's value
// checks all read it.

// What an option's value is; it decides how the option is loaded, saved
// and shown.
enum class OptionKind {
    Folder, // the listed folder: a text box without a field
    Pattern, // the file pattern: a text box without a field
    SettingsFolder, // where settings files are listed from: a text box without a field
    Clip, // the search animation's file
    YesNo, // a check box; stored as "True"/"False"
    Colour, // RRGGBB as typed; the box shows it as its background
    FontSize, // points as typed, in the user's number format
    PageFont, // the page's font face: the caption and face of cmdFont
    ListFont, // the result list's font face
    ListFontSize, // the result list's font size
    WindowLeft, // the window's edges, in twips
    WindowTop,
    ExcludePatterns, // names the search leaves out, as one text (core/exclude_list.h)
};

struct OptionRow
{
    // The key in settings files, and in the preference store unless
    // storeKey names another; empty for an option settings files do not hold.
    QLatin1StringView key {};
    QLatin1StringView storeKey {};
    // The settings-file section; empty for an option settings files do not hold.
    QLatin1StringView section {};
    OptionKind kind {};
    // The stored text of a first run, when nothing is stored ("True" or
    // "False" for a yes/no option). An option whose first-run value is the
    // value of another names that option's key in firstRunFrom instead.
    // The clip, the settings folder and the window's edges follow from
    // where the program lies and the screen (see FirstRunText).
    QLatin1StringView firstRun {};
    QLatin1StringView firstRunFrom {};
    // What the control shows when the window is built, before the restore.
    QLatin1StringView initial {};
    // The ProgramState field: a text, a yes/no, or the element fileTag of
    // bgFileTag; none for the folder, pattern, settings folder and window.
    QString ProgramState::*text = nullptr;
    bool ProgramState::*flag = nullptr;
    int fileTag = -1;
    // The control as loading code addresses it, and its object name.
    std::optional<OptionText> box {};
    std::optional<OptionCheck> check {};
    QLatin1StringView control {};
    // The position of the option in the start-up restore, from 1; 0 for
    // the window's edges, which the window reads when it is loaded.
    int restoreOrder = 0;
    // An option the first design did not have. While it keeps its
    // first-run value it is written into no settings file and no
    // preference store that lacks its key, so a file made without it keeps
    // its bytes through a load and a save. A settings file's value of it is
    // read whole, without the cut of the first design's keys.
    bool optIn = false;

    [[nodiscard]] constexpr QLatin1StringView preferenceKey() const
    {
        return storeKey.isEmpty() ? key : storeKey;
    }
    [[nodiscard]] constexpr bool inSettingsFiles() const { return !section.isEmpty(); }
};

// Every option: first the settings-file keys in the order a new settings
// file holds them, then those only the preference store keeps.
[[nodiscard]] std::span<const OptionRow> OptionTable();
// The options a settings file holds, in writing and reading order.
[[nodiscard]] std::span<const OptionRow> SettingsFileOptions();
// The options the start-up restore reads, in the order it reads them.
[[nodiscard]] std::span<const OptionRow *const> RestoreOrder();

[[nodiscard]] const OptionRow &OptionOf(OptionText box);
[[nodiscard]] const OptionRow &OptionOf(OptionCheck box);
// The option whose value is in field; nullptr when no option has it.
[[nodiscard]] const OptionRow *OptionOf(QString ProgramState::*field);

// The option's field in state: nullptr when it has no field of that sort.
[[nodiscard]] QString *TextField(ProgramState &state, const OptionRow &row);
[[nodiscard]] const QString *TextField(const ProgramState &state, const OptionRow &row);
[[nodiscard]] bool *YesNoField(ProgramState &state, const OptionRow &row);
[[nodiscard]] const bool *YesNoField(const ProgramState &state, const OptionRow &row);

// Loads one option's value as start-up and settings files do: the field
// first, then the control, whose handler writes the same value again. A
// yes/no text that cannot be read keeps the field and sets the box from it.
// The list font and its size only set their fields, and the window's edges
// nothing: each loader shows those in its own way.
void LoadOptionValue(ProgramState &state, OptionControls &controls, const OptionRow &row,
                     const QString &value);

// An option's value as stored: the field, "True"/"False", the text of a
// control without a field, or the window's edge in twips; as it is, with
// any blanks around it.
[[nodiscard]] QString OptionValueText(const ProgramState &state, const OptionControls &controls,
                                      const OptionRow &row);

// An option's first-run value: its firstRun text, the value in state of
// the option firstRunFrom names, the clip that comes with the program, or
// the settings folder without its trailing separator. Empty for the
// window's edges, which a first run centres on the screen.
[[nodiscard]] QString FirstRunText(const ProgramState &state, const OptionRow &row);
// The first-run text that does not depend on state: firstRunFrom is
// followed to the firstRun text of the option it names.
[[nodiscard]] QLatin1StringView FixedFirstRunText(const OptionRow &row);

// The points a list font size text stands for, read in locale (8,25 under
// German rules); nullopt when it is no number, not above 0, or so large
// that the list would be unusable (the option still keeps the text).
[[nodiscard]] std::optional<double> ListFontPoints(const QString &text, const QLocale &locale);

// The clip that comes with the program: dataFolder + "animation/spin.avi"
// (the data folder is the program folder in the build tree).
[[nodiscard]] QString DefaultAnimationPath(const QString &dataFolder);
