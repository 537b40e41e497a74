#pragma once
// The master-server link's key exchange, for the client and for the scripted master server
// alike. The exchange itself (what is sent when, and the derivation) is told beside the key
// material in core/zrconst.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/zrscramble.h"

namespace pk {

// An exchange value on the wire: four bytes, least significant first.
std::string ExchangeValueBytes(std::uint32_t value);
// The value of the first four bytes (missing bytes read as 0).
std::uint32_t ExchangeValueFromBytes(std::string_view bytes);

// The two running keys of a framed lobby connection, each with its multiplier and increment.
struct TLobbyKeys {
    TScrambleKey clientToServer;
    TScrambleKey serverToClient;
};

// Both keys from the transcript of the text phase and the exchange (C's bytes, then S's
// bytes, at its end) and the two values. Neither state is ever 0.
TLobbyKeys DeriveLobbyKeys(std::string_view transcript, std::uint32_t clientValue,
                           std::uint32_t serverValue);

// Mixes a value into one of the lobby's running keys (KeyMix): the welcome number into the
// server-to-client key once the welcome has passed.
void MixLobbyKey(TScrambleKey& key, std::uint32_t value);

}  // namespace pk
