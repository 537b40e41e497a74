// What the shell asks of the skin engine (src/skin, above the game and below the shell once it
// exists; installed by the main program): the skin registry's life, skin events on every skin,
// and the command dispatcher that buttons, scripts and the command line drive. Until it is
// installed the registry is empty, so events reach nothing and commands do nothing.
#pragma once

#include <string>

namespace pk {

class ShellSkins {
public:
    virtual ~ShellSkins() = default;
    virtual void InitSkins() {}
    virtual void FreeSkins() {}
    // Fires a skin event ("onstart", "onloadtheme", ...) on every registered skin.
    virtual void FireSkinEvent(const std::string& name) { (void)name; }
    // Runs a client command ("gameconnect", "login", ...).
    virtual void ExecuteCommand(const std::string& command) { (void)command; }
};

// The installed one; never null. Installing nullptr restores the empty registry.
ShellSkins& Skins();
void SetShellSkins(ShellSkins* skins);

}  // namespace pk
