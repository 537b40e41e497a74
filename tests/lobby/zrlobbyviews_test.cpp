// The three list models over the lobby model, driven by the dispatcher.
#include "lobby/zrlobbyviews.h"

#include <random>
#include <utility>
#include <vector>

#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbylists.h"
#include "lobby_fixture.h"

namespace pk::test {
namespace {

class Views : public LobbyTest {
protected:
    void SetUp() override {
        LobbyTest::SetUp();
        SetLobbyViews(&models);
    }
    void TearDown() override {
        LobbyTest::TearDown();
        SetLobbyViews(nullptr);
    }
    static QString Cell(const QAbstractItemModel& model, int row, int column,
                        int role = Qt::DisplayRole) {
        return model.data(model.index(row, column), role).toString();
    }
    TLobbyItemModels models;
};

TEST_F(Views, RoomListFollowsTheRoomMessages) {
    Connected();
    LobbyDispatch(12, L({F({"2", "1", "5", "Caf\xe9"}), F({"3", "0", "", "Quiet"})}));
    const TRoomListModel& rooms = models.rooms;
    ASSERT_EQ(rooms.rowCount(), 3);
    EXPECT_EQ(rooms.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Ranking");
    EXPECT_EQ(Cell(rooms, 1, 0), QString::fromUtf8("Caf\u00e9"));  // Windows-1252 bytes
    EXPECT_EQ(Cell(rooms, 1, 1), "5");
    EXPECT_TRUE(rooms.data(rooms.index(1, 0), RoomKeyRole).toBool());
    EXPECT_FALSE(rooms.data(rooms.index(2, 0), RoomKeyRole).toBool());
    LobbyDispatch(11, F({"2"}));
    ASSERT_EQ(rooms.rowCount(), 2);
    EXPECT_EQ(rooms.IdAt(1), 3);
    LobbyDisconnect(false);
    EXPECT_EQ(rooms.rowCount(), 0);
}

TEST_F(Views, GameListSortsAndStaysSorted) {
    Connected();
    LobbyDispatch(16, L({F({"1", "0", "6", "0", "3", "0", "Ann", "Beta", "R", "1"}),
                         F({"2", "1", "6", "0", "1", "0", "Bo", "Alpha", "R", "0"})}));
    TGameListModel& games = models.games;
    ASSERT_EQ(games.rowCount(), 2);
    EXPECT_EQ(games.columnCount(), 8);
    EXPECT_EQ(games.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "Ping");
    EXPECT_EQ(Cell(games, 0, 0), "Beta");  // arrival order until sorted
    EXPECT_EQ(Cell(games, 0, 2), "3/6");
    EXPECT_EQ(Cell(games, 0, 6), "???ms");
    games.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(Cell(games, 0, 0), "Alpha");
    games.sort(2, Qt::DescendingOrder);
    EXPECT_EQ(Cell(games, 0, 0), "Beta");
    // A change that moves a row keeps the order.
    LobbyDispatch(17, F({"2", "1", "6", "0", "5", "0", "Alpha", "0"}));
    EXPECT_EQ(Cell(games, 0, 0), "Alpha");
    LobbyDispatch(14, F({"9", "0", "6", "0", "Cy", "Gamma", "R"}));
    ASSERT_EQ(games.rowCount(), 3);
    EXPECT_EQ(Cell(games, 2, 0), "Gamma");  // one player: last in descending players
    LobbyDispatch(15, F({"1"}));
    EXPECT_EQ(games.rowCount(), 2);
    EXPECT_EQ(games.RowOf(1), -1);
    EXPECT_EQ(games.data(games.index(0, 0), LobbyIdRole).toInt(), 2);
}

TEST_F(Views, UserListShowsHeadersRecordsAndFriendsRooms) {
    Connected();
    NewRoom(4).name = "Den";
    NewFriend("Ann");
    LobbyDispatch(31, L({F({"ann", "2", "4"})}));
    LobbyDispatch(8, L({F({"op", "1", "3"})}));
    const TUserListModel& users = models.users;
    ASSERT_EQ(users.rowCount(), 6);
    EXPECT_EQ(Cell(users, 0, 0), "!friends");
    EXPECT_EQ(Cell(users, 1, 0), "Ann");
    EXPECT_EQ(Cell(users, 1, 0, FriendRoomRole), "Den");
    EXPECT_TRUE(users.data(users.index(1, 0), FriendOnlineRole).toBool());
    EXPECT_EQ(users.data(users.index(1, 0), UserStatusRole).toInt(), 2);
    EXPECT_EQ(Cell(users, 2, 0), "!ignore");
    EXPECT_EQ(Cell(users, 3, 0), "!users");
    EXPECT_EQ(Cell(users, 4, 0), "op");
    EXPECT_EQ(users.data(users.index(4, 0), UserPrivilegeRole).toInt(), 1);
    EXPECT_EQ(users.data(users.index(4, 0), UserRowKindRole).toInt(),
              static_cast<int>(UserRowKind::RoomUser));
    // A record that went away before the next rebuild shows nothing rather than freed memory.
    DisposeRoomUser("op");
    EXPECT_FALSE(users.data(users.index(4, 0), Qt::DisplayRole).isValid());
}

// The rows a view shows, as (kind, id) pairs.
std::vector<std::pair<int, std::uint32_t>> Shown(const TUserListModel& users) {
    std::vector<std::pair<int, std::uint32_t>> rows;
    for (int r = 0; r < users.rowCount(); ++r) {
        const QModelIndex at = users.index(r, 0);
        rows.emplace_back(at.data(UserRowKindRole).toInt(), at.data(LobbyIdRole).toUInt());
    }
    return rows;
}

std::vector<std::pair<int, std::uint32_t>> Rows(const std::vector<TUserRow>& rows) {
    std::vector<std::pair<int, std::uint32_t>> out;
    for (const TUserRow& row : rows) out.emplace_back(static_cast<int>(row.kind), row.uid);
    return out;
}

TEST_F(Views, FloodsOfJoinsLeavesAndChangesShowWhatAFullRebuildShows) {
    Connected();
    NewFriend("zed");
    NewIgnored("Mia");
    RebuildUserList();
    std::mt19937 random(11);
    const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
    // Few names in two spellings, so that users come back, change and tie on everything but
    // their names.
    const auto name = [&] {
        std::string n = "u" + std::to_string(pick(40));
        if (pick(2))
            n[0] = 'U';
        return n;
    };
    for (int step = 1; step <= 4000; ++step) {
        const std::string p = std::to_string(pick(4));
        const std::string st = std::to_string(1 + pick(4));
        switch (pick(5)) {
            case 0:
            case 1:
                LobbyDispatch(LobbyMsgUserJoined, F({name(), p, st}));
                break;
            case 2:
                LobbyDispatch(LobbyMsgUserLeft, F({name()}));
                break;
            case 3:
                LobbyDispatch(LobbyMsgUserChanged, F({name(), p, st}));
                break;
            default:
                if (pick(10) == 0) {  // now and then the section closes or opens again
                    ClientState.lobby.ShowUsers = !ClientState.lobby.ShowUsers;
                    RebuildUserList();
                }
                break;
        }
        if (step % 37 != 0)
            continue;
        const auto incremental = Rows(LobbyModel.userRows);
        ASSERT_EQ(Shown(models.users), incremental) << step;
        RebuildUserList();
        ASSERT_EQ(Rows(LobbyModel.userRows), incremental) << step;
    }
}

TEST_F(Views, FloodsOfGamesKeepTheOrderSortingThemAllGives) {
    Connected();
    std::mt19937 random(5);
    const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
    const auto n = [](int v) { return std::to_string(v); };
    const auto sortAll = [&](TGameListModel& all, int column, bool ascending) {
        all.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        all.BeginUpdate();
        for (const auto& game : LobbyModel.currentRoom->games.Items()) all.Added(game->id);
        all.EndUpdate();
    };
    int column = 0;
    bool ascending = true;
    models.games.sort(column);
    for (int step = 1; step <= 3000; ++step) {
        const int id = pick(60);
        // Few names, regions and counts, so that most games tie on the sort column's key.
        switch (pick(6)) {
            case 0:
            case 1:
                LobbyDispatch(LobbyMsgGameAdded, F({n(id), n(pick(2)), n(6), n(2), "c" + n(pick(3)),
                                                    "g" + n(pick(4)), "r" + n(pick(3))}));
                break;
            case 2:
            case 3:
                LobbyDispatch(LobbyMsgGameChanged, F({n(id), n(pick(2)), n(6), n(2), n(pick(7)),
                                                      n(pick(3)), "g" + n(pick(4)), n(pick(2))}));
                break;
            case 4:
                LobbyDispatch(LobbyMsgGameRemoved, F({n(id)}));
                break;
            default:
                if (pick(10) == 0) {
                    column = pick(GameColumns);
                    ascending = pick(2) == 0;
                    models.games.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
                }
                break;
        }
        if (step % 23 != 0)
            continue;
        TGameListModel all;
        sortAll(all, column, ascending);
        ASSERT_EQ(models.games.rowCount(), all.rowCount()) << step;
        for (int row = 0; row < all.rowCount(); ++row)
            ASSERT_EQ(models.games.IdAt(row), all.IdAt(row)) << step << " row " << row;
    }
}

}  // namespace
}  // namespace pk::test
