#include "update/zrpatch.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "peers/patch_builder.h"
#include "platform/atomicfile.h"
#include "update/patch_fixture.h"

namespace pk {
namespace {
namespace fs = std::filesystem;

using peers::Crc;
using peers::DiffBuilder;
using peers::MakeDiff;
using peers::PatchBuilder;
using test::ModeOf;
using test::Put;
using test::Slurp;

class PatchApply : public ::testing::Test {
protected:
    void SetUp() override {
        ClearClientLog();
        setup.programFolder = prog.Root();
        setup.clientProgram = prog.RootText() + "pelkorin";
        // Temporary names in order: aaaaaaaa, aaaaaaab, ...
        setup.tempName = [this] {
            std::string name = "aaaaaaaa";
            int n = names++;
            for (int i = 7; i >= 0 && n > 0; --i, n /= 26) {
                name[static_cast<std::size_t>(i)] = static_cast<char>('a' + n % 26);
            }
            return name;
        };
        setup.progress = [this](std::size_t position) { positions.push_back(position); };
    }
    void TearDown() override { ClearClientLog(); }

    PatchRun Apply(const std::string& patch) { return Apply(patch, Crc(patch)); }
    PatchRun Apply(const std::string& patch, std::uint32_t crc) {
        Put(PatchPath(), patch);
        return ApplyPatchFile(setup, PatchPath(), crc);
    }
    std::string PatchPath() const { return prog.RootText() + "patch.tmp"; }
    std::string Temp(const std::string& letters) const {
        return prog.RootText() + "$$tmp$$/" + letters + ".tmp";
    }
    std::string Queue() const { return Slurp(prog.Root() / "upgrade.tmp"); }
    std::string Tail() const {
        return "remdir\x02" + prog.RootText() + "$$tmp$$/\r\n" +
               "run\x02"
               "3000\x02" +
               prog.RootText() + "pelkorin\x02-showver\r\n";
    }

    test::ProgramFolder prog;
    PatchSetup setup;
    int names = 0;
    std::vector<std::size_t> positions;
};

TEST_F(PatchApply, AQueuedDeleteAloneGivesThreeLines) {
    Put(prog.Root() / "old.dat", "x");
    const PatchRun run = Apply(PatchBuilder().DeleteFile("old.dat", false).Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Queue(), "delete\x02" + prog.RootText() + "old.dat\r\n" + Tail());
    EXPECT_TRUE(fs::exists(prog.Root() / "old.dat"));  // the updater deletes it
    EXPECT_FALSE(fs::exists(PatchPath()));
    EXPECT_EQ(run.queue.size(), 3u);
}

TEST_F(PatchApply, ANewFileNowCreatesItsFolders) {
    const PatchRun run =
        Apply(PatchBuilder().NewFile("themes\\new\\a.klb", "library", true).Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Root() / "themes/new/a.klb"), "library");
    EXPECT_EQ(ModeOf(prog.Root() / "themes/new/a.klb"), 0644u);
    EXPECT_EQ(Queue(), Tail());
    EXPECT_EQ(positions.front(), 0u);
}

TEST_F(PatchApply, QueuedFilesWaitInTheTemporaryFolder) {
    Put(prog.Root() / "pelkorin", "old client", 0755);
    Put(prog.Root() / "data.bin", "0123456789");
    const std::string patch =
        PatchBuilder()
            .NewFile("pelkorin", "new client", false)
            .PatchFile("data.bin", "0123456789", MakeDiff("0123456789", "01234xx789"), false)
            .Bytes();
    const PatchRun run = Apply(patch);
    ASSERT_TRUE(run.ok()) << run.message;
    const std::string r = prog.RootText();
    EXPECT_EQ(Queue(), "copy\x02" + Temp("aaaaaaaa") + "\x02" + r + "pelkorin\r\n" +      //
                           "delete\x02" + Temp("aaaaaaaa") + "\r\n" +                     //
                           "copy\x02" + Temp("aaaaaaab") + "\x02" + r + "data.bin\r\n" +  //
                           "delete\x02" + Temp("aaaaaaab") + "\r\n" + Tail());
    EXPECT_EQ(Slurp(Temp("aaaaaaaa")), "new client");
    EXPECT_EQ(Slurp(Temp("aaaaaaab")), "01234xx789");
    EXPECT_EQ(Slurp(prog.Root() / "pelkorin"), "old client");
    EXPECT_EQ(Slurp(prog.Root() / "data.bin"), "0123456789");
}

TEST_F(PatchApply, PatchingNowKeepsTheFileMode) {
    Put(prog.Root() / "tool", "version one", 0750);
    const PatchRun run =
        Apply(PatchBuilder()
                  .PatchFile("tool", "version one", MakeDiff("version one", "version two"), true)
                  .Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Root() / "tool"), "version two");
    EXPECT_EQ(ModeOf(prog.Root() / "tool"), 0750u);
}

