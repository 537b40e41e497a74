// User-database replies shown as grids: every row has the grid's columns.
#include <cstdlib>

#include "fuzz/lobbyrecords.h"
#include "lobby/zrdbconsole.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pk::TDbConsoleModel console;
    console.AddDbResult(FuzzRecordPayload(data, size));
    const pk::TDbResult result = console.Current();
    if (result.rows.size() < 2) {
        std::abort();
    }
    for (const auto& row : result.rows) {
        if (static_cast<int>(row.size()) != result.columns) {
            std::abort();
        }
    }
    return 0;
}
