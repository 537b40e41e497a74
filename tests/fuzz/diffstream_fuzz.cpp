// Difference streams: any bytes either rebuild a file or fail with an error,
// never read or write outside the buffers, and never produce more than the cap.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/zrdiff.h"

namespace {

const std::string& OldFile() {
    static const std::string old = [] {
        std::string text(70000, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
        }
        return text;
    }();
    return old;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kCap = 1u << 22;
    pk::MemorySource diff(std::string_view(reinterpret_cast<const char*>(data), size));
    pk::MemorySource old(OldFile());
    pk::StringSink out;
    int blocks = 0;
    const pk::DiffResult result = pk::ApplyBinaryDiff(
        diff, old, out, [&blocks] { ++blocks; }, kCap);
    if (out.out.size() > kCap || result.written != out.out.size()) {
        std::abort();
    }
    if (result.ok == !result.error.empty()) {
        std::abort();
    }
    return 0;
}
