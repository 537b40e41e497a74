#include "net/zrscramble.h"

#include <gtest/gtest.h>

#include <random>

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

// The scrambler as first written: a signed division per byte.
std::string ReferenceScramble(std::string bytes, std::uint32_t& state, std::uint32_t mul,
                              std::uint32_t add, bool unscramble) {
    for (char& c : bytes) {
        const auto in = static_cast<std::uint8_t>(c);
        const auto out = static_cast<std::uint8_t>(in ^ ((state >> 16) & 0xFF));
        const std::uint8_t plain = unscramble ? out : in;
        c = static_cast<char>(out);
        const std::int32_t quotient = static_cast<std::int32_t>(state) / (plain + 1);
        state = static_cast<std::uint32_t>(quotient) * mul + add;
    }
    return bytes;
}

TEST(Scrambler, BothDirectionsMatchTheDivisionPerByte) {
    std::mt19937 random(99u);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 600), '\0');
        for (char& c : bytes) {
            // Many zero and 0xFF bytes: the divisors 1 and 256.
            const std::uint32_t r = random();
            c = static_cast<char>(r % 4 == 0 ? 0 : r % 4 == 1 ? 0xFF : r >> 8);
        }
        const std::uint32_t start = round < 3 ? 0x80000000u + round : random();
        const std::uint32_t mul = round % 2 ? ScrambleMulA : ScrambleMulB;
        const std::uint32_t add = round % 2 ? ScrambleAddA : ScrambleAddB;

        std::uint32_t expectState = start;
        const std::string expectWire = ReferenceScramble(bytes, expectState, mul, add, false);
        TScrambleKey send{start, true, mul, add};
        std::string wire = bytes;
        send.Scramble(wire);
        ASSERT_EQ(wire, expectWire);
        ASSERT_EQ(send.state, expectState);

        std::uint32_t backState = start;
        ASSERT_EQ(ReferenceScramble(wire, backState, mul, add, true), bytes);
        TScrambleKey recv{start, true, mul, add};
        std::string back = wire;
        recv.Unscramble(back);
        ASSERT_EQ(back, bytes);
        ASSERT_EQ(recv.state, backState);
    }
}

TEST(ReceiveBuffer, TakesFromTheFrontAndKeepsTheRestAcrossAppends) {
    ReceiveBuffer buffer;
    EXPECT_TRUE(buffer.empty());
    buffer.Append("hello ");
    buffer += "world";
    EXPECT_EQ(buffer.View(), "hello world");
    buffer.Consume(2);
    EXPECT_EQ(buffer.View(), "llo world");
    // The taken front now outweighs nothing; the next append drops it.
    buffer.Consume(7);
    EXPECT_EQ(buffer.View(), "ld");
    buffer.Append("!");
    EXPECT_EQ(buffer.View(), "ld!");
    EXPECT_EQ(buffer.size(), 3u);
    // Taking more than there is takes all.
    buffer.Consume(10);
    EXPECT_TRUE(buffer.empty());
    buffer.Append("x");
    EXPECT_EQ(buffer.View(), "x");
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.View(), "");
}

TEST(Framing, ReaderOverAReceiveBufferTakesManyFramesInAnySplit) {
    std::mt19937 random(5u);
    std::string wire;
    std::vector<std::string> sent;
    for (int i = 0; i < 300; ++i) {
        std::string payload(static_cast<std::size_t>(random() % 200), '\0');
        for (char& c : payload) {
            c = static_cast<char>(random());
        }
        const auto type = static_cast<std::uint8_t>(random() % 255 + 1);
        wire += *BuildGameFrame(type, payload);
        sent.push_back(static_cast<char>(type) + payload);
    }
    TScrambleKey out{0x0badf00du, true, ScrambleMulA, ScrambleAddA};
    out.Scramble(wire);

    // Reads of 1 to 5000 bytes: some split a header, some hold dozens of frames.
    for (const std::size_t largest : {std::size_t{1}, std::size_t{7}, std::size_t{5000}}) {
        TScrambleKey in{0x0badf00du, true, ScrambleMulA, ScrambleAddA};
        TFrameReader reader;
        ReceiveBuffer buffer;
        std::string body;
        std::vector<std::string> bodies;
        for (std::size_t at = 0; at < wire.size();) {
            const std::size_t read = 1 + random() % largest;
            buffer.Append(std::string_view(wire).substr(at, read));
            at += read;
            TFrameReader::Result result;
            while ((result = reader.Next(buffer, in, body)) == TFrameReader::Result::Frame) {
                bodies.push_back(body);
            }
            ASSERT_EQ(result, TFrameReader::Result::NeedMore);
        }
        EXPECT_EQ(bodies, sent) << largest;
        EXPECT_TRUE(buffer.empty());
    }
}

}  // namespace
}  // namespace pk
