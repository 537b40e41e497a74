#include "net/zrscramble.h"

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "platform/winsock.h"

namespace pk {

void TScrambleKey::Scramble(std::string& bytes) {
    // The key lives in locals so that it stays in registers through the loop: the bytes
    // written might otherwise be the key's own.
    std::uint32_t s = state;
    const std::uint32_t m = mul;
    const std::uint32_t a = add;
    for (char& c : bytes) {
        const auto plain = static_cast<std::uint8_t>(c);
        c = static_cast<char>(plain ^ ((s >> 16) & 0xFF));
        s = StepKey(s, plain, m, a);
    }
    state = s;
}

void TScrambleKey::UnscrambleTo(std::string_view from, char* to) {
    std::uint32_t s = state;
    const std::uint32_t m = mul;
    const std::uint32_t a = add;
    for (std::size_t i = 0; i < from.size(); ++i) {
        const auto plain =
            static_cast<std::uint8_t>(static_cast<std::uint8_t>(from[i]) ^ ((s >> 16) & 0xFF));
        to[i] = static_cast<char>(plain);
        s = StepKey(s, plain, m, a);
    }
    state = s;
}

void TScrambleKey::Unscramble(std::string& bytes) {
    UnscrambleTo(bytes, bytes.data());
}

std::uint32_t KeyMix(std::uint32_t value, std::uint32_t state) {
    const auto byte = [](std::uint32_t v, int n) {
        return static_cast<std::uint8_t>(v >> (8 * n));
    };
    const std::uint8_t d0 = static_cast<std::uint8_t>(byte(state, 0) + byte(value, 3) + KeyMixC0);
    const std::uint8_t d1 =
        static_cast<std::uint8_t>(byte(state, 1) - byte(value, 2) + d0 + KeyMixC1);
    const std::uint8_t d2 =
        static_cast<std::uint8_t>(byte(state, 2) + byte(value, 1) - d1 + KeyMixC2);
    const std::uint8_t d3 =
        static_cast<std::uint8_t>(byte(state, 3) - byte(value, 0) + d2 + KeyMixC3);
    const std::uint32_t derived =
        static_cast<std::uint32_t>(d0) | (static_cast<std::uint32_t>(d1) << 8) |
        (static_cast<std::uint32_t>(d2) << 16) | (static_cast<std::uint32_t>(d3) << 24);
    return state ^ value ^ derived;
}

std::uint32_t AddressKeyValue(const std::string& dotted, std::uint32_t lobbyKey) {
    std::uint32_t address = 0;
    if (const auto parsed = DottedToAddress(dotted)) {
        // The network-order bytes read least significant first, independent
        // of this machine's byte order.
        address = RawStringToInt(
            std::string_view(reinterpret_cast<const char*>(&*parsed), sizeof *parsed));
    }
    const std::uint32_t rotated = (address << AddrKeyShiftA) | (address >> (32 - AddrKeyShiftA));
    return rotated ^ lobbyKey ^ (lobbyKey >> AddrKeyShiftL);
}

TSeedKeys KeysFromSeed(std::string_view seed) {
    const auto at = [&](std::size_t i) -> std::uint32_t {
        return i < seed.size() ? static_cast<std::uint8_t>(seed[i]) : 0u;
    };
    TSeedKeys keys;
    keys.send = at(1) | (at(3) << 8) | (at(2) << 16) | (at(0) << 24);
    keys.recv = at(0) | (at(2) << 8) | (at(1) << 16) | (at(3) << 24);
    return keys;
}

std::optional<std::string> BuildGameFrame(std::uint8_t type, std::string_view payload) {
    const std::size_t length = payload.size() + 1;
    if (length > MaxGameFrameBody) {
        return std::nullopt;
    }
    std::string frame = WordToNetString(static_cast<std::uint16_t>(length));
    frame += static_cast<char>(type);
    frame.append(payload);
    return frame;
}

TFrameReader::Result TFrameReader::Next(std::string_view data, std::size_t& used, TScrambleKey& key,
                                        std::string& body) {
    used = 0;
    while (header_.size() < 2 && used < data.size()) {
        header_ += static_cast<char>(key.UnscrambleByte(static_cast<std::uint8_t>(data[used])));
        ++used;
    }
    if (header_.size() < 2) {
        return Result::NeedMore;
    }
    const std::size_t length = NetStringToWord(header_);
    if (data.size() - used < length) {
        return Result::NeedMore;
    }
    header_.clear();
    body.resize(length);
    key.UnscrambleTo(data.substr(used, length), body.data());
    used += length;
    return length == 0 ? Result::EmptyFrame : Result::Frame;
}

TFrameReader::Result TFrameReader::Next(ReceiveBuffer& buffer, TScrambleKey& key,
                                        std::string& body) {
    std::size_t used = 0;
    const Result result = Next(buffer.View(), used, key, body);
    buffer.Consume(used);
    return result;
}

TFrameReader::Result TFrameReader::Next(std::string& buffer, TScrambleKey& key, std::string& body) {
    std::size_t used = 0;
    const Result result = Next(std::string_view(buffer), used, key, body);
    buffer.erase(0, used);
    return result;
}

}  // namespace pk
