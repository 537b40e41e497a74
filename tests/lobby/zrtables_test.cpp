// The statistics tables: grids from the server's records, both orientations, sizes clamped and
// the user's column widths kept per table.
#include "lobby/zrtables.h"

#include <gtest/gtest.h>

#include "core/zrconst.h"
#include "records_fixture.h"

namespace pk::test {
namespace {

TEST(TablesTest, TheTablesRecordInItsSerialFormIsReadAsSent) {
    // One table record, exactly as a server writes it.
    const std::string table = std::string(
        "\x05\x00\x00\x00"
        "title"  // key length 5, key
        "\x05\x00\x00\x00"
        "Games"  // value length 5, value
        "\x04\x00\x00\x00"
        "keys"
        "\x08\x00\x00\x00"
        "Won\x01Lost"  // headings joined by 0x01
        "\x01\x00\x00\x00"
        "0"
        "\x04\x00\x00\x00"
        "3\x01"
        "10",  // the first data line
        51);
    TZRTablesModel model;
    model.LoadTables(Record({{"0", table}}));
    ASSERT_EQ(model.Tables().size(), 1u);
    const TStatTable& t = model.Tables()[0];
    EXPECT_EQ(t.title, "Games");
    EXPECT_TRUE(t.top);
    EXPECT_EQ(t.columns, 2);
    EXPECT_EQ(t.rows, 2);
    EXPECT_EQ(t.Cell(0, 0), "Won");
    EXPECT_EQ(t.Cell(1, 1), "10");
}

TEST(TablesTest, HeadingsDownTheLeftGiveOneColumnPerDataLine) {
    TZRTablesModel model;
    model.LoadTables(Record({{"0", Serial({{"title", "Side"},
                                           {"top", "0"},
                                           {"keys",
                                            "A\x01"
                                            "B\x01"
                                            "C"},
                                           {"0",
                                            "1\x01"
                                            "2\x01"
                                            "3"},
                                           {"1",
                                            "4\x01"
                                            "5"},
                                           {"3", "skipped"}})}}));
    const TStatTable& t = model.Tables()[0];
    EXPECT_FALSE(t.top);
    EXPECT_EQ(t.rows, 3);
    EXPECT_EQ(t.columns, 3);
    EXPECT_EQ(t.Cell(0, 2), "C");
    EXPECT_EQ(t.Cell(1, 1), "2");
    EXPECT_EQ(t.Cell(2, 2), "");  // the short line's missing field
    EXPECT_EQ(t.Cell(9, 9), "");
}

TEST(TablesTest, StoredWidthsOverrideTheServersForTheirTableOnly) {
    TZRTablesModel model;
    model.LoadColumnWidths(Serial({{"2",
                                    "111\x01"
                                    "x\x01"
                                    "99999"}}));
    model.LoadTables(Record({{"0", Serial({{"keys",
                                            "a\x01"
                                            "b"},
                                           {"colwidths",
                                            "50\x01"
                                            "60"}})},
                             {"1", Serial({{"keys",
                                            "a\x01"
                                            "b\x01"
                                            "c"},
                                           {"colwidths",
                                            "1\x01"
                                            "2\x01"
                                            "3"},
                                           {"rowheights",
                                            "-5\x01"
                                            "30"}})},
                             {"3", Serial({{"keys", "missing table 2 ends the list"}})}}));
    ASSERT_EQ(model.Tables().size(), 2u);
    EXPECT_EQ(model.Tables()[0].columnWidths, (std::vector<int>{50, 60}));
    // "x" keeps the default; the huge width is clamped.
    EXPECT_EQ(model.Tables()[1].columnWidths, (std::vector<int>{111, 0, MaxTableCellSize}));
    EXPECT_EQ(model.Tables()[1].rowHeights, (std::vector<int>{MinTableCellSize, 30}));
    model.SetColumnWidth(1, 1, 77);
    model.SetColumnWidth(5, 0, 77);  // no such table: ignored
    TXSettings widths;
    ASSERT_TRUE(widths.LoadFromString(model.SaveColumnWidths()));
    EXPECT_EQ(widths.GetValue("1"),
              "50\x01"
              "77");
    EXPECT_EQ(widths.GetValue("2"), std::string("111\x01\x01") + std::to_string(MaxTableCellSize));
}

TEST(TablesTest, HostileCountsAreBounded) {
    std::string keys;
    for (int i = 0; i < MaxTableHeadings + 50; ++i) {
        keys += "k\x01";
    }
    Pairs tables;
    for (int i = 0; i < MaxTableCount + 5; ++i) {
        tables.push_back({std::to_string(i), Serial({{"keys", keys}})});
    }
    TZRTablesModel model;
    model.LoadTables(Record(tables));
    EXPECT_EQ(model.Tables().size(), static_cast<std::size_t>(MaxTableCount));
    EXPECT_EQ(model.Tables()[0].columns, MaxTableHeadings);
}

TEST(TablesTest, ATableWithoutHeadingsStillHasACell) {
    TZRTablesModel model;
    model.ShowPlayerStats(Packed({{"0", ""}}));
    ASSERT_EQ(model.Tables().size(), 1u);
    EXPECT_EQ(model.Tables()[0].columns, 1);
    EXPECT_EQ(model.Tables()[0].rows, 2);
    model.ShowPlayerStats("not zlib");
    EXPECT_TRUE(model.Tables().empty());
}

}  // namespace
}  // namespace pk::test
