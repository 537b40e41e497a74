#include "lobby/zrtables.h"

#include <algorithm>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "lobby/zrlobbyfields.h"

namespace pk {

const std::string& TStatTable::Cell(int column, int row) const {
    static const std::string kEmpty;
    if (row < 0 || row >= static_cast<int>(cells.size()) || column < 0 ||
        column >= static_cast<int>(cells[row].size())) {
        return kEmpty;
    }
    return cells[row][column];
}

std::vector<std::string> TableFields(const std::string& line, int n) {
    std::vector<std::string> out = RecordCells(line, static_cast<std::size_t>(std::max(0, n)));
    out.resize(static_cast<std::size_t>(std::max(0, n)));
    return out;
}

std::vector<int> TableSizes(const std::string& list, int n) {
    std::vector<int> out(static_cast<std::size_t>(std::max(0, n)), 0);
    const std::vector<std::string> parts = TableFields(list, n);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (const auto value = ParseInt(parts[i])) {
            out[i] = Clamp(*value, MinTableCellSize, MaxTableCellSize);
        }
    }
    return out;
}

void TZRTablesModel::ShowPlayerStats(const std::string& compressed) {
    TXSettings record;
    if (!compressed.empty() && !record.LoadFromCompressed(compressed)) {
        AddLogLine("Player statistics: the payload does not inflate");
    }
    LoadTables(record);
}

void TZRTablesModel::LoadTables(const TXSettings& record) {
    tables_.clear();
    for (int i = 0; i < MaxTableCount; ++i) {
        const std::string key = std::to_string(i);
        if (!record.Has(key)) {
            break;
        }
        TXSettings table;
        table.LoadFromString(record.GetValue(key));
        AddTable(table);
    }
    SaveColumnWidths();
}

void TZRTablesModel::AddTable(const TXSettings& record) {
    TStatTable t;
    const int n = static_cast<int>(tables_.size()) + 1;
    t.title = record.GetValue("title");
    t.top = record.GetByte("top", 1) == 1;
    const std::vector<std::string> headings =
        RecordCells(record.GetValue("keys"), static_cast<std::size_t>(MaxTableHeadings));
    const int h = std::max<int>(1, static_cast<int>(headings.size()));
    std::vector<std::vector<std::string>> lines;
    for (int r = 0; r < MaxTableLines; ++r) {
        const std::string key = std::to_string(r);
        if (!record.Has(key)) {
            break;
        }
        lines.push_back(TableFields(record.GetValue(key), h));
    }
    const int data = static_cast<int>(lines.size());
    if (t.top) {
        t.columns = h;
        t.rows = 1 + std::max(1, data);
        t.cells.assign(t.rows, std::vector<std::string>(t.columns));
        for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
            t.cells[0][c] = headings[c];
        }
        for (int r = 0; r < data; ++r) {
            t.cells[r + 1] = lines[r];
        }
    } else {
        t.rows = h;
        t.columns = 1 + std::max(1, data);
        t.cells.assign(t.rows, std::vector<std::string>(t.columns));
        for (int r = 0; r < static_cast<int>(headings.size()); ++r) {
            t.cells[r][0] = headings[r];
        }
        for (int c = 0; c < data; ++c) {
            for (int r = 0; r < h; ++r) {
                t.cells[r][c + 1] = lines[c][r];
            }
        }
    }
    const std::string key = std::to_string(n);
    const std::string widths =
        widths_.Has(key) ? widths_.GetValue(key) : record.GetValue("colwidths");
    t.columnWidths = TableSizes(widths, t.columns);
    t.rowHeights = TableSizes(record.GetValue("rowheights"), t.rows);
    tables_.push_back(std::move(t));
}

void TZRTablesModel::SetColumnWidth(int table, int column, int width) {
    if (table < 1 || table > static_cast<int>(tables_.size())) {
        return;
    }
    TStatTable& t = tables_[table - 1];
    if (column >= 0 && column < t.columns) {
        t.columnWidths[column] = Clamp(width, MinTableCellSize, MaxTableCellSize);
    }
}

std::string TZRTablesModel::SaveColumnWidths() {
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        std::string joined;
        for (std::size_t c = 0; c < tables_[i].columnWidths.size(); ++c) {
            joined += (c ? std::string(1, LobbyRecordSep) : std::string()) +
                      (tables_[i].columnWidths[c] > 0 ? std::to_string(tables_[i].columnWidths[c])
                                                      : std::string(""));
        }
        widths_.SetValue(std::to_string(i + 1), joined);
    }
    return widths_.SaveToString();
}

void TZRTablesModel::LoadColumnWidths(const std::string& serial) {
    widths_.Clear();
    widths_.LoadFromString(serial);
}

}  // namespace pk
