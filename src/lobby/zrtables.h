#pragma once
// The statistics tables of the player details without their widgets: labelled grids built
// from the server's key/value records, and the column widths the user set, kept per table
// number for the configuration file.
#include <cstdint>
#include <string>
#include <vector>

#include "core/zrxsettings.h"

namespace pk {

struct TStatTable {
    std::string title;
    bool top = true;  // headings along the top (one fixed row), else down the left
    int columns = 1;
    int rows = 1;
    std::vector<std::vector<std::string>> cells;  // [row][column]
    std::vector<int> columnWidths;                // 0: the grid's default
    std::vector<int> rowHeights;                  // 0: the grid's default

    const std::string& Cell(int column, int row) const;
};

class TZRTablesModel {
public:
    // Message 34's compressed record: the tables "0", "1", ... until the first missing one.
    // A payload that does not inflate empties the tables and is logged.
    void ShowPlayerStats(const std::string& compressed);
    void LoadTables(const TXSettings& record);
    void AddTable(const TXSettings& record);
    void Clear() { tables_.clear(); }

    // The user resized a column: the width is kept under the table's number.
    void SetColumnWidth(int table, int column, int width);
    // The width record's serial form, refreshed from the tables.
    std::string SaveColumnWidths();
    void LoadColumnWidths(const std::string& serial);

    const std::vector<TStatTable>& Tables() const { return tables_; }

private:
    std::vector<TStatTable> tables_;  // table n is tables_[n - 1]
    TXSettings widths_;
};

// Cells of a 0x01-separated line: n fields exactly (missing ones empty).
std::vector<std::string> TableFields(const std::string& line, int n);
// Sizes from a 0x01-separated list: a number within the cell bounds, else 0 (the default).
std::vector<int> TableSizes(const std::string& list, int n);

}  // namespace pk
