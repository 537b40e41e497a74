#include "gamesetup/zrgamesetform.h"

#include <algorithm>
#include <optional>

#include "core/zrgameset.h"
#include "core/zrmisc.h"
#include "game/zrsb.h"

namespace pk {

// Labels name what a rule does in the player's words; a timed special's duration is counted
// in seconds or in pieces by its own check box, so its label names both.
const std::array<TGameSetBinding, 27> GameSetCheckBindings = {{
    {"classic", "gsclassicstyle", "Classic mode: clearing lines adds lines to the others"},
    {"avglvl", "gsaveragedlevels", "Average the levels of all players"},
    {"deadsb", "gssbafterlife", "Players who have lost can still use special blocks"},
    {"multfieldsb", "gsmultclbyaddsb", "Award special blocks by lines cleared, not per clear"},
    {"multcolsb", "gsmultclbygetsb", "Collected special blocks count once per line cleared"},
    {"eteams", "gsenforcedteams", "Lock the team names below"},
    {"startvote", "gsstartvote", "Players vote to start the game"},
    {"samesbs", "gssamesbs", "Every player gets the same special blocks"},
    {"samepieces", "gssamepieces", "Every player gets the same pieces"},
    {"sbsinorder", "gssbsinorder", "New special blocks queue up in order (not at random)"},
    {"pshadow", "gspieceshadow", "Show where the falling piece will land"},
    {"sacrifice", "gssbsacrifice", "Allow sacrifice (one held block lost, the rest shuffled)"},
    {"winbylines", "gswinbylines", "Win by clearing lines"},
    {"holdpiece", "gsholdpiece", "Allow holding a piece"},
    {"allowmove", "gsallowmove", "Players may change their slots"},
    {"alwaysmod", "gsalwaysmod", "The room always has an operator"},
    {"sbgcollect", "gssbgcollect", "Collect the special blocks of the lines it completes"},
    {"sbglines", "gssbglines", "Count the lines it completes"},
    {"sbitimed", "gssbitimed", "Count in seconds (unticked: in pieces)"},
    {"sbiself", "gssbiself", "While immune, still use special blocks on yourself"},
    {"sbdtimed", "gssbdtimed", "Count in seconds (unticked: in pieces)"},
    {"sbftimed", "gssbftimed", "Count in seconds (unticked: in pieces)"},
    {"sbmtimed", "gssbmtimed", "Count in seconds (unticked: in pieces)"},
    {"sbistack", "gssbistack", "Another one lengthens it (unticked: restarts it)"},
    {"sbfstack", "gssbfstack", "Another one lengthens it (unticked: restarts it)"},
    {"sbdstack", "gssbdstack", "Another one lengthens it (unticked: restarts it)"},
    {"sbmstack", "gssbmstack", "Another one lengthens it (unticked: restarts it)"},
}};

const std::array<TGameSetBinding, 28> GameSetEditBindings = {{
    {"maxp", "gsmaxplayers", "Most players"},
    {"maxs", "gsmaxspecplayers", "Most spectators"},
    {"lvlstart", "gslevelstart", "Starting level"},
    {"linesforlvl", "gslinesbeforelvlinc", "Lines to clear for the next level"},
    {"lvlinc", "gslevelupinc", "Levels gained each time"},
    {"linesforsb", "gslinesbeforesb", "Lines per award (when awarded by lines)"},
    {"sbinc", "gssbaddinc", "Special blocks added per award (0: none)"},
    {"invcap", "gsinvcapacity", "Special blocks a player can hold"},
    {"speedupmin", "gsminbeforeautoaddline", "Minutes before lines rise on their own"},
    {"speedupint", "gssecbetweenlineadd", "Seconds between risen lines"},
    {"maxpieces", "gsmaxpieces", "Pieces dealt in advance"},
    {"startvotesec", "gsstartvotesec", "Seconds to vote"},
    {"winlines", "gswinlines", "Lines to clear to win"},
    {"piecedelay", "gspiecedelay", "Pause before the next piece (ms)"},
    {"sbagaps", "gssbagaps", "Gaps in each added line"},
    {"sbnlines", "gssbnlines", "Bottom lines removed (0: the whole field)"},
    {"sbrblocks", "gssbrblocks", "Blocks cleared"},
    {"sbsstack", "gssbsstack", "Stack height limit (rows)"},
    {"sbqshift", "gssbqshift", "Shift sizes drawn for the rows (digits)"},
    {"sboline", "gssboline", "Row limit"},
    {"sbosize", "gssbosize", "Blast reach (cells round the bomb)"},
    {"sbicount", "gssbicount", "Lasts (seconds or pieces)"},
    {"sbdcount", "gssbdcount", "Lasts (seconds or pieces)"},
    {"sbfcount", "gssbfcount", "Lasts (seconds or pieces)"},
    {"sbmpw", "gssbmpw", "Widest mutated piece (cells)"},
    {"sbmph", "gssbmph", "Tallest mutated piece (cells)"},
    {"sbmpb", "gssbmpb", "Most blocks in a mutated piece"},
    {"sbmcount", "gssbmcount", "Lasts (seconds or pieces)"},
}};

const std::array<TGameSetBinding, 2> GameSetListBindings = {{
    {"stacks", "gsstack", "Starting stacks (rows of blocks)"},
    {"teams", "gsteam", "Team names"},
}};

const std::array<TGameSetBinding, 2> GameSetTextBindings = {{
    {"classicrules", "gsclassicrules", "Classic rules (one a line: lines cleared=lines sent)"},
    {"desc", "gsdesc", "Description"},
}};

const std::array<std::string_view, PieceKinds> PieceNames = {
    "Long bar (I)", "Square (O)", "J piece", "L piece", "Z piece", "S piece", "T piece"};

namespace {

const char* const kChanceKeys[WeightCases] = {"sbchance1", "sbchance2", "sbchance3", "sbchance4"};
constexpr std::string_view kPieceDigits = "1234567";

template <std::size_t N>
std::array<int, N> Count(std::string_view weights, std::string_view symbols) {
    std::array<int, N> out{};
    for (char c : weights) {
        const auto at = symbols.find(c);
        if (at != std::string_view::npos) {
            ++out[at];
        }
    }
    return out;
}

template <std::size_t N>
std::string Repeat(const std::array<int, N>& weights, std::string_view symbols) {
    std::string out;
    for (std::size_t i = 0; i < N; ++i) {
        out.append(static_cast<std::size_t>(std::max(weights[i], 0)), symbols[i]);
    }
    return out;
}

// The number after `prefix` in `name` when it is 1 to `count`, else 0.
int NumberAfter(std::string_view name, std::string_view prefix, int count) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return 0;
    }
    const std::string_view digits = name.substr(prefix.size());
    if (digits[0] == '0') {
        return 0;
    }
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || n > count) {
            return 0;
        }
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= count ? n : 0;
}

