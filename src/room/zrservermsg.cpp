#include "room/zrservermsg.h"

#include <algorithm>
#include <array>

#include "core/chatstyle.h"
#include "core/zrconst.h"
#include "core/zrmisc.h"

namespace pk {

namespace {

constexpr std::array<const char*, 24> kChatTemplates = {
    PK_STYLE "01" PK_STYLE "22(" PK_STYLE PK_STYLE "14" PK_STYLE "03%s" PK_STYLE PK_STYLE PK_STYLE
             "22) " PK_STYLE PK_STYLE "00%s",                                 // 0 room chat
    PK_STYLE "22* " PK_STYLE "14" PK_STYLE "01%s" PK_STYLE PK_STYLE "00 %s",  // 1 action
    PK_STYLE "01" PK_STYLE "22[" PK_STYLE PK_STYLE "14Message from %s" PK_STYLE PK_STYLE
             "22] " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "19[" PK_STYLE PK_STYLE "11Op Message from %s" PK_STYLE PK_STYLE
             "19] " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "23[" PK_STYLE PK_STYLE "15Guide Message from %s" PK_STYLE PK_STYLE
             "23] " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "11[" PK_STYLE PK_STYLE "19Global Message from %s" PK_STYLE PK_STYLE
             "11] " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "23[" PK_STYLE PK_STYLE "15System Message" PK_STYLE PK_STYLE
             "23] " PK_STYLE PK_STYLE PK_STYLE "15%s",
    PK_STYLE "01" PK_STYLE "19[" PK_STYLE PK_STYLE "11Team Message from %s" PK_STYLE PK_STYLE
             "19] " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "22" PK_STYLE "01=" PK_STYLE PK_STYLE " %s",  // 8 room message line
    "",
    "",
    "",
    "",
    "",
    "",
    "",  // 9-15
    PK_STYLE "01" PK_STYLE "22(" PK_STYLE PK_STYLE "14" PK_STYLE "03%s" PK_STYLE PK_STYLE PK_STYLE
             "22) " PK_STYLE PK_STYLE "00%s",                                 // 16 as 0
    PK_STYLE "22* " PK_STYLE "14" PK_STYLE "01%s" PK_STYLE PK_STYLE "00 %s",  // 17 as 1
    PK_STYLE "01" PK_STYLE "22=" PK_STYLE PK_STYLE "14Message to %s" PK_STYLE PK_STYLE
             "22= " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "19=" PK_STYLE PK_STYLE "11Op Message" PK_STYLE PK_STYLE
             "19= " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "23=" PK_STYLE PK_STYLE "15Guide Message" PK_STYLE PK_STYLE
             "23= " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "11=" PK_STYLE PK_STYLE "19Global Message" PK_STYLE PK_STYLE
             "11= " PK_STYLE PK_STYLE "00%s",
    PK_STYLE "01" PK_STYLE "23[" PK_STYLE PK_STYLE "15System Message" PK_STYLE PK_STYLE
             "23] " PK_STYLE PK_STYLE PK_STYLE "15%s",  // 22 as 6
    PK_STYLE "01" PK_STYLE "19=" PK_STYLE PK_STYLE "11Team Message" PK_STYLE PK_STYLE
             "19= " PK_STYLE PK_STYLE "00%s",
};

constexpr std::array<const char*, 37> kInfoTemplates = {
    PK_STYLE "19%s",
    PK_STYLE "19%s usage: /%0:s %s",
    PK_STYLE "19User does not exist",
    PK_STYLE "19Room does not exist",
    PK_STYLE "19Game does not exist",
    PK_STYLE "19Server added",
    PK_STYLE "19Server removed",
    PK_STYLE "19Server locked",
    PK_STYLE "19Server unlocked",
    PK_STYLE "19Server updated",
    PK_STYLE "19Invalid command: " PK_STYLE "01%s",
    PK_STYLE "19Server already exists",
    PK_STYLE "19Server does not exist",
    PK_STYLE "19Server moved from index %s to index %s",
    PK_STYLE "19Update server redirecting to: %s:%s",
    PK_STYLE "19Update server not redirecting",
    PK_STYLE "19Server locked and being upgraded",
    PK_STYLE "19Server being upgraded immediately",
    PK_STYLE "19Room %s is a public room",
    PK_STYLE "19Room %s is a private room",
    PK_STYLE "19Updating client patches on server",
    PK_STYLE "19Server marked as test server",
    PK_STYLE "19Server marked as normal server",
    PK_STYLE "19User account created with id: " PK_STYLE "01%s",
    PK_STYLE "19User account deleted with id: " PK_STYLE "01%s",
    PK_STYLE "19Room %s is permanent",
    PK_STYLE "19Room %s is not permanent",
    PK_STYLE "19Key %1:s for user id %0:s set to: %2:s",
    PK_STYLE "14  %s",
    PK_STYLE "22Search complete.  Total matches: %s",
    PK_STYLE "19Users with key %s matching %s deleted",
    PK_STYLE "19Users inactive the last %s days deleted",
    PK_STYLE "14%s is not here!  Message: " PK_STYLE "01%s",
    PK_STYLE "19Accept versions: %s",
    PK_STYLE "19Outdated versions: %s",
    PK_STYLE "19Maximum text length exceeded! (%s)",
    PK_STYLE "19!!!! Your new password is: " PK_STYLE "11" PK_STYLE "01%s" PK_STYLE PK_STYLE
             " !!!!",
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
