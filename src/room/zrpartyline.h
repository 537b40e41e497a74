#pragma once
// The game room window's logic, headless: the chat lines it shows, the rows of its player list,
// the ready marks (message 0x05), the last game's statistics (message 0x02), what a click on the
// list, the team button and the moderation menu do, and the tray hint. The window (Tzrpartyline
// in src/room/ui) installs itself as the RoomWindowView and only presents what is decided here.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrmisc.h"
#include "room/zrgamestats.h"

namespace pk {

struct tclient;

inline constexpr std::uint8_t MsgReadyFlags = 0x05;
inline constexpr std::uint8_t MsgKick = 0x1e;
inline constexpr std::uint8_t MsgRoomOperators = 0x25;

// What the room window keeps in the configuration ("gstatsw", "gstatsheight", "gstatsexpand",
// "fgamechat", "fgamestats"). A font left at its default is not set.
struct RoomWindowConfig {
    std::string gstatsw;
    int32_t gstatsheight = 90;
    uint8_t gstatsexpand = 0;
    FontSpec fgamechat;
    FontSpec fgamestats;
    bool chatFontSet = false;
    bool statsFontSet = false;
};

// The statistics panel's content: results and event lines with their style codes, the table.
struct TStatsPanel {
    std::vector<std::string> results;
    std::vector<std::string> events;
    std::vector<std::string> headers;
    std::array<std::vector<std::string>, 6> rows;
    std::vector<int> widths;
};

class RoomWindowView {
public:
    virtual ~RoomWindowView() = default;
    virtual void AddChatLine(const std::string& line) { (void)line; }
    virtual void ClearChat() {}
    virtual void RefreshUserList() {}
    virtual void RepaintUserList() {}
    virtual bool TeamUpdateEnabled() const { return false; }
    virtual void SetTeamUpdateEnabled(bool on) { (void)on; }
    virtual void SetTeamNameText(const std::string& text) { (void)text; }
    virtual void UpdateTeamClick() {}
    // New statistics; `open` asks for the panel to be shown when it is hidden.
    virtual void ShowStats(const TStatsPanel& panel, bool open) {
        (void)panel;
        (void)open;
    }
    // The column widths the player set in the table.
    virtual std::vector<int> StatsWidths() const { return {}; }
    virtual void SetConfig(const RoomWindowConfig& config) { (void)config; }
    virtual void GetConfig(RoomWindowConfig& config) { (void)config; }
};

// The installed window; never null (nullptr restores the do-nothing one).
RoomWindowView& RoomView();
void SetRoomView(RoomWindowView* view);

// ---- Chat ------------------------------------------------------------------

// The line the chat box gets: with time stamps on, 0x05 "17", the stamp, 0x05, then the text.
std::string PartylineText(const std::string& text, bool timeStamps, const std::string& stamp);
// Adds a line to the room chat as the option "chatts" says.
void PartylineAddLine(const std::string& text);

// ---- Player list -----------------------------------------------------------

enum class RoomRowKind { Slot, Header, Spectator };
struct RoomRow {
    RoomRowKind kind = RoomRowKind::Slot;
    int slot = 0;               // 1..6 for slot rows
    tclient* player = nullptr;  // nullptr: open slot or the header
    std::size_t at = 0;         // spectators: the player's place in Players
    bool operator==(const RoomRow&) const = default;
};
// The row's player while it is still where the row found it; nullptr once it has gone (a row
// kept by a view may outlive its player until the next refresh).
tclient* RowPlayerNow(const RoomRow& row);
// Six slot rows, the spectators' header, then every spectator in list order.
std::vector<RoomRow> UserListRows();

// Whether `name` stands in the room's operator list.
bool IsRoomOperator(const std::string& name);
// The own player takes part in the running game (field state 3 in a slot).
bool OwnPlayerInPlay();
// The ready marks from message 0x05: one bit per occupied slot, slots 1 to 6, most significant
// bit first; an empty payload clears them. A short payload reads the missing bits as 0.
void SetReadyFlags(const std::string& payload);
bool PlayerReady(const tclient& player);

// What a press on the list does on the own row. `x` is from the row's left edge.
struct ListClick {
    bool move = false;
    bool toggleReady = false;
};
ListClick OwnRowClick(int x, int rowWidth, int moveButtonWidth, bool leftButton);

// The team button: what the typed team name leads to.
enum class TeamUpdate { Unchanged, Locked, Invalid, Send };
TeamUpdate CheckTeamUpdate(const std::string& text);
inline constexpr std::string_view TeamsLockedText =
    "Team names are locked down. They cannot be changed by players!";
inline constexpr std::string_view InvalidTeamText = "Invalid team name!";

// The tray icon's hint while in a room and not in the lobby, else empty.
std::string RoomTrayHint(const std::string& account, const std::string& host);

// ---- Moderation menu -------------------------------------------------------

struct UserMenu {
    bool kick = false;
    bool move = false;
    bool toPlayerList = false;
    bool toSpectators = false;
    std::array<bool, 7> toSlot{};  // [1..6]
    bool details = false;
};
// The entries shown for `player`: kick and move by the own operator rights.
UserMenu PrepareUserMenu(const tclient& player, bool lobbyConnected);
// The slot an entry's caption names: its tenth character as a digit, 0 otherwise.
int SlotFromCaption(std::string_view caption);
bool KickMessageValid(const std::string& message);
inline constexpr std::string_view InvalidKickText = "Invalid kick message!";
void SendKick(const std::string& name);
void SendKickWithMessage(const std::string& name, const std::string& message);
// Kicks, then appends "name message" to the room's ban list and sends the whole list.
void SendKickAndBan(const std::string& name, const std::string& message);
void SendMove(const std::string& name, int slot);
// The ban list with one more line.
std::string BanListWithLine(const std::string& list, const std::string& line);

// ---- Statistics -------------------------------------------------------------

// The message 0x02 handler: builds the panel from the payload and the events of the game.
void ShowLastGameStats(const std::string& payload);
// The lines of a panel as the log file holds them (style codes removed).
std::vector<std::string> StatsLogText(const TStatsPanel& panel);

// ---- Hooks the main program fills ---------------------------------------------

// Opens the game-set editor in its room mode with the room's set; `editable` for operators
// outside a game. `gameId` is the joined lobby game, whose region the editor shows; -1 for a
// game joined straight on its server.
struct RoomGameSetRequest {
    std::int32_t gameId = -1;
    std::string name;
    std::string data;
    bool editable = false;
};
void SetRoomGameSetEditor(std::function<void(const RoomGameSetRequest&)> open);
void OpenRoomGameSet();

}  // namespace pk
