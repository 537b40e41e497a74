#include "room/zrroomrules.h"

#include "core/chatstyle.h"
#include "core/zrconst.h"
#include "core/zrgameset.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "room/zrroomhost.h"

namespace pk {

tgamerules RulesFromGameSet(const TGameSet& set) {
    tgamerules r;
    auto flag = [&](const char* key) { return static_cast<uint8_t>(set.GetBool(key) != 0); };
    r.lvlstart = set.GetInt("lvlstart");
    r.linesforsb = set.GetInt("linesforsb");
    r.sbinc = set.GetInt("sbinc");
    r.invcap = set.GetInt("invcap");
    r.startvotesec = set.GetInt("startvotesec");
    r.piecedelay = set.GetInt("piecedelay");
    r.sbnlines = set.GetInt("sbnlines");
    r.sbrblocks = set.GetInt("sbrblocks");
    r.sbsstack = set.GetInt("sbsstack");
    r.sbosize = set.GetInt("sbosize");
    r.sbicount = set.GetInt("sbicount");
    r.sbdcount = set.GetInt("sbdcount");
    r.sbfcount = set.GetInt("sbfcount");
    r.sbmcount = set.GetInt("sbmcount");
    r.avglvl = flag("avglvl");
    r.deadsb = flag("deadsb");
    r.multfieldsb = flag("multfieldsb");
    r.multcolsb = flag("multcolsb");
    r.eteams = flag("eteams");
    r.startvote = flag("startvote");
    r.sbsinorder = flag("sbsinorder");
    r.pshadow = flag("pshadow");
    r.sacrifice = flag("sacrifice");
    r.holdpiece = flag("holdpiece");
    r.allowmove = flag("allowmove");
    r.sbgcollect = flag("sbgcollect");
    r.sbglines = flag("sbglines");
    r.sbitimed = flag("sbitimed");
    r.sbiself = flag("sbiself");
    r.sbdtimed = flag("sbdtimed");
    r.sbftimed = flag("sbftimed");
    r.sbmtimed = flag("sbmtimed");
    r.sbistack = flag("sbistack");
    r.sbfstack = flag("sbfstack");
    r.sbmstack = flag("sbmstack");
    r.sbdstack = flag("sbdstack");
    const std::string stacks = set.GetValue("stacks");
    for (int i = 1; i <= MaxSlots; ++i)
        r.stacks[i] = ParseInt(TokenAt(i, stacks, '\x02')).value_or(0);
    for (int i = 1; i <= 4; ++i) r.sbchance[i] = set.GetValue("sbchance" + std::to_string(i));
    return r;
}

namespace {

// The room message and the ban list come with messages of their own: a new game set keeps them.
void PutRulesInForce(tgamerules rules) {
    tgamerules& inForce = Settings.rules;
    rules.RoomMotd = std::move(inForce.RoomMotd);
    rules.BanList = std::move(inForce.BanList);
    rules.sbchance[0] = std::move(inForce.sbchance[0]);
    inForce = std::move(rules);
}

// A set we cannot read must not leave half of its rules in force.
std::string Unreadable() {
    AddLogLine("Unreadable game settings ignored");
    return {};
}

void KeepGameSettings(const TGameSet& set, const std::string& blob) {
    ClientState.game.CurrentGameSetBlob = blob;
    PutRulesInForce(RulesFromGameSet(set));
}

}  // namespace

bool ApplyGameSettings(const std::string& blob) {
    TGameSet set;
    if (!set.LoadFromCompressed(blob))
        return false;
    KeepGameSettings(set, blob);
    return true;
}

std::string MajorSettingsSummary(const TGameSet& set) {
    std::string s;
    s += set.GetBool("classic") ? ", classic mode enabled" : ", classic mode disabled";
    s += set.GetInt("sbinc") == 0 ? ", special blocks disabled" : ", special blocks enabled";
    s += set.GetInt("piecedelay") > 0 ? ", piece delay enabled" : ", piece delay disabled";
    s += set.GetBool("eteams") ? ", team names locked" : ", teams not required";
    s += set.GetBool("winbylines") ? ", win after clearing " + set.GetValue("winlines") + " lines"
                                   : ", win by clearing lines disabled";
    s += set.GetBool("holdpiece") ? ", piece holding enabled" : ", piece holding disabled";
    return s;
}

std::string GameSettingsMessage(const std::string& payload) {
    return LogErrors("GameSettingsMessage", [&]() -> std::string {
        const std::string head = TokenAt(1, payload, '\x02');
        const std::string blob = RestFromToken(2, payload, '\x02');
        // Inflated before a set is built: most unreadable blobs then cost no set.
        const auto serial = InflateSerialForm(blob, MaxGameSetSize);
        if (!serial)
            return Unreadable();
        TGameSet set;
        if (!set.LoadFromString(*serial))
            return Unreadable();
        KeepGameSettings(set, blob);
        const std::string name = head.empty() ? std::string() : head.substr(1);
        RoomHost& room = Room();
        if (!head.empty() && head[0] == '1') {
            room.PartylineAddLine(StyleCode("11") + "*** Game changed to " + StyleCode("01") +
                                  name + "!" + kStyleEnd +
                                  (set.GetBool("default") ? " (Default settings)" : ""));
        }
        room.PartylineAddLine(StyleCode("11") + "*** Major settings: " + StyleCode("01") +
                              MajorSettingsSummary(set).substr(2));
        room.SetTeamUpdateEnabled(false);
        room.SetUIState(uiGameLink, true);
        room.RepaintUserList();
        return name;
    });
}

}  // namespace pk
