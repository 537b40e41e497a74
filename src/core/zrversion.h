#pragma once
// The program's version as the game server and the main window show it.
#include <string>
#include <string_view>

namespace pk {

// The build number the login line reports; a server that wants a newer one answers "update".
inline constexpr int ClientBuild = 136;

// The main window's caption without an account.
inline constexpr std::string_view ProgramCaption = "Pelkorin v2.00.136 (NO SERVER INCLUDED)";

// The caption while the account is known.
inline std::string MainCaption(std::string_view account) {
    return std::string(ProgramCaption) + " - " + std::string(account);
}

}  // namespace pk
