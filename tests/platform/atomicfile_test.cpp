#include "platform/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "support/temp_dir.h"

namespace pk {
namespace {

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t EntriesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
}

TEST(AtomicFile, ReplacesTheTargetAndLeavesNothingElse) {
    test::TempDir dir;
    const auto target = dir.Path() / "pelkorin.cfg";
    ASSERT_TRUE(WriteFileAtomic(target, "old"));
    ASSERT_TRUE(WriteFileAtomic(target, std::string("new\0bytes", 9)));
    EXPECT_EQ(Slurp(target), std::string("new\0bytes", 9));
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFile, UncommittedOrFailedWritesKeepTheOldFile) {
    test::TempDir dir;
    const auto target = dir.Path() / "theme.klb";
    ASSERT_TRUE(WriteFileAtomic(target, "kept"));
    {
        AtomicFileWriter writer(target);
        ASSERT_TRUE(writer.Write("half of a new"));
    }  // dropped without a commit
    EXPECT_EQ(Slurp(target), "kept");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // A target that is a folder cannot be replaced: the rename fails.
    std::filesystem::create_directory(dir.Path() / "folder");
    std::filesystem::create_directory(dir.Path() / "folder" / "inside");
    EXPECT_FALSE(WriteFileAtomic(dir.Path() / "folder", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder" / "inside"));
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);

    // A folder that does not exist cannot even hold the temporary file.
    EXPECT_FALSE(WriteFileAtomic(dir.Path() / "missing" / "file", "x"));
}

TEST(FileRead, WholeFileUpToTheCapAndNotOneByteMore) {
    test::TempDir dir;
    const auto file = dir.Path() / "ten";
    ASSERT_TRUE(WriteFileAtomic(file, std::string("0123\0"
                                                  "56789",
                                                  10)));
    FileReadError why = FileReadError::ReadFailed;
    EXPECT_EQ(ReadFileBytes(file, 10, &why), std::string("0123\0"
                                                         "56789",
                                                         10));
    EXPECT_EQ(why, FileReadError::None);
    EXPECT_EQ(ReadFileBytes(file, 9, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::TooLarge);

    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "empty", ""));
    EXPECT_EQ(ReadFileBytes(dir.Path() / "empty", 0), "");
    // Bigger than one block of the reader.
    const std::string big(200000, 'x');
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "big", big));
    EXPECT_EQ(ReadFileBytes(dir.Path() / "big", big.size()), big);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "big", big.size() - 1), std::nullopt);
}

TEST(FileRead, OnlyRegularFilesAreReadAndNothingBlocks) {
    test::TempDir dir;
    FileReadError why = FileReadError::None;
    EXPECT_EQ(ReadFileBytes(dir.Path() / "missing", 100, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
    EXPECT_EQ(ReadFileBytes(dir.Path(), 100, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
    // A pipe without a writer would block a plain open for ever.
    const auto fifo = dir.Path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadFileBytes(fifo, 100, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
    EXPECT_EQ(ReadFileRange(fifo, 0, 1, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
    // A device never ends; it is refused before reading a byte.
    EXPECT_EQ(ReadFileBytes("/dev/zero", 100, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
}

TEST(FileRead, RangesMustLieWhollyInsideTheFile) {
    test::TempDir dir;
    const auto file = dir.Path() / "lib";
    ASSERT_TRUE(WriteFileAtomic(file, "abcdefgh"));
    EXPECT_EQ(ReadFileRange(file, 2, 3), "cde");
    EXPECT_EQ(ReadFileRange(file, 0, 8), "abcdefgh");
    EXPECT_EQ(ReadFileRange(file, 8, 0), "");
    FileReadError why = FileReadError::None;
    for (auto [offset, size] :
         {std::pair<int64_t, int64_t>{7, 2}, {9, 0}, {-1, 2}, {0, -1}, {1, INT64_MAX}}) {
        EXPECT_EQ(ReadFileRange(file, offset, size, &why), std::nullopt) << offset << " " << size;
        EXPECT_EQ(why, FileReadError::OutOfRange);
    }
    EXPECT_EQ(ReadFileRange(dir.Path() / "missing", 0, 0, &why), std::nullopt);
    EXPECT_EQ(why, FileReadError::CannotOpen);
}

TEST(FileRead, BlocksComeInOrderAndTheSinkCanStop) {
    test::TempDir dir;
    const auto file = dir.Path() / "data";
    std::string data;
    for (int i = 0; i < 150000; ++i) data += static_cast<char>(i * 7);
    ASSERT_TRUE(WriteFileAtomic(file, data));
    std::string seen;
    EXPECT_TRUE(ReadFileBlocks(file, [&](std::string_view b) {
        seen.append(b);
        return true;
    }));
    EXPECT_EQ(seen, data);
    int calls = 0;
    EXPECT_FALSE(ReadFileBlocks(file, [&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace pk
