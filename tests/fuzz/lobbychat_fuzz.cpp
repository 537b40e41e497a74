// Arbitrary typed lines for the lobby chat line, as an operator in a welcomed lobby with a
// pending invitation and a keyed room: lines are separated by newlines in the input, and every
// one goes through Enter and the history keys. Whatever was typed, each queued frame must fit
// and the history must hold every line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/zrgame.h"
#include "lobby/zrlobbychat.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbymodel.h"
#include "net/zrscramble.h"
#include "room/zrroomchat.h"
#include "silent_lobby_host.h"

using namespace pk;

namespace {

// Says yes to every question and knows every room's key, so typed lines reach every command.
class ChatHost final : public fuzz::SilentLobbyHost {
public:
    ChatHost() : SilentLobbyHost(true) {}
    bool Confirm(const std::string&) override { return true; }
    bool QueryRoomKey(std::string& key) override {
        key = "k";
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ChatHost host;
    SetLobbyHost(&host);
    ResetLobby();
    RecentPrivateNames = {"Zed"};
    ClientState.account.AccountName = "fuzz";
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyLink.sendKey = {0x13579BDFu, true, ScrambleMulA, ScrambleAddA};
    LobbyLink.recvKey = {0x2468ACE0u, true, ScrambleMulB, ScrambleAddB};
    LobbyWelcome(26,
                 "7\x02"
                 "1\x02"
                 "1\x02"
                 "1\x02"
                 "0\x02"
                 "1\x02"
                 "Lobby");
    NewRoom(2).flag = 1;
    NewGame(9).name = "g";
    ClientState.lobby.InviteRoomId = 2;
    ClientState.lobby.InviteGameId = 9;
    ClientState.lobby.Inviter = "Ada";

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 0;
    std::size_t at = 0;
    TLobbyChatEdit edit;
    while (at <= input.size()) {
        std::size_t end = input.find('\n', at);
        if (end == std::string::npos) {
            end = input.size();
        }
        edit.text = input.substr(at, end - at);
        LobbyChatKeyDown(edit, edit.text.size() % 2 ? 38 : 40);
        edit.text = input.substr(at, end - at);
        LobbyChatEnter(edit);
        ++lines;
        at = end + 1;
    }
    if (LobbyModel.chatHistory.size() != lines) {
        std::abort();
    }
    ResetLobby();
    RecentPrivateNames.clear();
    return 0;
}
