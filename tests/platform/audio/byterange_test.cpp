// The decoders' view of a piece inside a bigger file: reads and seeks never
// leave the range, and a range outside the file is refused.
#include "platform/audio/byterange.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_dir.h"

namespace pk::audio {
namespace {

class ByteRange : public testing::Test {
protected:
    void SetUp() override { std::ofstream(file_, std::ios::binary) << "0123456789abcdef"; }
    test::TempDir dir_;
    std::string file_ = dir_.File("lib.klb");
};

std::string ReadAll(SDL_RWops* rw) {
    std::string out;
    char buf[3];
    size_t n;
    while ((n = SDL_RWread(rw, buf, 1, sizeof buf)) > 0) out.append(buf, n);
    return out;
}

TEST_F(ByteRange, ReadsOnlyTheRange) {
    SDL_RWops* rw = OpenByteRange(file_, 4, 5);
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(SDL_RWsize(rw), 5);
    EXPECT_EQ(ReadAll(rw), "45678");
    // Objects larger than what is left are not read in part.
    EXPECT_EQ(SDL_RWseek(rw, 3, RW_SEEK_SET), 3);
    char buf[4];
    EXPECT_EQ(SDL_RWread(rw, buf, 4, 1), 0u);
    EXPECT_EQ(SDL_RWread(rw, buf, 1, 4), 2u);
    EXPECT_EQ(std::string(buf, 2), "78");
    SDL_RWclose(rw);
}

TEST_F(ByteRange, LengthZeroRunsToTheEnd) {
    SDL_RWops* rw = OpenByteRange(file_, 10, 0);
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(ReadAll(rw), "abcdef");
    SDL_RWclose(rw);
}

TEST_F(ByteRange, SeeksStayInside) {
    SDL_RWops* rw = OpenByteRange(file_, 2, 6);
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(SDL_RWseek(rw, -2, RW_SEEK_END), 4);
    EXPECT_EQ(SDL_RWseek(rw, 1, RW_SEEK_CUR), 5);
    EXPECT_EQ(SDL_RWseek(rw, 2, RW_SEEK_CUR), -1);  // past the end of the range
    EXPECT_EQ(SDL_RWseek(rw, -1, RW_SEEK_SET), -1);
    EXPECT_EQ(SDL_RWtell(rw), 5);
    EXPECT_EQ(SDL_RWseek(rw, 0, RW_SEEK_END), 6);  // the end itself is a place
    EXPECT_EQ(ReadAll(rw), "");
    SDL_RWclose(rw);
}

TEST_F(ByteRange, RefusesWhatIsNotWhollyInARegularFile) {
    std::string error;
    EXPECT_EQ(OpenByteRange(file_, 12, 5, &error), nullptr);
    EXPECT_NE(error.find("outside"), std::string::npos) << error;
    EXPECT_EQ(OpenByteRange(file_, 17, 0), nullptr);
    EXPECT_EQ(OpenByteRange(file_, -1, 4), nullptr);
    EXPECT_EQ(OpenByteRange(file_, 0, -4), nullptr);
    EXPECT_EQ(OpenByteRange(dir_.File("missing"), 0, 0), nullptr);
    EXPECT_EQ(OpenByteRange(dir_.Path(), 0, 0), nullptr);
    // A pipe in place of the file must neither block the open nor be read.
    ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(OpenByteRange(dir_.File("fifo"), 0, 0, &error), nullptr);
    EXPECT_NE(error.find("regular"), std::string::npos) << error;
}

}  // namespace
}  // namespace pk::audio
