#pragma once
// How the room window and its panels enter a handler from the event loop: under the report
// policy, where "Tzrpartyline." + the handler's name says where it failed. The name is the
// window the player sees, whichever of its panels holds the handler, so the handler is written
// once and its name is taken from it:
//     connect(button, &QPushButton::clicked, this, [this] { PK_ROOM_HANDLER(startgameClick); });
//     return PK_ROOM_HANDLER(gamestatsMouse, mouse);
#include <functional>
#include <type_traits>

#include "skin/ui/zrskinform.h"

class QAction;
class QMenu;

namespace pk {

// Adds a menu entry named `name` whose trigger runs `act` guarded under that name.
QAction* AddGuardedAction(QMenu& menu, const char* name, const char* caption,
                          std::function<void()> act);

}  // namespace pk

// Calls the member `handler` of the enclosing object with the arguments that follow, guarded.
#define PK_ROOM_HANDLER(handler, ...) \
    PK_CALL_HANDLER("Tzrpartyline", handler __VA_OPT__(, ) __VA_ARGS__)
