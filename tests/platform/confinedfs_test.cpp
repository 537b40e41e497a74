#include "platform/confinedfs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace pk {
namespace {
namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A program folder and, beside it, a folder that must never be written.
class ConfinedFs : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(root());
        fs::create_directory(outside());
    }
    fs::path root() const { return sandbox.Path() / "prog"; }
    fs::path outside() const { return sandbox.Path() / "outside"; }
    test::TempDir sandbox;
};

TEST_F(ConfinedFs, PathInsideFollowsLinksInTheExistingPart) {
    EXPECT_TRUE(PathInside(root(), root() / "a" / "b.txt"));
    EXPECT_TRUE(PathInside(root(), root()));
    EXPECT_FALSE(PathInside(root(), outside() / "x"));
    EXPECT_FALSE(PathInside(root(), sandbox.Path() / "progx" / "y"));  // a longer sibling name
    fs::create_directory_symlink(outside(), root() / "out");
    EXPECT_FALSE(PathInside(root(), root() / "out" / "x"));
    fs::create_directory(root() / "real");
    fs::create_directory_symlink(root() / "real", root() / "alias");
    EXPECT_TRUE(PathInside(root(), root() / "alias" / "x"));
}

TEST_F(ConfinedFs, MakeFoldersInsideCreatesLevelsButNeverThroughALinkOut) {
    EXPECT_TRUE(MakeFoldersInside(root(), root() / "a" / "b" / "c"));
    EXPECT_EQ(KindOf(root() / "a" / "b" / "c"), PathKind::Folder);
    fs::create_directory_symlink(outside(), root() / "out");
    EXPECT_FALSE(MakeFoldersInside(root(), root() / "out" / "new"));
    EXPECT_FALSE(fs::exists(outside() / "new"));
    Put(root() / "file", "x");
    EXPECT_FALSE(MakeFoldersInside(root(), root() / "file" / "sub"));
}

TEST_F(ConfinedFs, NewFileIsExclusiveAndNeverFollowsALink) {
    NewFile file;
    ASSERT_TRUE(file.Create(root() / "new.bin"));
    EXPECT_TRUE(file.Write("abc"));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(Slurp(root() / "new.bin"), "abc");
    EXPECT_EQ(ModeOf(root() / "new.bin"), 0600u);

    NewFile again;
    EXPECT_FALSE(again.Create(root() / "new.bin"));
    EXPECT_EQ(Slurp(root() / "new.bin"), "abc");

    Put(outside() / "victim", "keep");
    fs::create_symlink(outside() / "victim", root() / "link");
    NewFile through;
    EXPECT_FALSE(through.Create(root() / "link"));
    EXPECT_EQ(Slurp(outside() / "victim"), "keep");
    // Recreate removes the link itself, never its target.
    EXPECT_TRUE(through.Recreate(root() / "link"));
    EXPECT_TRUE(through.Close());
    EXPECT_EQ(KindOf(root() / "link"), PathKind::Regular);
    EXPECT_EQ(Slurp(outside() / "victim"), "keep");
}

TEST_F(ConfinedFs, PlainFileReaderRefusesLinksAndFolders) {
    Put(root() / "data", "0123456789");
    PlainFileReader reader;
    ASSERT_TRUE(reader.Open(root() / "data"));
    char buffer[16] = {};
    EXPECT_EQ(reader.Read(buffer, 4), 4u);
    EXPECT_EQ(reader.Read(buffer, 16), 6u);
    EXPECT_EQ(reader.Read(buffer, 16), 0u);
    fs::create_symlink(root() / "data", root() / "link");
    PlainFileReader viaLink;
    EXPECT_FALSE(viaLink.Open(root() / "link"));
    EXPECT_FALSE(viaLink.Open(root()));
    EXPECT_FALSE(viaLink.Open(root() / "missing"));
}

TEST_F(ConfinedFs, ReplaceByRenameKeepsTheOldModeOrGives0644) {
    Put(root() / "tool", "old");
    ::chmod((root() / "tool").c_str(), 0751);
    Put(root() / "t1", "new");
    ::chmod((root() / "t1").c_str(), 0600);
    ASSERT_TRUE(ReplaceByRename(root() / "t1", root() / "tool"));
    EXPECT_EQ(Slurp(root() / "tool"), "new");
    EXPECT_EQ(ModeOf(root() / "tool"), 0751u);
    EXPECT_FALSE(fs::exists(root() / "t1"));

    Put(root() / "t2", "fresh");
    ::chmod((root() / "t2").c_str(), 0600);
    ASSERT_TRUE(ReplaceByRename(root() / "t2", root() / "brandnew"));
    EXPECT_EQ(ModeOf(root() / "brandnew"), 0644u);
}

TEST_F(ConfinedFs, ReplaceByRenameReplacesALinkAndRefusesAFolder) {
    Put(outside() / "victim", "keep");
    fs::create_symlink(outside() / "victim", root() / "link");
    Put(root() / "t", "mine");
    ASSERT_TRUE(ReplaceByRename(root() / "t", root() / "link"));
    EXPECT_EQ(KindOf(root() / "link"), PathKind::Regular);
    EXPECT_EQ(Slurp(outside() / "victim"), "keep");
    EXPECT_EQ(ModeOf(root() / "link"), 0644u);

    fs::create_directory(root() / "dir");
    Put(root() / "t", "x");
    EXPECT_FALSE(ReplaceByRename(root() / "t", root() / "dir"));
    EXPECT_EQ(KindOf(root() / "dir"), PathKind::Folder);
}

TEST_F(ConfinedFs, RemoveFileOnlyRemovesLinksNotTheirTargetsNorFolders) {
    Put(outside() / "victim", "keep");
    fs::create_symlink(outside() / "victim", root() / "link");
    EXPECT_TRUE(RemoveFileOnly(root() / "link"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root() / "link")));
    EXPECT_EQ(Slurp(outside() / "victim"), "keep");
    EXPECT_TRUE(RemoveFileOnly(root() / "never-there"));
    fs::create_directory(root() / "dir");
    EXPECT_FALSE(RemoveFileOnly(root() / "dir"));
}

}  // namespace
}  // namespace pk
