#include "net/zrlobbykeys.h"

#include "core/zrconst.h"
#include "core/zrmisc.h"

namespace pk {

namespace {

std::uint32_t NonZero(std::uint32_t key) {
    return key != 0 ? key : LobbyZeroKeyStandIn;
}

}  // namespace

std::string ExchangeValueBytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::uint32_t ExchangeValueFromBytes(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
    }
    return value;
}

TLobbyKeys DeriveLobbyKeys(std::string_view transcript, std::uint32_t clientValue,
                           std::uint32_t serverValue) {
    const std::uint32_t crc = StringCrc32(transcript);
    TLobbyKeys keys;
    keys.clientToServer = {NonZero(KeyMix(crc, KeyMix(serverValue, clientValue))), true,
                           ScrambleMulA, ScrambleAddA};
    keys.serverToClient = {NonZero(KeyMix(crc, KeyMix(clientValue, serverValue))), true,
                           ScrambleMulB, ScrambleAddB};
    return keys;
}

void MixLobbyKey(TScrambleKey& key, std::uint32_t value) {
    key.state = KeyMix(value, key.state);
}

}  // namespace pk
