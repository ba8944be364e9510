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

// A key's value as the apply reads it: the first design's keys cut to the
// length its profile functions read, an opt-in key whole, so a long
// exclude list does not end in the middle of a pattern; a file without an
// opt-in key means its first-run value.
QString settingsValue(const IniDocument &document, const OptionRow &row)
{
    if (row.optIn)
        return document.value(row.section, row.key).value_or(QString(FixedFirstRunText(row)));
    return IniFile::read(document, row.section, row.key);
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
    case OptionKind::ExcludePatterns:
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
                      // A file made without the option keeps its bytes.
                      if (row.optIn && text == FixedFirstRunText(row)
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
    for (size_t i = 0; i < rows.size(); ++i)
        ApplySettingsValue(state, controls, int(i), settingsValue(document, rows[i]), locale);
}