TEST_F(PatchApply, ALaterRecordSeesTheStagedResult) {
    Put(prog.Root() / "f", "v1");
    const std::string patch = PatchBuilder()
                                  .PatchFile("f", "v1", MakeDiff("v1", "v2"), true)
                                  .PatchFile("f", "v2", MakeDiff("v2", "v3"), true)
                                  .NewFile("g", "g1", false)
                                  .PatchFile("g", "g1", MakeDiff("g1", "g2"), false)
                                  .Bytes();
    const PatchRun run = Apply(patch);
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Root() / "f"), "v3");
    EXPECT_EQ(Slurp(Temp("aaaaaaad")), "g2");
}

TEST_F(PatchApply, DeletesActNowOnTheFileOrLinkItself) {
    Put(prog.Root() / "gone.txt", "x");
    fs::create_symlink(prog.Outside() / "victim.txt", prog.Root() / "link");
    const auto before = prog.Snapshot();
    const PatchRun run = Apply(PatchBuilder()
                                   .DeleteFile("gone.txt", true)
                                   .DeleteFile("link", true)
                                   .DeleteFile("never", true)
                                   .Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_FALSE(fs::exists(prog.Root() / "gone.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(prog.Root() / "link")));
    EXPECT_EQ(Slurp(prog.Outside() / "victim.txt"), "outside, never touched");
    EXPECT_EQ(Queue(), Tail());
    (void)before;
}

TEST_F(PatchApply, AWrongCrcStopsBeforeAnyChange) {
    Put(prog.Root() / "keep", "same");
    const std::string patch = PatchBuilder().NewFile("keep", "changed", true).Bytes();
    const auto before = prog.Snapshot(true);
    const PatchRun run = Apply(patch, Crc(patch) ^ 1);
    EXPECT_EQ(run.stop, PatchStop::DownloadError);
    EXPECT_EQ(run.message,
              "There was an error downloading the patch file or the download did not finish.  "
              "Please try again.");
    auto after = prog.Snapshot(true);
    after.erase("prog/patch.tmp");
    EXPECT_EQ(after, before);
}

TEST_F(PatchApply, AMissingOrChangedFileStopsWithNothingQueuedOrChanged) {
    Put(prog.Root() / "a", "aaa");
    Put(prog.Root() / "b", "changed by the player");
    const std::string patch = PatchBuilder()
                                  .NewFile("new", "n", true)
                                  .DeleteFile("a", true)
                                  .PatchFile("b", "original", MakeDiff("original", "patched"), true)
                                  .Bytes();
    const auto before = prog.Snapshot();
    const PatchRun run = Apply(patch);
    EXPECT_EQ(run.stop, PatchStop::CannotPatch);
    EXPECT_EQ(
        run.message,
        "Unable to patch \"b\"!  Please run anti-virus software in case you may have a virus.  "
        "If you modified this file in some way, you must reinstall Pelkorin.");
    EXPECT_EQ(prog.Snapshot(), before);
    EXPECT_FALSE(fs::exists(prog.Root() / "upgrade.tmp"));

    const PatchRun missing =
        Apply(PatchBuilder().PatchFile("sub\\none", "x", MakeDiff("x", "y"), false).Bytes());
    EXPECT_EQ(missing.stop, PatchStop::CannotPatch);
    EXPECT_NE(missing.message.find("\"sub\\none\""), std::string::npos);
    // A file deleted by an earlier record is missing too.
    const PatchRun deleted = Apply(PatchBuilder()
                                       .DeleteFile("a", true)
                                       .PatchFile("a", "aaa", MakeDiff("aaa", "b"), true)
                                       .Bytes());
    EXPECT_EQ(deleted.stop, PatchStop::CannotPatch);
    EXPECT_EQ(Slurp(prog.Root() / "a"), "aaa");
}

TEST_F(PatchApply, APatchThroughALinkIsRefusedNotFollowed) {
    fs::create_symlink(prog.Outside() / "victim.txt", prog.Root() / "link");
    const std::string old = "outside, never touched";
    const PatchRun run =
        Apply(PatchBuilder().PatchFile("link", old, MakeDiff(old, "owned"), true).Bytes());
    EXPECT_EQ(run.stop, PatchStop::CannotPatch);
    EXPECT_EQ(Slurp(prog.Outside() / "victim.txt"), old);
}

TEST_F(PatchApply, ADamagedDifferenceStreamIsLoggedAndTheRunGoesOn) {
    Put(prog.Root() / "a", "abc");
    Put(prog.Root() / "b", "old b");
    std::string broken = DiffBuilder().Literal(0, "payload").End().Bytes();
    broken[13] ^= 0x20;
    const std::string patch =
        PatchBuilder()
            .PatchFile("a", "abc", broken, true)
            .PatchFile("b", "old b", MakeDiff("old b", "new b"), true)
            .PatchFile("a", "abc", DiffBuilder().Literal(0, "partial").Bytes(), false)
            .Bytes();
    const PatchRun run = Apply(patch);
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Root() / "a"), "abc");
    EXPECT_EQ(Slurp(prog.Root() / "b"), "new b");
    const std::string log = ClientLog();
    EXPECT_NE(log.find("Patching error: CRC Error"), std::string::npos) << log;
    EXPECT_NE(log.find("Patching error: Difference stream ends without its end block"),
              std::string::npos);
    // Neither failed output is queued, and neither is left behind.
    EXPECT_EQ(Queue(), Tail());
    EXPECT_EQ(
        std::distance(fs::directory_iterator(prog.Root() / "$$tmp$$"), fs::directory_iterator()),
        0);
}

TEST_F(PatchApply, DamagedNewFileContentsRefuseThePatch) {
    const std::string packed = peers::Zlib(std::string(5000, 'q'));
    std::string damaged = packed;
    damaged[packed.size() / 2] ^= 0x55;
    for (const std::string& payload :
         {packed.substr(0, packed.size() - 6), damaged, std::string()}) {
        const std::string patch =
            PatchBuilder().NewFile("b", "fine", true).RawRecord(10, "a", payload, 0, true).Bytes();
        const auto before = prog.Snapshot();
        const PatchRun run = Apply(patch);
        EXPECT_EQ(run.stop, PatchStop::DownloadError);
        EXPECT_EQ(prog.Snapshot(), before);
    }
}

TEST_F(PatchApply, UnsafeNamesRefuseTheWholePatchBeforeAnyChange) {
    Put(prog.Root() / "keep", "same");
    fs::create_directory_symlink(prog.Outside(), prog.Root() / "out");
    const std::string unsafe[] = {
        "..\\outside\\victim.txt",
        "../outside/x",
        "/tmp/x",
        "C:\\x",
        "a\r\ndelete\x02/etc",
        "$$tmp$$\\x",
        "patch.tmp",
        "upgrade.tmp",
        "dir\\",
        "",
        "a\\\\b",
        "out\\victim.txt",
        "out\\new.txt",
    };
    for (const auto& name : unsafe) {
        const auto before = prog.Snapshot();
        const std::string patch = PatchBuilder()
                                      .NewFile("keep", "changed", true)
                                      .DeleteFile("keep", true)
                                      .RawRecord(10, name, peers::Zlib("evil"), 0, true)
                                      .Bytes();
        const PatchRun run = Apply(patch);
        EXPECT_EQ(run.stop, PatchStop::DownloadError) << name;
        EXPECT_EQ(prog.Snapshot(), before) << name;
        EXPECT_FALSE(fs::exists(prog.Root() / "$$tmp$$")) << name;
        EXPECT_FALSE(fs::exists(prog.Root() / "upgrade.tmp")) << name;
    }
}

TEST_F(PatchApply, ATemporaryFolderThatIsALinkIsRemovedNotFollowed) {
    Put(prog.Outside() / "inner.txt", "mine");
    fs::create_directory_symlink(prog.Outside(), prog.Root() / "$$tmp$$");
    const PatchRun run = Apply(PatchBuilder().NewFile("x", "y", false).Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Outside() / "inner.txt"), "mine");
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(prog.Root() / "$$tmp$$")));
}

