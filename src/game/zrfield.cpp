#include "game/zrfield.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "core/zrlog.h"
#include "core/zrmisc.h"

namespace pk {

int FieldWidth = 12;
int FieldHeight = 22;

const std::array<std::string_view, 7> PieceTable = {
    "04011111", "02022222", "0302300333", "0302004444", "0302550055", "0302011110", "0302020222",
};

namespace {

int TwoDigits(const TPieceString& piece, size_t at) {
    if (piece.size() < at + 2)
        throw std::invalid_argument("piece too short");
    const char a = piece[at], b = piece[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') {
        throw std::invalid_argument("'" + piece.substr(at, 2) + "' is not a valid integer value");
    }
    return (a - '0') * 10 + (b - '0');
}

struct Shape {
    int w, h;
};

// Width and height, with the string checked to hold all its cells.
Shape ShapeOf(const TPieceString& piece) {
    Shape s{TwoDigits(piece, 0), TwoDigits(piece, 2)};
    if (piece.size() < 4 + static_cast<size_t>(s.w) * s.h) {
        throw std::invalid_argument("piece shorter than its cells");
    }
    return s;
}

// The cells of a piece whose shape was checked, row by row.
const char* Cells(const TPieceString& piece) {
    return piece.data() + 4;
}

size_t CellIndex(int col, int row) {
    return static_cast<size_t>(row - 1) * FieldWidth + (col - 1);
}

int SpawnColumnOf(Shape s) {
    return (FieldWidth + 2) / 2 - s.w / 2;
}

// The high bit of byte k is set when cell k of p[0, n) (n <= 8) is not '0'.
inline uint64_t FilledBytes(const char* p, size_t n) {
    constexpr uint64_t zeros = 0x3030303030303030u;  // eight '0'
    constexpr uint64_t low7 = 0x7f7f7f7f7f7f7f7fu;
    uint64_t v = zeros;
    std::memcpy(&v, p, n);
    v ^= zeros;
    // Per byte: adding 0x7f to the low seven bits carries into the top bit unless they are all
    // zero; or-ing the byte itself adds its own top bit.
    return (((v & low7) + low7) | v) & ~low7;
}

// FilledBytes of every eight columns of every row of a piece, made once for a piece tested at
// many places (the drop tests every row it falls through). Larger pieces are left to the cells.
struct PieceMasks {
    static constexpr size_t MaxWords = 64;
    size_t perRow = 0;
    bool usable = false;
    std::array<uint64_t, MaxWords> words;
};

PieceMasks MasksOf(const char* cells, Shape s) {
    PieceMasks m;
    m.perRow = (static_cast<size_t>(s.w) + 7) / 8;
    if (m.perRow * static_cast<size_t>(s.h) > PieceMasks::MaxWords)
        return m;
    for (size_t i = 0; i < static_cast<size_t>(s.h); ++i) {
        for (size_t k = 0; k < m.perRow; ++k) {
            const size_t j = 8 * k;
            m.words[i * m.perRow + k] =
                FilledBytes(cells + i * s.w + j, std::min<size_t>(8, static_cast<size_t>(s.w) - j));
        }
    }
    m.usable = true;
    return m;
}

// The collision test on a checked shape. The game runs it for every row a piece falls
// through, so it walks the cells directly and stops at the first hit.
bool Hits(const char* cells, Shape s, int x, int y, const TFieldString& field,
          const PieceMasks* masks = nullptr) {
    if (x + s.w - 1 > FieldWidth)
        return true;
    if (y + s.h - 1 > FieldHeight || x < 1 || y < 1)
        return true;
    if (s.w == 0 || s.h == 0)
        return false;
    const char* f = field.data();
    const size_t size = field.size();
    if (CellIndex(x + s.w - 1, y + s.h - 1) >= size) {
        for (int i = 0; i < s.h; ++i) {
            const char* row = cells + static_cast<size_t>(i) * s.w;
            const size_t base = CellIndex(x, y + i);
            for (int j = 0; j < s.w; ++j) {
                // A short field counts as occupied beyond its end rather than being read past.
                if (row[j] != '0' && (base + j >= size || f[base + j] != '0'))
                    return true;
            }
        }
        return false;
    }
    // Eight cells at a time: one test per piece row (of up to eight columns), not two per cell.
    for (int i = 0; i < s.h; ++i) {
        const char* row = cells + static_cast<size_t>(i) * s.w;
        const size_t base = CellIndex(x, y + i);
        for (size_t j = 0; j < static_cast<size_t>(s.w); j += 8) {
            const size_t n = std::min<size_t>(8, static_cast<size_t>(s.w) - j);
            const uint64_t piece =
                masks && masks->usable
                    ? masks->words[static_cast<size_t>(i) * masks->perRow + j / 8]
                    : FilledBytes(row + j, n);
            // Cells past the piece's columns are empty in its mask, so the field may be read
            // eight at once while inside the string.
            const char* at = f + base + j;
            const uint64_t under = base + j + 8 <= size ? FilledBytes(at, 8) : FilledBytes(at, n);
            if ((piece & under) != 0)
                return true;
        }
    }
    return false;
}

// `out` becomes the checked piece `in` turned a quarter clockwise: its size digits swap and
// its columns, read bottom to top, become the rows.
void TurnInto(const TPieceString& in, Shape s, TPieceString& out) {
    out.resize(4 + static_cast<size_t>(s.w) * s.h);
    char* o = out.data();
    const char* p = in.data();
    o[0] = p[2];
    o[1] = p[3];
    o[2] = p[0];
    o[3] = p[1];
    o += 4;
    const char* cells = Cells(in);
    for (int c = 0; c < s.w; ++c) {
        for (int r = s.h - 1; r >= 0; --r) *o++ = cells[static_cast<size_t>(r) * s.w + c];
    }
}

std::string Args(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& p : parts) {
        out += ' ';
        out += p;
    }
    return out;
}

std::string ToStr(int v) {
    return std::to_string(v);
}

// Field cells are tested one by one against the alphabet: a table answers in one look-up.
constexpr std::array<bool, 256> SpecialTable = [] {
    std::array<bool, 256> t{};
    for (char c : SpecialAlphabet) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

}  // namespace

bool IsSpecialLetter(char c) {
    return SpecialTable[static_cast<unsigned char>(c)];
}

TFieldString EmptyField() {
    return TFieldString(static_cast<size_t>(FieldWidth) * FieldHeight, '0');
}

int PieceWidth(const TPieceString& piece) {
    return ShapeOf(piece).w;
}
int PieceHeight(const TPieceString& piece) {
    return ShapeOf(piece).h;
}

bool collision(int x, int y, const TPieceString& piece, const TFieldString& field) {
    return LogErrorsWith(
        [&] {
            return "collision" + Args({ToStr(x), ToStr(y), piece, field});
        },
        [&] {
            const Shape s = ShapeOf(piece);
            return Hits(Cells(piece), s, x, y, field);
        });
}

TPieceString chpiece(const TPieceString& piece, int n) {
    return LogErrorsWith(
        [&] {
            return "chpiece" + Args({piece, ToStr(n)});
        },
        [&] {
            // Four turns bring a piece back, so at most three are ever made.
            const int turns = n >= 1 ? (n - 1) % 4 : 0;
            if (turns == 0)
                return piece;
            Shape s = ShapeOf(piece);
            TPieceString cur, next;
            TurnInto(piece, s, cur);
            for (int turn = 1; turn < turns; ++turn) {
                // A turned piece holds exactly its cells, with the sizes swapped.
                s = Shape{s.h, s.w};
                TurnInto(cur, s, next);
                cur.swap(next);
            }
            return cur;
        });
}

int SpawnColumn(const TPieceString& piece) {
    return SpawnColumnOf(ShapeOf(piece));
}

int newpiececollision(const TPieceString& piece, const TFieldString& field) {
    return LogErrorsWith(
        [&] {
            return "newpiececollision" + Args({piece, field});
        },
        [&] {
            // Each rotation is the previous one turned once more, as chpiece turns it.
            Shape s = ShapeOf(piece);
            if (!Hits(Cells(piece), s, SpawnColumnOf(s), 1, field))
                return 1;
            TPieceString turned, next;
            TurnInto(piece, s, turned);
            for (int n = 2; n <= 4; ++n) {
                s = Shape{s.h, s.w};
                if (!Hits(Cells(turned), s, SpawnColumnOf(s), 1, field))
                    return n;
                if (n < 4) {
                    TurnInto(turned, s, next);
                    turned.swap(next);
                }
            }
            return 0;
        });
}

void stickpiece(const TPieceString& piece, int x, int y, TFieldString& field) {
    return LogErrorsWith(
        [&] {
            return "stickpiece" + Args({piece, ToStr(x), ToStr(y), field});
        },
        [&] {
            const Shape s = ShapeOf(piece);
            const char* cells = Cells(piece);
            char* f = field.data();
            const size_t size = field.size();
            // The piece's columns that land inside the field.
            const int first = static_cast<int>(std::max<int64_t>(1, 2 - int64_t{x}));
            const int last = static_cast<int>(std::min<int64_t>(s.w, FieldWidth - int64_t{x} + 1));
            for (int i = 1; i <= s.h; ++i) {
                const int row = y + i - 1;
                if (row < 1 || row > FieldHeight)
                    continue;
                const char* src = cells + static_cast<size_t>(i - 1) * s.w;
                for (int j = first; j <= last; ++j) {
                    const char c = src[j - 1];
                    if (c == '0')
                        continue;
                    const size_t at = CellIndex(x + j - 1, row);
                    if (at < size)
                        f[at] = c;
                }
            }
        });
}

int refitpiece(const TPieceString& piece, int& x, int& y, bool drop, const TFieldString& field) {
    return LogErrorsWith(
        [&] {
            return "refitpiece" + Args({piece, ToStr(x), ToStr(y), drop ? "1" : "0", field});
        },
        [&] {
            const Shape s = ShapeOf(piece);
            int nx = x;
            if (nx + s.w - 1 > FieldWidth)
                nx = FieldWidth - s.w + 1;
            int row = 0;
            const char* cells = Cells(piece);
            const PieceMasks masks = MasksOf(cells, s);
            for (int r = y; r >= 1; --r) {
                if (!Hits(cells, s, nx, r, field, &masks)) {
                    row = r;
                    break;
                }
            }
            if (row == 0)
                return 0;
            if (drop) {
                int r = row + 1;
                while (r <= FieldHeight + 1 && !Hits(cells, s, nx, r, field, &masks)) ++r;
                row = r - 1;
            }
            x = nx;
            y = row;
            return row;
        });
}

std::string FullRows(const TFieldString& field) {
    return FullRows(field, FieldWidth, FieldHeight);
}

std::string FullRows(const TFieldString& field, int width, int height) {
    std::string out;
    if (width <= 0)
        return out;
    const size_t w = static_cast<size_t>(width);
    for (int r = 1; r <= height; ++r) {
        const size_t start = static_cast<size_t>(r - 1) * w;
        if (start + w > field.size())
            break;
        if (std::memchr(field.data() + start, '0', w) != nullptr)
            continue;
        if (!out.empty())
            out += ' ';
        out += std::to_string(r);
    }
    return out;
}

void removelines(TFieldString& field, const std::string& rows) {
    removelines(field, rows, FieldWidth, FieldHeight);
}

void removelines(TFieldString& field, const std::string& rows, int width, int height) {
    return LogErrorsWith(
        [&] {
            return "removelines" + Args({field, rows});
        },
        [&] {
            if (width <= 0)
                return;
            const size_t w = static_cast<size_t>(width);
            const int count = std::stoi(WordAt(0, rows));
            for (int k = 1; k <= count; ++k) {
                const int r = std::stoi(WordAt(k, rows));
                if (r < 1 || r > height)
                    continue;
                const size_t start = static_cast<size_t>(r - 1) * w;
                if (start + w > field.size())
                    continue;
                field.erase(start, w);
                field.insert(0, w, '0');
            }
        });
}

int FieldChecksum(std::string_view s) {
    // Even positions (from 0) add their weighted byte, odd ones take it away, all modulo 2^16:
    // summed in pairs in 32 bits and cut to 16 at the end, which gives the same sum.
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    uint32_t sum = 32767;
    size_t i = 0;
    for (; i + 1 < n; i += 2) {
        sum += p[i] * static_cast<uint32_t>(i + 1);
        sum -= p[i + 1] * static_cast<uint32_t>(i + 2);
    }
    if (i < n)
        sum += p[i] * static_cast<uint32_t>(i + 1);
    return static_cast<uint16_t>(sum);
}

int CountTokensStartingWith(char c, const std::string& list) {
    int n = 0;
    const int count = PieceTokenCount(list);
    for (int i = 1; i <= count; ++i) {
        const std::string t = PieceToken(list, i);
        if (!t.empty() && t[0] == c)
            ++n;
    }
    return n;
}

std::string CollectSpecials(const TFieldString& field, const std::string& rows) {
    return CollectSpecials(field, rows, FieldWidth, FieldHeight);
}

std::string CollectSpecials(const TFieldString& field, const std::string& rows, int width,
                            int height) {
    std::string out;
    if (width <= 0)
        return out;
    const int count = std::stoi(WordAt(0, rows));
    for (int k = 1; k <= count; ++k) {
        const int r = std::stoi(WordAt(k, rows));
        if (r < 1 || r > height)
            continue;
        for (int c = 1; c <= width; ++c) {
            const size_t at = static_cast<size_t>(r - 1) * static_cast<size_t>(width) + (c - 1);
            if (at < field.size() && IsSpecialLetter(field[at]))
                out += field[at];
        }
    }
    return out;
}

std::string PieceToken(const std::string& list, int n) {
    return TokenAt(n, list, TokenSep);
}

int PieceTokenCount(const std::string& list) {
    return TokenCount(list, TokenSep);
}

std::string DropFirstToken(const std::string& list) {
    return RestFromToken(2, list, TokenSep);
}

void DropFirstTokenOf(std::string& list) {
    const size_t sep = list.find(TokenSep);
    if (sep == std::string::npos || sep + 1 >= list.size()) {
        list.clear();
    } else {
        list.erase(0, sep + 1);
    }
}

std::string_view PieceTokenView(std::string_view list, int n) {
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const size_t next = list.find(TokenSep, start);
        if (next == std::string_view::npos)
            return {};
        start = next + 1;
    }
    if (n < 1 || start >= list.size())
        return {};
    const size_t end = list.find(TokenSep, start);
    return list.substr(start, end == std::string_view::npos ? end : end - start);
}

std::string_view PieceOfToken(std::string_view list, int n) {
    const std::string_view token = PieceTokenView(list, n);
    return token.empty() ? token : token.substr(1);
}

TPieceString TokenPiece(const std::string& token) {
    return token.empty() ? std::string() : token.substr(1);
}

}  // namespace pk
