// The updater's command line as any words (split at zero bytes): it is taken only as a window
// id and a process id above 0, and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "apps/qaup/qaup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    pk::qaup::Options options;
    if (pk::qaup::ParseArguments(arguments, options)) {
        if (arguments.size() != 2 || options.windowId != arguments[0] || options.windowId.empty() ||
            options.clientPid <= 0 || options.clientPid > 2147483647) {
            std::abort();
        }
    } else if (options.clientPid != 0 || !options.windowId.empty()) {
        std::abort();
    }
    return 0;
}
