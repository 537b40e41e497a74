#pragma once
// The game-set editor's controls without their widgets: every key of a game set bound to one
// control value, in both directions, and the special-block and piece weights with the
// editor's weight operations. The window (gamesetup/ui) copies these values to its controls.
#include <array>
#include <map>
#include <string>
#include <string_view>

namespace pk {

// The special-block letters in track-bar order (gssb1 ... gssb14).
inline constexpr std::string_view SpecialBlockLetters = "acnrsbgqovidfm";
inline constexpr int SpecialBlockKinds = 14;
inline constexpr int PieceKinds = 7;
inline constexpr int WeightCases = 4;  // one, two, three and four cleared lines
inline constexpr int MaxWeight = 40;
inline constexpr int DefaultWeight = 20;

// The yes/no keys (check boxes) and the keys edited as text (edits), each with its control and
// the words the player reads beside it. The labels are kept here, with the key each control
// writes, so that wording and binding cannot drift apart.
struct TGameSetBinding {
    std::string_view key;
    std::string_view control;
    std::string_view label;
};
extern const std::array<TGameSetBinding, 27> GameSetCheckBindings;
extern const std::array<TGameSetBinding, 28> GameSetEditBindings;
// The six-value lists: `control` is the prefix of the six edits (1 to 6, one per player slot),
// `label` the title above them.
extern const std::array<TGameSetBinding, 2> GameSetListBindings;
// The multi-line texts.
extern const std::array<TGameSetBinding, 2> GameSetTextBindings;
// The row label of list edit n (1 to 6) is this followed by n.
inline constexpr std::string_view GameSetSlotLabel = "Player ";
// The pieces in track-bar order (gsp1 ... gsp7); the special blocks' track bars (gssb1 ...
// gssb14) show the specials' display names (SpecialNames, game/zrsb.h).
extern const std::array<std::string_view, PieceKinds> PieceNames;
// The words shown for a control by its name ("gsaveragedlevels", "gsstack3", "gssb14",
// "gsp2", ...); empty for a name that is no control of a game set.
std::string GameSetControlLabel(std::string_view control);

// Weights as integers; the track bars show 0 to 40, a set may hold more repeats.
using TChanceWeights = std::array<std::array<int, SpecialBlockKinds>, WeightCases>;

struct TGameSetControls {
    std::map<std::string, bool, std::less<>> checks;        // by key
    std::map<std::string, std::string, std::less<>> edits;  // by key
    std::array<std::string, 6> stacks;
    std::array<std::string, 6> teams;
    std::string classicRules;
    std::string description;
    TChanceWeights ChanceWeights{};  // special-block weights per case (1 to 4 cleared lines)
    std::array<int, PieceKinds> pieces{};
    TGameSetControls();
};

// How often each letter of SpecialBlockLetters occurs; other bytes are ignored.
std::array<int, SpecialBlockKinds> CountSpecialBlocks(std::string_view weights);
// How often each digit 1 to 7 occurs.
std::array<int, PieceKinds> CountPieces(std::string_view weights);
// Each letter (digit) repeated by its weight, in table order.
std::string SpecialBlockString(const std::array<int, SpecialBlockKinds>& weights);
std::string PieceString(const std::array<int, PieceKinds>& weights);

// The controls from a compressed game set; false (controls at the set defaults) when the data
// is not a game set.
bool FillFromGameSet(std::string_view compressed, TGameSetControls& controls);
// The compressed game set of the controls; the set normalises every value.
std::string GameSetFromControls(const TGameSetControls& controls);

// "<<<" and ">>>": every weight of a case one lower (not below 0) or higher (not above 40).
// A case outside 0 to 3 changes nothing.
void ShiftWeights(TChanceWeights& chance, int weightCase, int step);
// A track bar moved: the weight of kind k (0-based) in one case, or in all four.
void SetWeight(TChanceWeights& chance, int weightCase, bool allCases, int kind, int value);
// "Change all at once" confirmed: the case's row copied to the other three.
void CopyWeightCase(TChanceWeights& chance, int weightCase);

}  // namespace pk
