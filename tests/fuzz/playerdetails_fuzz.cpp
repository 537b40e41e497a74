// Player details replies, with their nested profile record, read into the dialog's view.
#include "fuzz/lobbyrecords.h"
#include "lobby/zrplayerdetails.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pk::TPlayerDetailsReply reply;
    if (pk::ParsePlayerDetails(FuzzRecordPayload(data, size), reply)) {
        (void)pk::ShowPlayerDetails(reply);
        (void)pk::LoadProfile(reply.profile);
    }
    return 0;
}
