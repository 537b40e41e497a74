#include "lobby/zrlobbyviews.h"

#include <algorithm>

#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

QString Text(const std::string& bytes) {
    return Cp1252ToQString(bytes);
}

int IndexOf(const std::vector<std::int32_t>& ids, std::int32_t id) {
    const auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

std::int32_t IdAtRow(const std::vector<std::int32_t>& ids, int row) {
    return row >= 0 && row < static_cast<int>(ids.size()) ? ids[static_cast<std::size_t>(row)] : -1;
}

const char* const kRoomColumns[] = {"Name", "Users", "Ranking"};
const char* const kGameColumns[] = {"Name",   "Default", "Plrs", "Spec",
                                    "Status", "Region",  "Ping", "Creator"};

}  // namespace

// ---- rooms

int TRoomListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int TRoomListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant TRoomListModel::data(const QModelIndex& index, int role) const {
    const tSbRoom* room = FindRoom(IdAt(index.row()));
    if (!room || !index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == 0)
                return Text(room->name);
            if (index.column() == 1)
                return room->count;
            return QString();
        case LobbyIdRole:
            return room->id;
        case RoomKeyRole:
            return room->flag != 0;
        default:
            return {};
    }
}

QVariant TRoomListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) {
        return {};
    }
    return QString::fromLatin1(kRoomColumns[section]);
}

std::int32_t TRoomListModel::IdAt(int row) const {
    return IdAtRow(ids_, row);
}

int TRoomListModel::RowOf(std::int32_t id) const {
    return IndexOf(ids_, id);
}

void TRoomListModel::BeginUpdate() {
    if (updating_++ == 0) {
        beginResetModel();
    }
}

void TRoomListModel::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        endResetModel();
    }
}

void TRoomListModel::Added(std::int32_t id) {
    if (RowOf(id) >= 0) {
        Changed(id);
        return;
    }
    const int row = static_cast<int>(ids_.size());
    if (updating_) {
        ids_.push_back(id);
        return;
    }
    beginInsertRows({}, row, row);
    ids_.push_back(id);
    endInsertRows();
}

void TRoomListModel::Changed(std::int32_t id) {
    const int row = RowOf(id);
    if (row >= 0 && !updating_) {
        emit dataChanged(index(row, 0), index(row, 2));
    }
}

void TRoomListModel::Removed(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0) {
        return;
    }
    if (updating_) {
        ids_.erase(ids_.begin() + row);
        return;
    }
    beginRemoveRows({}, row, row);
    ids_.erase(ids_.begin() + row);
    endRemoveRows();
}

void TRoomListModel::Cleared() {
    BeginUpdate();
    ids_.clear();
    EndUpdate();
}

// ---- games

int TGameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int TGameListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GameColumns;
}

QVariant TGameListModel::data(const QModelIndex& index, int role) const {
    const tSbGame* game = FindGame(IdAt(index.row()));
    if (!game || !index.isValid() || index.column() >= GameColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return Text(GameRowCells(*game)[static_cast<std::size_t>(index.column())]);
    }
    if (role == LobbyIdRole) {
        return game->id;
    }
    return {};
}

QVariant TGameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= GameColumns) {
        return {};
    }
    return QString::fromLatin1(kGameColumns[section]);
}

std::int32_t TGameListModel::IdAt(int row) const {
    return IdAtRow(ids_, row);
}

int TGameListModel::RowOf(std::int32_t id) const {
    return IndexOf(ids_, id);
}

void TGameListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= GameColumns) {
        return;
    }
    sortColumn_ = column;
    ascending_ = order == Qt::AscendingOrder;
    emit layoutAboutToBeChanged();
    Resort();
    emit layoutChanged();
}

bool TGameListModel::Before(std::int32_t x, std::int32_t y) const {
    const tSbGame* a = FindGame(x);
    const tSbGame* b = FindGame(y);
    // Rows whose game has gone (none, normally) go last.
    if (!a || !b) {
        return a != nullptr && b == nullptr;
    }
    if (gamelistCompare(*a, *b, sortColumn_, ascending_)) {
        return true;
    }
    if (gamelistCompare(*b, *a, sortColumn_, ascending_)) {
        return false;
    }
    const auto at = [this](std::int32_t id) {
        const auto it = arrival_.find(id);
        return it == arrival_.end() ? 0 : it->second;
    };
    return at(x) < at(y);
}

