#pragma once

#include <QIcon>

// The pictures of the main window's icon buttons and the program's own
// icon. They are drawn as vector shapes on a 16 x 16 grid at whatever size
// and pixel ratio is asked for, so they stay sharp on high-dpi screens.
enum class ToolIcon {
    Search, // pick a folder and search it
    Cancel,
    Copy,
    Refresh,
    Generate,
    Browser,
    Save,
    Info,
    Exit,
    Program,
};

[[nodiscard]] QIcon MakeToolIcon(ToolIcon kind);
