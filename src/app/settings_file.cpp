#include "app/settings_file.h"

#include "app/option_controls.h"
#include "app/option_table.h"
#include "app/program_state.h"
#include "core/ini_file.h"

#include <QFile>
#include <QFileInfo>

namespace {

const OptionRow *settingsRow(int index)
{
    const auto rows = SettingsFileOptions();
    return index >= 0 && size_t(index) < rows.size() ? &rows[size_t(index)] : nullptr;
}

} // namespace

std::optional<int> FindSettingsKey(QStringView key)
{
    const auto rows = SettingsFileOptions();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (key.compare(rows[i].key, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return std::nullopt;
}

QString SettingsValueText(const ProgramState &state, const OptionControls &controls, int index)
{
    const OptionRow *row = settingsRow(index);
    if (!row)
        return {};
    const QString text = OptionValueText(state, controls, *row);
    switch (row->kind) {
    case OptionKind::Folder:
    case OptionKind::Pattern:
    case OptionKind::Clip:
        return text.trimmed();
    default:
        return text;
    }
}

void ApplySettingsValue(ProgramState &state, OptionControls &controls, int index,
                        const QString &value, const QLocale &locale)
{
    const OptionRow *row = settingsRow(index);
    if (!row)
        return;
    bool isNumber = false;
    switch (row->kind) {
    case OptionKind::WindowLeft:
        if (const int left = value.trimmed().toInt(&isNumber); isNumber)
            controls.moveWindowTwips(left, std::nullopt);
        return;
    case OptionKind::WindowTop:
        if (const int top = value.trimmed().toInt(&isNumber); isNumber)
            controls.moveWindowTwips(std::nullopt, top);
        return;
    default:
        break;
    }
    LoadOptionValue(state, controls, *row, value);
    if (row->kind == OptionKind::ListFont) {
        // After a settings file the caption is the face alone, without size.
        controls.setListFontCaption(value);
        if (!value.isEmpty())
            controls.setListFontFace(value);
    } else if (row->kind == OptionKind::ListFontSize) {
        if (const auto points = ListFontPoints(value, locale))
            controls.setListFontSize(*points);
    }
}

RegularFile::WriteResult SaveSettingsFile(const ProgramState &state, OptionControls &controls,
                                          const QString &chosenPath)
{
    RegularFile::WriteResult result;
    if (!chosenPath.isEmpty()) {
        // One write for all keys: a failure leaves the old file whole.
        result
            = IniFile::update(QFileInfo(chosenPath).absoluteFilePath(), [&](IniDocument &document) {
                  const auto rows = SettingsFileOptions();
                  for (size_t i = 0; i < rows.size(); ++i) {
                      const OptionRow &row = rows[i];
                      const QString text = SettingsValueText(state, controls, int(i));
                      // A file that already holds the key gets its value,
                      // whatever it is.
                      if (row.writtenOnceSet && text == FixedFirstRunText(row)
                          && !document.value(row.section, row.key))
                          continue;
                      document.setValue(row.section, row.key, text);
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
    const auto rows = SettingsFileOptions();
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString missing = rows[i].writtenOnceSet ? FixedFirstRunText(rows[i]) : QString();
        ApplySettingsValue(state, controls, int(i),
                           IniFile::read(document, rows[i].section, rows[i].key, missing), locale);
    }
}
