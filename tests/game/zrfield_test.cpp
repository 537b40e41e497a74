#include "game/zrfield.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

using testing::FieldFromRows;

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        FieldWidth = 12;
        FieldHeight = 22;
        ClearClientLog();
    }
    void TearDown() override {
        FieldWidth = 12;
        FieldHeight = 22;
    }
};

// Clockwise quarter turn computed from coordinates, independently of chpiece's string walk:
// the cell at (row r, column c) of an H x W piece goes to (row c, column H - 1 - r).
std::string TurnByCoordinates(const std::string& p) {
    const int w = std::stoi(p.substr(0, 2)), h = std::stoi(p.substr(2, 2));
    std::string cells(static_cast<size_t>(w * h), '?');
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c)
            cells[static_cast<size_t>(c * h + (h - 1 - r))] = p[4 + r * w + c];
    }
    return p.substr(2, 2) + p.substr(0, 2) + cells;
}

TEST_F(FieldTest, EveryStandardPieceTurnsClockwiseAndComesBackAfterFourTurns) {
    for (std::string_view pv : PieceTable) {
        const std::string p(pv);
        std::string expected = p;
        for (int n = 1; n <= 5; ++n) {
            EXPECT_EQ(chpiece(p, n), expected) << p << " rotation " << n;
            expected = TurnByCoordinates(expected);
        }
        EXPECT_EQ(chpiece(p, 5), p);
    }
    EXPECT_EQ(chpiece("04011111", 2), "01041111");
    EXPECT_EQ(chpiece("0302300333", 2), "0203333030");
    EXPECT_EQ(chpiece("0302300333", 3), "0302333003");
    EXPECT_EQ(chpiece("0302300333", 4), "0203030333");
}

TEST_F(FieldTest, MalformedPieceIsLoggedAndRaised) {
    EXPECT_THROW(chpiece("x40111", 2), std::invalid_argument);
    EXPECT_NE(ClientLog().find("Error in chpiece x40111 2"), std::string::npos);
    ClearClientLog();
    EXPECT_THROW(collision(3, 4, "0202222", EmptyField()), std::invalid_argument);
    EXPECT_NE(ClientLog().find("Error in collision 3 4 0202222 "), std::string::npos);
}

TEST_F(FieldTest, CollisionAtEveryBorderForEveryOrientation) {
    const std::string empty = EmptyField();
    for (std::string_view pv : PieceTable) {
        for (int n = 1; n <= 4; ++n) {
            const std::string p = chpiece(std::string(pv), n);
            const int w = PieceWidth(p), h = PieceHeight(p);
            const int maxX = FieldWidth - w + 1, maxY = FieldHeight - h + 1;
            EXPECT_FALSE(collision(1, 1, p, empty));
            EXPECT_FALSE(collision(maxX, maxY, p, empty));
            EXPECT_TRUE(collision(0, 1, p, empty)) << p;
            EXPECT_TRUE(collision(1, 0, p, empty)) << p;
            EXPECT_TRUE(collision(maxX + 1, 1, p, empty)) << p;
            EXPECT_TRUE(collision(1, maxY + 1, p, empty)) << p;
        }
    }
}

TEST_F(FieldTest, OutsideTheFieldCollidesEvenThroughEmptyPieceCells) {
    const std::string empty = EmptyField();
    EXPECT_TRUE(collision(1, 0, "0302000111", empty));  // empty top row above the field
    EXPECT_TRUE(collision(0, 1, "02020101", empty));    // empty left column left of it
}

TEST_F(FieldTest, CollisionWithBlocksAndLettersButNotThroughEmptyPieceCells) {
    std::string f = EmptyField();
    f[(5 - 1) * 12 + (4 - 1)] = 'q';                 // column 4, row 5
    EXPECT_TRUE(collision(3, 4, "0302011110", f));   // piece cell (2,2) on it
    EXPECT_FALSE(collision(4, 5, "0302011110", f));  // the piece's empty corner covers it
    EXPECT_FALSE(collision(5, 5, "02022222", f));
}

TEST_F(FieldTest, SpawnPlacesAndRotationsThatFit) {
    std::string f = EmptyField();
    EXPECT_EQ(newpiececollision("04011111", f), 1);
    EXPECT_EQ(SpawnColumn("04011111"), 5);
    EXPECT_EQ(SpawnColumn("02022222"), 6);
    EXPECT_EQ(SpawnColumn("0302300333"), 6);
    f[4] = '1';  // column 5, row 1: the flat bar cannot spawn, the upright one at column 7 can
    EXPECT_EQ(newpiececollision("04011111", f), 2);
    const std::string twoFullRows = std::string(24, '1') + std::string(240, '0');
    EXPECT_EQ(newpiececollision("04011111", twoFullRows), 0);
    EXPECT_EQ(newpiececollision("02022222", twoFullRows), 0);
}

