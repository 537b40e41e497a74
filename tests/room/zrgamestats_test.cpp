// The last game's statistics: the record of message 0x02 byte for byte, the texts shown, the
// column widths and the log file.
#include "room/zrgamestats.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/zrconst.h"
#include "core/zrzstream.h"
#include "support/linked_file.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using namespace std::literals;

std::string S(const char* digits) {
    return std::string("\x05") + digits;
}

// A key/value pair of the serial record: 32-bit little-endian length, bytes, for key and value.
std::string Pair(const std::string& key, const std::string& value) {
    std::string out;
    for (const std::string* s : {&key, &value}) {
        const auto n = static_cast<std::uint32_t>(s->size());
        for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xff);
        out += *s;
    }
    return out;
}

TEST(GameStatsWire, GoldenRecord) {
    // The serial record as the server builds it, before compression.
    const std::string serial(
        "\x08\x00\x00\x00gametime"  // key "gametime"
        "\x03\x00\x00\x00"
        "125"  // 2 min 5 s
        "\x04\x00\x00\x00"
        "date"  // key "date"
        "\x0a\x00\x00\x00"
        "2026-12-09"               // shown as it is
        "\x06\x00\x00\x00winner"   // key "winner"
        "\x04\x00\x00\x00reds"     // a team
        "\x07\x00\x00\x00teamwin"  // key "teamwin"
        "\x03\x00\x00\x00yes"      // the winner is a team
        "\x04\x00\x00\x00keys"     // key "keys": headers cut at 0x01
        "\x0a\x00\x00\x00Name\x01Lines"
        "\x01\x00\x00\x00"
        "1"  // row of slot 1
        "\x07\x00\x00\x00"
        "alice\x01"
        "7"
        "\x01\x00\x00\x00"
        "3"  // row of slot 3, one cell short
        "\x03\x00\x00\x00"
        "bob"
        "\x09\x00\x00\x00"
        "colwidths"  // server's widths
        "\x06\x00\x00\x00"
        "80\x01x\x01"
        "9"sv);
    const auto stats = ParseGameStats(Compress(serial, CompressionLevel::Max));
    ASSERT_TRUE(stats);
    EXPECT_TRUE(stats->played);
    EXPECT_EQ(stats->gameSeconds, 125);
    EXPECT_EQ(stats->date, "2026-12-09");
    EXPECT_EQ(stats->winner, "reds");
    EXPECT_TRUE(stats->teamWin);
    EXPECT_EQ(stats->headers, (std::vector<std::string>{"Name", "Lines"}));
    EXPECT_EQ(stats->rows[0], (std::vector<std::string>{"alice", "7"}));
    EXPECT_TRUE(stats->rows[1].empty());
    EXPECT_EQ(stats->rows[2], (std::vector<std::string>{"bob", ""}));
    EXPECT_EQ(StatsColumnWidths("", stats->colwidths, 2), (std::vector<int>{80, 50}));

    EXPECT_EQ(StatsResultLines(*stats),
              (std::vector<std::string>{
                  " ", S("01") + S("02") + "Last game stats: 2026-12-09", " ",
                  S("02") + "Game winner:\x05\t" + S("12") + S("01") + "Team reds",
                  S("02") + "Game length:\x05\t" + S("14") + S("01") + "2min 5sec", " ", " "}));
}

TEST(GameStatsWire, NoGameAndZeroLength) {
    const auto none = ParseGameStats(Compress(Pair("date", "x"), CompressionLevel::Max));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->played);
    EXPECT_EQ(
        StatsResultLines(*none),
        (std::vector<std::string>{" ", S("01") + S("02") + "Last game stats:", " ", " ",
                                  S("01") + S("14") + "No games have been played!", " ", " "}));
    EXPECT_TRUE(StatsEventLines(false, 3, {"a"}).empty());

    const auto zero = ParseGameStats(
        Compress(Pair("gametime", "0") + Pair("winner", "bob"), CompressionLevel::Max));
    ASSERT_TRUE(zero);
    EXPECT_TRUE(zero->played);
    const auto lines = StatsResultLines(*zero);
    EXPECT_EQ(lines[3], S("02") + "Game winner:\x05\t" + S("12") + S("01") + "bob");
    EXPECT_EQ(lines[4], S("02") + "Game length:\x05\t" + S("14") + S("01") + "0min 0sec");

    const auto nobody = ParseGameStats(Compress(Pair("gametime", "61"), CompressionLevel::Max));
    EXPECT_EQ(StatsResultLines(*nobody)[3],
              S("02") + "Game winner:\x05\t" + S("14") + S("01") + "Indeterminate");
}

