// Arbitrary payloads for the dispatcher's messages, the record lists above all (rooms, users,
// games, regions, friends, the servers status report), on a welcomed lobby. The first byte
// picks the message; afterwards the model must still hold together: every list row names a
// record, and no user, room or game is listed twice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "net/zrscramble.h"
#include "silent_lobby_host.h"

using namespace pk;

namespace {

constexpr std::uint8_t kCodes[] = {4,  5,  8,  12, 16, 31, 6,  7, 9,  10, 11, 13, 14,
                                   15, 17, 18, 19, 21, 24, 27, 2, 22, 25, 32, 33, 34};

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

template <class List, class Key>
void CheckUnique(const List& list, Key key) {
    std::set<decltype(key(*list.Items().front()))> seen;
    for (const auto& record : list.Items()) {
        Check(seen.insert(key(*record)).second);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static fuzz::SilentLobbyHost host(/*dropsGameLink=*/true);
    SetLobbyHost(&host);
    ResetLobby();
    ClientState.account.AccountName = "fuzz";
    ClientState.lobby.LobbyLinkState = sbConnecting;
    LobbyLink.framed = true;
    LobbyLink.sendKey = {0x13579BDFu, true, ScrambleMulA, ScrambleAddA};
    LobbyLink.recvKey = {0x2468ACE0u, true, ScrambleMulB, ScrambleAddB};
    LobbyWelcome(26,
                 "7\x02"
                 "0\x02"
                 "1\x02"
                 "1\x02"
                 "0\x02"
                 "1\x02"
                 "Lobby");
    NewFriend("fuzz");
    NewIgnored("pest");

    // The input may hold several messages: a code byte, a length byte, that many bytes.
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t code = kCodes[data[at] % sizeof kCodes];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const std::string payload(reinterpret_cast<const char*>(data + at + 2), length);
        at += 2 + length;
        LobbyDispatch(code, payload);
    }
    RebuildUserList();
    for (const TUserRow& row : LobbyModel.userRows) {
        Check(row.uid == 0 || FindUserByUid(row.uid) != nullptr);
    }
    CheckUnique(LobbyModel.rooms, [](const tSbRoom& r) { return r.id; });
    if (LobbyModel.currentRoom) {
        CheckUnique(LobbyModel.currentRoom->users,
                    [](const tSbUser& u) { return LowerCase(u.name); });
        CheckUnique(LobbyModel.currentRoom->games, [](const tSbGame& g) { return g.id; });
    }
    CheckUnique(LobbyModel.friends, [](const tSbUser& u) { return LowerCase(u.name); });
    ResetLobby();
    return 0;
}