TEST_F(FieldTest, StickPieceWritesOnlyItsCellsAndNeverOutsideTheField) {
    std::string f = EmptyField();
    stickpiece("0302300333", 1, 21, f);
    EXPECT_EQ(f.substr(20 * 12, 12), "300000000000");
    EXPECT_EQ(f.substr(21 * 12, 12), "333000000000");

    // A bar hanging over the right edge and the bottom: only the inside cells are written,
    // nothing wraps into the next row, and the field keeps its size.
    std::string g = EmptyField();
    stickpiece("04011111", 11, 22, g);
    EXPECT_EQ(g.size(), 264u);
    EXPECT_EQ(g.substr(21 * 12), "000000000011");
    EXPECT_EQ(std::count(g.begin(), g.end(), '1'), 2);
    stickpiece("01041111", 3, 21, g);
    EXPECT_EQ(std::count(g.begin(), g.end(), '1'), 4);
    stickpiece("02022222", -1, 0, g);
    stickpiece("15011111111111111111", 1, 1, g);  // wider than the field
    EXPECT_EQ(g.size(), 264u);
    EXPECT_EQ(g.substr(0, 12), "111111111111");
    EXPECT_EQ(g.substr(12, 12), "000000000000");
}

TEST_F(FieldTest, RefitSearchesUpwardWhenBuriedAndDrops) {
    // Columns 1-4 filled from row 10 down; a bar placed at row 15 is buried.
    std::string f = EmptyField();
    for (int r = 10; r <= 22; ++r) f.replace(static_cast<size_t>((r - 1) * 12), 4, "1111");
    int x = 1, y = 15;
    EXPECT_EQ(refitpiece("04011111", x, y, false, f), 9);
    EXPECT_EQ(y, 9);
    x = 1, y = 15;
    EXPECT_EQ(refitpiece("04011111", x, y, true, f), 9);

    int sx = 6, sy = 1;
    EXPECT_EQ(refitpiece("02022222", sx, sy, true, EmptyField()), 21);
    EXPECT_EQ(sy, 21);

    int bx = 12, by = 3;  // sticks out on the right: pulled in
    EXPECT_EQ(refitpiece("04011111", bx, by, false, EmptyField()), 3);
    EXPECT_EQ(bx, 9);

    const std::string full(264, '1');
    int nx = 4, ny = 7;
    EXPECT_EQ(refitpiece("02022222", nx, ny, true, full), 0);
    EXPECT_EQ(nx, 4);
    EXPECT_EQ(ny, 7);
}

TEST_F(FieldTest, FullRowsAndRemoveLines) {
    std::string f = EmptyField();
    EXPECT_EQ(FullRows(f), "");
    f.replace(0, 12, "0000000000a1");
    f.replace(20 * 12, 24, std::string(11, '1') + "c" + std::string(12, '5'));
    EXPECT_EQ(FullRows(f), "21 22");
    EXPECT_EQ(CollectSpecials(f, "21 22"), "c");
    std::string g = f;
    removelines(g, "21 22");
    EXPECT_EQ(g.substr(0, 24), std::string(24, '0'));
    EXPECT_EQ(g.substr(24), f.substr(0, 240));

    // Rows in the middle: later numbers stay valid because the list ascends.
    std::string h = EmptyField();
    h.replace(4 * 12, 12, std::string(12, '2'));
    h.replace(6 * 12, 12, std::string(12, '3'));
    h[5 * 12] = '4';
    EXPECT_EQ(FullRows(h), "5 7");
    removelines(h, "5 7");
    EXPECT_EQ(FullRows(h), "");
    EXPECT_EQ(h[6 * 12], '4');  // only the lower removed row moves it down
    EXPECT_EQ(h.size(), 264u);
}

TEST_F(FieldTest, RowRoutinesOfAnotherSizeStayInsideTheField) {
    // 4 columns, 5 rows, as the special blocks' environment may give them.
    const std::string field = std::string("1010") + "1111" + "0000" + "2222" + "3333";
    EXPECT_EQ(FullRows(field, 4, 5), "2 4 5");
    std::string removed = field;
    removelines(removed, "2 4 5", 4, 5);
    EXPECT_EQ(removed, std::string("0000") + "0000" + "0000" + "1010" + "0000");
    std::string outside = field;
    removelines(outside, "0 6 -3", 4, 5);
    EXPECT_EQ(outside, field);
    const std::string specials = std::string("a1b1") + "0000" + "1q2m" + "0000" + "0000";
    EXPECT_EQ(CollectSpecials(specials, "1 3 9", 4, 5), "abqm");
}

TEST_F(FieldTest, ChecksumVectors) {
    EXPECT_EQ(FieldChecksum(""), 32767);
    EXPECT_EQ(FieldChecksum("0"), 32815);
    EXPECT_EQ(FieldChecksum("00"), 32719);
    EXPECT_EQ(FieldChecksum("ab"), 32668);
    EXPECT_EQ(FieldChecksum(EmptyField()), 26431);
    // 255 * (1 - 2 + 3 - ... - 300) = -38250; 32767 - 38250 wraps to 60053.
    EXPECT_EQ(FieldChecksum(std::string(300, '\xff')), 60053);
    // An odd length ends on an added byte: 32767 + 255 * (1 - 2 + ... + 301) = 32767 + 38505.
    EXPECT_EQ(FieldChecksum(std::string(301, '\xff')), (32767 + 38505) % 65536);
}

