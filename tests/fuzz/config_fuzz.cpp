// Feeds arbitrary configuration records (serial form) to the configuration reader. Whatever it
// reads, what it writes must read back to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrxsettings.h"
#include "shell/zrconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pk::TXSettings record;
    record.LoadFromString(bytes);
    pk::Config = pk::TConfig{};
    pk::ReadConfigRecord(record);
    const pk::TConfigWindow window{pk::Config.window};
    const std::string first = pk::WriteConfigRecord(pk::Config.theme2, window).SaveToString();
    pk::TXSettings again;
    if (!again.LoadFromString(first))
        std::abort();
    pk::ReadConfigRecord(again);
    if (pk::WriteConfigRecord(pk::Config.theme2, window).SaveToString() != first)
        std::abort();
    return 0;
}