TEST_F(PatchApply, AFileThatCannotBeReplacedNowIsLeftToTheUpdater) {
    fs::create_directories(prog.Root() / "busy");
    const PatchRun run = Apply(PatchBuilder().NewFile("busy", "file", true).Bytes());
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Queue(), "copy\x02" + Temp("aaaaaaaa") + "\x02" + prog.RootText() + "busy\r\n" +
                           "delete\x02" + Temp("aaaaaaaa") + "\r\n" + Tail());
}

// Files that act now are only replaced once the queue is on disk; a queue
// that cannot be written leaves every one of them as it was.
TEST_F(PatchApply, AQueueThatCannotBeWrittenChangesNothing) {
    Put(prog.Root() / "a", "old a", 0750);
    Put(prog.Root() / "b", "bbb");
    Put(prog.Root() / "c", "c1");
    fs::create_directory(prog.Root() / "upgrade.tmp");
    const std::string patch = PatchBuilder()
                                  .NewFile("a", "new a", true)
                                  .DeleteFile("b", true)
                                  .NewFile("themes\\new\\t.klb", "theme", true)
                                  .PatchFile("c", "c1", MakeDiff("c1", "c2"), true)
                                  .NewFile("d", "queued", false)
                                  .Bytes();
    const auto before = prog.Snapshot();
    const PatchRun run = Apply(patch);
    EXPECT_EQ(run.stop, PatchStop::QueueWrite);
    EXPECT_EQ(run.message, "Unable to write the upgrade list, please report this.");
    EXPECT_EQ(prog.Snapshot(), before);
    EXPECT_TRUE(run.queue.empty());
}

