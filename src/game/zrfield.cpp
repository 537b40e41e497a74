#include "game/zrfield.h"

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

char PieceCell(const TPieceString& piece, const Shape& s, int col, int row) {
    return piece[4 + (row - 1) * s.w + (col - 1)];
}

size_t CellIndex(int col, int row) {
    return static_cast<size_t>(row - 1) * FieldWidth + (col - 1);
}

bool CellInside(int col, int row) {
    return col >= 1 && col <= FieldWidth && row >= 1 && row <= FieldHeight;
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

}  // namespace

bool IsSpecialLetter(char c) {
    return c != 0 && SpecialAlphabet.find(c) != std::string_view::npos;
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
            if (x + s.w - 1 > FieldWidth)
                return true;
            if (y + s.h - 1 > FieldHeight || x < 1 || y < 1)
                return true;
            bool hit = false;
            for (int i = 1; i <= s.h; ++i) {
                for (int j = 1; j <= s.w; ++j) {
                    if (PieceCell(piece, s, j, i) == '0')
                        continue;
                    const size_t at = CellIndex(x + j - 1, y + i - 1);
                    // A short field counts as occupied beyond its end rather than being read past.
                    if (at >= field.size() || field[at] != '0')
                        hit = true;
                }
            }
            return hit;
        });
}

TPieceString chpiece(const TPieceString& piece, int n) {
    return LogErrorsWith(
        [&] {
            return "chpiece" + Args({piece, ToStr(n)});
        },
        [&] {
            TPieceString cur = piece;
            // Four turns bring a piece back, so at most three are ever made.
            const int turns = n >= 1 ? (n - 1) % 4 : 0;
            for (int turn = 0; turn < turns; ++turn) {
                const Shape s = ShapeOf(cur);
                std::string cells;
                cells.reserve(static_cast<size_t>(s.w) * s.h);
                for (int c = 1; c <= s.w; ++c) {
                    for (int r = s.h; r >= 1; --r) cells += PieceCell(cur, s, c, r);
                }
                cur = cur.substr(2, 2) + cur.substr(0, 2) + cells;
            }
            return cur;
        });
}

int SpawnColumn(const TPieceString& piece) {
    return (FieldWidth + 2) / 2 - PieceWidth(piece) / 2;
}

int newpiececollision(const TPieceString& piece, const TFieldString& field) {
    return LogErrorsWith(
        [&] {
            return "newpiececollision" + Args({piece, field});
        },
        [&] {
            for (int n = 1; n <= 4; ++n) {
                const TPieceString turned = chpiece(piece, n);
                if (!collision(SpawnColumn(turned), 1, turned, field))
                    return n;
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
            for (int i = 1; i <= s.h; ++i) {
                for (int j = 1; j <= s.w; ++j) {
                    const char c = PieceCell(piece, s, j, i);
                    if (c == '0')
                        continue;
                    const int col = x + j - 1, row = y + i - 1;
                    if (!CellInside(col, row))
                        continue;
                    const size_t at = CellIndex(col, row);
                    if (at < field.size())
                        field[at] = c;
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
            for (int r = y; r >= 1; --r) {
                if (!collision(nx, r, piece, field)) {
                    row = r;
                    break;
                }
            }
            if (row == 0)
                return 0;
            if (drop) {
                int r = row + 1;
                while (r <= FieldHeight + 1 && !collision(nx, r, piece, field)) ++r;
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
        if (std::string_view(field).substr(start, w).find('0') != std::string_view::npos)
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
    uint16_t sum = 32767;
    int sign = 1;
    for (size_t i = 0; i < s.size(); ++i) {
        const uint32_t term =
            static_cast<uint32_t>(static_cast<unsigned char>(s[i])) * static_cast<uint32_t>(i + 1);
        sum = static_cast<uint16_t>(sign > 0 ? sum + term : sum - term);
        sign = -sign;
    }
    return sum;
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

TPieceString TokenPiece(const std::string& token) {
    return token.empty() ? std::string() : token.substr(1);
}

}  // namespace pk
