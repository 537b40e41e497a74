// Playfield and piece model: pure operations on field and piece strings.
//
// A field (TFieldString) is FieldWidth x FieldHeight cell characters, row 1 (top) first, each
// row left to right; cell (c, r), both 1-based, is character (r - 1) * FieldWidth + c.
// '0' is empty, '1'..'5' block colours (server pieces may carry '6'/'7'), and the fourteen
// special letters of SpecialAlphabet.
//
// A piece (TPieceString) is two decimal digits of width W, two of height H, then W x H cells
// row by row, '0' for empty. A piece token is a kind digit ('1' or '2') followed by a piece;
// token lists are separated by the byte 0x02.
//
// Every routine reads FieldWidth and FieldHeight; none assumes 12 x 22. Routines that take a
// piece throw std::invalid_argument for a malformed piece string, after logging
// "Error in <routine> <args>" (the log-and-rethrow convention of the game routines).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pk {

using TFieldString = std::string;
using TPieceString = std::string;

// Field geometry, set at start-up. Tests may change them; every routine reads them.
extern int FieldWidth;
extern int FieldHeight;

// The fourteen special letters, in inventory-index order (index 1 = 'a').
inline constexpr std::string_view SpecialAlphabet = "acnrsbgqovidfm";
// Cell characters that have block tiles, in tile order.
inline constexpr std::string_view BlockAlphabet = "12345acnrsbgqovidfm";
// Separator of piece tokens and message fields.
inline constexpr char TokenSep = '\x02';

// The seven standard pieces (read by the theme preview).
extern const std::array<std::string_view, 7> PieceTable;

bool IsSpecialLetter(char c);

// An all-empty field of the current geometry.
TFieldString EmptyField();

// Width and height of a piece; throw std::invalid_argument when the size digits are not a
// number or the string is shorter than its cells.
int PieceWidth(const TPieceString& piece);
int PieceHeight(const TPieceString& piece);

// True when the piece at (x, y) leaves the field or covers an occupied cell.
bool collision(int x, int y, const TPieceString& piece, const TFieldString& field);

// The piece turned n - 1 quarter turns clockwise (n = 1: unchanged).
TPieceString chpiece(const TPieceString& piece, int n);

// First rotation number 1..4 at which the piece fits at its spawn place, 0 when none fits.
int newpiececollision(const TPieceString& piece, const TFieldString& field);

// Spawn column of a piece (in its current orientation): centre - width div 2.
int SpawnColumn(const TPieceString& piece);

// Writes the piece's non-'0' cells into the field. Cells that would fall outside the field are
// skipped, so the field keeps exactly FieldWidth x FieldHeight cells whatever the place.
void stickpiece(const TPieceString& piece, int x, int y, TFieldString& field);

// The row at which the piece fits searching upward from y (0 = nowhere, x and y unchanged);
// with drop set the piece then falls as far as it goes. x and y receive the place found.
int refitpiece(const TPieceString& piece, int& x, int& y, bool drop, const TFieldString& field);

// The row routines. Each also takes an explicit size, for fields that are not the game's own
// (the special blocks work on the size their environment gives); without one it uses
// FieldWidth x FieldHeight. Rows outside the field, and cells past the end of a short field,
// are skipped.

// Blank-separated numbers of the full rows, top to bottom ("" when none).
std::string FullRows(const TFieldString& field);
std::string FullRows(const TFieldString& field, int width, int height);

// Removes the listed rows (ascending, as FullRows gives them) and adds empty rows on top.
void removelines(TFieldString& field, const std::string& rows);
void removelines(TFieldString& field, const std::string& rows, int width, int height);

// The special letters of the listed rows, row by row in list order, left to right.
std::string CollectSpecials(const TFieldString& field, const std::string& rows);
std::string CollectSpecials(const TFieldString& field, const std::string& rows, int width,
                            int height);

// 16-bit alternating weighted checksum shared with the game server.
int FieldChecksum(std::string_view s);

// Number of tokens of a 0x02-separated list whose first character is c.
int CountTokensStartingWith(char c, const std::string& list);

// Token helpers on 0x02-separated piece lists (1-based; "" beyond the end).
std::string PieceToken(const std::string& list, int n);
int PieceTokenCount(const std::string& list);
// The list without its first token.
std::string DropFirstToken(const std::string& list);
// The same, in place: the list keeps its buffer.
void DropFirstTokenOf(std::string& list);
// Views of PieceToken(list, n) and TokenPiece(PieceToken(list, n)) (n from 1), for assigning
// into strings that keep their buffers; they point into list.
std::string_view PieceTokenView(std::string_view list, int n);
std::string_view PieceOfToken(std::string_view list, int n);
// The piece of a token: the token without its kind digit ("" for an empty token).
TPieceString TokenPiece(const std::string& token);

}  // namespace pk