template <std::size_t N>
std::optional<std::string_view> LabelIn(const std::array<TGameSetBinding, N>& table,
                                        std::string_view control) {
    for (const auto& b : table) {
        if (b.control == control) {
            return b.label;
        }
    }
    return std::nullopt;
}

std::string JoinSix(const std::array<std::string, 6>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += (i ? "\x02" : "") + values[i];
    }
    return out;
}

}  // namespace

TGameSetControls::TGameSetControls() {
    for (auto& row : ChanceWeights) {
        row.fill(DefaultWeight);
    }
}

std::array<int, SpecialBlockKinds> CountSpecialBlocks(std::string_view weights) {
    return Count<SpecialBlockKinds>(weights, SpecialBlockLetters);
}
std::array<int, PieceKinds> CountPieces(std::string_view weights) {
    return Count<PieceKinds>(weights, kPieceDigits);
}
std::string SpecialBlockString(const std::array<int, SpecialBlockKinds>& weights) {
    return Repeat(weights, SpecialBlockLetters);
}
std::string PieceString(const std::array<int, PieceKinds>& weights) {
    return Repeat(weights, kPieceDigits);
}

std::string GameSetControlLabel(std::string_view control) {
    if (const auto label = LabelIn(GameSetCheckBindings, control)) {
        return std::string(*label);
    }
    if (const auto label = LabelIn(GameSetEditBindings, control)) {
        return std::string(*label);
    }
    if (const auto label = LabelIn(GameSetTextBindings, control)) {
        return std::string(*label);
    }
    for (const auto& b : GameSetListBindings) {
        if (const int n = NumberAfter(control, b.control, 6)) {
            return std::string(GameSetSlotLabel) + std::to_string(n);
        }
    }
    if (const int k = NumberAfter(control, "gssb", SpecialBlockKinds)) {
        return std::string(SpecialNames[static_cast<std::size_t>(k - 1)]);
    }
    if (const int n = NumberAfter(control, "gsp", PieceKinds)) {
        return std::string(PieceNames[static_cast<std::size_t>(n - 1)]);
    }
    return {};
}

