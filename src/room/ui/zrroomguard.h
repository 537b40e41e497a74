#pragma once
// How the room window and its panels enter a handler from the event loop: through SkinGuard,
// which logs "Error in Tzrpartyline." + the handler's name when it throws. The log names the
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

// Runs `body` under SkinGuard at `where`; its result, or a default one when it threw.
template <class Body>
auto RoomGuarded(const char* where, Body&& body) {
    using Result = std::invoke_result_t<Body&>;
    if constexpr (std::is_void_v<Result>) {
        SkinGuard(where, body);
    } else {
        Result result{};
        SkinGuard(where, [&] { result = body(); });
        return result;
    }
}

// Adds a menu entry named `name` whose trigger runs `act` guarded under that name.
QAction* AddGuardedAction(QMenu& menu, const char* name, const char* caption,
                          std::function<void()> act);

}  // namespace pk

// Calls the member `handler` of the enclosing object with the arguments that follow, guarded.
#define PK_ROOM_HANDLER(handler, ...) \
    ::pk::RoomGuarded("Tzrpartyline." #handler, [&] { return handler(__VA_ARGS__); })
