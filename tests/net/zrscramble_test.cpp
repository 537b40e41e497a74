#include "net/zrscramble.h"

#include <gtest/gtest.h>

#include "core/zrconst.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;

TEST(Scrambler, GoldenBytesBothDirections) {
    // Frame: length 3 (00 03), type 0x14, payload "hi".
    const std::string frame = Bytes({0x00, 0x03, 0x14, 'h', 'i'});

    TScrambleKey send{0x12345678u, true, ScrambleMulB, ScrambleAddB};
    std::string out = frame;
    send.Scramble(out);
    EXPECT_EQ(out, Bytes({0x34, 0x5d, 0x93, 0xa1, 0xfb}));
    EXPECT_EQ(send.state, 0x06fc0b45u);

    // A negative state divides toward zero.
    TScrambleKey negative{0xFEDCBA98u, true, ScrambleMulA, ScrambleAddA};
    out = frame;
    negative.Scramble(out);
    EXPECT_EQ(out, Bytes({0xdc, 0xeb, 0x67, 0xf7, 0xa8}));
    EXPECT_EQ(negative.state, 0x567e170du);

    // The receiving end, starting from the same state, gets the frame back.
    TScrambleKey recv{0xFEDCBA98u, true, ScrambleMulA, ScrambleAddA};
    recv.Unscramble(out);
    EXPECT_EQ(out, frame);
    EXPECT_EQ(recv.state, 0x567e170du);
}

TEST(Scrambler, KeyMixGolden) {
    EXPECT_EQ(KeyMix(0, 0), 0xcd07885bu);
    EXPECT_EQ(KeyMix(0x11223344u, 0xA1B2C3D4u), 0x39f6fed0u);
}

TEST(Scrambler, SeedGivesSwappedKeyBytes) {
    const TSeedKeys keys = KeysFromSeed(Bytes({0x10, 0x20, 0x30, 0x40}));
    EXPECT_EQ(keys.send, 0x10304020u);  // s1, s3, s2, s0 least significant first
    EXPECT_EQ(keys.recv, 0x40203010u);  // s0, s2, s1, s3
}

TEST(Scrambler, AddressKeyValueUsesDottedOrderLowByteFirst) {
    // 1.2.3.4 reads as 0x04030201; rotated left by 7 -> 0x01810082.
    EXPECT_EQ(AddressKeyValue("1.2.3.4", 0), 0x01810082u);
    EXPECT_EQ(AddressKeyValue("0.0.0.0", 0x80000000u), 0x80000000u ^ 0x00100000u);
    EXPECT_EQ(AddressKeyValue("garbage", 0), 0u);
}

TEST(Framing, LengthIsBigEndianAndBoundedTo65535) {
    EXPECT_EQ(BuildGameFrame(0x14, "hi"), Bytes({0x00, 0x03, 0x14, 'h', 'i'}));
    EXPECT_EQ(BuildGameFrame(0x0f, ""), Bytes({0x00, 0x01, 0x0f}));
    const auto largest = BuildGameFrame(0x14, std::string(65534, 'x'));
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->substr(0, 3), Bytes({0xff, 0xff, 0x14}));
    // One more byte would wrap the length and corrupt the stream.
    EXPECT_FALSE(BuildGameFrame(0x14, std::string(65535, 'x')));
}

TEST(Framing, ReaderTakesHeaderByteByByteAndFramesInOrder) {
    TScrambleKey out{0x0badf00du, true, 214013u, 2531011u};
    std::string wire = *BuildGameFrame(0x0d,
                                       "1\x02"
                                       "bob") +
                       *BuildGameFrame(0x0a, "7");
    out.Scramble(wire);

    TScrambleKey in{0x0badf00du, true, 214013u, 2531011u};
    TFrameReader reader;
    std::string buffer;
    std::string body;
    std::vector<std::string> bodies;
    for (char c : wire) {
        buffer += c;
        while (true) {
            const auto result = reader.Next(buffer, in, body);
            ASSERT_NE(result, TFrameReader::Result::EmptyFrame);
            if (result == TFrameReader::Result::NeedMore) {
                break;
            }
            bodies.push_back(body);
        }
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"\x0d"
                                                "1\x02"
                                                "bob",
                                                "\x0a"
                                                "7"}));
    EXPECT_TRUE(buffer.empty());
}

TEST(Framing, ZeroLengthIsReported) {
    TScrambleKey out{77u, true, 3u, 5u};
    std::string wire = Bytes({0x00, 0x00});
    out.Scramble(wire);
    TScrambleKey in{77u, true, 3u, 5u};
    TFrameReader reader;
    std::string body;
    EXPECT_EQ(reader.Next(wire, in, body), TFrameReader::Result::EmptyFrame);
}

}  // namespace
}  // namespace pk
