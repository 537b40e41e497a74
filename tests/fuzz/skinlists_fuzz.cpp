// A skin element's flag and event lists as a library holds them (any bytes):
// shown in the grids and rebuilt, then shown again, they stay the same. An
// event repeated in another spelling shares the row of the first, so event
// lists stay the same up to the case of letters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/zrmisc.h"
#include "editor/zrpages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string list(reinterpret_cast<const char*>(data), size);
    std::string flags = pk::GridToFlagList(pk::FlagListToGrid(list));
    if (pk::GridToFlagList(pk::FlagListToGrid(flags)) != flags)
        std::abort();
    std::string events = pk::GridToEventList(pk::EventListToGrid(list));
    if (!pk::SameText(pk::GridToEventList(pk::EventListToGrid(events)), events))
        std::abort();
    return 0;
}
