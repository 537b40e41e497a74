// Theme library reader: any bytes either fail cleanly or read as entries that
// write back to a file which reads the same and writes identically again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "klb/klbformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pk::KlbLibrary lib;
    if (pk::ReadKlbLibrary(bytes, lib) != pk::KlbStatus::Ok || lib.entries.empty())
        return 0;
    std::string first = pk::WriteKlbLibrary(lib.entries, lib.count);
    pk::KlbLibrary again;
    if (pk::ReadKlbLibrary(first, again) != pk::KlbStatus::Ok)
        std::abort();
    if (again.entries.size() != lib.entries.size())
        std::abort();
    if (pk::WriteKlbLibrary(again.entries, again.count) != first)
        std::abort();
    return 0;
}