bool FillFromGameSet(std::string_view compressed, TGameSetControls& controls) {
    TGameSet set;
    const bool loaded = set.LoadFromCompressed(compressed);
    if (!loaded) {
        set.Reset();
    }
    for (const auto& b : GameSetCheckBindings) {
        controls.checks[std::string(b.key)] = set.GetBool(b.key) != 0;
    }
    for (const auto& b : GameSetEditBindings) {
        controls.edits[std::string(b.key)] = set.GetValue(b.key);
    }
    const std::string stacks = set.GetValue("stacks");
    const std::string teams = set.GetValue("teams");
    for (int i = 0; i < 6; ++i) {
        controls.stacks[static_cast<std::size_t>(i)] = TokenAt(i + 1, stacks, '\x02');
        controls.teams[static_cast<std::size_t>(i)] = TokenAt(i + 1, teams, '\x02');
    }
    controls.classicRules = set.GetValue("classicrules");
    controls.description = set.GetValue("desc");
    for (int c = 0; c < WeightCases; ++c) {
        controls.ChanceWeights[static_cast<std::size_t>(c)] =
            CountSpecialBlocks(set.GetValue(kChanceKeys[c]));
    }
    controls.pieces = CountPieces(set.GetValue("piecechance"));
    return loaded;
}

std::string GameSetFromControls(const TGameSetControls& controls) {
    TGameSet set;
    for (const auto& b : GameSetCheckBindings) {
        const auto it = controls.checks.find(b.key);
        set.SetBool(b.key, it != controls.checks.end() && it->second ? 1 : 0);
    }
    for (const auto& b : GameSetEditBindings) {
        const auto it = controls.edits.find(b.key);
        if (it != controls.edits.end()) {
            set.SetValue(b.key, it->second);
        }
    }
    set.SetValue("stacks", JoinSix(controls.stacks));
    set.SetValue("teams", JoinSix(controls.teams));
    set.SetValue("classicrules", controls.classicRules);
    set.SetValue("desc", controls.description);
    for (int c = 0; c < WeightCases; ++c) {
        set.SetValue(kChanceKeys[c],
                     SpecialBlockString(controls.ChanceWeights[static_cast<std::size_t>(c)]));
    }
    set.SetValue("piecechance", PieceString(controls.pieces));
    return set.SaveToCompressed();
}

void ShiftWeights(TChanceWeights& chance, int weightCase, int step) {
    if (weightCase < 0 || weightCase >= WeightCases) {
        return;
    }
    for (int& w : chance[static_cast<std::size_t>(weightCase)]) {
        if ((step < 0 && w > 0) || (step > 0 && w < MaxWeight)) {
            w += step < 0 ? -1 : 1;
        }
    }
}

void SetWeight(TChanceWeights& chance, int weightCase, bool allCases, int kind, int value) {
    if (kind < 0 || kind >= SpecialBlockKinds) {
        return;
    }
    const auto k = static_cast<std::size_t>(kind);
    if (allCases) {
        for (auto& row : chance) {
            row[k] = value;
        }
    } else if (weightCase >= 0 && weightCase < WeightCases) {
        chance[static_cast<std::size_t>(weightCase)][k] = value;
    }
}

void CopyWeightCase(TChanceWeights& chance, int weightCase) {
    if (weightCase < 0 || weightCase >= WeightCases) {
        return;
    }
    const auto row = chance[static_cast<std::size_t>(weightCase)];
    chance.fill(row);
}

}  // namespace pk
