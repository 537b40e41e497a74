// The servers status report (message 5), line by line.
#include "lobby/zrlobbystatus.h"

#include "lobby_fixture.h"

namespace pk::test {
namespace {

const std::string kHeader = Chat("~01~03~11Servers Status");

std::vector<std::string> Tail(int seconds) {
    return {"", Chat("  Next server update: ~01") + std::to_string(seconds) + "sec",
            Chat("~01~03~11End of Servers Status")};
}

std::vector<std::string> Lines(std::initializer_list<std::string> lines) {
    return std::vector<std::string>(lines);
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ServersStatus, AReportWithoutSectionsEndsWithTheUpdateFooterAtZero) {
    EXPECT_EQ(ServersStatusLines("30"),
              Concat(Lines({kHeader, "",
                            Chat("~01~14  ~03End of Update Servers~~~  Average load: ~010.00%")}),
                     Tail(30)));
    // A first word that is not a number counts 0; records before any section are skipped.
    EXPECT_EQ(ServersStatusLines("soon x\x02y").back(), Chat("~01~03~11End of Servers Status"));
    EXPECT_EQ(ServersStatusLines("soon x\x02y")[4], Chat("  Next server update: ~010sec"));
}

TEST(ServersStatus, GameServersThenUpdateServers) {
    const std::string report =
        "45 gs\x01"
        "g1\x02"
        "c\x02"
        "0.5\x02"
        "10\x02"
        "10.0.0.1\x02"
        "play.example.org\x02"
        "31457\x02"
        "0\x02"
        "Europe\x01"
        "g2\x02"
        "l\x02"
        "1.25\x02"
        "4\x02"
        "10.0.0.2\x02"
        "play2.example.org\x02"
        "31458\x02"
        "1\x02"
        "Asia\x01"
        "us\x01"
        "u1\x02"
        "p\x02"
        "0.125\x02"
        "8\x02"
        "10.0.0.9\x02"
        "up.example.org\x02"
        "16705\x02"
        "80\x02"
        "\x02"
        "\x02"
        "idle\x02"
        "12345";
    const std::vector<std::string> expected = Concat(
        Lines({kHeader, "",
               Chat("    ~111. ~~17[~00g1~17]~ ~01~12C ~~~14(5/10 games) ~~0110.0.0.1:31457~, to "
                    "users as ~01play.example.org~  Region: Europe"),
               Chat("    ~112. ~~17[~00g2~17]~ ~01~22L ~~~19(5/4 games) ~~0110.0.0.2:31458~, to "
                    "users as ~01play2.example.org~  Region: Asia  ~01(~19TESTING~)~ "),
               Chat("~01~14  ~03End of Game Servers~~~  Average load: ~0187.50%"), "",
               Chat("    ~111. ~~17[~00u1~17]~ ~01~16P[idle] ~~~14(1/8 users) ~~0110.0.0.9:16705~"
                    ", to users as ~01up.example.org:80~  "),
               Chat("         Upload: ~1512.35kps  ~Redirect: ~01None"),
               Chat("~01~14  ~03End of Update Servers~~~  Average load: ~0112.50%")}),
        Tail(45));
    EXPECT_EQ(ServersStatusLines(report), expected);
}

// Between sections only a game-server section is closed with its footer; the footer that ends
// the report names the last section.
TEST(ServersStatus, AnUpdateSectionGetsNoFooterBeforeTheNextSection) {
    const std::string report =
        "5 us\x01"
        "u1\x02"
        "d\x02"
        "0\x02"
        "2\x02"
        "h\x02"
        "uh\x02"
        "1\x02"
        "2\x02"
        "r.example.org\x02"
        "99\x02"
        "down\x01"
        "gs\x01"
        "g1\x02"
        "u\x02"
        "0\x02"
        "3\x02"
        "h\x02"
        "uh\x02"
        "7\x02"
        "0\x02"
        "R";
    const std::vector<std::string> lines = ServersStatusLines(report);
    const std::vector<std::string> expected =
        Concat(Lines({kHeader, "",
                      Chat("    ~111. ~~17[~00u1~17]~ ~01~19D[down] ~~~14(0/2 users) ~~01h:1~, to "
                           "users as ~01uh:2~  "),
                      Chat("         Upload: ~150.00kps  ~Redirect: ~01r.example.org:99"),
                      Chat("    ~111. ~~17[~00g1~17]~ ~01~22U ~~~14(0/3 games) ~~01h:7~, to users "
                           "as ~01uh~  Region: R"),
                      Chat("~01~14  ~03End of Game Servers~~~  Average load: ~010.00%")}),
               Tail(5));
    EXPECT_EQ(ServersStatusLines(report), expected);
    // Two update sections in a row: neither is closed in between.
    EXPECT_EQ(ServersStatusLines("5 us\x01us"),
              Concat(Lines({kHeader, "",
                            Chat("~01~14  ~03End of Update Servers~~~  Average load: ~010.00%")}),
                     Tail(5)));
}

TEST(ServersStatus, AnUnknownStateLetterAddsNothingAndABadLoadEndsTheReport) {
    const std::string report =
        "1 gs\x01"
        "g1\x02"
        "q\x02"
        "0.25\x02"
        "2\x02"
        "h\x02"
        "uh\x02"
        "7\x02"
        "0\x02"
        "R\x01"
        "g2\x02"
        "c\x02"
        "lots\x02"
        "2\x02"
        "h\x02"
        "uh\x02"
        "7\x02"
        "0\x02"
        "R\x01"
        "g3\x02"
        "c\x02"
        "0\x02"
        "2\x02"
        "h\x02"
        "uh\x02"
        "7\x02"
        "0\x02"
        "R";
    EXPECT_EQ(ServersStatusLines(report),
              Lines({kHeader, "",
                     Chat("    ~111. ~~17[~00g1~17]~ ~14(0/2 games) ~~01h:7~, to users as ~01uh~"
                          "  Region: R")}));
}

TEST(ServersStatus, AFullSectionsAverageIsMarked) {
    const std::string report =
        "1 gs\x01"
        "g\x02"
        "c\x02"
        "1\x02"
        "4\x02"
        "h\x02"
        "u\x02"
        "1\x02"
        "0\x02"
        "R";
    EXPECT_EQ(ServersStatusLines(report)[3],
              Chat("~01~14  ~03End of Game Servers~~~  Average load: ~01~19100.00%"));
}

TEST(ServersStatus, RoundingAndHugeLoadsStayInRange) {
    EXPECT_EQ(TwoDecimals(0.125 * 100), "12.50");
    EXPECT_EQ(TwoDecimals(-0.0), "0.00");
    const std::string report =
        "1 gs\x01"
        "g\x02"
        "c\x02"
        "1e300\x02"
        "2147483647\x02"
        "h\x02"
        "u\x02"
        "1\x02"
        "0\x02"
        "R";
    const std::vector<std::string> lines = ServersStatusLines(report);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[2].find("(1000000000000000/2147483647 games)"), std::string::npos);
}

TEST_F(LobbyTest, ServersStatusMessageWritesEachLineToTheLobbyChat) {
    Connected();
    Settings.lobby.findgamests = 1;
    LobbyDispatch(5, "3");
    ASSERT_EQ(host.chat.size(), 6u);
    EXPECT_EQ(host.chat[0], Chat("~17[12:34] ~") + kHeader);
}

}  // namespace
}  // namespace pk::test
