#include "peers/peer_frames.h"

#include "core/zrmisc.h"

namespace pk::peers {

void SendScrambledFrame(PeerConnection& conn, TScrambleKey& key, std::uint8_t type,
                        const std::string& payload, std::size_t chunk) {
    auto frame = BuildGameFrame(type, payload);
    if (!frame || chunk == 0) {
        return;
    }
    key.Scramble(*frame);
    if (chunk >= frame->size()) {
        conn.Send(*frame);
        return;
    }
    for (std::size_t at = 0; at < frame->size(); at += chunk) {
        conn.Send(frame->substr(at, chunk));
    }
}

std::string ScrambledFrameBytes(TScrambleKey& key, std::uint16_t length, const std::string& body) {
    std::string frame = WordToNetString(length) + body;
    key.Scramble(frame);
    return frame;
}

}  // namespace pk::peers
