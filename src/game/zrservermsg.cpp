#include "game/zrservermsg.h"

#include <algorithm>
#include <array>

#include "core/zrconst.h"
#include "core/zrmisc.h"

namespace pk {

namespace {

// SC is the style-code lead byte; the two digits after it are written as a separate literal
// so that the compiler does not read them as part of a hexadecimal escape.
#define SC "\x05"

constexpr std::array<const char*, 24> kChatTemplates = {
    SC "01" SC "22(" SC SC "14" SC "03%s" SC SC SC "22) " SC SC "00%s",  // 0 room chat
    SC "22* " SC "14" SC "01%s" SC SC "00 %s",                           // 1 action
    SC "01" SC "22[" SC SC "14Message from %s" SC SC "22] " SC SC "00%s",
    SC "01" SC "19[" SC SC "11Op Message from %s" SC SC "19] " SC SC "00%s",
    SC "01" SC "23[" SC SC "15Guide Message from %s" SC SC "23] " SC SC "00%s",
    SC "01" SC "11[" SC SC "19Global Message from %s" SC SC "11] " SC SC "00%s",
    SC "01" SC "23[" SC SC "15System Message" SC SC "23] " SC SC SC "15%s",
    SC "01" SC "19[" SC SC "11Team Message from %s" SC SC "19] " SC SC "00%s",
    SC "22" SC "01=" SC SC " %s",  // 8 room message line
    "",
    "",
    "",
    "",
    "",
    "",
    "",                                                                  // 9-15
    SC "01" SC "22(" SC SC "14" SC "03%s" SC SC SC "22) " SC SC "00%s",  // 16 as 0
    SC "22* " SC "14" SC "01%s" SC SC "00 %s",                           // 17 as 1
    SC "01" SC "22=" SC SC "14Message to %s" SC SC "22= " SC SC "00%s",
    SC "01" SC "19=" SC SC "11Op Message" SC SC "19= " SC SC "00%s",
    SC "01" SC "23=" SC SC "15Guide Message" SC SC "23= " SC SC "00%s",
    SC "01" SC "11=" SC SC "19Global Message" SC SC "11= " SC SC "00%s",
    SC "01" SC "23[" SC SC "15System Message" SC SC "23] " SC SC SC "15%s",  // 22 as 6
    SC "01" SC "19=" SC SC "11Team Message" SC SC "19= " SC SC "00%s",
};

constexpr std::array<const char*, 37> kInfoTemplates = {
    SC "19%s",
    SC "19%s usage: /%0:s %s",
    SC "19User does not exist",
    SC "19Room does not exist",
    SC "19Game does not exist",
    SC "19Server added",
    SC "19Server removed",
    SC "19Server locked",
    SC "19Server unlocked",
    SC "19Server updated",
    SC "19Invalid command: " SC "01%s",
    SC "19Server already exists",
    SC "19Server does not exist",
    SC "19Server moved from index %s to index %s",
    SC "19Update server redirecting to: %s:%s",
    SC "19Update server not redirecting",
    SC "19Server locked and being upgraded",
    SC "19Server being upgraded immediately",
    SC "19Room %s is a public room",
    SC "19Room %s is a private room",
    SC "19Updating client patches on server",
    SC "19Server marked as test server",
    SC "19Server marked as normal server",
    SC "19User account created with id: " SC "01%s",
    SC "19User account deleted with id: " SC "01%s",
    SC "19Room %s is permanent",
    SC "19Room %s is not permanent",
    SC "19Key %1:s for user id %0:s set to: %2:s",
    SC "14  %s",
    SC "22Search complete.  Total matches: %s",
    SC "19Users with key %s matching %s deleted",
    SC "19Users inactive the last %s days deleted",
    SC "14%s is not here!  Message: " SC "01%s",
    SC "19Accept versions: %s",
    SC "19Outdated versions: %s",
    SC "19Maximum text length exceeded! (%s)",
    SC "19!!!! Your new password is: " SC "11" SC "01%s" SC SC " !!!!",
};

constexpr std::array<const char*, 20> kDialogTemplates = {
    "%s",
    "",
    "",
    "Room already exists",
    "Password is incorrect",
    "Player does not exist",
    "Cannot find server with region: %s",
    "Room does not exist",
    "Unable to create new game, please try again.  If this continues, please let a Guide know.",
    "User does not exist",
    "Game does not exist",
    "You are banned with message: %s",
    "You have been kicked with message: %s",
    "This game is being played on a beta testing server, you do not have access.",
    "Text contains illegal characters or is too long, try again!",
    "",
    "Server is full",
    "",
    "",
    "You are not allowed on this server at this time.",
};

#undef SC

template <size_t N>
std::string Lookup(const std::array<const char*, N>& table, int code) {
    if (code < 0 || static_cast<size_t>(code) >= N)
        return {};
    return table[code];
}

// Chat codes whose first argument is the sender: lines from ignored players are dropped.
bool IgnorableChatCode(int code) {
    return (code >= 0 && code <= 4) || code == 7 || (code >= 16 && code <= 20) || code == 23;
}

constexpr int kPrivateMessageCode = 2;

}  // namespace

bool ParseServerText(const std::string& payload, ServerText& out) {
    if (payload.empty())
        return false;
    out = ServerText{};
    out.kind = payload[0];
    int pos = 8;
    uint32_t head = ReadBits(payload, pos, 16);
    out.code = static_cast<int>(head >> 3);
    out.lobby = (head & 4) != 0;
    out.room = (head & 2) != 0;
    out.inGame = (head & 1) != 0;
    if (payload.size() > 3)
        out.args = payload.substr(3);
    return true;
}

std::string ServerTemplate(char kind, int code) {
    switch (kind) {
        case 'c':
            return Lookup(kChatTemplates, code);
        case 'i':
            return Lookup(kInfoTemplates, code);
        case 'd':
        case 'D':
            return Lookup(kDialogTemplates, code);
        default:
            return {};
    }
}

std::string FillServerTemplate(const std::string& tmpl, const std::string& args) {
    return FormatTokens(tmpl, args, '\x02');
}

void NotePrivateSender(std::vector<std::string>& recent, const std::string& sender) {
    const std::string name = LowerCase(sender);
    // An empty sender would make every later completion a private line to nobody.
    if (name.empty())
        return;
    recent.erase(std::remove(recent.begin(), recent.end(), name), recent.end());
    recent.insert(recent.begin(), name);
    if (recent.size() > MaxRecentPrivateNames)
        recent.resize(MaxRecentPrivateNames);
}

void ShowServerMessage(const std::string& payload, ServerTextTargets& to) {
    ServerText text;
    if (!ParseServerText(payload, text))
        return;
    FormatServerMessage(text.kind, text.code, text.lobby, text.args, text.inGame, text.room, to);
}

void FormatServerMessage(char kind, int code, bool lobby, const std::string& args, bool inGame,
                         bool room, ServerTextTargets& to) {
    if (kind == 'D' || kind == 'd') {
        if (kind == 'D') {
            if (lobby && to.links.LobbyConnected())
                to.links.LobbyDisconnectWithoutRetry();
            if (room && to.links.GameLinkUp())
                to.links.GameDisconnect();
        }
        std::string tmpl = ServerTemplate(kind, code);
        if (!tmpl.empty())
            to.dialogs.ShowMessage(FillServerTemplate(tmpl, args));
        return;
    }
    if (kind != 'c' && kind != 'i')
        return;
    std::string tmpl = ServerTemplate(kind, code);
    if (kind == 'c') {
        std::string sender = TokenAt(1, args, '\x02');
        if (code == kPrivateMessageCode)
            NotePrivateSender(to.recentPrivateNames, sender);
        if (IgnorableChatCode(code) && !sender.empty() && to.links.IsIgnored(sender))
            return;
    }
    if (tmpl.empty())
        return;
    std::string line = FillServerTemplate(tmpl, args);
    if (lobby)
        to.chat.LobbyChatLine(line);
    if (!to.links.GameLinkUp())
        return;
    if (room)
        to.chat.PartylineAddLine(line);
    if (inGame)
        to.chat.ShowGameMessage(line);
}

}  // namespace pk
