#include "app/last_options.h"

#include "app/option_controls.h"
#include "app/option_table.h"
#include "app/preference_store.h"
#include "app/program_state.h"

#include <algorithm>
#include <functional>

namespace {

// The text stored under a key, or the default text when nothing is.
using StoredText = std::function<QString(const QString &key, const QString &defaultText)>;

void restoreOptions(ProgramState &state, const StoredText &stored, OptionControls &controls,
                    const QLocale &locale)
{
    for (const OptionRow *row : RestoreOrder()) {
        QString value = stored(row->preferenceKey(), FirstRunText(state, *row));
        // A list font size stored empty stands for 8.25 points.
        if (row->kind == OptionKind::ListFontSize && value.isEmpty())
            value = QStringLiteral("8,25");
        LoadOptionValue(state, controls, *row, value);
        switch (row->kind) {
        case OptionKind::ListFont:
            controls.setListFontFace(value);
            break;
        case OptionKind::ListFontSize:
            if (const auto points = ListFontPoints(value, locale))
                controls.setListFontSize(*points);
            controls.setListFontCaption(state.sgListFont + QStringLiteral(", ") + value);
            break;
        case OptionKind::SettingsFolder:
            if (!value.isEmpty())
                controls.refreshSettingsList();
            break;
        default:
            break;
        }
    }
    controls.clearCurrentSettingsEntry();
}

QString windowEdgeKey(OptionKind edge)
{
    return std::ranges::find(OptionTable(), edge, &OptionRow::kind)->preferenceKey();
}

} // namespace

void RestoreLastOptions(ProgramState &state, const PreferenceStore &store, OptionControls &controls,
                        const QLocale &locale)
{
    const auto stored = [&](const QString &key, const QString &defaultText) {
        return store.GetValue(state.makerName, state.shortName, key, defaultText);
    };
    restoreOptions(state, stored, controls, locale);
}

void ApplyFirstRunOptions(ProgramState &state, OptionControls &controls, const QLocale &locale)
{
    const auto nothingStored
        = [](const QString &, const QString &defaultText) { return defaultText; };
    restoreOptions(state, nothingStored, controls, locale);
}

void SaveLastOptions(const ProgramState &state, PreferenceStore &store,
                     const OptionControls &controls)
{
    for (const OptionRow &row : OptionTable()) {
        QString text = OptionValueText(state, controls, row);
        if (row.kind == OptionKind::SettingsFolder)
            text = text.trimmed();
        if (row.optIn && text == FixedFirstRunText(row)
            && !store.HasValue(state.makerName, state.shortName, row.preferenceKey()))
            continue;
        store.SaveValue(state.makerName, state.shortName, row.preferenceKey(), text);
    }
}

QPoint StartPositionTwips(const ProgramState &state, const PreferenceStore &store,
                          QSize screenTwips, QSize windowTwips)
{
    const auto coordinate = [&](OptionKind edge, int centre) {
        bool isNumber = false;
        const int value = store
                              .GetValue(state.makerName, state.shortName, windowEdgeKey(edge),
                                        QString::number(centre))
                              .trimmed()
                              .toInt(&isNumber);
        return isNumber ? value : centre;
    };
    const int left
        = coordinate(OptionKind::WindowLeft, (screenTwips.width() - windowTwips.width()) / 2);
    const int top
        = coordinate(OptionKind::WindowTop, (screenTwips.height() - windowTwips.height()) / 2);
    return { left, top };
}
