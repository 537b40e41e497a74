#include "platform/atomicfile.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pk
