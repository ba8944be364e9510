#include "cli/headless_controls.h"

#include "app/last_options.h"
#include "app/program_state.h"

void ApplyFirstRunDefaults(ProgramState &state, HeadlessControls &controls)
{
    const auto text = [&](QString &field, OptionText box, const QString &value) {
        field = value;
        controls.setOptionText(box, value);
    };
    const auto check = [&](bool &field, OptionCheck box, bool value) {
        field = value;
        controls.setOptionCheck(box, value);
    };
    controls.setOptionText(OptionText::DBPathName, QString());
    controls.setOptionText(OptionText::EXT, QStringLiteral("*.*"));
    check(state.bgBorder, OptionCheck::Border, true);
    check(state.bgRecursive, OptionCheck::Recursive, true);
    check(state.bgLink, OptionCheck::Link, false);
    text(state.sgBackgroundColor, OptionText::BackgroundColor, QStringLiteral("FFFFFF"));
    text(state.sgGridColor, OptionText::GridColor, QStringLiteral("FFFFFF"));
    text(state.sgTextColor, OptionText::TextColor, QStringLiteral("000000"));
    state.sgFont = QStringLiteral("Arial");
    text(state.sgFontSizeFILE, OptionText::FontSizeFILE, QStringLiteral("8"));
    text(state.sgFontSizeDIR, OptionText::FontSizeDIR, QStringLiteral("9"));
    text(state.sgHeaderColor, OptionText::HeaderColor, QStringLiteral("eaeaea"));
    text(state.sgDirColor, OptionText::DirColor, QStringLiteral("eaeaea"));
    text(state.sgDirFontColor, OptionText::DirFontColor, QStringLiteral("000000"));
    text(state.sgFileColor, OptionText::FileColor, QStringLiteral("ffffff"));
    check(state.bgHover, OptionCheck::Hover, true);
    text(state.sgHoverColor, OptionText::HoverColor, state.sgDirColor);
    check(state.bgToggle, OptionCheck::Toggle, true);
    check(state.bgSkipEmptyDir, OptionCheck::SkipEmptyDir, true);
    state.sgListFont = QStringLiteral("Arial");
    state.sgListFontsize = QStringLiteral("8");
    text(state.sgAnimation, OptionText::Animation, DefaultAnimationPath(state.dataFolder));
    for (int i = 0; i < 5; ++i)
        check(state.bgFileTag[size_t(i)], FileTagCheck(i), true);
}
