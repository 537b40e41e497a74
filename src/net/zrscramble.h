#pragma once
// The byte scrambler of both scrambled server links, its key mixing and the
// framing of game messages. Shared with the scripted test servers, which run
// the same code from the other end.
//
// Frame, both directions, after the seed exchange:
//   offset 0  2 bytes  length L of the rest, big-endian (1..65535)
//   offset 2  1 byte   message type
//   offset 3  L-1      payload (fields separated by 0x02)
// The whole frame, length included, runs through the scrambler in order.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/keystep.h"
#include "net/receivebuffer.h"

namespace pk {

// One direction of a scrambled stream. `set` is separate from the state: a
// running state may well pass through 0.
struct TScrambleKey {
    std::uint32_t state = 0;
    bool set = false;
    std::uint32_t mul = 0;
    std::uint32_t add = 0;

    void Reset() { *this = TScrambleKey{}; }
    // Scrambles bytes in place, the plain bytes driving the state.
    void Scramble(std::string& bytes);
    // Unscrambles bytes in place, the unscrambled bytes driving the state.
    void Unscramble(std::string& bytes);
    // Unscrambles `from` into `to` (room for from.size() bytes; may be from.data()).
    void UnscrambleTo(std::string_view from, char* to);
    std::uint8_t UnscrambleByte(std::uint8_t byte) {
        const auto plain = static_cast<std::uint8_t>(byte ^ ((state >> 16) & 0xFF));
        state = StepKey(state, plain, mul, add);
        return plain;
    }
};

// state = state XOR value XOR derived bytes (see zrconst.h).
std::uint32_t KeyMix(std::uint32_t value, std::uint32_t state);

// The address/lobby-key value of the seed exchange. `dotted` is the server's
// address as text; an unreadable text counts as 0.0.0.0.
std::uint32_t AddressKeyValue(const std::string& dotted, std::uint32_t lobbyKey);

// The two keys a four-byte seed gives the client (the server swaps them).
struct TSeedKeys {
    std::uint32_t send = 0;
    std::uint32_t recv = 0;
};
TSeedKeys KeysFromSeed(std::string_view seed);

// Plain frame of a message, or nullopt when the body (type + payload) is
// longer than a frame can say.
std::optional<std::string> BuildGameFrame(std::uint8_t type, std::string_view payload);

// Takes frames off the front of a receive buffer. The header is unscrambled
// byte by byte as it arrives, so it may be split across reads; the body is
// unscrambled once it is complete.
class TFrameReader {
public:
    enum class Result { NeedMore, Frame, EmptyFrame };
    // On Frame, `body` holds the unscrambled type byte and payload. The bytes
    // read are taken off the buffer.
    Result Next(ReceiveBuffer& buffer, TScrambleKey& key, std::string& body);
    // The same over a plain string, whose front is erased once per call:
    // links that buffer many frames at once should keep a ReceiveBuffer.
    Result Next(std::string& buffer, TScrambleKey& key, std::string& body);
    void Reset() { header_.clear(); }

private:
    // Reads from `data`; `used` receives the count of bytes read.
    Result Next(std::string_view data, std::size_t& used, TScrambleKey& key, std::string& body);

    std::string header_;
};

}  // namespace pk
