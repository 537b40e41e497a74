#pragma once
// A scripted player's game as the game server plays it, and the field changes of the specials
// the scripted room deals in, written here from their rules (the client's own routines are what
// the tests check, so the server does not borrow them).
//
// A bot draws its pieces from the room's generator and drops each where it lands lowest, now and
// then anywhere it fits, and clears its full rows. It is out once its stack reaches the two top
// rows or it has placed its pieces of the game (BotPieceLimit), so every game it plays ends.
#include <string>

#include "game/zrrandom.h"

namespace pk::peers {

// The room's field: 12 columns by 22 rows, row 1 at the top, '0' empty.
inline constexpr int BotFieldWidth = 12;
inline constexpr int BotFieldHeight = 22;
// The most pieces a bot places in one game.
inline constexpr int BotPieceLimit = 60;

std::string EmptyBotField();

class BotGame {
public:
    void Start();
    // Places the next piece and clears the full rows; the number of rows cleared. A bot with
    // no place left is out.
    int PlacePiece(TRandomGen& random);
    bool Out() const { return out_; }

    std::string field = EmptyBotField();
    int pieces = 0;
    int lines = 0;

private:
    bool out_ = false;
};

// The rows of the field that are full, removed, with empty rows entering at the top; their count.
int ClearFullRows(std::string& field);
// "a": the row enters at the bottom and the top row drops out.
std::string AddRowAtBottom(const std::string& field, const std::string& row);
// "c": the bottom row goes, an empty row enters at the top.
std::string ClearBottomRow(const std::string& field);
// "n": the bottom `lines` rows go; below 1 line or at the field's height the whole field empties.
std::string NukeRows(const std::string& field, int lines);
// A row of block colours with one hole, for "a".
std::string GarbageRow(TRandomGen& random);

}  // namespace pk::peers
