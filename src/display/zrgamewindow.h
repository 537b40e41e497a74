#pragma once
// What the room code, the key actions and the shell ask of the in-game window (Tzrgame in
// src/display/ui), which installs itself: its party line and attack list, the chat edit, whether
// it shows, and the fonts of its two boxes. Until it exists a do-nothing one answers.
#include <string>

#include "core/zrmisc.h"

namespace pk {

class GameWindowView {
public:
    virtual ~GameWindowView() = default;
    // Plays the theme sound "msg" and adds the line to the party line.
    virtual void ShowGameMessage(const std::string& line) { (void)line; }
    virtual void ClearGameChat() {}
    // Puts a text into the chat edit (the hint of a game start).
    virtual void SetGameChatText(const std::string& text) { (void)text; }
    virtual void ClearAttackList() {}
    virtual void AddAttackLine(const std::string& line) { (void)line; }
    // The chat key: the edit opens and takes the focus.
    virtual void ActivateChatEdit() {}
    virtual bool ChatEditFocused() { return false; }
    // The window is on the screen.
    virtual bool Shown() { return false; }
    // The fonts of the party line and the attack list, as the configuration keeps them.
    virtual void SetBoxFonts(const FontSpec& chat, const FontSpec& attacks) {
        (void)chat;
        (void)attacks;
    }
    virtual void GetBoxFonts(FontSpec& chat, FontSpec& attacks) {
        (void)chat;
        (void)attacks;
    }
};

// The installed window; never null (nullptr restores the do-nothing one).
GameWindowView& GameWindow();
void SetGameWindow(GameWindowView* window);

}  // namespace pk
