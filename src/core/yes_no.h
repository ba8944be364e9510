#pragma once

#include <QString>

#include <optional>

// Reads a stored yes/no value: "True"/"False" in any letter case, or a
// number (0 is no, any other number yes). Anything else cannot be read.
[[nodiscard]] std::optional<bool> ParseYesNo(const QString &text);

// The stored form of a yes/no value: "True" or "False".
[[nodiscard]] inline QString YesNoText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
