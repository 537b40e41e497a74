#include "display/zrgamewindow.h"

namespace pk {

namespace {

GameWindowView defaultWindow;
GameWindowView* installed = &defaultWindow;

}  // namespace

GameWindowView& GameWindow() {
    return *installed;
}

void SetGameWindow(GameWindowView* window) {
    installed = window ? window : &defaultWindow;
}

}  // namespace pk