int TGameListModel::PlaceOf(std::int32_t id) const {
    if (sortColumn_ < 0) {
        return static_cast<int>(ids_.size());
    }
    const auto it = std::partition_point(ids_.begin(), ids_.end(),
                                         [this, id](std::int32_t row) { return Before(row, id); });
    return static_cast<int>(it - ids_.begin());
}

void TGameListModel::Resort() {
    if (sortColumn_ < 0) {
        return;
    }
    std::sort(ids_.begin(), ids_.end(),
              [this](std::int32_t x, std::int32_t y) { return Before(x, y); });
}

void TGameListModel::BeginUpdate() {
    if (updating_++ == 0) {
        beginResetModel();
    }
}

void TGameListModel::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        Resort();
        endResetModel();
    }
}

void TGameListModel::Added(std::int32_t id) {
    if (RowOf(id) >= 0) {
        Changed(id);
        return;
    }
    arrival_[id] = ++arrivals_;
    if (updating_) {
        ids_.push_back(id);
        return;
    }
    // One row where sorting them all would put it: sorting every row for every game that
    // came froze the window under a flood of new games.
    const int row = PlaceOf(id);
    beginInsertRows({}, row, row);
    ids_.insert(ids_.begin() + row, id);
    endInsertRows();
}

void TGameListModel::Changed(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0 || updating_) {
        return;
    }
    if (sortColumn_ >= 0) {
        // The changed game alone moves to its place; the others are in order already.
        ids_.erase(ids_.begin() + row);
        const int to = PlaceOf(id);
        ids_.insert(ids_.begin() + row, id);
        if (to != row) {
            beginMoveRows({}, row, row, {}, to > row ? to + 1 : to);
            ids_.erase(ids_.begin() + row);
            ids_.insert(ids_.begin() + to, id);
            endMoveRows();
        }
    }
    const int now = RowOf(id);
    emit dataChanged(index(now, 0), index(now, GameColumns - 1));
}

void TGameListModel::Removed(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0) {
        return;
    }
    arrival_.erase(id);
    if (updating_) {
        ids_.erase(ids_.begin() + row);
        return;
    }
    beginRemoveRows({}, row, row);
    ids_.erase(ids_.begin() + row);
    endRemoveRows();
}

void TGameListModel::Cleared() {
    BeginUpdate();
    ids_.clear();
    arrival_.clear();
    EndUpdate();
}

void TGameListModel::AllChanged() {
    if (ids_.empty() || updating_) {
        return;
    }
    emit layoutAboutToBeChanged();
    Resort();
    emit layoutChanged();
    emit dataChanged(index(0, 0), index(static_cast<int>(ids_.size()) - 1, GameColumns - 1));
}

// ---- users

int TUserListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TUserListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= static_cast<int>(rows_.size())) {
        return {};
    }
    const TUserRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == UserRowKindRole) {
        return static_cast<int>(row.kind);
    }
    const std::string header = UserRowHeader(row.kind);
    if (!header.empty()) {
        return role == Qt::DisplayRole ? QVariant(Text(header)) : QVariant();
    }
    const tSbUser* user = FindUserByUid(row.uid);
    if (!user) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return Text(user->name);
        case LobbyIdRole:
            return static_cast<uint>(user->uid);
        case UserStatusRole:
            return user->status;
        case UserPrivilegeRole:
            return user->privilege;
        case FriendOnlineRole:
            return user->friendRecord != 0 && user->present != 0;
        case FriendRoomRole: {
            const tSbRoom* room = user->friendRecord && user->present && user->roomId > 0
                                      ? FindRoom(user->roomId)
                                      : nullptr;
            return room ? Text(room->name) : QString();
        }
        default:
            return {};
    }
}

void TUserListModel::Rebuilt() {
    beginResetModel();
    rows_ = LobbyModel.userRows;
    endResetModel();
}

void TUserListModel::Inserted(int row) {
    const auto& rows = LobbyModel.userRows;
    if (row < 0 || row > static_cast<int>(rows_.size()) || row >= static_cast<int>(rows.size())) {
        Rebuilt();  // out of step: show the model as it is
        return;
    }
    // One row in place: the view keeps its selection and scroll position and lays out and
    // paints once when the event loop comes round, however many rows came meanwhile.
    beginInsertRows({}, row, row);
    rows_.insert(rows_.begin() + row, rows[static_cast<std::size_t>(row)]);
    endInsertRows();
}

void TUserListModel::Removed(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        Rebuilt();
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void TUserListModel::Repaint() {
    const int rows = rowCount();
    if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, 0));
    }
}

}  // namespace pk
