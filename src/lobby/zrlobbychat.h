#pragma once
// The lobby chat line (`chateb`): its history walk and completion keys, and what a typed
// line does: chat for the current room, a local command, a moderator command or a command
// passed on to the master server as it stands.
#include <string>

namespace pk {

// The edit as the window holds it: the text shown and the history entry it came from (-1
// for a line not taken from the history). The history itself is LobbyModel.chatHistory.
struct TLobbyChatEdit {
    std::string text;
    int itemIndex = -1;
};

// Enter: the line is processed, then appended to the history (an empty or invalid one too)
// and the edit is cleared.
void LobbyChatEnter(TLobbyChatEdit& edit);

// Keys of the edit by virtual key code. True when the key was used here and must not reach
// the combo box (Up and Down); completion keys rewrite the text but are passed on.
bool LobbyChatKeyDown(TLobbyChatEdit& edit, int virtualKey);

// One typed line. Lines with characters outside the allowed set are dropped silently.
void ProcessLobbyChatLine(const std::string& line);

// "/ok": accepts the pending invitation (joins its game, or first its room).
void AcceptLobbyInvitation();

// The line shown instead of chat in a moderated room to a user without voice.
std::string ModeratedRoomRefusal();

}  // namespace pk
