#pragma once
// A font as the configuration keeps it (FontSpec of core/zrmisc.h), and back: every window with
// a chat or list box whose font the player chooses (lobby, room, in-game) stores it this way.
#include <QFont>

#include "core/zrmisc.h"

namespace pk {

inline constexpr int kMaxFontSize = 200;  // points

QFont FontFromSpec(const FontSpec& spec);
FontSpec SpecFromFont(const QFont& font, int colour);

}  // namespace pk
