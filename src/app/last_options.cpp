#include "app/last_options.h"

#include "app/first_run_defaults.h"
#include "app/option_controls.h"
#include "app/preference_store.h"
#include "app/program_state.h"
#include "core/yes_no.h"

#include <QDir>

namespace {

struct Reader
{
    ProgramState &state;
    const PreferenceStore &store;
    OptionControls &controls;

    QString read(const QString &key, const QString &defaultText) const
    {
        return store.GetValue(state.makerName, state.shortName, key, defaultText);
    }

    // A yes/no key sets its field only when the stored text can be read;
    // the box always follows the field.
    void yesNo(const QString &key, bool defaultValue, bool &field, OptionCheck box) const
    {
        if (const auto value = ParseYesNo(read(key, YesNoText(defaultValue))))
            field = *value;
        controls.setOptionCheck(box, field);
    }

    void text(const QString &key, const QString &defaultText, QString &field, OptionText box) const
    {
        field = read(key, defaultText);
        controls.setOptionText(box, field);
    }
};

} // namespace

QString DefaultAnimationPath(const QString &dataFolder)
{
    return WithTrailingSeparator(dataFolder) + QStringLiteral("animation/spin.avi");
}

void RestoreLastOptions(ProgramState &state, const PreferenceStore &store, OptionControls &controls,
                        const QLocale &locale)
{
    const Reader r { state, store, controls };
    controls.setOptionText(OptionText::DBPathName, r.read(QStringLiteral("txt_DBPathName"), {}));
    controls.setOptionText(OptionText::EXT,
                           r.read(QStringLiteral("txtEXT"), QStringLiteral("*.*")));
    r.yesNo(QStringLiteral("bgBorder"), true, state.bgBorder, OptionCheck::Border);
    r.yesNo(QStringLiteral("bgRecursive"), true, state.bgRecursive, OptionCheck::Recursive);
    r.yesNo(QStringLiteral("bgLink"), false, state.bgLink, OptionCheck::Link);
    r.text(QStringLiteral("sgBackgroundColor"), FirstRunDefaults::kBackgroundColor,
           state.sgBackgroundColor, OptionText::BackgroundColor);
    r.text(QStringLiteral("sgGridColor"), FirstRunDefaults::kGridColor, state.sgGridColor,
           OptionText::GridColor);
    r.text(QStringLiteral("sgTextColor"), FirstRunDefaults::kTextColor, state.sgTextColor,
           OptionText::TextColor);
    state.sgFont = r.read(QStringLiteral("sgFont"), FirstRunDefaults::kFont);
    controls.showPageFont(state.sgFont);
    r.text(QStringLiteral("sgFontSizeFILE"), FirstRunDefaults::kFontSizeFILE, state.sgFontSizeFILE,
           OptionText::FontSizeFILE);
    r.text(QStringLiteral("sgFontSizeDIR"), FirstRunDefaults::kFontSizeDIR, state.sgFontSizeDIR,
           OptionText::FontSizeDIR);
    r.text(QStringLiteral("sgHeaderColor"), FirstRunDefaults::kHeaderColor, state.sgHeaderColor,
           OptionText::HeaderColor);
    r.text(QStringLiteral("sgDirColor"), FirstRunDefaults::kDirColor, state.sgDirColor,
           OptionText::DirColor);
    r.text(QStringLiteral("sgDirFontColor"), FirstRunDefaults::kDirFontColor, state.sgDirFontColor,
           OptionText::DirFontColor);
    r.text(QStringLiteral("sgFileColor"), FirstRunDefaults::kFileColor, state.sgFileColor,
           OptionText::FileColor);
    r.yesNo(QStringLiteral("bgHover"), true, state.bgHover, OptionCheck::Hover);
    // The hover colour follows the folder-row colour until one is stored.
    r.text(QStringLiteral("sgHoverColor"), state.sgDirColor, state.sgHoverColor,
           OptionText::HoverColor);
    r.yesNo(QStringLiteral("bgToggle"), true, state.bgToggle, OptionCheck::Toggle);
    r.yesNo(QStringLiteral("bgSkipEmptyDir"), true, state.bgSkipEmptyDir,
            OptionCheck::SkipEmptyDir);

    state.sgListFont = r.read(QStringLiteral("sgListFont"), QStringLiteral("Arial"));
    controls.setListFontFace(state.sgListFont);
    state.sgListFontsize = r.read(QStringLiteral("sgListFontsize"), QStringLiteral("8"));
    if (state.sgListFontsize.isEmpty())
        state.sgListFontsize = QStringLiteral("8,25");
    bool isNumber = false;
    const double points = locale.toDouble(state.sgListFontsize, &isNumber);
    if (isNumber && points > 0)
        controls.setListFontSize(points);
    controls.setListFontCaption(state.sgListFont + QStringLiteral(", ") + state.sgListFontsize);

    r.text(QStringLiteral("sgAnimation"), DefaultAnimationPath(state.dataFolder), state.sgAnimation,
           OptionText::Animation);
    for (int i = 0; i < int(state.bgFileTag.size()); ++i)
        r.yesNo(QStringLiteral("chkFileTag") + QString::number(i), true, state.bgFileTag[size_t(i)],
                FileTagCheck(i));

    QString settingsFolder = state.programFolder;
    if (settingsFolder.size() > 1 && settingsFolder.endsWith(u'/'))
        settingsFolder.chop(1);
    const QString settingsPath = r.read(QStringLiteral("txtSettingsPath"), settingsFolder);
    controls.setOptionText(OptionText::SettingsPath, settingsPath);
    if (!settingsPath.isEmpty())
        controls.refreshSettingsList();

    controls.clearCurrentSettingsEntry();
}

