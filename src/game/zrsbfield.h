// Field transforms of the special blocks: pure functions from a field string, the field's
// size and the event data sent by the game server to the new field string.
//
// Every coordinate, row count, column and cell value in the data comes from the server and is
// not trusted: whatever it holds, the result is exactly width x height cells and nothing is
// written outside it. Each transform first brings the field itself to that size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/zrfield.h"

namespace pk {

// Characters that may stand in a field cell: '0' empty, the digits of block colours and the
// special letters.
bool IsFieldCell(char c);

// Reads a bit string most significant bit first. Reads past the end give zeros, so a short
// message can never make a transform read outside its data.
class SbBitReader {
public:
    explicit SbBitReader(std::string_view bits) : bits_(bits) {}
    uint32_t Read(int count);
    bool PastEnd() const { return static_cast<size_t>(position_) > bits_.size() * 8; }
    // Reads up to n 3-bit values into out as the digits '0' to '7', as n calls of Read(3)
    // would, but stops at the first value that would start past the end. Returns how many
    // digits it wrote.
    uint32_t ReadOctalDigits(char* out, uint32_t n);

private:
    std::string_view bits_;
    int position_ = 0;
};

// The field brought to exactly width x height cells: cut, or filled up with '0'.
std::string FitField(std::string field, int width, int height);

// "a": the rows of data enter at the bottom and as many rows drop out at the top. Only whole
// rows count; with more rows than the field holds only the last `height` of them stay.
// Characters that are no field cell enter as '0'.
std::string AddLinesAtBottom(const std::string& field, std::string_view data, int width,
                             int height);

// "c": the bottom row goes, an empty row enters at the top.
std::string ClearBottomLine(const std::string& field, int width, int height);

// "n": below 1 line or at the field's height or more the whole field empties; otherwise the
// bottom `lines` rows go and empty rows enter at the top.
std::string NukeField(const std::string& field, int lines, int width, int height);

// "r": `count` (column 4 bits, row 5 bits) pairs; each cell inside the field becomes '0'.
std::string RandomClear(const std::string& field, std::string_view data, int count, int width,
                        int height);

// "b": every special becomes the data's first character. Without data, or when that character
// is not a digit, the field stays as it is.
std::string ClearSpecials(const std::string& field, std::string_view data, int width, int height);

// "g": every column's blocks drop to the bottom, keeping their order.
std::string GravityField(const std::string& field, int width, int height);

// "q": per row from the top a direction bit (1 = left) and a 2-bit shift.
std::string QuakeRows(const std::string& field, std::string_view data, int width, int height);

// "o": every 'o' explodes in turn; the cells of the square around it move to the data's
// (column 4 bits, row 5 bits) pairs. A pair outside the field leaves its cell where it was.
std::string BlockBomb(const std::string& field, std::string_view data, int size, int width,
                      int height);

// "v": the column given in decimal in the data (1 when it is no number) is emptied; a column
// outside the field changes nothing.
std::string ClearColumn(const std::string& field, std::string_view data, int width, int height);

// "aa": lines added to several players at once.
struct AddedLines {
    int rowCount = 0;        // rows as the message gives them (0..31)
    std::string rows;        // the rows that fit the field, as cell characters
    std::vector<int> slots;  // the listed player slots 1..6, in message order
};
AddedLines ParseAddedLines(std::string_view data, int width, int height);

// The row count of an "aa" event (its first 5 bits), for the attack list.
int AddedLineCount(std::string_view data);

// For each of the four actions that confusion swaps (ConfusableActions of the key table), the
// index (0..3) of the action whose key it takes. Positions 1 to 3 never keep their own key.
// `draw(n)` gives 0..n-1; a generator that keeps missing is given up on after a bounded number of
// draws.
std::array<int, 4> ConfusionOrder(const std::function<int(int)>& draw);

}  // namespace pk
