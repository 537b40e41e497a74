#include "game/zrsb.h"

#include "core/chatstyle.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrsbfield.h"
#include "game/zrslot.h"

namespace pk {

const std::array<std::string_view, 14> SpecialNames = {
    "Add Line",      "Clear Line",           "Nuke Field",      "Random Blocks Clear",
    "Switch Fields", "Clear Special Blocks", "Block Gravity",   "Blockquake",
    "Block Bomb",    "Clear Column",         "Attack Immunity", "Darkness",
    "Confusion",     "Mutated Pieces"};

namespace {

bool IsTimedLetter(std::string_view letters) {
    return letters == "i" || letters == "d" || letters == "f" || letters == "m";
}

// The phase word of a timed special: the data's first 0x02-separated field.
std::string_view Phase(std::string_view data) {
    return data.substr(0, data.find('\x02'));
}

// Timed letters are announced once, when they start.
bool Announced(std::string_view letters, std::string_view data) {
    return !IsTimedLetter(letters) || Phase(data) == "start";
}

struct TimedRule {
    int count;
    bool timed;
    bool stack;
};

TimedRule RuleOf(const SpecialRules& r, char letter) {
    switch (letter) {
        case 'i':
            return {r.sbicount, r.sbitimed, r.sbistack};
        case 'd':
            return {r.sbdcount, r.sbdtimed, r.sbdstack};
        case 'f':
            return {r.sbfcount, r.sbftimed, r.sbfstack};
        default:
            return {r.sbmcount, r.sbmtimed, r.sbmstack};
    }
}

// Starts or ends a timed effect on `slot`; "repeat" changes nothing here.
void RunTimed(SpecialEnv& env, char letter, std::string_view data, int slot, int fromSlot,
              bool ownKeys) {
    const std::string name(1, letter);
    const std::string_view phase = Phase(data);
    if (phase == "start") {
        const TimedRule rule = RuleOf(env.Rules(), letter);
        env.Timed().AddTimed(slot, fromSlot, name, rule.count, 1, rule.count, rule.stack,
                             rule.timed ? tkSeconds : tkPieces,
                             letter == 'm' ? tkPieces : tkSeconds);
        if (ownKeys && letter == 'f') {
            env.ConfuseKeys(ConfusionOrder([&env](int n) { return env.Draw(n); }));
            env.ResetKeyTable(krClearTimers);
        }
    } else if (phase == "end") {
        env.Timed().timeddelete(slot, name);
        if (ownKeys && letter == 'f')
            env.ResetKeyTable(krConfusionEnd);
    }
}

// Gravity on the own field with the rules' line counting and collecting.
void OwnGravity(SpecialEnv& env, std::string& field, std::string_view data) {
    const int w = env.Width(), h = env.Height();
    const std::string rows = ApplyGravity(env, env.OwnSlot());
    const int n = WordCount(rows);
    if (env.Rules().sbglines) {
        env.AddLinesCleared(n);
        SbBitReader bits(data);
        const int level = static_cast<int>(bits.Read(8));
        // A level the data does not carry (or 0) leaves the level as it is.
        if (!bits.PastEnd() && level >= 1)
            env.SetOwnLevel(level);
    }
    if (env.Rules().sbgcollect)
        env.CollectIntoInventory(n, CollectSpecials(field, rows, w, h));
    env.RefreshDisplay(rfAfterGravity);
    if (!rows.empty())
        removelines(field, rows, w, h);
}

// The letters that change a field the same way wherever they land.
bool ApplyPlain(SpecialEnv& env, std::string_view letters, std::string_view data,
                std::string& field) {
    const int w = env.Width(), h = env.Height();
    if (letters == "a") {
        field = AddLinesAtBottom(field, data, w, h);
    } else if (letters == "c") {
        field = ClearBottomLine(field, w, h);
    } else if (letters == "n") {
        field = NukeField(field, env.Rules().sbnlines, w, h);
    } else if (letters == "v") {
        field = ClearColumn(field, data, w, h);
    } else {
        return false;
    }
    return true;
}

void ApplyToOwnField(SpecialEnv& env, const std::string& letters, const std::string& data,
                     int fromSlot) {
    const int own = env.OwnSlot();
    std::string* field = env.SlotField(own);
    if (field == nullptr)
        return;
    const int w = env.Width(), h = env.Height();
    if (ApplyPlain(env, letters, data, *field))
        return;
    if (letters == "r") {
        *field = RandomClear(*field, data, env.Rules().sbrblocks, w, h);
    } else if (letters == "s") {
        if (env.SlotState(fromSlot) != psLost)
            *field = FitField(env.DecodeFieldDiff(*field, data), w, h);
    } else if (letters == "b") {
        *field = ClearSpecials(*field, data, w, h);
    } else if (letters == "g") {
        OwnGravity(env, *field, data);
    } else if (letters == "q") {
        QuakeField(env, own, data);
    } else if (letters == "o") {
        *field = BlockBomb(*field, data, env.Rules().sbosize, w, h);
    } else if (IsTimedLetter(letters)) {
        RunTimed(env, letters[0], data, own, fromSlot, true);
    } else if (letters == "aa") {
        sbaa(env, data);
    } else {
        AddLogLine("Unknown special block " + letters);
    }
}

// A routine and its arguments for the error log.
std::string Described(const char* routine, const std::string& letters, int fromSlot, int toSlot) {
    return std::string(routine) + " " + letters + " " + std::to_string(fromSlot) + " " +
           std::to_string(toSlot);
}

void AddLinesToSlots(SpecialEnv& env, std::string_view data, bool spareOwn) {
    const int w = env.Width(), h = env.Height();
    const AddedLines lines = ParseAddedLines(data, w, h);
    for (int slot : lines.slots) {
        if (spareOwn && slot == env.OwnSlot())
            continue;
        std::string* field = env.SlotField(slot);
        if (field == nullptr)
            continue;
        *field = AddLinesAtBottom(*field, lines.rows, w, h);
        env.RedrawField(slot);
    }
}

}  // namespace

std::string_view SpecialName(std::string_view letters) {
    if (letters.size() != 1)
        return {};
    const size_t index = SpecialAlphabet.find(letters[0]);
    return index == std::string_view::npos ? std::string_view{} : SpecialNames[index];
}

bool SpecialIsHelpful(char letter) {
    return letter == 'c' || letter == 'n' || letter == 'g' || letter == 'i';
}

void AttackLine(SpecialEnv& env, const std::string& letters, const std::string& data, int fromSlot,
                int toSlot) {
    const int own = env.OwnSlot();
    const bool spectating = env.Spectating();
    if (letters == "aa") {
        if (!ValidSlot(fromSlot))
            return;
        const int count = env.CountAttack();
        const std::string k = std::to_string(AddedLineCount(data));
        const std::string plural = k == "1" ? "" : "s";
        const std::string name = env.SlotName(fromSlot);
        const std::string sender =
            (fromSlot == own ? StyleCode("03") : "") + StyleCode("01") + name;
        env.AddAttackLine(std::to_string(count) + ". " + StyleCode("01") + StyleCode("19") + k +
                          " Line" + plural + " Added");
        env.AddAttackLine("  to " + StyleCode("03") + StyleCode("01") + "All" + kStyleEnd +
                          kStyleEnd + " from " + sender);
        env.AddGameEvent(env.TimeStamp() + "Event: to All from " + name + ": " + k + " line" +
                         plural + " added");
        return;
    }
    const std::string_view display = SpecialName(letters);
    if (display.empty())
        return;
    const int count = env.CountAttack();
    std::string special = StyleCode("01") + std::string(display) + kStyleEnd;
    special = StyleCode(SpecialIsHelpful(letters[0]) ? "12" : "19") + special + kStyleEnd;
    const std::string fromName = env.SlotName(fromSlot);
    const std::string toName = env.SlotName(toSlot);
    std::string sender = StyleCode("01") + fromName;
    std::string target = StyleCode("01") + toName + kStyleEnd;
    if (!spectating) {
        if (toSlot == own)
            target = StyleCode("03") + target + kStyleEnd;
        if (fromSlot == own)
            sender = StyleCode("03") + sender;
    }
    env.AddAttackLine(std::to_string(count) + ". " + special);
    env.AddAttackLine("  to " + target + " from " + sender);
    env.AddGameEvent(env.TimeStamp() + "Event: to " + toName + " from " + fromName + ": " +
                     std::string(display));
    if (!spectating && toSlot == own && env.ShowIncomingSpecials()) {
        env.AddInGameChat(StyleCode("01") + StyleCode("11") + "Incoming!" + kStyleEnd + " " +
                          special + " from " + sender);
    }
}

void destsb(SpecialEnv& env, const std::string& letters, const std::string& data, int fromSlot,
            int toSlot) {
    const auto what = [&] { return Described("destsb", letters, fromSlot, toSlot); };
    LogErrorsWith(what, [&] {
        const int own = env.OwnSlot();
        if (fromSlot != own && ValidSlot(fromSlot))
            env.SetRevengeSlot(fromSlot);
        if (Announced(letters, data))
            AttackLine(env, letters, data, fromSlot, toSlot);
        bool run = env.SlotState(own) != psLost && env.GameRunning();
        if (env.SlotState(fromSlot) == psLost && !env.Rules().deadsb)
            run = false;
        if (run) {
            ApplyToOwnField(env, letters, data, fromSlot);
            env.RedrawField(own);
        }
    });
    env.FinishQueueEntry();
}

void OwnSpecialEcho(SpecialEnv& env, const std::string& letters, const std::string& data,
                    int fromSlot, int toSlot) {
    const auto what = [&] { return Described("OwnSpecialEcho", letters, fromSlot, toSlot); };
    LogErrorsWith(what, [&] {
        const int own = env.OwnSlot();
        if (toSlot != own && Announced(letters, data)) {
            AttackLine(env, letters, data, own, toSlot);
        }
        std::string* field = env.SlotField(own);
        if (letters == "s" && field != nullptr && env.SlotState(own) != psLost &&
            env.SlotState(toSlot) != psLost && env.GameRunning()) {
            *field = FitField(env.DecodeFieldDiff(*field, data), env.Width(), env.Height());
            env.RedrawField(own);
        }
    });
    env.FinishQueueEntry();
}

void otherperformsb(SpecialEnv& env, const std::string& letters, const std::string& data,
                    int fromSlot, int toSlot) {
    const auto what = [&] { return Described("otherperformsb", letters, fromSlot, toSlot); };
    LogErrorsWith(what, [&] {
        if (Announced(letters, data))
            AttackLine(env, letters, data, fromSlot, toSlot);
        if (!env.GameRunning() || env.SlotState(toSlot) == psLost)
            return;
        if (env.SlotState(fromSlot) == psLost && !env.Rules().deadsb)
            return;
        // The own field changes only through the event queue, so that the pending pieces are
        // replayed on it; a player's own slot here is left to the queued event.
        const bool playing = !env.Spectating();
        if (letters == "aa") {
            AddLinesToSlots(env, data, playing);
            return;
        }
        if (playing && toSlot == env.OwnSlot())
            return;
        std::string* field = env.SlotField(toSlot);
        if (field == nullptr)
            return;
        const int w = env.Width(), h = env.Height();
        if (ApplyPlain(env, letters, data, *field)) {
            // done
        } else if (letters == "g") {
            removelines(*field, ApplyGravity(env, toSlot), w, h);
        } else if (letters == "q") {
            QuakeField(env, toSlot, data);
        } else if (IsTimedLetter(letters)) {
            RunTimed(env, letters[0], data, toSlot, fromSlot, false);
        } else {
            // r, s, b and o reach the other fields as field differences.
            return;
        }
        env.RedrawField(toSlot);
    });
}

std::string ApplyGravity(SpecialEnv& env, int slot) {
    std::string* field = env.SlotField(slot);
    if (field == nullptr)
        return {};
    *field = GravityField(*field, env.Width(), env.Height());
    return FullRows(*field, env.Width(), env.Height());
}

void QuakeField(SpecialEnv& env, int slot, std::string_view data) {
    std::string* field = env.SlotField(slot);
    if (field == nullptr)
        return;
    *field = QuakeRows(*field, data, env.Width(), env.Height());
}

void sbaa(SpecialEnv& env, std::string_view data) {
    AddLinesToSlots(env, data, false);
}

}  // namespace pk