void SaveLastOptions(const ProgramState &state, PreferenceStore &store,
                     const OptionControls &controls)
{
    const auto save = [&](const QString &key, const QString &text) {
        store.SaveValue(state.makerName, state.shortName, key, text);
    };
    const QPoint position = controls.windowPositionTwips();

    save(QStringLiteral("txtEXT"), controls.optionText(OptionText::EXT));
    save(QStringLiteral("txt_DBPathName"), controls.optionText(OptionText::DBPathName));
    save(QStringLiteral("DESKTOP_LEFT"), QString::number(position.x()));
    save(QStringLiteral("DESKTOP_TOP"), QString::number(position.y()));
    save(QStringLiteral("bgBorder"), YesNoText(state.bgBorder));
    save(QStringLiteral("bgRecursive"), YesNoText(state.bgRecursive));
    save(QStringLiteral("bgLink"), YesNoText(state.bgLink));
    save(QStringLiteral("sgBackgroundColor"), state.sgBackgroundColor);
    save(QStringLiteral("sgGridColor"), state.sgGridColor);
    save(QStringLiteral("sgTextColor"), state.sgTextColor);
    save(QStringLiteral("sgFont"), state.sgFont);
    save(QStringLiteral("sgFontSizeFILE"), state.sgFontSizeFILE);
    save(QStringLiteral("sgFontSizeDIR"), state.sgFontSizeDIR);
    save(QStringLiteral("sgDirColor"), state.sgDirColor);
    save(QStringLiteral("sgDirFontColor"), state.sgDirFontColor);
    save(QStringLiteral("sgFileColor"), state.sgFileColor);
    save(QStringLiteral("sgHeaderColor"), state.sgHeaderColor);
    save(QStringLiteral("bgSkipEmptyDir"), YesNoText(state.bgSkipEmptyDir));
    save(QStringLiteral("bgHover"), YesNoText(state.bgHover));
    save(QStringLiteral("sgHoverColor"), state.sgHoverColor);
    save(QStringLiteral("bgToggle"), YesNoText(state.bgToggle));
    save(QStringLiteral("sgAnimation"), state.sgAnimation);
    save(QStringLiteral("sgListFontsize"), state.sgListFontsize);
    save(QStringLiteral("sgListFont"), state.sgListFont);
    for (int i = 0; i < int(state.bgFileTag.size()); ++i)
        save(QStringLiteral("chkFileTag") + QString::number(i),
             YesNoText(state.bgFileTag[size_t(i)]));
    save(QStringLiteral("txtSettingsPath"),
         controls.optionText(OptionText::SettingsPath).trimmed());
}

QPoint StartPositionTwips(const ProgramState &state, const PreferenceStore &store,
                          QSize screenTwips, QSize windowTwips)
{
    const auto coordinate = [&](const QString &key, int centre) {
        bool isNumber = false;
        const int value
            = store.GetValue(state.makerName, state.shortName, key, QString::number(centre))
                  .trimmed()
                  .toInt(&isNumber);
        return isNumber ? value : centre;
    };
    const int left = coordinate(QStringLiteral("DESKTOP_LEFT"),
                                (screenTwips.width() - windowTwips.width()) / 2);
    const int top = coordinate(QStringLiteral("DESKTOP_TOP"),
                               (screenTwips.height() - windowTwips.height()) / 2);
    return { left, top };
}
