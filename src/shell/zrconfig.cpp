#include "shell/zrconfig.h"

#include <array>

#include "core/zrlines.h"
#include "game/zrgame.h"
#include "game/zrkey.h"
#include "shell/zrlobbyhooks.h"

namespace pk {

TConfig Config;

namespace {

// The fonts under their keys, in the order they are written.
struct FontKey {
    std::string_view key;
    FontSpec TConfig::*font;
};
constexpr std::array<FontKey, 6> FontKeys = {{
    {"fplaygamechat", &TConfig::fplaygamechat},
    {"fattacks", &TConfig::fattacks},
    {"fgamechat", &TConfig::fgamechat},
    {"fgamestats", &TConfig::fgamestats},
    {"fbrowserchat", &TConfig::fbrowserchat},
    {"fpstats", &TConfig::fpstats},
}};

// The byte options of Settings.options under their keys.
struct OptionKey {
    std::string_view key;
    uint8_t tclientoptions::*option;
    uint8_t def;
};
constexpr std::array<OptionKey, 10> OptionKeys = {{
    {"soundon", &tclientoptions::soundon, 1},
    {"resizefields", &tclientoptions::resizefields, 0},
    {"showshadow", &tclientoptions::showshadow, 0},
    {"taskbar", &tclientoptions::taskbar, 1},
    {"chatts", &tclientoptions::chatts, 0},
    {"maxfs", &tclientoptions::maxfs, 1},
    {"showincsb", &tclientoptions::showincsb, 1},
    {"animdrop", &tclientoptions::animdrop, 1},
    {"usealpha", &tclientoptions::usealpha, 1},
    {"loopallmusic", &tclientoptions::loopallmusic, 1},
}};

std::string SlotKey(std::string_view prefix, int slot) {
    return std::string(prefix) + std::to_string(slot);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

void ReadKeyTable(const TXSettings& r) {
    TKeyTable& keys = Settings.keys;
    ResetKeyTable(keys, krConfigLoad);
    for (int slot = 1; slot <= KeySlotCount; ++slot) {
        TKeySlotRec& k = keys[static_cast<std::size_t>(slot - 1)];
        k.KeySetting = r.GetInt(SlotKey("key", slot), k.KeySetting);
    }
    for (int slot = 1; slot <= KeySlotCount; ++slot) {
        TKeySlotRec& k = keys[static_cast<std::size_t>(slot - 1)];
        k.DelaySetting = r.GetInt(SlotKey("keyd", slot), k.DelaySetting);
    }
    for (int slot = 1; slot <= KeySlotCount; ++slot) {
        TKeySlotRec& k = keys[static_cast<std::size_t>(slot - 1)];
        k.RepeatSetting = r.GetInt(SlotKey("keyr", slot), k.RepeatSetting);
    }
    ResetKeyTable(keys, krUseKeys | krUseDelays | krUseRepeats);
}

void ReadLobbyValues(const TXSettings& r) {
    TConfigLobby& l = Config.lobby;
    const TConfigLobby def;
    l.findgamests = r.GetByte("findgamests", def.findgamests);
    l.showjoinsparts = r.GetByte("showjoinsparts", def.showjoinsparts);
    l.minimizebrb = r.GetByte("minimizebrb", def.minimizebrb);
    l.concurrentpings = r.GetInt("concurrentpings", def.concurrentpings);
    l.pingtries = r.GetInt("pingtries", def.pingtries);
    l.idlebrb = r.GetInt("idlebrb", def.idlebrb);
    l.idleaway = r.GetInt("idleaway", def.idleaway);
    l.idlesleeping = r.GetInt("idlesleeping", def.idlesleeping);
    l.showfriends = r.GetByte("showfriends", def.showfriends);
    l.showusers = r.GetByte("showusers", def.showusers);
    l.showignore = r.GetByte("showignore", def.showignore);
    l.room = r.GetValue("room");
    l.roomkey = r.GetValue("roomkey");
    l.state = r.GetInt("state", def.state);
    l.friends = ReadNameList(r.GetValue("friends"));
    l.ignored = ReadNameList(r.GetValue("ignored"));
    if (r.GetInt("profilever", 0) == CurrentProfileVersion)
        l.profile = r.GetValue("profile");
    else
        l.profile = Lobby().FreshProfile();
}

}  // namespace

void ReadConfigRecord(const TXSettings& r) {
    TConfig& c = Config;
    c.ver = r.GetValue("ver");
    c.accountname = r.GetValue("name");
    c.accountpass = r.GetValue("password");
    c.gameservers = SplitLines(r.GetValue("gameservers"), LineBreaks::LfEnds);
    c.teamname = r.GetValue("team");
    NoHighResTimer = r.GetByte("safetimer", 0);
    ReadKeyTable(r);

    c.pstatsw = r.Has("pstatsw") ? r.GetValue("pstatsw") : c.pstatsw;
    c.gstatsw = r.GetValue("gstatsw");
    c.gstatsheight = r.GetInt("gstatsheight", c.gstatsheight);
    c.gstatsexpand = r.GetByte("gstatsexpand", 0);
    c.btopleftheight = r.GetInt("btopleftheight", c.btopleftheight);
    c.brightwidth = r.GetInt("brightwidth", c.brightwidth);
    c.btoprightheight = r.GetInt("btoprightheight", c.btoprightheight);
    c.userstatsx = r.GetInt("userstatsx", c.userstatsx);
    c.userstatsy = r.GetInt("userstatsy", c.userstatsy);
    c.userstatswidth = r.GetInt("userstatswidth", c.userstatswidth);
    c.userstatsheight = r.GetInt("userstatsheight", c.userstatsheight);
    c.bgamelistw = r.Has("bgamelistw") ? r.GetValue("bgamelistw") : c.bgamelistw;
    c.broomlistw = r.Has("broomlistw") ? r.GetValue("broomlistw") : c.broomlistw;
    c.tcolwidth = r.GetInt("tcolwidth", c.tcolwidth);
    c.tpreviewheight = r.GetInt("tpreviewheight", c.tpreviewheight);
    for (const FontKey& f : FontKeys) {
        if (r.Has(f.key))
            StringToFont(r.GetValue(f.key), c.*f.font);
    }

    tclientoptions& o = Settings.options;
    for (const OptionKey& k : OptionKeys) o.*k.option = r.GetByte(k.key, k.def);
    o.shadowoption = r.GetInt("shadowoption", 1);
    ReadLobbyValues(r);

    c.gamesettings = r.GetValue("gamesettings");
    c.gameport = r.GetInt("gameport", 31459);
    c.gamename = r.GetValue("gamename");
    c.theme2 = r.GetValue("theme2");
    c.window.x = r.GetInt("winx", 0);
    c.window.y = r.GetInt("winy", 0);
    c.window.width = r.GetInt("winw", 0);
    c.window.height = r.GetInt("winh", 0);
    c.window.maximised = r.GetByte("winmax", 0);
}

TXSettings WriteConfigRecord(const std::string& theme2, const TConfigWindow& window) {
    const TConfig& c = Config;
    const TConfigLobby& l = c.lobby;
    const tclientoptions& o = Settings.options;
    const TKeyTable& keys = Settings.keys;
    TXSettings r;
    r.SetValue("ver", std::string(ConfigVersion));
    r.SetValue("name", c.accountname);
    r.SetValue("gameservers", JoinLines(c.gameservers));
    for (int slot = 1; slot <= KeySlotCount; ++slot)
        r.SetInt(SlotKey("key", slot), keys[static_cast<std::size_t>(slot - 1)].KeySetting);
    for (int slot = 1; slot <= KeySlotCount; ++slot)
        r.SetInt(SlotKey("keyd", slot), keys[static_cast<std::size_t>(slot - 1)].DelaySetting);
    for (int slot = 1; slot <= KeySlotCount; ++slot)
        r.SetInt(SlotKey("keyr", slot), keys[static_cast<std::size_t>(slot - 1)].RepeatSetting);
    r.SetValue("team", c.teamname);
    r.SetByte("safetimer", NoHighResTimer.load());
    r.SetValue("pstatsw", c.pstatsw);
    r.SetValue("gstatsw", c.gstatsw);
    r.SetInt("gstatsheight", c.gstatsheight);
    r.SetByte("gstatsexpand", c.gstatsexpand);
    r.SetInt("btopleftheight", c.btopleftheight);
    r.SetInt("brightwidth", c.brightwidth);
    r.SetInt("btoprightheight", c.btoprightheight);
    r.SetInt("userstatsx", c.userstatsx);
    r.SetInt("userstatsy", c.userstatsy);
    r.SetInt("userstatswidth", c.userstatswidth);
    r.SetInt("userstatsheight", c.userstatsheight);
    r.SetValue("bgamelistw", c.bgamelistw);
    r.SetValue("broomlistw", c.broomlistw);
    r.SetInt("tcolwidth", c.tcolwidth);
    r.SetInt("tpreviewheight", c.tpreviewheight);
    for (const FontKey& f : FontKeys) r.SetValue(f.key, FontToString(c.*f.font));
    r.SetByte("soundon", o.soundon);
    r.SetByte("resizefields", o.resizefields);
    r.SetByte("showshadow", o.showshadow);
    r.SetInt("shadowoption", o.shadowoption);
    r.SetByte("taskbar", o.taskbar);
    r.SetByte("chatts", o.chatts);
    r.SetByte("maxfs", o.maxfs);
    r.SetByte("showincsb", o.showincsb);
    r.SetByte("animdrop", o.animdrop);
    r.SetByte("usealpha", o.usealpha);
    r.SetByte("loopallmusic", o.loopallmusic);
    r.SetByte("findgamests", l.findgamests);
    r.SetByte("showjoinsparts", l.showjoinsparts);
    r.SetByte("minimizebrb", l.minimizebrb);
    r.SetInt("concurrentpings", l.concurrentpings);
    r.SetInt("pingtries", l.pingtries);
    r.SetInt("idlebrb", l.idlebrb);
    r.SetInt("idleaway", l.idleaway);
    r.SetInt("idlesleeping", l.idlesleeping);
    r.SetInt("winx", window.x);
    r.SetInt("winy", window.y);
    r.SetInt("winw", window.width);
    r.SetInt("winh", window.height);
    r.SetByte("winmax", window.maximised);
    if (!theme2.empty())
        r.SetValue("theme2", theme2);
    r.SetValue("friends", JoinNames(l.friends));
    r.SetValue("ignored", JoinNames(l.ignored));
    r.SetByte("showignore", l.showignore);
    r.SetByte("showfriends", l.showfriends);
    r.SetByte("showusers", l.showusers);
    r.SetValue("room", l.room);
    r.SetValue("roomkey", l.roomkey);
    r.SetInt("state", l.state);
    r.SetValue("awaymsg", l.awaymsg);
    r.SetInt("profilever", CurrentProfileVersion);
    r.SetValue("profile", l.profile);
    return r;
}

std::string GetColumnWidths(const std::vector<int>& widths) {
    std::string text;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (i > 0)
            text += '\x01';
        text += std::to_string(widths[i]);
    }
    return text;
}

void SetColumnWidths(std::vector<int>& widths, std::string_view text) {
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const auto n = ParseInt(TokenAt(static_cast<int>(i + 1), text, '\x01'));
        if (n)
            widths[i] = *n;
    }
}

std::vector<std::string> ReadNameList(std::string_view text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view name = text.substr(start, end - start);
        if (IsValidName(name))
            names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += ',';
        text += names[i];
    }
    return text;
}

}  // namespace pk
