#include "cli/headless_controls.h"

#include "app/first_run_defaults.h"
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
    text(state.sgBackgroundColor, OptionText::BackgroundColor, FirstRunDefaults::kBackgroundColor);
    text(state.sgGridColor, OptionText::GridColor, FirstRunDefaults::kGridColor);
    text(state.sgTextColor, OptionText::TextColor, FirstRunDefaults::kTextColor);
    state.sgFont = FirstRunDefaults::kFont;
    text(state.sgFontSizeFILE, OptionText::FontSizeFILE, FirstRunDefaults::kFontSizeFILE);
    text(state.sgFontSizeDIR, OptionText::FontSizeDIR, FirstRunDefaults::kFontSizeDIR);
    text(state.sgHeaderColor, OptionText::HeaderColor, FirstRunDefaults::kHeaderColor);
    text(state.sgDirColor, OptionText::DirColor, FirstRunDefaults::kDirColor);
    text(state.sgDirFontColor, OptionText::DirFontColor, FirstRunDefaults::kDirFontColor);
    text(state.sgFileColor, OptionText::FileColor, FirstRunDefaults::kFileColor);
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
