// The model's records and what the lists show of them: section orders, title and tray hint,
// the user menu's rules, game rows, sort orders and the own-status buttons.
#include <algorithm>

#include "lobby_fixture.h"

namespace pk::test {
namespace {

using Lists = LobbyTest;

std::vector<std::string> Section(UserRowKind kind) {
    std::vector<std::string> names;
    for (const TUserRow& row : LobbyModel.userRows) {
        if (row.kind == kind) {
            names.push_back(FindUserByUid(row.uid)->name);
        }
    }
    return names;
}

TEST_F(Lists, SectionsAreSortedAndCanBeClosed) {
    Connected();
    NewFriend("zed").present = 1;
    NewFriend("Bob");
    NewFriend("amy");
    NewFriend("Carl").present = 1;
    NewIgnored("x");
    NewIgnored("Wanda");
    NewIgnored("b");
    NewRoomUser("zoe").privilege = 0;
    NewRoomUser("Al").privilege = 3;
    NewRoomUser("bo").privilege = 1;
    RebuildUserList();
    EXPECT_EQ(Section(UserRowKind::Friend),
              (std::vector<std::string>{"Carl", "zed", "amy", "Bob"}));
    EXPECT_EQ(Section(UserRowKind::Ignored), (std::vector<std::string>{"b", "Wanda", "x"}));
    EXPECT_EQ(Section(UserRowKind::RoomUser), (std::vector<std::string>{"zoe", "bo", "Al", "me"}));
    EXPECT_EQ(LobbyModel.userRows.front().kind, UserRowKind::FriendsHeader);

    ClientState.lobby.ShowFriends = 0;
    ClientState.lobby.ShowIgnore = 0;
    ClientState.lobby.ShowUsers = 0;
    RebuildUserList();
    ASSERT_EQ(LobbyModel.userRows.size(), 3u);
    EXPECT_EQ(UserRowHeader(LobbyModel.userRows[1].kind), "!ignore");
    EXPECT_EQ(UserRowHeader(LobbyModel.userRows[2].kind), "!users");
}

TEST_F(Lists, FriendsAndIgnoredUsersAreNeverListedTwice) {
    NewFriend("Ann");
    NewFriend("ANN").present = 1;
    NewIgnored("pest");
    NewIgnored("Pest");
    EXPECT_EQ(LobbyModel.friends.size(), 1u);
    EXPECT_EQ(LobbyModel.ignored.size(), 1u);
    EXPECT_EQ(FindFriend("ann")->name, "Ann");
    EXPECT_EQ(FindFriend("ann")->present, 1);
    DisposeFriend("aNN");
    EXPECT_TRUE(LobbyModel.friends.empty());
}

TEST_F(Lists, TitleAndTrayHintCountThePlayers) {
    ClientState.account.AccountName = "me";
    RebuildUserList();
    EXPECT_EQ(host.titles.back(), "Pelkorin");
    EXPECT_EQ(host.hints.back(), "Disconnected");
    Connected();
    RebuildUserList();
    EXPECT_EQ(host.titles.back(), "Pelkorin (1 player)");
    EXPECT_EQ(host.hints.back(), "Connected as me, 1 player");
    NewRoomUser("two");
    RebuildUserList();
    EXPECT_EQ(host.titles.back(), "Pelkorin (2 players)");
    EXPECT_EQ(host.hints.back(), "Connected as me, 2 players");
}

TEST(UserMenu, PrivilegeZeroCannotBeModeratedOrBanned) {
    tSbUser admin;
    admin.privilege = 0;
    for (int me = 0; me <= 3; ++me) {
        const TUserMenu m = ConfigureUserMenu(admin, {me, false, false, false});
        EXPECT_FALSE(m.setnormal || m.setvoice || m.setoperator) << me;
        EXPECT_FALSE(m.kickandban || m.kickand5minban || m.statussub) << me;
        EXPECT_EQ(m.kicksub, me == 0) << me;
        EXPECT_TRUE(m.kickwomsg && m.kickwmsg && m.whoismenu);
    }
}

TEST(UserMenu, StatusChangesFollowTheTargetsPrivilege) {
    tSbUser u;
    const auto menu = [&u](int privilege, int me) {
        u.privilege = static_cast<std::uint8_t>(privilege);
        return ConfigureUserMenu(u, {me, false, false, false});
    };
    EXPECT_TRUE(menu(1, 0).setnormal && menu(1, 0).setvoice && !menu(1, 0).setoperator);
    EXPECT_TRUE(menu(2, 0).setnormal && !menu(2, 0).setvoice && menu(2, 0).setoperator);
    EXPECT_TRUE(!menu(3, 0).setnormal && menu(3, 0).setvoice && menu(3, 0).setoperator);
    EXPECT_TRUE(menu(3, 1).statussub && menu(3, 1).kicksub && menu(3, 1).requestrps);
    EXPECT_FALSE(menu(3, 2).statussub || menu(3, 2).kicksub || menu(3, 2).requestrps);
    EXPECT_TRUE(menu(1, 1).kicksub);
}

TEST(UserMenu, ListEntriesGetTheirOwnItems) {
    tSbUser f;
    f.friendRecord = 1;
    TUserMenu m = ConfigureUserMenu(f, {0, true, true, false});
    EXPECT_FALSE(m.statussub || m.kicksub || m.requestrps);
    EXPECT_TRUE(m.removefriend && !m.addnewfriend && m.friendsub);
    EXPECT_FALSE(m.invitegame);  // an offline friend
    f.present = 1;
    EXPECT_TRUE(ConfigureUserMenu(f, {0, true, true, false}).invitegame);
    EXPECT_FALSE(ConfigureUserMenu(f, {0, false, true, false}).invitegame);  // no game

    tSbUser roomUser;
    m = ConfigureUserMenu(roomUser, {3, true, true, true});
    EXPECT_TRUE(m.invitegame && m.addnewfriend && !m.friendsub && !m.ignoresub);
    EXPECT_TRUE(ConfigureUserMenu(roomUser, {3, true, false, false}).friendsub);

    tSbUser ignored;
    ignored.ignoreRecord = 1;
    m = ConfigureUserMenu(ignored, {0, true, false, true});
    EXPECT_TRUE(m.removeignoreuser && !m.addignoreusermenu && m.ignoresub && !m.invitegame);
}

TEST_F(Lists, GameRowsShowTheirCellsAndUnmeasuredPings) {
    Connected();
    Settings.lobby.pingtries = 3;
    tSbGame& g = NewGame(5);
    g.name = "Fun";
    g.creator = "Ann";
    g.region = "europe";
    g.players = 2;
    g.maxPlayers = 6;
    g.spectators = 1;
    g.maxSpectators = 4;
    g.defaultSet = 1;
    g.status = 0;
    using Cells = std::array<std::string, GameColumns>;
    EXPECT_EQ(GameRowCells(g),
              (Cells{"Fun", "Yes", "2/6", "1/4", "Playing", "europe", "???ms", "Ann"}));
    tsbregion& r = NewRegion("Europe", 1, 0, 0, "h", 1);
    r.answers = 2;
    r.time = 40;
    EXPECT_EQ(GameRowCells(g)[6], "???ms");
    r.answers = 3;
    EXPECT_EQ(GameRowCells(g)[6], "40ms");
    g.status = 1;
    EXPECT_EQ(GameRowCells(g)[4], "Inactive");
    g.status = 7;
    EXPECT_EQ(GameRowCells(g)[4], "");
    g.defaultSet = 0;
    EXPECT_EQ(GameRowCells(g)[1], "No");
}

// Every column's order is a strict weak order over a mixed set of games.
TEST_F(Lists, GameOrdersAreStrictWeakOrders) {
    Connected();
    NewRegion("Fast", 1, 0, 0, "h", 1).answers = 1;
    SbRegions.back().time = 20;
    NewRegion("Slow", 2, 0, 0, "h", 1).answers = 1;
    SbRegions.back().time = 90;
    NewRegion("Unmeasured", 3, 0, 0, "h", 1);
    std::vector<tSbGame> games;
    const char* regions[] = {"Fast", "Slow", "Unmeasured", "Nowhere"};
    for (int i = 0; i < 16; ++i) {
        tSbGame g;
        g.id = i;
        g.name = std::string(1, static_cast<char>('a' + i % 5));
        g.creator = i % 2 ? "x" : "y";
        g.region = regions[i % 4];
        g.players = i % 3;
        g.spectators = i % 2;
        g.status = static_cast<std::uint8_t>(i % 2);
        g.defaultSet = static_cast<std::uint8_t>(i % 3 == 0);
        games.push_back(g);
    }
    for (int column = 0; column < GameColumns; ++column) {
        for (const auto& a : games) {
            EXPECT_FALSE(gamelistCompare(a, a, column, true)) << column;
            for (const auto& b : games) {
                EXPECT_FALSE(gamelistCompare(a, b, column, true) &&
                             gamelistCompare(b, a, column, true))
                    << column;
                const bool equivalent =
                    !gamelistCompare(a, b, column, true) && !gamelistCompare(b, a, column, true);
                for (const auto& c : games) {
                    if (gamelistCompare(a, b, column, true) &&
                        gamelistCompare(b, c, column, true)) {
                        EXPECT_TRUE(gamelistCompare(a, c, column, true)) << column;
                    }
                    if (equivalent && !gamelistCompare(b, c, column, true) &&
                        !gamelistCompare(c, b, column, true)) {
                        EXPECT_FALSE(gamelistCompare(a, c, column, true) ||
                                     gamelistCompare(c, a, column, true))
                            << column;
                    }
                }
            }
        }
    }
    // The ping column: measured regions by time, then unmeasured, then games without one.
    std::vector<tSbGame> sorted = games;
    std::stable_sort(sorted.begin(), sorted.end(), [](const tSbGame& a, const tSbGame& b) {
        return gamelistCompare(a, b, 6, true);
    });
    EXPECT_EQ(sorted.front().region, "Fast");
    EXPECT_EQ(sorted.back().region, "Nowhere");
}

TEST_F(Lists, LeastBusyRowStaysOnTopAndGivenUpRegionsCountAsMeasured) {
    Settings.lobby.pingtries = 3;
    tsbregion a;
    a.name = "A";
    a.time = 50;
    a.answers = 3;
    tsbregion b;
    b.name = "B";
    b.time = 10;
    b.answers = 3;  // given up after an error: its answers equal the tries
    tsbregion c;
    c.name = "C";
    c.time = 5;
    c.answers = 1;
    for (bool ascending : {true, false}) {
        EXPECT_TRUE(regionlistCompare(nullptr, &a, 3, ascending));
        EXPECT_FALSE(regionlistCompare(&a, nullptr, 3, ascending));
        EXPECT_FALSE(regionlistCompare(nullptr, nullptr, 3, ascending));
    }
    EXPECT_TRUE(regionlistCompare(&b, &a, 3, true));
    EXPECT_TRUE(regionlistCompare(&a, &c, 3, true));
    EXPECT_TRUE(regionlistCompare(&c, &a, 3, false));
    EXPECT_TRUE(regionlistCompare(&a, &b, 0, true));
    EXPECT_FALSE(regionlistCompare(&a, &a, 0, true));
}

TEST(OwnStatus, ButtonsFollowTheOwnStatus) {
    EXPECT_EQ(OwnStatusButtonFor(nullptr), OwnStatusButton::meactive);
    tSbUser own;
    const std::pair<int, OwnStatusButton> cases[] = {
        {0, OwnStatusButton::meactive},   {1, OwnStatusButton::meactive},
        {2, OwnStatusButton::meaway},     {3, OwnStatusButton::mebrb},
        {4, OwnStatusButton::mesleeping}, {9, OwnStatusButton::none}};
    for (const auto& [status, button] : cases) {
        own.status = static_cast<std::uint8_t>(status);
        EXPECT_EQ(OwnStatusButtonFor(&own), button) << status;
    }
}

}  // namespace
}  // namespace pk::test
