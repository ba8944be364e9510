#pragma once

#include <QLocale>
#include <QPoint>
#include <QSize>

class OptionControls;
class PreferenceStore;
struct ProgramState;

// The options of the last run: read from the preference store at the first
// activation of the main window and written back when it unloads.

// Reads every remembered option into state and then into its control, in
// the fixed order of the keys, and leaves no settings file current. A value
// that cannot be read skips its one step. Number texts (the list font size)
// are read in locale.
void RestoreLastOptions(ProgramState &state, const PreferenceStore &store, OptionControls &controls,
                        const QLocale &locale = QLocale());

// The options of a first run, as the restore sets them when nothing is
// stored; quorvel-list starts from them.
void ApplyFirstRunOptions(ProgramState &state, OptionControls &controls,
                          const QLocale &locale = QLocale());

// Writes every remembered option: the fields from state, the folder, the
// pattern and the settings folder from their controls, and the window
// position.
void SaveLastOptions(const ProgramState &state, PreferenceStore &store,
                     const OptionControls &controls);

// The window's left and top edge in twips at load: the stored position, or
// centred on the screen when none is stored (or it is not a number).
[[nodiscard]] QPoint StartPositionTwips(const ProgramState &state, const PreferenceStore &store,
                                        QSize screenTwips, QSize windowTwips);
