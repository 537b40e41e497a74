#include "wholegame_player.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace pk::test {

namespace {

bool Filled(const TFieldString& field, int column, int row) {
    return field[static_cast<std::size_t>((row - 1) * FieldWidth + column - 1)] != '0';
}

// Lower is better for each: the columns' heights summed, the empty cells under a block, the
// height steps between neighbouring columns.
struct Shape {
    int heights = 0;
    int holes = 0;
    int bumps = 0;
};

Shape Measure(const TFieldString& field) {
    Shape s;
    int previous = -1;
    for (int column = 1; column <= FieldWidth; ++column) {
        int height = 0;
        bool roof = false;
        for (int row = 1; row <= FieldHeight; ++row) {
            if (Filled(field, column, row)) {
                if (!roof)
                    height = FieldHeight - row + 1;
                roof = true;
            } else if (roof) {
                ++s.holes;
            }
        }
        s.heights += height;
        if (previous >= 0)
            s.bumps += std::abs(height - previous);
        previous = height;
    }
    return s;
}

}  // namespace

PiecePlace ChoosePlace(const TPieceString& piece, const TFieldString& field) {
    PiecePlace best;
    double bestScore = 0;
    for (int turns = 0; turns < 4; ++turns) {
        const TPieceString shape = chpiece(piece, turns + 1);
        const int width = PieceWidth(shape);
        for (int x = 1; x + width - 1 <= FieldWidth; ++x) {
            if (collision(x, 1, shape, field))
                continue;
            int y = 1;
            while (!collision(x, y + 1, shape, field)) ++y;
            TFieldString after = field;
            stickpiece(shape, x, y, after);
            const std::string rows = FullRows(after);
            const int cleared =
                rows.empty() ? 0 : static_cast<int>(std::count(rows.begin(), rows.end(), ' ')) + 1;
            removelines(after, rows);
            const Shape s = Measure(after);
            const double score =
                0.76 * cleared - 0.51 * s.heights - 0.36 * s.holes - 0.18 * s.bumps;
            if (!best.found || score > bestScore) {
                best = {turns, x, true};
                bestScore = score;
            }
        }
    }
    return best;
}

}  // namespace pk::test