// When the queue must be written again (a file left to the updater) and that
// fails, what already acted is put back and the queue is removed.
TEST_F(PatchApply, AFailedSecondQueueWritePutsBackWhatActed) {
    Put(prog.Root() / "tool", "version one", 0750);
    Put(prog.Root() / "gone", "still here");
    fs::create_symlink(prog.Outside() / "victim.txt", prog.Root() / "link");
    fs::create_directories(prog.Root() / "busy");
    int writes = 0;
    setup.writeQueue = [&writes](const fs::path& file, std::string_view text) {
        return ++writes == 1 && WriteFileAtomic(file, text);
    };
    const std::string patch =
        PatchBuilder()
            .PatchFile("tool", "version one", MakeDiff("version one", "version two"), true)
            .PatchFile("tool", "version two", MakeDiff("version two", "version three"), true)
            .NewFile("themes\\new\\t.klb", "theme", true)
            .DeleteFile("gone", true)
            .NewFile("link", "replaced link", true)
            .NewFile("busy", "file", true)
            .Bytes();
    const auto before = prog.Snapshot();
    const PatchRun run = Apply(patch);
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(run.stop, PatchStop::QueueWrite);
    EXPECT_EQ(prog.Snapshot(), before);
    EXPECT_EQ(ModeOf(prog.Root() / "tool"), 0750u);
    EXPECT_FALSE(fs::exists(prog.Root() / "upgrade.tmp"));
    EXPECT_FALSE(fs::exists(PatchPath()));
}

// The updater starts last, with the queue written and what acts now done; when it does not
// start, every file is put back and the queue removed.
TEST_F(PatchApply, AnUpdaterThatDoesNotStartPutsBackWhatActed) {
    Put(prog.Root() / "a", "old a", 0750);
    Put(prog.Root() / "b", "bbb");
    const std::string patch = PatchBuilder()
                                  .NewFile("a", "new a", true)
                                  .DeleteFile("b", true)
                                  .NewFile("themes\\new\\t.klb", "theme", true)
                                  .NewFile("d", "queued", false)
                                  .Bytes();
    for (const bool starts : {false, true}) {
        const auto before = prog.Snapshot();
        int calls = 0;
        setup.startUpdater = [&] {
            ++calls;
            EXPECT_EQ(Slurp(prog.Root() / "a"), "new a");
            EXPECT_FALSE(fs::exists(prog.Root() / "b"));
            EXPECT_NE(Queue().find(Tail()), std::string::npos);
            return starts;
        };
        const PatchRun run = Apply(patch);
        EXPECT_EQ(calls, 1);
        if (!starts) {
            EXPECT_EQ(run.stop, PatchStop::UpdaterStart);
            EXPECT_EQ(run.message, UpdaterMissingText);
            EXPECT_EQ(prog.Snapshot(), before);
            EXPECT_EQ(ModeOf(prog.Root() / "a"), 0750u);
            EXPECT_FALSE(fs::exists(prog.Root() / "upgrade.tmp"));
            EXPECT_TRUE(run.queue.empty());
        } else {
            ASSERT_TRUE(run.ok()) << run.message;
            EXPECT_EQ(Slurp(prog.Root() / "themes/new/t.klb"), "theme");
            EXPECT_NE(Queue().find(prog.RootText() + "d\r\n"), std::string::npos);
        }
    }
}

TEST_F(PatchApply, UnknownTypeBytesAreSkipped) {
    const std::string patch =
        std::string("\x01\xFF", 2) + PatchBuilder().NewFile("x", "y", true).Bytes() + "\x07";
    const PatchRun run = Apply(patch);
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(prog.Root() / "x"), "y");
}

}  // namespace
}  // namespace pk
