#include "room/zrpartyline.h"

#include "core/chatstyle.h"
#include "core/zrlog.h"
#include "core/zrtxtlines.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "room/zrgamelink.h"
#include "room/zrgextras.h"
#include "room/zrroomhost.h"

namespace pk {

namespace {

RoomWindowView silentView;
RoomWindowView* installedView = nullptr;
std::function<void(const RoomGameSetRequest&)> gameSetEditor;

}  // namespace

RoomWindowView& RoomView() {
    return installedView ? *installedView : silentView;
}

void SetRoomView(RoomWindowView* view) {
    installedView = view;
}

std::string PartylineText(const std::string& text, bool timeStamps, const std::string& stamp) {
    if (!timeStamps)
        return text;
    return StyleCode("17") + stamp + kStyleEnd + text;
}

void PartylineAddLine(const std::string& text) {
    const bool stamps = Settings.options.chatts != 0;
    RoomView().AddChatLine(PartylineText(text, stamps, stamps ? TimeStamp() : std::string()));
}

std::vector<RoomRow> UserListRows() {
    std::vector<RoomRow> rows;
    for (int slot = 1; slot <= MaxSlots; ++slot)
        rows.push_back({RoomRowKind::Slot, slot, SlotPlayers[static_cast<std::size_t>(slot)]});
    rows.push_back({RoomRowKind::Header, 0, nullptr});
    for (std::size_t i = 0; i < Players.size(); ++i) {
        const auto& p = Players[i];
        if (p && p->slot == 0)
            rows.push_back({RoomRowKind::Spectator, 0, p.get(), i});
    }
    return rows;
}

tclient* RowPlayerNow(const RoomRow& row) {
    switch (row.kind) {
        case RoomRowKind::Slot:
            return ValidSlot(row.slot) &&
                           SlotPlayers[static_cast<std::size_t>(row.slot)] == row.player
                       ? row.player
                       : nullptr;
        case RoomRowKind::Spectator:
            return row.at < Players.size() && Players[row.at].get() == row.player &&
                           row.player->slot == 0
                       ? row.player
                       : nullptr;
        default:
            return nullptr;
    }
}

bool IsRoomOperator(const std::string& name) {
    return !name.empty() && WordIndex(name, ClientState.game.RoomOperators) > 0;
}

bool OwnPlayerInPlay() {
    const tmegame& g = ClientState.game;
    const tclient* own = g.OwnPlayer;
    return g.GameRunning != 0 && own != nullptr && own->slot > 0 && own->plr &&
           own->plr->PlayerState == psPlaying;
}

void SetReadyFlags(const std::string& payload) {
    int position = 0;
    for (int slot = 1; slot <= MaxSlots; ++slot) {
        tclient* c = SlotPlayers[static_cast<std::size_t>(slot)];
        if (c == nullptr || !c->plr)
            continue;
        c->plr->ReadyFlag =
            payload.empty() ? 0 : static_cast<uint8_t>(ReadBits(payload, position, 1));
    }
    Room().RepaintUserList();
}

bool PlayerReady(const tclient& player) {
    return player.plr && player.plr->ReadyFlag != 0;
}

ListClick OwnRowClick(int x, int rowWidth, int moveButtonWidth, bool leftButton) {
    ListClick click;
    const tmegame& g = ClientState.game;
    if (!leftButton)
        return click;
    // A watcher or a player already out is not in play: the move goes to the server, which
    // decides.
    if (!OwnPlayerInPlay() && Settings.rules.allowmove != 0 && x >= rowWidth - moveButtonWidth)
        click.move = true;
    if (g.OwnPlayer != nullptr && g.OwnPlayer->slot > 0 && Settings.rules.startvote != 0 &&
        x > 16 && x < 35)
        click.toggleReady = true;
    return click;
}

TeamUpdate CheckTeamUpdate(const std::string& text) {
    const tmegame& g = ClientState.game;
    const std::string own = g.OwnPlayer ? g.OwnPlayer->TeamName : std::string();
    if (text == own)
        return TeamUpdate::Unchanged;
    if ((!text.empty() && !IsValidText(text)) || text.size() >= 26)
        return TeamUpdate::Invalid;
    if (Settings.rules.eteams != 0 && g.Spectating == 0)
        return TeamUpdate::Locked;
    return TeamUpdate::Send;
}

std::string RoomTrayHint(const std::string& account, const std::string& host) {
    // While the lobby link is up or on its way the tray tells of the lobby instead.
    if (ClientState.game.GameLinkState != LinkInRoom || !Room().LobbyLinkDown())
        return {};
    const int n = PlayerCount();
    return account + " on " + host + ", " + std::to_string(n) + (n == 1 ? " player" : " players");
}

UserMenu PrepareUserMenu(const tclient& player, bool lobbyConnected) {
    UserMenu menu;
    const tclient* own = ClientState.game.OwnPlayer;
    const bool op = own != nullptr && IsRoomOperator(own->name);
    menu.kick = op;
    menu.move = op;
    menu.toSpectators = player.slot != 0;
    menu.toPlayerList = player.slot == 0;
    for (int slot = 1; slot <= MaxSlots; ++slot)
        menu.toSlot[static_cast<std::size_t>(slot)] = player.slot != slot;
    menu.details = lobbyConnected;
    return menu;
}

int SlotFromCaption(std::string_view caption) {
    if (caption.size() < 10)
        return 0;
    const char c = caption[9];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

bool KickMessageValid(const std::string& message) {
    return message.empty() || IsValidText(message);
}

void SendKick(const std::string& name) {
    GameSender().SendGameMessage(MsgKick, name);
}

void SendKickWithMessage(const std::string& name, const std::string& message) {
    GameSender().SendGameMessage(MsgKick, name + '\x02' + message);
}

std::string BanListWithLine(const std::string& list, const std::string& line) {
    std::string out = list;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r')
        out += "\r\n";
    out += line;
    out += "\r\n";
    return out;
}

void SendKickAndBan(const std::string& name, const std::string& message) {
    SendKickWithMessage(name, message);
    Settings.rules.BanList = BanListWithLine(Settings.rules.BanList, name + " " + message);
    GameSender().SendGameMessage(MsgBanListEdit, Settings.rules.BanList);
}

void SendMove(const std::string& name, int slot) {
    GameSender().SendGameMessage(0x1f, name + '\x02' + std::to_string(slot));
}

void ShowLastGameStats(const std::string& payload) {
    LogErrors("ShowLastGameStats", [&] {
        const auto stats = ParseGameStats(payload);
        if (!stats) {
            AddLogLine("Game statistics ignored: the record does not inflate (" +
                       std::to_string(payload.size()) + " bytes)");
            return;
        }
        TStatsPanel panel;
        panel.results = StatsResultLines(*stats);
        panel.events = StatsEventLines(stats->played, ClientState.game.GamesPlayed,
                                       ClientState.game.GameEventLog);
        panel.headers = stats->headers;
        panel.rows = stats->rows;
        RoomWindowConfig config;
        RoomView().GetConfig(config);
        panel.widths = StatsColumnWidths(config.gstatsw, stats->colwidths,
                                         static_cast<int>(panel.headers.size()));
        RoomView().ShowStats(panel, stats->played);
    });
}

std::vector<std::string> StatsLogText(const TStatsPanel& panel) {
    const auto plain = [](const std::vector<std::string>& styled) {
        std::vector<std::string> out;
        for (const std::string& line : styled) {
            for (const TTextLine& l : SplitStyledLines(line)) out.push_back(l.plain);
        }
        return out;
    };
    std::vector<std::vector<std::string>> table;
    table.push_back(panel.headers);
    for (const auto& row : panel.rows) {
        std::vector<std::string> cells = row;
        cells.resize(panel.headers.size());
        table.push_back(std::move(cells));
    }
    return StatsLogLines(plain(panel.results), table, plain(panel.events));
}

void SetRoomGameSetEditor(std::function<void(const RoomGameSetRequest&)> open) {
    gameSetEditor = std::move(open);
}

void OpenRoomGameSet() {
    const tmegame& g = ClientState.game;
    RoomGameSetRequest request;
    const GameLinkHost::JoinedGameInfo joined = GameHost().JoinedGame();
    if (joined.known)
        request.gameId = joined.id;
    request.name = GameLink.GameName;
    request.data = g.CurrentGameSetBlob;
    request.editable =
        g.OwnPlayer != nullptr && IsRoomOperator(g.OwnPlayer->name) && g.GameRunning == 0;
    if (gameSetEditor)
        gameSetEditor(request);
    else
        AddLogLine("No game-set editor to open the room's game set");
}

void GameLinkHost::ClearReadyFlags() {
    SetReadyFlags(std::string());
}

bool GameLinkHost::OwnPlayerReady() {
    const tclient* own = ClientState.game.OwnPlayer;
    return own != nullptr && PlayerReady(*own);
}

}  // namespace pk