TEST_F(FieldTest, TokenHelpers) {
    const std::string list =
        std::string("102022222") + '\x02' + "20302011110" + '\x02' + "104011111";
    EXPECT_EQ(CountTokensStartingWith('1', list), 2);
    EXPECT_EQ(CountTokensStartingWith('2', list), 1);
    EXPECT_EQ(PieceTokenCount(list), 3);
    EXPECT_EQ(TokenPiece(PieceToken(list, 2)), "0302011110");
    EXPECT_EQ(DropFirstToken(list), std::string("20302011110") + '\x02' + "104011111");
    EXPECT_EQ(DropFirstToken("102022222"), "");
    EXPECT_EQ(TokenPiece(""), "");
    // The views and the in-place drop give what the copying helpers give, empty tokens and a
    // separator at the very end included.
    for (const std::string& l :
         {list, std::string("1"), std::string(), std::string("\x02"), std::string("104011111\x02"),
          std::string("\x02\x02"
                      "202022222")}) {
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(PieceTokenView(l, n), PieceToken(l, n)) << n;
            EXPECT_EQ(PieceOfToken(l, n), TokenPiece(PieceToken(l, n))) << n;
        }
        std::string dropped = l;
        DropFirstTokenOf(dropped);
        EXPECT_EQ(dropped, DropFirstToken(l));
    }
}

// The cell-by-cell test the collision routine must agree with.
bool CollidesByCells(int x, int y, const std::string& p, const std::string& f) {
    const int w = PieceWidth(p), h = PieceHeight(p);
    if (x < 1 || y < 1 || x + w - 1 > FieldWidth || y + h - 1 > FieldHeight)
        return true;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const size_t at = static_cast<size_t>((y - 1 + r) * FieldWidth + (x - 1 + c));
            if (p[static_cast<size_t>(4 + r * w + c)] != '0' && (at >= f.size() || f[at] != '0'))
                return true;
        }
    }
    return false;
}

TEST_F(FieldTest, WidePiecesCollideAndSpawnAsTheirCellsSay) {
    // Pieces up to 15 wide (wider than a machine word of cells) on scattered fields, short
    // fields included.
    uint32_t seed = 7;
    auto draw = [&seed](int n) {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((uint64_t{seed} * static_cast<uint32_t>(n)) >> 32);
    };
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + draw(15), h = 1 + draw(6);
        std::string p = (w < 10 ? "0" : "") + std::to_string(w) + "0" + std::to_string(h);
        for (int k = 0; k < w * h; ++k) p += draw(3) == 0 ? '0' : static_cast<char>('1' + draw(5));
        std::string f = EmptyField();
        for (char& c : f) c = draw(9) == 0 ? 'q' : (draw(7) == 0 ? '3' : '0');
        if (round % 10 == 0)
            f.resize(static_cast<size_t>(draw(264)));
        for (int x = 0; x <= FieldWidth + 1; ++x) {
            for (int y = 0; y <= FieldHeight + 1; y += 3)
                ASSERT_EQ(collision(x, y, p, f), CollidesByCells(x, y, p, f)) << p << " " << x;
        }
        int expected = 0;
        for (int n = 1; n <= 4 && expected == 0; ++n) {
            const std::string t = chpiece(p, n);
            if (!CollidesByCells(SpawnColumn(t), 1, t, f))
                expected = n;
        }
        ASSERT_EQ(newpiececollision(p, f), expected) << p;
        std::string stuck = f, byCells = f;
        const int x = draw(FieldWidth + 2) - 1, y = draw(FieldHeight + 2) - 1;
        stickpiece(p, x, y, stuck);
        for (int r = 0; r < h; ++r) {
            for (int c = 0; c < w; ++c) {
                const int col = x + c, row = y + r;
                const size_t at = static_cast<size_t>((row - 1) * FieldWidth + (col - 1));
                const char cell = p[static_cast<size_t>(4 + r * w + c)];
                if (cell != '0' && col >= 1 && col <= FieldWidth && row >= 1 &&
                    row <= FieldHeight && at < byCells.size())
                    byCells[at] = cell;
            }
        }
        ASSERT_EQ(stuck, byCells) << p << " at " << x << "," << y;
    }
}

TEST_F(FieldTest, OtherFieldSizesAreHonoured) {
    FieldWidth = 8;
    FieldHeight = 10;
    std::string f = EmptyField();
    EXPECT_EQ(f.size(), 80u);
    EXPECT_EQ(SpawnColumn("04011111"), 3);  // (8 + 2) div 2 - 2
    EXPECT_FALSE(collision(5, 10, "04011111", f));
    EXPECT_TRUE(collision(6, 10, "04011111", f));
    int x = 1, y = 1;
    EXPECT_EQ(refitpiece("02022222", x, y, true, f), 9);
    f.replace(72, 8, "12341234");
    EXPECT_EQ(FullRows(f), "10");
    removelines(f, "10");
    EXPECT_EQ(f, EmptyField());
    (void)FieldFromRows;
}

}  // namespace
}  // namespace pk
