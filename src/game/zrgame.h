// Game records: the player slots of a room, the game fields of the settings record
// (`Settings`) and of the client's own state (`ClientState`), and the game thread's timing
// fields that the own-game cycle sets.
//
// Other units add their own parts with small additive edits: each subsystem has its own nested
// record (Settings.rules, ClientState.game.link ...). Add a nested struct for a new subsystem
// rather than loose fields.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/zrconst.h"
#include "game/zrfield.h"
#include "game/zrkeytable.h"
#include "game/zrslot.h"
#include "klb/zrtheme.h"

namespace pk {

struct tSbGame;  // lobby record of the joined game, owned by the lobby

// One cell record of the painter's grid (six bytes; the painter gives them meaning).
struct TCellLayerRec {
    uint8_t b[6] = {0, 0, 0, 0, 0, 0};
};
inline constexpr int CellGridColumns = 20;
inline constexpr int CellGridRows = 40;

// One player's field state; exists only while the player holds a slot.
struct tplr {
    TFieldString field;
    std::array<std::array<TCellLayerRec, CellGridColumns>, CellGridRows> CellLayerGrid{};
    uint8_t ReadyFlag = 0;            // set by the room window (message 0x05)
    int32_t SlotValue = 0;            // per-player value of message 0x04, shown by the painter
    uint8_t PlayerState = psPlaying;  // PlayerStateId
};

// One player of the room.
struct tclient {
    std::string name;
    std::string TeamName;
    int32_t slot = 0;  // 0 spectator, else 1..6
    std::unique_ptr<tplr> plr;
};

// Player tables. Players owns the records; a removed player leaves a nullptr hole that the next
// AddPlayer reuses. SlotPlayers[1..6] by slot number (index 0 unused), nullptr = free slot.
extern std::vector<std::unique_ptr<tclient>> Players;
extern std::array<tclient*, MaxSlots + 1> SlotPlayers;

void InitPlayerSlots();
tclient* FindPlayer(const std::string& name);
int PlayerCount();
int FirstFreeSlot();
void ResetPlayerField(tclient& c);
// Takes the player's field state away (a later ResetPlayerField gives it a
// fresh one). Released states are kept for the next players seated: a room
// seats and frees players all the time, and each state is 5 KB.
void ReleasePlayerField(tclient& c);
// Gives the player slot `slot`: a playing slot (1..6) gets an empty field and its entry in
// SlotPlayers; slot 0 only marks a watcher.
void SeatPlayer(tclient& c, int slot);
tclient* AddPlayer(const std::string& name);
void RemovePlayer(tclient* p);
void RemoveAllPlayers();
void FreePlayerSlots();

// Hooks of RemovePlayer for the parts other units own (timed effects of the slot, next target,
// viewed slot, room player list). Each is optional.
struct PlayerSlotHooks {
    void (*RemoveSlotTimed)(int slot) = nullptr;
    void (*NextTarget)() = nullptr;
    void (*SetViewedSlot)(int slot) = nullptr;
    void (*RebuildPlayerList)() = nullptr;
};
extern PlayerSlotHooks SlotHooks;

// ---------------------------------------------------------------- Settings

// The game rules in force, filled by the game-set message from the keys of the same names.
struct tgamerules {
    int32_t lvlstart = 1;
    int32_t linesforsb = 1;
    int32_t sbinc = 1;
    int32_t invcap = 18;
    uint8_t multfieldsb = 0;
    uint8_t multcolsb = 0;
    std::array<std::string, 5> sbchance;  // [1..4]: pools for 1, 2, 3, 4+ lines; [0] unused
    int32_t startvotesec = 0;
    int32_t piecedelay = 0;
    uint8_t startvote = 0;
    uint8_t deadsb = 0;
    uint8_t eteams = 0;
    uint8_t avglvl = 0;
    uint8_t allowmove = 0;
    std::array<int32_t, MaxSlots + 1> stacks{};  // [1..6]; [0] unused
    uint8_t sbsinorder = 0;
    uint8_t pshadow = 0;
    uint8_t sacrifice = 0;
    uint8_t holdpiece = 0;
    std::string RoomMotd;
    std::string BanList;
    int32_t sbnlines = 0;
    int32_t sbrblocks = 0;
    int32_t sbsstack = 0;
    int32_t sbosize = 0;
    int32_t sbicount = 0;
    int32_t sbdcount = 0;
    int32_t sbfcount = 0;
    int32_t sbmcount = 0;
    uint8_t sbgcollect = 0;
    uint8_t sbglines = 0;
    uint8_t sbitimed = 0;
    uint8_t sbiself = 0;
    uint8_t sbdtimed = 0;
    uint8_t sbftimed = 0;
    uint8_t sbmtimed = 0;
    uint8_t sbistack = 0;
    uint8_t sbdstack = 0;
    uint8_t sbfstack = 0;
    uint8_t sbmstack = 0;
};

// The client's options of the settings pages, under their configuration keys ("pelkorin.cfg").
struct tclientoptions {
    uint8_t soundon = 1;       // play theme sounds
    uint8_t resizefields = 0;  // stretch the game graphics with the window
    uint8_t showshadow = 0;    // landing shadow of the falling piece
    uint8_t taskbar = 1;       // minimising puts the client in the notification area
    uint8_t chatts = 0;        // time stamps on game-room chat lines
    uint8_t maxfs = 1;         // a maximised main window covers the whole screen
    uint8_t showincsb = 1;     // show incoming special-block attacks
    uint8_t animdrop = 1;      // pieces drop smoothly
    uint8_t usealpha = 1;      // alpha blending of blocks
    int32_t shadowoption = 1;  // 1, 2, 3: 25, 50, 75 percent transparent; 4: outline
    uint8_t loopallmusic = 1;  // at the end of a track play the next one
};

// The lobby options of the settings pages, under their configuration keys.
struct tlobbyoptions {
    uint8_t findgamests = 0;      // time stamps on lobby chat lines
    uint8_t showjoinsparts = 0;   // joins and parts of room users in the lobby chat
    uint8_t minimizebrb = 1;      // minimising sets "be right back"
    int32_t concurrentpings = 3;  // regions pinged at the same time
    int32_t pingtries = 1;        // answers a region needs before its ping counts as measured
    int32_t idlebrb = 5;          // idle minutes before the automatic statuses; 0 = off
    int32_t idleaway = 15;
    int32_t idlesleeping = 120;
};

// The client's settings record. Theme selection, client options, key table and lobby options
// are added by their units as further nested records.
struct tsettingsarray {
    tgamerules rules;
    TZRTheme theme;  // the loaded theme (klb/zrtheme.h); block blits read theme.draw
    TKeyTable keys;  // the 19 key slots, indexed by action id (zrkey)
    tclientoptions options;
    tlobbyoptions lobby;
};
extern tsettingsarray Settings;

// ---------------------------------------------------------------- ClientState

// Game-server link state; its fields belong to the link.
struct tse {};

// States of the game-server link (tmegame::GameLinkState).
enum LinkStateId : uint8_t {
    LinkJoining = 0,  // connecting, logging in, waiting for the join
    LinkInRoom = 1,
    LinkDown = 2,  // not connected
};

// The game-server link and game state of the client.
struct tmegame {
    tSbGame* JoinedGame = nullptr;
    int32_t LinkValue = 0;  // link bookkeeping
    std::string LinkText;
    uint8_t GameLinkState = LinkDown;  // LinkStateId
    uint8_t Spectating = 1;
    uint8_t GameRunning = 0;
    uint8_t GamePaused = 0;
    int32_t PauseStart = 0;
    int32_t GamesPlayed = 0;
    std::string RoomOperators;  // operator names from message 0x25; cleared by ResetGame
    tse link;
    tclient* OwnPlayer = nullptr;
    int32_t OwnSlot = 1;
    int32_t TargetSlot = 0;
    int32_t RevengeSlot = 0;
    int32_t PieceX = -1;
    int32_t PieceY = -1;
    int32_t OwnLevel = 1;
    int32_t LinesCleared = 0;
    int32_t AttackCount = 0;
    int32_t PendingLimit = 0;
    int32_t PieceRotation = 1;
    std::string NextPieceToken;
    TPieceString CurrentPiece;
    std::string UpcomingPieces;
    std::string PieceLog;
    std::string HoldToken;
    std::string Inventory;
    uint8_t QueueBusy = 0;
    uint8_t PieceWaiting = 0;
    uint8_t FastFall = 0;  // 1 while "Fall faster" is held
    uint8_t HoldUsed = 0;
    int32_t GameTimeBase = 0;
    int32_t AverageLevel = 0;
    int32_t SeedA = 0;
    int32_t SeedB = 0;
    std::string CurrentGameSetBlob;
    std::vector<std::string> GameEventLog;
    std::array<int32_t, 4> ShadowPlace{-1, -1, -1, -1};
};

// The shell's part of the client state.
struct tmeshell {
    // Set while a theme loads (the main window is disabled meanwhile); ApplyTheme clears it.
    uint8_t ThemeChanging = 0;
};

// One update run of the update client (update/zrupdate.h); its fields belong to it.
struct tupdateclient {
    uint8_t RestartPending = 0;  // the updater runs: its queue and files must stay
    uint8_t Phase = 2;           // UpdatePhase: 0 connecting, 1 connected, 2 no run
    std::string PatchPath;       // while a download runs
    int32_t TotalBytes = 0;
    int32_t ReceivedBytes = 0;
    int32_t StartTime = 0;  // seconds clock at "start"
    int32_t ExpectedCrc = 0;
    int32_t Connection = -1;
    std::string ReceiveBuffer;
    std::string SendQueue;
    uint8_t Busy = 0;
    uint8_t Downloading = 0;  // file data follows; the clock may read 0 at "start"
    int32_t Redirects = 0;    // followed in this run
};

// The account the lobby logs in with and what the sign-up and query dialogs fill in.
struct tmeaccount {
    std::string AccountName;
    std::string Password;
    std::string SignUpText;  // the "new" line's arguments, built by the sign-up dialog
    std::string VerifyCode;
    std::string BirthDate;      // "yyyy-mm-dd", for a forgotten password
    int32_t WelcomeNumber = 0;  // from the master server's welcome
};

// States of the master-server link (tmesb::LobbyLinkState).
enum LobbyLinkStateId : int32_t {
    sbConnecting = 0,  // connecting, text phase, key exchange
    sbConnected = 1,   // the welcome has arrived
    sbDown = 2,
};

// What the lobby does once the regions arrive (tmesb::PendingAction).
enum LobbyPendingAction : uint8_t {
    paJoinGame = 1,  // 0 means the same
    paCreateGame = 2,
    paPingOnly = 3,
};

// The master server's address; the start-up stores the defaults, the configuration may not.
struct tsbserver {
    std::string host = DefaultMasterServerHost;
    int32_t port = DefaultMasterServerPort;
};

// The lobby's state that the shell, the configuration and the game part read. The records
// (rooms, users, games, friends, regions) and the link's buffers and keys belong to the lobby
// (src/lobby), which refers to them by id.
struct tmesb {
    int32_t LobbyLinkState = sbDown;  // LobbyLinkStateId
    int32_t TryCounter = 0;           // connection attempts since the last welcome
    uint8_t LobbyConnectMode = 0;     // 0 login, 1 new account, 2 verify, 3 forgotten password
    uint8_t RegionsStale = 0;
    uint8_t AutoStatus = 0;      // the own status was set by the idle timer or by minimising
    uint8_t AutoStatus2 = 0;     // its companion flag
    int64_t LastActivity = 0;    // SecondClock
    int64_t LastServerPing = 0;  // SecondClock of the connect and of the last server ping
    uint8_t ShowFriends = 1;     // user list sections open
    uint8_t ShowUsers = 1;
    uint8_t ShowIgnore = 1;
    uint8_t PendingAction = 0;  // LobbyPendingAction
    int32_t InviteRoomId = 0;
    int32_t InviteGameId = 0;
    std::string Inviter;
    int32_t DetailsRoomId = 0;
    int32_t ShownGameId = 0;
    std::string DetailsPlayer;
    std::string RoomName;  // remembered room and its key ("room", "roomkey")
    std::string RoomKey;
    uint8_t OwnSavedStatus = 1;  // "state"
    std::string OwnProfile;      // compressed TXSettings
    std::string AwayMessage;
    tsbserver server;
};

// The client's own state: the account, then each unit's part as a nested record.
struct tme {
    tmeaccount account;
    tmegame game;
    tmeshell shell;
    tupdateclient update;
    tmesb lobby;
};
extern tme ClientState;

// The own player's field; throws std::logic_error when there is no own player in a slot.
TFieldString& OwnField();

// ---------------------------------------------------------------- game thread timing

// The game thread's timing fields that the own-game cycle sets on the main thread and the game
// thread reads; atomics because both threads touch them.
struct TGameTiming {
    std::atomic<int32_t> FallOffset{0};
    std::atomic<int32_t> FallInterval{0};
    std::atomic<int32_t> LevelFallInterval{40};
    std::atomic<int32_t> FastFallInterval{40};
    std::atomic<int64_t> NextFallTime{0};
    std::atomic<uint8_t> LockPending{0};
    std::atomic<int64_t> PieceDelayStart{0};
    std::atomic<uint8_t> PieceActive{0};
};
extern TGameTiming GameTiming;

// Every tmegame field to its reset value, and the thread's fall fields and piece flags
// (PieceActive, LockPending, PieceDelayStart) zeroed.
void ResetGame();
// The piece fields only (see zrgame.cpp) and the same thread fields, for a new game of a player
// who stays in the room.
void ResetRound();

}  // namespace pk
