// What the shell asks of the skin engine (src/skin, below the game): the skin registry's life,
// the skins of a theme, skin events on every skin, and the command dispatcher that buttons,
// scripts and the command line drive. The engine answers unless a test installs its own
// (the base class does nothing).
#pragma once

#include <string>

namespace pk {

struct TZRTheme;

class ShellSkins {
public:
    virtual ~ShellSkins() = default;
    virtual void InitSkins() {}
    virtual void FreeSkins() {}
    // Fires a skin event ("onstart", "onloadtheme", ...) on every registered skin.
    virtual void FireSkinEvent(const std::string& name) { (void)name; }
    // Runs a client command ("gameconnect", "login", ...).
    virtual void ExecuteCommand(const std::string& command) { (void)command; }
    // Empties every skin and the skin variables (before a theme is loaded).
    virtual void ResetSkins() {}
    // The skins of a freshly loaded theme, laid out against the theme's minimum window size.
    virtual void ApplySkinTheme(const TZRTheme& theme, int minWidth, int minHeight) {
        (void)theme;
        (void)minWidth;
        (void)minHeight;
    }
    // A skin dispatch or a message box of the engine is running: the theme must not change.
    virtual bool Busy() { return false; }
};

// The engine's answers: the registry, the skins of a theme, events and commands, with the
// shell's command host (zrskinwiring.h) installed by InitSkins.
ShellSkins& EngineSkins();

// The installed one; never null. Installing nullptr restores the engine's.
ShellSkins& Skins();
void SetShellSkins(ShellSkins* skins);

}  // namespace pk
