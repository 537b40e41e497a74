#include "peers/bot_game.h"

#include <cstddef>
#include <vector>

#include "game/zrfield.h"

namespace pk::peers {

namespace {

constexpr std::size_t kCells = static_cast<std::size_t>(BotFieldWidth) * BotFieldHeight;

// A piece as rows of cells, '0' empty.
struct Shape {
    int width = 0;
    int height = 0;
    std::string cells;
    char at(int column, int row) const {
        return cells[static_cast<std::size_t>(row * width + column)];
    }
};

Shape ShapeOf(std::string_view piece) {
    Shape s;
    s.width = (piece[0] - '0') * 10 + (piece[1] - '0');
    s.height = (piece[2] - '0') * 10 + (piece[3] - '0');
    s.cells = std::string(piece.substr(4));
    return s;
}

// A quarter turn clockwise.
Shape Turned(const Shape& s) {
    Shape t{s.height, s.width, std::string(s.cells.size(), '0')};
    for (int row = 0; row < t.height; ++row)
        for (int column = 0; column < t.width; ++column)
            t.cells[static_cast<std::size_t>(row * t.width + column)] =
                s.at(row, s.height - 1 - column);
    return t;
}

char& Cell(std::string& field, int column, int row) {
    return field[static_cast<std::size_t>(row * BotFieldWidth + column)];
}

// Whether the shape fits with its top left cell at (column, row), 0-based.
bool Fits(const Shape& s, int column, int row, const std::string& field) {
    for (int r = 0; r < s.height; ++r)
        for (int c = 0; c < s.width; ++c) {
            if (s.at(c, r) == '0')
                continue;
            const int x = column + c, y = row + r;
            if (x < 0 || x >= BotFieldWidth || y < 0 || y >= BotFieldHeight)
                return false;
            if (field[static_cast<std::size_t>(y * BotFieldWidth + x)] != '0')
                return false;
        }
    return true;
}

struct Place {
    Shape shape;
    int column = 0;
    int row = 0;
};

}  // namespace

std::string EmptyBotField() {
    return std::string(kCells, '0');
}

void BotGame::Start() {
    field = EmptyBotField();
    pieces = 0;
    lines = 0;
    out_ = false;
}

int BotGame::PlacePiece(TRandomGen& random) {
    if (out_)
        return 0;
    Shape shape = ShapeOf(PieceTable[static_cast<std::size_t>(random.draw(7))]);
    // Every turn and column where the piece enters from the top, dropped as far as it goes.
    std::vector<Place> places;
    for (int turn = 0; turn < 4; ++turn, shape = Turned(shape)) {
        for (int column = 0; column + shape.width <= BotFieldWidth; ++column) {
            if (!Fits(shape, column, 0, field))
                continue;
            int row = 0;
            while (Fits(shape, column, row + 1, field)) ++row;
            places.push_back({shape, column, row});
        }
    }
    if (places.empty()) {
        out_ = true;
        return 0;
    }
    // Mostly the lowest landing (the first of equals after a random start), now and then any.
    std::size_t pick = static_cast<std::size_t>(random.draw(static_cast<int>(places.size())));
    if (random.draw(3) != 0) {
        const std::size_t start = pick;
        for (std::size_t k = 0; k < places.size(); ++k) {
            const Place& p = places[(start + k) % places.size()];
            if (p.row + p.shape.height > places[pick].row + places[pick].shape.height)
                pick = (start + k) % places.size();
        }
    }
    const Place& place = places[pick];
    for (int r = 0; r < place.shape.height; ++r)
        for (int c = 0; c < place.shape.width; ++c)
            if (place.shape.at(c, r) != '0')
                Cell(field, place.column + c, place.row + r) = place.shape.at(c, r);
    ++pieces;
    const int cleared = ClearFullRows(field);
    lines += cleared;
    const bool reachedTop = field.find_first_not_of('0') < 2 * BotFieldWidth;
    out_ = reachedTop || pieces >= BotPieceLimit;
    return cleared;
}

int ClearFullRows(std::string& field) {
    std::string kept;
    int removed = 0;
    for (int row = 0; row < BotFieldHeight; ++row) {
        const std::string cells =
            field.substr(static_cast<std::size_t>(row * BotFieldWidth), BotFieldWidth);
        if (cells.find('0') == std::string::npos)
            ++removed;
        else
            kept += cells;
    }
    field = std::string(static_cast<std::size_t>(removed * BotFieldWidth), '0') + kept;
    return removed;
}

std::string AddRowAtBottom(const std::string& field, const std::string& row) {
    return field.substr(row.size()) + row;
}

std::string ClearBottomRow(const std::string& field) {
    return std::string(BotFieldWidth, '0') + field.substr(0, kCells - BotFieldWidth);
}

std::string NukeRows(const std::string& field, int lines) {
    if (lines < 1 || lines >= BotFieldHeight)
        return EmptyBotField();
    const std::size_t gone = static_cast<std::size_t>(lines * BotFieldWidth);
    return std::string(gone, '0') + field.substr(0, kCells - gone);
}

std::string GarbageRow(TRandomGen& random) {
    std::string row;
    for (int column = 0; column < BotFieldWidth; ++column)
        row += static_cast<char>('1' + random.draw(5));
    row[static_cast<std::size_t>(random.draw(BotFieldWidth))] = '0';
    return row;
}

}  // namespace pk::peers
