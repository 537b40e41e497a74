// Statistics tables from arbitrary records: every grid stays within its bounds and its cells
// match its size.
#include <cstdlib>

#include "core/zrconst.h"
#include "fuzz/lobbyrecords.h"
#include "lobby/zrtables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pk::TZRTablesModel model;
    model.ShowPlayerStats(FuzzRecordPayload(data, size));
    for (const pk::TStatTable& t : model.Tables()) {
        if (t.rows < 1 || t.columns < 1 || t.columns > pk::MaxTableLines + 1 ||
            static_cast<int>(t.cells.size()) != t.rows ||
            static_cast<int>(t.columnWidths.size()) != t.columns) {
            std::abort();
        }
        for (const auto& row : t.cells) {
            if (static_cast<int>(row.size()) != t.columns) {
                std::abort();
            }
        }
    }
    model.LoadColumnWidths(model.SaveColumnWidths());
    return 0;
}
