#pragma once
// The lobby window's three lists as Qt item models over the lobby model: rooms, the users of
// the current room with the friends and ignore lists, and the games of the room. They keep
// only the order of their rows (record ids) and read every cell from the model when asked,
// so a row can never show a record that has gone. Widgets attach them to their views; the
// models need no display.
#include <QAbstractListModel>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "lobby/zridrowmodel.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

// Roles beyond the display text.
enum LobbyItemRole : int {
    LobbyIdRole = Qt::UserRole,  // room id, game id or user serial number
    RoomKeyRole,                 // bool: entering needs the room's key (image 0)
    UserRowKindRole,             // int: UserRowKind
    UserStatusRole,              // int: 1 active ... 4 sleeping
    UserPrivilegeRole,           // int: 0 administrator ... 3 normal
    FriendOnlineRole,            // bool
    FriendRoomRole,              // the room an online friend is in, or empty
};

class TRoomListModel : public TIdRowModel {
public:
    TRoomListModel() : TIdRowModel(3) {}
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

class TGameListModel : public TIdRowModel {
public:
    TGameListModel();
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorts by a column (0 to 7) and keeps the rows in that order as they change.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Every row's cells may have changed (a region's ping was measured).
    void AllChanged();

private:
    bool Sorted() const override { return sortColumn_ >= 0; }
    // The sort column's order, equal games in the order they came: one total order, so that a
    // game placed alone lands where sorting them all would put it.
    bool Before(std::int32_t x, std::int32_t y) const override;
    void RowCame(std::int32_t id) override { arrival_[id] = ++arrivals_; }
    void RowWent(std::int32_t id) override { arrival_.erase(id); }
    void RowsCleared() override { arrival_.clear(); }

    std::unordered_map<std::int32_t, std::uint64_t> arrival_;  // by id: when the row came
    std::uint64_t arrivals_ = 0;
    int sortColumn_ = -1;
    bool ascending_ = true;
};

class TUserListModel : public QAbstractListModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void Rebuilt();
    void Repaint();
    // One row of LobbyModel.userRows came in at, or went from, `row`.
    void Inserted(int row);
    void Removed(int row);

private:
    std::vector<TUserRow> rows_;  // as LobbyModel.userRows, as last told
};

// The three models as the lobby's views; the window installs it (SetLobbyViews) and adds
// the labels and buttons by overriding the rest.
class TLobbyItemModels : public LobbyViews {
public:
    TRoomListModel rooms;
    TGameListModel games;
    TUserListModel users;

    void BeginRoomUpdate() override { rooms.BeginUpdate(); }
    void EndRoomUpdate() override { rooms.EndUpdate(); }
    void AddRoomRow(std::int32_t id) override { rooms.Added(id); }
    void UpdateRoomRow(std::int32_t id) override { rooms.Changed(id); }
    void RemoveRoomRow(std::int32_t id) override { rooms.Removed(id); }
    void RoomRowsCleared() override { rooms.Cleared(); }
    void BeginGameUpdate() override { games.BeginUpdate(); }
    void EndGameUpdate() override { games.EndUpdate(); }
    void AddGameRow(std::int32_t id) override { games.Added(id); }
    void UpdateGameRow(std::int32_t id) override { games.Changed(id); }
    void RemoveGameRow(std::int32_t id) override { games.Removed(id); }
    void GameRowsCleared() override { games.Cleared(); }
    void UserListRebuilt() override { users.Rebuilt(); }
    void UserListRepaint() override { users.Repaint(); }
    void UserRowInserted(int row) override { users.Inserted(row); }
    void UserRowRemoved(int row) override { users.Removed(row); }
};

}  // namespace pk
