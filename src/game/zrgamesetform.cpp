#include "game/zrgamesetform.h"

#include <algorithm>

#include "core/zrgameset.h"
#include "core/zrmisc.h"

namespace pk {

const std::array<TGameSetBinding, 27> GameSetCheckBindings = {{
    {"classic", "gsclassicstyle"},    {"avglvl", "gsaveragedlevels"},
    {"deadsb", "gssbafterlife"},      {"multfieldsb", "gsmultclbyaddsb"},
    {"multcolsb", "gsmultclbygetsb"}, {"eteams", "gsenforcedteams"},
    {"startvote", "gsstartvote"},     {"samesbs", "gssamesbs"},
    {"samepieces", "gssamepieces"},   {"sbsinorder", "gssbsinorder"},
    {"pshadow", "gspieceshadow"},     {"sacrifice", "gssbsacrifice"},
    {"winbylines", "gswinbylines"},   {"holdpiece", "gsholdpiece"},
    {"allowmove", "gsallowmove"},     {"alwaysmod", "gsalwaysmod"},
    {"sbgcollect", "gssbgcollect"},   {"sbglines", "gssbglines"},
    {"sbitimed", "gssbitimed"},       {"sbiself", "gssbiself"},
    {"sbdtimed", "gssbdtimed"},       {"sbftimed", "gssbftimed"},
    {"sbmtimed", "gssbmtimed"},       {"sbistack", "gssbistack"},
    {"sbfstack", "gssbfstack"},       {"sbdstack", "gssbdstack"},
    {"sbmstack", "gssbmstack"},
}};

const std::array<TGameSetBinding, 28> GameSetEditBindings = {{
    {"maxp", "gsmaxplayers"},
    {"maxs", "gsmaxspecplayers"},
    {"lvlstart", "gslevelstart"},
    {"linesforlvl", "gslinesbeforelvlinc"},
    {"lvlinc", "gslevelupinc"},
    {"linesforsb", "gslinesbeforesb"},
    {"sbinc", "gssbaddinc"},
    {"invcap", "gsinvcapacity"},
    {"speedupmin", "gsminbeforeautoaddline"},
    {"speedupint", "gssecbetweenlineadd"},
    {"maxpieces", "gsmaxpieces"},
    {"startvotesec", "gsstartvotesec"},
    {"winlines", "gswinlines"},
    {"piecedelay", "gspiecedelay"},
    {"sbagaps", "gssbagaps"},
    {"sbnlines", "gssbnlines"},
    {"sbrblocks", "gssbrblocks"},
    {"sbsstack", "gssbsstack"},
    {"sbqshift", "gssbqshift"},
    {"sboline", "gssboline"},
    {"sbosize", "gssbosize"},
    {"sbicount", "gssbicount"},
    {"sbdcount", "gssbdcount"},
    {"sbfcount", "gssbfcount"},
    {"sbmpw", "gssbmpw"},
    {"sbmph", "gssbmph"},
    {"sbmpb", "gssbmpb"},
    {"sbmcount", "gssbmcount"},
}};

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
