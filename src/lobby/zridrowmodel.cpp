#include "lobby/zridrowmodel.h"

#include <algorithm>

namespace pk {

int TIdRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int TIdRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

std::int32_t TIdRowModel::IdAt(int row) const {
    return row >= 0 && row < static_cast<int>(ids_.size()) ? ids_[static_cast<std::size_t>(row)]
                                                           : -1;
}

int TIdRowModel::RowOf(std::int32_t id) const {
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin());
}

int TIdRowModel::PlaceOf(std::int32_t id) const {
    if (!Sorted()) {
        return static_cast<int>(ids_.size());
    }
    const auto it = std::partition_point(ids_.begin(), ids_.end(),
                                         [this, id](std::int32_t row) { return Before(row, id); });
    return static_cast<int>(it - ids_.begin());
}

void TIdRowModel::Resort() {
    if (!Sorted()) {
        return;
    }
    std::sort(ids_.begin(), ids_.end(),
              [this](std::int32_t x, std::int32_t y) { return Before(x, y); });
}

void TIdRowModel::BeginUpdate() {
    if (updating_++ == 0) {
        beginResetModel();
    }
}

void TIdRowModel::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        Resort();
        endResetModel();
    }
}

void TIdRowModel::Added(std::int32_t id) {
    if (RowOf(id) >= 0) {
        Changed(id);
        return;
    }
    RowCame(id);
    if (updating_) {
        ids_.push_back(id);
        return;
    }
    // One row where sorting them all would put it: sorting every row for every row that came
    // froze the lobby window under a flood of new games.
    const int row = PlaceOf(id);
    beginInsertRows({}, row, row);
    ids_.insert(ids_.begin() + row, id);
    endInsertRows();
}

void TIdRowModel::MoveToPlace(int row, std::int32_t id) {
    // The changed row alone moves to its place; the others are in order already.
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

void TIdRowModel::Changed(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0 || updating_) {
        return;
    }
    if (Sorted()) {
        MoveToPlace(row, id);
    }
    const int now = RowOf(id);
    emit dataChanged(index(now, 0), index(now, columns_ - 1));
}

void TIdRowModel::Removed(std::int32_t id) {
    const int row = RowOf(id);
    if (row < 0) {
        return;
    }
    RowWent(id);
    if (updating_) {
        ids_.erase(ids_.begin() + row);
        return;
    }
    beginRemoveRows({}, row, row);
    ids_.erase(ids_.begin() + row);
    endRemoveRows();
}

void TIdRowModel::Cleared() {
    BeginUpdate();
    ids_.clear();
    RowsCleared();
    EndUpdate();
}

}  // namespace pk
