// The configuration model: every value of "pelkorin.cfg" that has no home in Settings or
// ClientState yet, kept where the windows, pages and the lobby bind to it. The reader and the
// writer of the file work on this model and on Settings (client options, key table) and
// NoHighResTimer; they never touch a widget.
//
// "pelkorin.cfg" is one TXSettings record in compressed form. Values are text, numbers in
// decimal. Column widths are decimal numbers joined by the byte 0x01, fonts in the font-string
// form (zrmisc.h), friends and ignored users joined by ",", the server list one server per line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrmisc.h"
#include "core/zrxsettings.h"

namespace pk {

// The version this build writes as "ver".
inline constexpr std::string_view ConfigVersion = "2.00.136";
// "profilever" of a profile this build wrote.
inline constexpr int CurrentProfileVersion = 101;

// The lobby's share: options of the lobby page, the lobby part of the client state, friends,
// ignored users and the profile. The lobby takes them over through ShellLobby::ApplyConfig.
struct TConfigLobby {
    uint8_t findgamests = 0;     // time stamps on lobby chat lines
    uint8_t showjoinsparts = 0;  // joins and parts in the lobby chat
    uint8_t minimizebrb = 1;     // minimising sets "be right back"
    int32_t concurrentpings = 3;
    int32_t pingtries = 1;
    int32_t idlebrb = 5;  // idle minutes before the automatic statuses
    int32_t idleaway = 15;
    int32_t idlesleeping = 120;
    uint8_t showfriends = 1;  // user list sections open
    uint8_t showusers = 1;
    uint8_t showignore = 1;
    std::string room;  // the last room and its key
    std::string roomkey;
    int32_t state = 1;  // own lobby status
    std::vector<std::string> friends;
    std::vector<std::string> ignored;
    std::string profile;  // compressed TXSettings
    std::string awaymsg;  // written, never read back
};

// The main window's place as stored ("winx" ... "winmax").
struct TConfigWindow {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t maximised = 0;
    bool operator==(const TConfigWindow&) const = default;
};

// What the load found that the save must heed.
struct TConfigLoaded {
    // "gamesets.cfg" is of a version this build does not read: it is never written over.
    bool keepGameSetFile = false;
    // The theme choice ("theme2") and the window's place as the start-up left them. The close
    // compares them with what is in force then: unchanged means the player did not choose.
    std::string theme2;
    TConfigWindow window;
};

struct TConfig {
    std::string ver;  // as read; empty when there was no file
    // login page
    std::string accountname;
    std::string accountpass;               // read once, never written
    std::string serveraddress;             // the server box's text
    std::vector<std::string> gameservers;  // its list
    // room window
    std::string teamname;
    int32_t gstatsheight = 120;  // the statistics area; a collapsed area keeps the stored height
    uint8_t gstatsexpand = 0;
    std::string gstatsw;  // last-game statistics column widths
    // player-details dialog
    std::string pstatsw;
    int32_t userstatsx = 100;
    int32_t userstatsy = 100;
    int32_t userstatswidth = 420;
    int32_t userstatsheight = 360;
    // lobby window
    int32_t btopleftheight = 160;
    int32_t brightwidth = 0;  // 0: none stored; the lobby window fits its room list
    int32_t btoprightheight = 160;
    std::string bgamelistw;  // column widths of the game and room lists
    std::string broomlistw;
    // theme page
    int32_t tcolwidth = 180;
    int32_t tpreviewheight = 200;
    // fonts: in-game chat, attack list, room chat, room statistics, lobby chat, player details
    FontSpec fplaygamechat;
    FontSpec fattacks;
    FontSpec fgamechat;
    FontSpec fgamestats;
    FontSpec fbrowserchat;
    FontSpec fpstats;
    // server page: read and handed over, never written
    std::string gamesettings;
    int32_t gameport = 31459;
    std::string gamename;
    // "theme2" as read: written back while no theme is loaded, so a start whose theme failed
    // does not lose the choice
    std::string theme2;
    TConfigWindow window;
    TConfigLobby lobby;
    TConfigLoaded loaded;
};

// The one configuration model of the client.
extern TConfig Config;

// Every value read from the record: into Config, Settings.options, the key table and
// NoHighResTimer. A missing key takes its default; sizes of panels and dialogs and the fonts
// default to what the model holds (the controls' own). Game sets, theme and window geometry
// are LoadConfig's.
void ReadConfigRecord(const TXSettings& record);
// The record "pelkorin.cfg" holds, from the same places, in the order it is written. `theme2`
// is the theme selection's value, or empty for none; `window` the main window's place now.
TXSettings WriteConfigRecord(const std::string& theme2, const TConfigWindow& window);

// Column widths: the widths joined by 0x01. Setting takes field i for column i and keeps the
// width of a column whose field is missing or not a number.
std::string GetColumnWidths(const std::vector<int>& widths);
void SetColumnWidths(std::vector<int>& widths, std::string_view text);

// Names cut at "," that pass the nickname validator; the others are dropped.
std::vector<std::string> ReadNameList(std::string_view text);
std::string JoinNames(const std::vector<std::string>& names);

}  // namespace pk
