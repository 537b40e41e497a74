#pragma once
// The game's skinned windows besides the extra settings dialog: the in-game window (its own
// file), the room window and the key page, each registered under its skin name and placed by
// its container element; the game-set editor and the key picker are plain dialogs. Their
// controls come with the windows' own work. The main program creates them in its fixed order.
#include <QWidget>

#include "game/ui/zrgameform.h"
#include "game/ui/zrpartylineform.h"
#include "game/ui/zrskeyform.h"
#include "skin/ui/zrskinform.h"

namespace pk {

// The game-set editor.
class Tzrgamesetup : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace pk
