#pragma once
// How the scripted servers send frames: built as the client reads them, scrambled with the
// server's send key and written whole or in pieces. The game server and the master server
// frame alike, so both send through these.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "net/zrscramble.h"
#include "peers/loopback.h"

namespace pk::peers {

// A frame of `type` and `payload`, scrambled and written in pieces of `chunk` bytes, each piece
// a separate send (by default the whole frame in one). Nothing for a payload too long for a
// frame or a chunk of 0; the key moves on only when the frame is sent.
void SendScrambledFrame(PeerConnection& conn, TScrambleKey& key, std::uint8_t type,
                        const std::string& payload,
                        std::size_t chunk = std::numeric_limits<std::size_t>::max());
// The scrambled bytes of a frame with a length field of our choosing.
std::string ScrambledFrameBytes(TScrambleKey& key, std::uint16_t length, const std::string& body);

}  // namespace pk::peers
