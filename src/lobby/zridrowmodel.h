#pragma once
// The row bookkeeping the lobby's room list and game list share: a table model that keeps only
// the record ids of its rows in order and tells its views each row that came, changed or went,
// or one reset for a whole update. A list that keeps its rows sorted says so and gives its
// order; the others keep the order the rows came in.
#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

namespace pk {

class TIdRowModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

    std::int32_t IdAt(int row) const;  // -1 outside the rows
    int RowOf(std::int32_t id) const;  // -1 for an id not listed

    // Between the two, rows change without a notice each; the end resets the views once.
    void BeginUpdate();
    void EndUpdate();
    void Added(std::int32_t id);  // a listed id counts as changed
    void Changed(std::int32_t id);
    void Removed(std::int32_t id);
    void Cleared();

protected:
    explicit TIdRowModel(int columns) : columns_(columns) {}

    // A sorted list keeps each row where sorting them all would put it.
    virtual bool Sorted() const { return false; }
    // The order of a sorted list: a strict total order over the listed ids.
    virtual bool Before(std::int32_t /*x*/, std::int32_t /*y*/) const { return false; }
    // What a list keeps of its rows beside their ids.
    virtual void RowCame(std::int32_t /*id*/) {}
    virtual void RowWent(std::int32_t /*id*/) {}
    virtual void RowsCleared() {}

    // Sorts every row again (sorted lists only); the caller tells the views.
    void Resort();
    bool Updating() const { return updating_ > 0; }

private:
    // Where an id belongs among the rows (which do not hold it).
    int PlaceOf(std::int32_t id) const;
    void MoveToPlace(int row, std::int32_t id);

    std::vector<std::int32_t> ids_;
    int updating_ = 0;
    int columns_;
};

}  // namespace pk
