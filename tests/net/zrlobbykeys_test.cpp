// The lobby key exchange: the value bytes on the wire and the keys both sides derive.
#include "net/zrlobbykeys.h"

#include <gtest/gtest.h>

#include <random>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;

TEST(LobbyKeys, ExchangeValuesTravelLeastSignificantByteFirst) {
    EXPECT_EQ(ExchangeValueBytes(0x01020304u), Bytes({0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(ExchangeValueFromBytes(Bytes({0x04, 0x03, 0x02, 0x01, 0xFF})), 0x01020304u);
    EXPECT_EQ(ExchangeValueFromBytes(Bytes({0x04, 0x03})), 0x0304u);
}

// Pins the derivation: a client and a server built from another copy of this code must still
// agree with it.
TEST(LobbyKeys, BothKeysFollowFromTheTranscriptAndTheTwoValues) {
    const std::uint32_t c = 0x01020304u;
    const std::uint32_t s = 0x7FFFFFFEu;
    const std::string transcript =
        "login 136 1 alice 0A1B\r\n"        // the login line sent
        "ok\r\n"                            // the reply
        + Bytes({0x04, 0x03, 0x02, 0x01})   // C
        + Bytes({0xFE, 0xFF, 0xFF, 0x7F});  // S
    const TLobbyKeys keys = DeriveLobbyKeys(transcript, c, s);
    EXPECT_EQ(keys.clientToServer.state, 0x1CEF34BDu);
    EXPECT_EQ(keys.serverToClient.state, 0x8990BCA5u);
    const std::uint32_t crc = StringCrc32(transcript);
    EXPECT_EQ(keys.clientToServer.state, KeyMix(crc, KeyMix(s, c)));
    EXPECT_EQ(keys.serverToClient.state, KeyMix(crc, KeyMix(c, s)));
    EXPECT_TRUE(keys.clientToServer.set);
    EXPECT_EQ(keys.clientToServer.mul, ScrambleMulA);
    EXPECT_EQ(keys.clientToServer.add, ScrambleAddA);
    EXPECT_EQ(keys.serverToClient.mul, ScrambleMulB);
    EXPECT_EQ(keys.serverToClient.add, ScrambleAddB);

    // A frame scrambled from the server with this key: length 3, code 0x19, "ab".
    TScrambleKey key = keys.serverToClient;
    std::string frame = Bytes({0x00, 0x03, 0x19, 'a', 'b'});
    key.Scramble(frame);
    EXPECT_EQ(frame, Bytes({0x90, 0x70, 0x66, 0xE7, 0x4B}));
}

TEST(LobbyKeys, EveryTranscriptByteAndValueChangesTheKeys) {
    const std::string transcript = "login 136 1 bob 00\r\nok\r\n12345678";
    const TLobbyKeys base = DeriveLobbyKeys(transcript, 5, 9);
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        std::string changed = transcript;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        const TLobbyKeys keys = DeriveLobbyKeys(changed, 5, 9);
        EXPECT_NE(keys.clientToServer.state, base.clientToServer.state) << i;
        EXPECT_NE(keys.serverToClient.state, base.serverToClient.state) << i;
    }
    EXPECT_NE(DeriveLobbyKeys(transcript, 6, 9).clientToServer.state, base.clientToServer.state);
    EXPECT_NE(DeriveLobbyKeys(transcript, 5, 8).serverToClient.state, base.serverToClient.state);
}

TEST(LobbyKeys, KeysAreNeverZero) {
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string transcript = std::to_string(random());
        const TLobbyKeys keys = DeriveLobbyKeys(transcript, random(), random());
        ASSERT_NE(keys.clientToServer.state, 0u);
        ASSERT_NE(keys.serverToClient.state, 0u);
    }
}

TEST(LobbyKeys, TheWelcomeNumberIsMixedIntoTheServersKey) {
    TScrambleKey key{0x8990BCA5u, true, ScrambleMulB, ScrambleAddB};
    MixLobbyKey(key, 4242);
    EXPECT_EQ(key.state, KeyMix(4242, 0x8990BCA5u));
}

}  // namespace
}  // namespace pk
