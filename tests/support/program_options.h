#pragma once

// The program's options as whole lists, so tests compare every option at once.

#include "app/option_table.h"
#include "app/program_state.h"

#include <QList>
#include <QStringList>

// The text options, in table order: page colours, fonts, the clip and the list font.
inline QStringList textOptions(const ProgramState &state)
{
    QStringList texts;
    for (const OptionRow &row : OptionTable()) {
        if (const QString *field = TextField(state, row))
            texts << *field;
    }
    return texts;
}

// The yes/no options, in table order.
inline QList<bool> yesNoOptions(const ProgramState &state)
{
    QList<bool> flags;
    for (const OptionRow &row : OptionTable()) {
        if (const bool *flag = YesNoField(state, row))
            flags << *flag;
    }
    return flags;
}
