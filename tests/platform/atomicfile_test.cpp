#include "platform/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

mode_t ModeOf(const std::filesystem::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777;
}

TEST(AtomicFile, AUserFileKeepsItsModeAndItsLinks) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.Path() / "real");
    const auto file = dir.Path() / "real" / "pelkorin.cfg";
    ASSERT_TRUE(WriteFileAtomic(file, "old"));
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomic(file, "mine", SaveTarget::UserFile));
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(Slurp(file), "mine");

    // A relative link to a link to the file: both links stay, the file gets the bytes, and
    // the temporary went beside the file (nothing is left in either folder).
    fs::create_symlink("real/pelkorin.cfg", dir.Path() / "first");
    fs::create_symlink(dir.Path() / "first", dir.Path() / "second");
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "second", "through", SaveTarget::UserFile));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "second"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "first"));
    EXPECT_EQ(Slurp(file), "through");
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(EntriesIn(dir.Path()), 3u);
    EXPECT_EQ(EntriesIn(dir.Path() / "real"), 1u);

    // A link to nothing yet: the file is made where it points.
    fs::create_symlink("real/new.cfg", dir.Path() / "dangling");
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "dangling", "made", SaveTarget::UserFile));
    EXPECT_EQ(Slurp(dir.Path() / "real" / "new.cfg"), "made");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling"));

    // Links in a loop are refused; nothing is written.
    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    EXPECT_FALSE(WriteFileAtomic(dir.Path() / "loop-a", "x", SaveTarget::UserFile));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "loop-a"));
    EXPECT_EQ(EntriesIn(dir.Path()), 6u);
}

TEST(AtomicFile, ByDefaultALinkIsReplacedNeverFollowed) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const auto victim = dir.Path() / "victim";
    ASSERT_TRUE(WriteFileAtomic(victim, "untouched"));
    ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
    fs::create_symlink(victim, dir.Path() / "upgrade.tmp");
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "upgrade.tmp", "queue"));
    EXPECT_FALSE(fs::is_symlink(dir.Path() / "upgrade.tmp"));
    EXPECT_EQ(Slurp(dir.Path() / "upgrade.tmp"), "queue");
    EXPECT_EQ(Slurp(victim), "untouched");
    EXPECT_EQ(ModeOf(dir.Path() / "upgrade.tmp") & 0044, 0044u);
}

TEST(AtomicFile, StaleTemporariesOfEndedProcessesAreRemoved) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string ended = std::to_string(child);
    const std::string own = std::to_string(::getpid());
    const auto path = [&](const std::string& name) { return dir.Path() / name; };
    for (const std::string& name : std::vector<std::string>{
             "gamesets.cfg.tmp" + ended + ".0", "gamesets.cfg.tmp2147483647.12",
             "gamesets.cfg.tmp" + own + ".3", "other.cfg.tmp" + ended + ".0",
             "gamesets.cfg.tmp" + ended, "gamesets.cfg.tmp" + ended + ".x", "gamesets.cfg.tmp.0",
             "gamesets.cfg"})
        ASSERT_TRUE(WriteFileAtomic(path(name), "x"));
    fs::create_directory(path("gamesets.cfg.tmp" + ended + ".1"));
    EXPECT_EQ(RemoveStaleTemporaries(path("gamesets.cfg")), 2);
    EXPECT_FALSE(fs::exists(path("gamesets.cfg.tmp" + ended + ".0")));
    EXPECT_FALSE(fs::exists(path("gamesets.cfg.tmp2147483647.12")));
    // A running process's save, other files' temporaries, other names and folders stay.
    EXPECT_EQ(EntriesIn(dir.Path()), 7u);
    EXPECT_TRUE(fs::exists(path("gamesets.cfg.tmp" + own + ".3")));

    // A linked user file's temporaries lie beside the file it points to.
    fs::create_directory(path("real"));
    ASSERT_TRUE(WriteFileAtomic(path("real") / "kled.ini", "x"));
    ASSERT_TRUE(WriteFileAtomic(path("real") / ("kled.ini.tmp" + ended + ".0"), "x"));
    fs::create_symlink("real/kled.ini", path("kled.ini"));
    EXPECT_EQ(RemoveStaleTemporaries(path("kled.ini"), SaveTarget::UserFile), 1);
    EXPECT_EQ(EntriesIn(path("real")), 1u);
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
