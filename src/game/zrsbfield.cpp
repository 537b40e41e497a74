#include "game/zrsbfield.h"

#include <algorithm>
#include <charconv>

#include "core/zrmisc.h"
#include "game/zrslot.h"

namespace pk {

namespace {

bool Inside(int column, int row, int width, int height) {
    return column >= 1 && column <= width && row >= 1 && row <= height;
}

size_t CellIndex(int column, int row, int width) {
    return static_cast<size_t>(row - 1) * static_cast<size_t>(width) +
           static_cast<size_t>(column - 1);
}

size_t CellCount(int width, int height) {
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

char CellOrEmpty(char c) {
    return IsFieldCell(c) ? c : '0';
}

}  // namespace

bool IsFieldCell(char c) {
    return (c >= '0' && c <= '9') || IsSpecialLetter(c);
}

uint32_t SbBitReader::Read(int count) {
    // Messages are at most 64 KB, so the position cannot grow past an int; stop counting once
    // past the end all the same.
    if (PastEnd())
        return 0;
    return ReadBits(bits_, position_, count);
}

uint32_t SbBitReader::ReadOctalDigits(char* out, uint32_t n) {
    // Piece cells come by the hundred: while both bytes a value can touch lie inside the bits,
    // cut it straight out of them.
    uint32_t done = 0;
    const size_t size = bits_.size();
    if (size >= 2 && !PastEnd()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(bits_.data());
        const size_t fastEnd = (size - 1) * 8;
        size_t pos = static_cast<size_t>(position_);
        // Eight values fill three bytes, so a group keeps the bit offset; it is cut from the
        // four bytes it may touch while those lie inside the bits.
        const size_t first = pos / 8;
        const unsigned offset = static_cast<unsigned>(pos % 8);
        const size_t groups =
            size >= first + 4 ? std::min<size_t>(n / 8, (size - first - 4) / 3 + 1) : 0;
        for (size_t g = 0; g < groups; ++g) {
            const unsigned char* b = bytes + first + 3 * g;
            const uint32_t window =
                ((static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
                 (static_cast<uint32_t>(b[2]) << 8) | b[3])
                << offset;
            for (unsigned k = 0; k < 8; ++k)
                out[done + k] = static_cast<char>('0' + ((window >> (29 - 3 * k)) & 7u));
            done += 8;
        }
        pos += 24 * groups;
        if (done < n && pos < fastEnd) {
            // The values that start below fastEnd.
            const uint32_t end =
                static_cast<uint32_t>(std::min<size_t>(n, done + (fastEnd - pos + 2) / 3));
            for (; done < end; ++done, pos += 3) {
                const size_t at = pos / 8;
                const unsigned window = (static_cast<unsigned>(bytes[at]) << 8) | bytes[at + 1];
                out[done] = static_cast<char>('0' + ((window >> (13 - pos % 8)) & 7u));
            }
        }
        position_ = static_cast<int>(pos);
    }
    while (done < n && !PastEnd()) out[done++] = static_cast<char>('0' + Read(3));
    return done;
}

std::string FitField(std::string field, int width, int height) {
    field.resize(CellCount(width, height), '0');
    return field;
}

std::string AddLinesAtBottom(const std::string& field, std::string_view data, int width,
                             int height) {
    std::string result = FitField(field, width, height);
    if (result.empty())
        return result;
    const size_t w = static_cast<size_t>(width);
    const size_t given = data.size() / w;
    const size_t keep = std::min(given, static_cast<size_t>(height));
    if (keep == 0)
        return result;
    std::string rows(data.substr((given - keep) * w, keep * w));
    std::transform(rows.begin(), rows.end(), rows.begin(), CellOrEmpty);
    return result.substr(keep * w) + rows;
}

std::string ClearBottomLine(const std::string& field, int width, int height) {
    return NukeField(field, 1, width, height);
}

std::string NukeField(const std::string& field, int lines, int width, int height) {
    std::string result = FitField(field, width, height);
    if (result.empty())
        return result;
    if (lines < 1 || lines >= height)
        return std::string(result.size(), '0');
    const size_t cut = static_cast<size_t>(lines) * static_cast<size_t>(width);
    return std::string(cut, '0') + result.substr(0, result.size() - cut);
}

std::string RandomClear(const std::string& field, std::string_view data, int count, int width,
                        int height) {
    std::string result = FitField(field, width, height);
    SbBitReader bits(data);
    for (int i = 0; i < count && !bits.PastEnd(); ++i) {
        const int column = static_cast<int>(bits.Read(4));
        const int row = static_cast<int>(bits.Read(5));
        if (Inside(column, row, width, height))
            result[CellIndex(column, row, width)] = '0';
    }
    return result;
}

std::string ClearSpecials(const std::string& field, std::string_view data, int width, int height) {
    std::string result = FitField(field, width, height);
    if (data.empty() || data[0] < '0' || data[0] > '9')
        return result;
    for (char& cell : result) {
        if (IsSpecialLetter(cell))
            cell = data[0];
    }
    return result;
}

std::string GravityField(const std::string& field, int width, int height) {
    std::string result = FitField(field, width, height);
    for (int column = 1; column <= width; ++column) {
        int target = height;  // the lowest row not yet filled
        for (int row = height; row >= 1; --row) {
            const char cell = result[CellIndex(column, row, width)];
            if (cell == '0')
                continue;
            result[CellIndex(column, row, width)] = '0';
            result[CellIndex(column, target, width)] = cell;
            --target;
        }
    }
    return result;
}

std::string QuakeRows(const std::string& field, std::string_view data, int width, int height) {
    std::string result = FitField(field, width, height);
    SbBitReader bits(data);
    for (int row = 1; row <= height; ++row) {
        const bool left = bits.Read(1) == 1;
        const int shift = static_cast<int>(bits.Read(2));
        if (shift == 0)
            continue;
        const size_t start = CellIndex(1, row, width);
        const std::string old = result.substr(start, static_cast<size_t>(width));
        for (int column = 1; column <= width; ++column) {
            const int from = left ? column + shift : column - shift;
            result[start + static_cast<size_t>(column - 1)] =
                (from >= 1 && from <= width) ? old[static_cast<size_t>(from - 1)] : '0';
        }
    }
    return result;
}

std::string BlockBomb(const std::string& field, std::string_view data, int size, int width,
                      int height) {
    std::string result = FitField(field, width, height);
    SbBitReader bits(data);
    // Each pass clears one 'o' and a move never copies a cell, so the 'o's only get fewer and
    // the loop ends after at most one pass per cell.
    for (;;) {
        const size_t bomb = result.find('o');
        if (bomb == std::string::npos)
            break;
        result[bomb] = '0';
        const int column = static_cast<int>(bomb % static_cast<size_t>(width)) + 1;
        const int row = static_cast<int>(bomb / static_cast<size_t>(width)) + 1;
        const int reach = std::max(size, 0);
        const int c0 = std::max(column - reach, 1), c1 = std::min(column + reach, width);
        const int r0 = std::max(row - reach, 1), r1 = std::min(row + reach, height);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const size_t from = CellIndex(c, r, width);
                const char cell = result[from];
                if (cell == '0')
                    continue;
                const int tc = static_cast<int>(bits.Read(4));
                const int tr = static_cast<int>(bits.Read(5));
                if (!Inside(tc, tr, width, height))
                    continue;
                result[from] = '0';
                result[CellIndex(tc, tr, width)] = cell;
            }
        }
    }
    return result;
}

std::string ClearColumn(const std::string& field, std::string_view data, int width, int height) {
    std::string result = FitField(field, width, height);
    long long column = 1;
    if (!data.empty()) {
        long long parsed = 0;
        const char* end = data.data() + data.size();
        auto [ptr, ec] = std::from_chars(data.data(), end, parsed);
        if (ec == std::errc::result_out_of_range)
            return result;
        if (ec == std::errc() && ptr == end)
            column = parsed;
    }
    if (column < 1 || column > width)
        return result;
    for (int row = 1; row <= height; ++row) {
        result[CellIndex(static_cast<int>(column), row, width)] = '0';
    }
    return result;
}

AddedLines ParseAddedLines(std::string_view data, int width, int height) {
    AddedLines lines;
    SbBitReader bits(data);
    lines.rowCount = static_cast<int>(bits.Read(5));
    std::string cells;
    const int w = std::max(width, 0);
    for (int i = 0; i < lines.rowCount * w; ++i) {
        const uint32_t value = bits.Read(4);
        cells += value <= 9 ? static_cast<char>('0' + value) : '0';
    }
    const int keep = std::clamp(lines.rowCount, 0, std::max(height, 0));
    lines.rows = cells.substr(static_cast<size_t>(lines.rowCount - keep) * w);
    // A 0 ends the list; so does the end of the data, which reads as 0.
    for (;;) {
        const int slot = static_cast<int>(bits.Read(4));
        if (slot == 0)
            break;
        if (ValidSlot(slot))
            lines.slots.push_back(slot);
    }
    return lines;
}

int AddedLineCount(std::string_view data) {
    SbBitReader bits(data);
    return static_cast<int>(bits.Read(5));
}

std::array<int, 4> ConfusionOrder(const std::function<int(int)>& draw) {
    std::array<int, 4> order{};
    std::array<bool, 4> taken{};
    constexpr int kMaxDraws = 64;
    for (int k = 0; k < 4; ++k) {
        auto allowed = [&](int r) { return r >= 0 && r < 4 && !taken[r] && (k == 3 || r != k); };
        int pick = -1;
        for (int tries = 0; tries < kMaxDraws && pick < 0; ++tries) {
            const int r = draw(4);
            if (allowed(r))
                pick = r;
        }
        for (int r = 0; r < 4 && pick < 0; ++r) {
            if (allowed(r))
                pick = r;
        }
        order[k] = pick;
        taken[pick] = true;
    }
    return order;
}

}  // namespace pk
