#pragma once

// The program's options as whole lists, so tests compare every option at once.

#include "app/program_state.h"

#include <QList>
#include <QStringList>

// The text options: page colours, fonts, the animation and the list font.
inline const QList<QString ProgramState::*> kTextFields {
    &ProgramState::sgBackgroundColor, &ProgramState::sgGridColor,    &ProgramState::sgTextColor,
    &ProgramState::sgDirColor,        &ProgramState::sgDirFontColor, &ProgramState::sgFileColor,
    &ProgramState::sgHeaderColor,     &ProgramState::sgHoverColor,   &ProgramState::sgFont,
    &ProgramState::sgFontSizeFILE,    &ProgramState::sgFontSizeDIR,  &ProgramState::sgAnimation,
    &ProgramState::sgListFont,        &ProgramState::sgListFontsize,
};

inline QStringList textOptions(const ProgramState &state)
{
    QStringList texts;
    for (QString ProgramState::*field : kTextFields)
        texts << state.*field;
    return texts;
}

// Border, recursive, skip empty folders, link, hover, toggle, then the five file tags.
inline QList<bool> yesNoOptions(const ProgramState &s)
{
    QList<bool> flags {
        s.bgBorder, s.bgRecursive, s.bgSkipEmptyDir, s.bgLink, s.bgHover, s.bgToggle
    };
    for (bool tag : s.bgFileTag)
        flags << tag;
    return flags;
}
