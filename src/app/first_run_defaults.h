#pragma once

#include <QLatin1StringView>

// The page options of a first run, when nothing is stored yet. The start-up
// restore and quorvel-list start from them, and the page writes them in
// place of a value it cannot hold.
namespace FirstRunDefaults {

inline constexpr QLatin1StringView kBackgroundColor("FFFFFF");
inline constexpr QLatin1StringView kGridColor("FFFFFF");
inline constexpr QLatin1StringView kTextColor("000000");
inline constexpr QLatin1StringView kFont("Arial");
inline constexpr QLatin1StringView kFontSizeFILE("8");
inline constexpr QLatin1StringView kFontSizeDIR("9");
inline constexpr QLatin1StringView kHeaderColor("eaeaea");
inline constexpr QLatin1StringView kDirColor("eaeaea");
inline constexpr QLatin1StringView kDirFontColor("000000");
inline constexpr QLatin1StringView kFileColor("ffffff");
// The hover colour follows the folder-row colour until one is stored.
inline constexpr QLatin1StringView kHoverColor = kDirColor;

} // namespace FirstRunDefaults
