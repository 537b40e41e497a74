// Arbitrary server text payloads: every kind, code and argument list must be shown or dropped
// without reading outside the payload.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "room/zrservermsg.h"
#include "support/room_fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pk::test::RecordingRoomHost host;
    host.ignored = {"x"};
    std::vector<std::string> recent;
    pk::ServerTextTargets to{host, host, host, recent};
    pk::ShowServerMessage(std::string(reinterpret_cast<const char*>(data), size), to);
    return 0;
}
