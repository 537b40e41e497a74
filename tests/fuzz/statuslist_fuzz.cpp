// The permanent status list's rows from arbitrary replies, sorted by every column.
#include <cstdlib>

#include "core/zrconst.h"
#include "fuzz/lobbyrecords.h"
#include "lobby/zrstatuslist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pk::TStatusListModel model;
    model.Fill(FuzzRecordPayload(data, size), false);
    for (int column = 0; column < 4; ++column) {
        model.ColumnClick(column);
        model.ColumnClick(column);
    }
    if (model.Rows().size() > pk::MaxStatusListRows) {
        std::abort();
    }
    return 0;
}
