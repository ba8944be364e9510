#pragma once

#include <QStringList>

// quorvel-list: scans a folder as the search command does and writes the
// page (or the clipboard text) as the generate command would.
namespace ListCommand {
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1; // folder unreadable, output not written
inline constexpr int kUsageError = 2;
} // namespace ListCommand

// Runs the command on its arguments (without the program name); standard
// output and standard error are the process's own.
[[nodiscard]] int RunListCommand(const QStringList &arguments);