TEST(GameStatsWire, EventsOnlyAfterAGameEnded) {
    EXPECT_TRUE(StatsEventLines(true, 0, {"a"}).empty());
    EXPECT_EQ(StatsEventLines(true, 1, {"[12:00:00] Join: bob"}),
              (std::vector<std::string>{" ", S("01") + S("02") + "Last game events:", " ",
                                        S("17") + "[12:00:00] Join: bob"}));
}

TEST(GameStatsWire, BadPayloadsAreRefusedOrClamped) {
    EXPECT_FALSE(ParseGameStats(""));
    EXPECT_FALSE(ParseGameStats("not zlib at all"));
    const std::string record = Compress(Pair("gametime", "5"), CompressionLevel::Max);
    EXPECT_FALSE(ParseGameStats(record.substr(0, record.size() / 2)));

    // Far more columns than any table has, and rows longer than the headers.
    std::string keys, row;
    for (int i = 0; i < 500; ++i) {
        keys += "k\x01";
        row += "v\x01";
    }
    const auto wide =
        ParseGameStats(Compress(Pair("keys", keys) + Pair("1", row + row), CompressionLevel::Max));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->headers.size(), static_cast<std::size_t>(MaxStatsColumns));
    EXPECT_EQ(wide->rows[0].size(), static_cast<std::size_t>(MaxStatsColumns));

    EXPECT_EQ(StatsColumnWidths("-5\x01"
                                "99999\x01"
                                "30",
                                "", 4),
              (std::vector<int>{0, MaxStatsColumnWidth, 30, StatsDefaultColumnWidth}));
    EXPECT_EQ(StatsColumnWidths("", "", 100000).size(), static_cast<std::size_t>(MaxStatsColumns));
    // Remembered widths win over the server's.
    EXPECT_EQ(StatsColumnWidths("10",
                                "70\x01"
                                "70",
                                2),
              (std::vector<int>{10, 50}));
    EXPECT_EQ(ColumnWidthsString({10, 50, 7}),
              "10\x01"
              "50\x01"
              "7");
}

TEST(GameStatsLog, AppendsToAnExistingFile) {
    test::TempDir dir;
    const auto file = dir.Path() / "games.log";
    {
        std::ofstream out(file, std::ios::binary);
        out << "older game\nsecond line";
    }
    const auto lines = StatsLogLines({"Results"}, {{"Name", "Lines"}, {"alice", "7"}}, {"ev"});
    EXPECT_EQ(lines, (std::vector<std::string>{"Results", "", "Name      Lines     ",
                                               "alice     7         ", "", "ev"}));
    ASSERT_TRUE(AppendStatsLog(file, lines));
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text,
              "older game\r\nsecond line\r\nResults\r\n\r\nName      Lines     \r\n"
              "alice     7         \r\n\r\nev\r\n");
}

TEST(GameStatsLog, AppendingKeepsTheFilesLinkAndMode) {
    test::TempDir dir;
    test::LinkedUserFile file(dir.Path(), "games.log", "older game\r\n", 0640);
    ASSERT_TRUE(AppendStatsLog(file.link, {"Results"}));
    EXPECT_EQ(file.Bytes(), "older game\r\nResults\r\n");
    EXPECT_TRUE(file.Kept());
}

TEST(GameStatsLog, FailureIsReported) {
    test::TempDir dir;
    EXPECT_FALSE(AppendStatsLog(dir.Path() / "no such folder" / "x.log", {"a"}));
    EXPECT_FALSE(AppendStatsLog(dir.Path(), {"a"}));  // a folder, not a file
    EXPECT_EQ(StatsSaveFailedText("/x/y.log"), "Unable to save to '/x/y.log'!");
}

}  // namespace
}  // namespace pk
