#include "net/zrscramble.h"

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "platform/winsock.h"

namespace pk {

namespace {

std::uint32_t StepKey(std::uint32_t state, std::uint8_t plain, std::uint32_t mul,
                      std::uint32_t add) {
    const auto signedState = static_cast<std::int32_t>(state);
    const std::int32_t quotient = signedState / (static_cast<std::int32_t>(plain) + 1);
    return static_cast<std::uint32_t>(quotient) * mul + add;
}

}  // namespace

void TScrambleKey::Scramble(std::string& bytes) {
    for (char& c : bytes) {
        const auto plain = static_cast<std::uint8_t>(c);
        c = static_cast<char>(plain ^ ((state >> 16) & 0xFF));
        state = StepKey(state, plain, mul, add);
    }
}

std::uint8_t TScrambleKey::UnscrambleByte(std::uint8_t byte) {
    const auto plain = static_cast<std::uint8_t>(byte ^ ((state >> 16) & 0xFF));
    state = StepKey(state, plain, mul, add);
    return plain;
}

void TScrambleKey::Unscramble(std::string& bytes) {
    for (char& c : bytes) {
        c = static_cast<char>(UnscrambleByte(static_cast<std::uint8_t>(c)));
    }
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

TFrameReader::Result TFrameReader::Next(std::string& buffer, TScrambleKey& key, std::string& body) {
    std::size_t used = 0;
    while (header_.size() < 2 && used < buffer.size()) {
        header_ += static_cast<char>(key.UnscrambleByte(static_cast<std::uint8_t>(buffer[used])));
        ++used;
    }
    buffer.erase(0, used);
    if (header_.size() < 2) {
        return Result::NeedMore;
    }
    const std::size_t length = NetStringToWord(header_);
    if (buffer.size() < length) {
        return Result::NeedMore;
    }
    header_.clear();
    body.assign(buffer, 0, length);
    buffer.erase(0, length);
    key.Unscramble(body);
    return length == 0 ? Result::EmptyFrame : Result::Frame;
}

}  // namespace pk
