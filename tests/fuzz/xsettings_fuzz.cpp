// Feeds arbitrary bytes to the key/value record's serial and compressed
// readers. Whatever loads must save and load back to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrxsettings.h"

namespace {

void CheckRoundTrip(const pk::TXSettings& s) {
    std::string serial = s.SaveToString();
    pk::TXSettings back;
    if (!back.LoadFromString(serial) || back.SaveToString() != serial) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pk::TXSettings plain;
    plain.LoadFromString(bytes);
    CheckRoundTrip(plain);

    pk::TXSettings packed;
    packed.SetValue("held", "1");
    if (!packed.LoadFromCompressed(bytes) && packed.Count() == 0) {
        std::abort();  // a failed load must not lose what was held
    }
    CheckRoundTrip(packed);
    return 0;
}
