// Music read in place from a byte range of a bigger file reaches the output for
// every kind of decoder, plays again from its start without a reload, and a
// piece no decoder reads fails with a reason.
#include "platform/audio/musicpiece.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/audio/audiodevice.h"
#include "support/audio_fixture.h"
#include "support/media.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk::audio {
namespace {

using test::DiskAudio;
using test::DummyAudio;
using test::WaitFor;

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A file with the piece between other bytes, as a piece lies in a library.
struct Embedded {
    test::TempDir dir;
    std::filesystem::path file = dir.Path() / "lib.klb";
    int64_t offset = 0;
    int64_t length = 0;

    explicit Embedded(const std::string& piece) {
        const std::string before(333, 'K'), after(100, '\xFF');
        std::ofstream(file, std::ios::binary) << before << piece << after;
        offset = static_cast<int64_t>(before.size());
        length = static_cast<int64_t>(piece.size());
    }
};

struct Case {
    const char* name;
    MusicFormat format;
    std::string (*bytes)();
};

std::string Mp3() {
    return ReadFile(test::MediaFile("tone.mp3"));
}
std::string Ogg() {
    return ReadFile(test::MediaFile("tone.ogg"));
}
std::string Wav() {
    return ReadFile(test::MediaFile("tone.wav"));
}

class MusicKinds : public testing::TestWithParam<Case> {};

TEST_P(MusicKinds, PlaysFromAByteRangeToTheOutput) {
    const Case& c = GetParam();
    const std::string bytes = c.bytes();
    ASSERT_FALSE(bytes.empty());
    Embedded lib(bytes);
    DiskAudio device;
    ASSERT_TRUE(device.IsOpen());
    std::string error;
    auto piece = MusicPiece::Load(lib.file, lib.offset, lib.length, c.format, &error);
    ASSERT_NE(piece, nullptr) << error;
    EXPECT_TRUE(piece->Finished());  // not started yet
    ASSERT_TRUE(piece->Play(&error)) << error;
    EXPECT_FALSE(piece->Finished());
    ASSERT_TRUE(WaitFor([&] { return piece->Finished(); }));
    piece.reset();
    EXPECT_GT(test::Loud(device.Finish()), 2000u);
}

INSTANTIATE_TEST_SUITE_P(Decoders, MusicKinds,
                         testing::Values(Case{"mp3", MusicFormat::Mpeg, Mp3},
                                         Case{"ogg", MusicFormat::Ogg, Ogg},
                                         Case{"wav", MusicFormat::Wave, Wav},
                                         Case{"module", MusicFormat::Module, test::MakeModule},
                                         Case{"midi", MusicFormat::Midi, test::ShortMidi}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MusicPiece, PlaysAgainFromItsStartWithoutAReload) {
    Embedded lib(test::MakeModule());
    DummyAudio device;
    auto piece = MusicPiece::Load(lib.file, lib.offset, lib.length, MusicFormat::Module);
    ASSERT_NE(piece, nullptr);
    ASSERT_TRUE(piece->Play());
    ASSERT_TRUE(WaitFor([&] { return piece->Finished(); }));
    ASSERT_TRUE(piece->Play());
    EXPECT_FALSE(piece->Finished());
    piece->Stop();
    EXPECT_TRUE(piece->Finished());
}

TEST(MusicPiece, ANewPieceTakesTheMusicChannel) {
    Embedded lib(test::MakeModule());
    DummyAudio device;
    auto first = MusicPiece::Load(lib.file, lib.offset, lib.length, MusicFormat::Module);
    auto second = MusicPiece::Load(lib.file, lib.offset, lib.length, MusicFormat::Module);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->Play());
    ASSERT_TRUE(second->Play());
    EXPECT_TRUE(first->Finished());
    EXPECT_FALSE(second->Finished());
    first.reset();  // must not stop the piece that plays now
    EXPECT_FALSE(second->Finished());
}

TEST(MusicPiece, FailsWithAReason) {
    test::TempDir dir;
    std::string error;
    Embedded junk(std::string(4000, 'x'));
    EXPECT_EQ(MusicPiece::Load(junk.file, junk.offset, junk.length, MusicFormat::Ogg, &error),
              nullptr);
    EXPECT_NE(error, "");  // no device yet
    DummyAudio device;
    error.clear();
    EXPECT_EQ(MusicPiece::Load(junk.file, junk.offset, junk.length, MusicFormat::Ogg, &error),
              nullptr);
    EXPECT_NE(error.find("cannot decode"), std::string::npos) << error;
    EXPECT_EQ(MusicPiece::Load(junk.file, junk.offset, 1 << 20, MusicFormat::Ogg, &error), nullptr);
    EXPECT_NE(error.find("outside"), std::string::npos) << error;
}

TEST(MusicPiece, OutlivesTheDeviceHarmlessly) {
    Embedded lib(test::MakeModule());
    std::unique_ptr<MusicPiece> piece;
    {
        DummyAudio device;
        piece = MusicPiece::Load(lib.file, lib.offset, lib.length, MusicFormat::Module);
        ASSERT_NE(piece, nullptr);
        ASSERT_TRUE(piece->Play());
    }
    EXPECT_TRUE(piece->Finished());
    EXPECT_FALSE(piece->Play());
    piece.reset();
}

TEST(MusicPiece, PlaysBytesHandedOverAndSeeksWhilePlaying) {
    std::string error;
    auto bytes = std::make_shared<const std::string>(Mp3());
    EXPECT_EQ(MusicPiece::LoadBytes(bytes, MusicFormat::Mpeg, &error), nullptr);
    EXPECT_NE(error, "");  // no device yet
    DummyAudio device;
    auto piece = MusicPiece::LoadBytes(bytes, MusicFormat::Mpeg, &error);
    ASSERT_NE(piece, nullptr) << error;
    EXPECT_NEAR(piece->LengthMs(), 400, 60);
    EXPECT_FALSE(piece->Seek(100));  // not playing
    ASSERT_TRUE(piece->Play());
    bytes.reset();  // the piece keeps its own
    EXPECT_TRUE(piece->Seek(300));
    EXPECT_GE(piece->PositionMs(), 250);
    EXPECT_TRUE(WaitFor([&] { return piece->Finished(); }));
    EXPECT_EQ(MusicPiece::LoadBytes(std::make_shared<const std::string>(4000, 'x'),
                                    MusicFormat::Ogg, &error),
              nullptr);
    EXPECT_NE(error.find("cannot decode"), std::string::npos) << error;
    EXPECT_EQ(MusicPiece::LoadBytes(std::make_shared<const std::string>(), MusicFormat::Mpeg),
              nullptr);
}

}  // namespace
}  // namespace pk::audio
