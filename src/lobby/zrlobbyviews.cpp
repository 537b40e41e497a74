#include "lobby/zrlobbyviews.h"

#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

QString Text(const std::string& bytes) {
    return Cp1252ToQString(bytes);
}

const char* const kRoomColumns[] = {"Name", "Users", "Ranking"};
const char* const kGameColumns[] = {"Name",   "Default", "Plrs", "Spec",
                                    "Status", "Region",  "Ping", "Creator"};

}  // namespace

// ---- rooms

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

// ---- games

TGameListModel::TGameListModel() : TIdRowModel(GameColumns) {}

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

void TGameListModel::AllChanged() {
    if (rowCount() == 0 || Updating()) {
        return;
    }
    emit layoutAboutToBeChanged();
    Resort();
    emit layoutChanged();
    emit dataChanged(index(0, 0), index(rowCount() - 1, GameColumns - 1));
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
