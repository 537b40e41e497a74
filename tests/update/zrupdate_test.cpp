#include "update/zrupdate.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTimer>
#include <csignal>
#include <functional>

#include "core/zrlog.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "net/zrsock.h"
#include "peers/patch_builder.h"
#include "peers/update_server.h"
#include "shell/zrupdatehooks.h"
#include "support/event_loop.h"
#include "update/patch_fixture.h"
#include "update/update_fakes.h"
#include "update/zrpatch.h"

namespace pk {
namespace {
namespace fs = std::filesystem;

using peers::Crc;
using peers::MakeDiff;
using peers::PatchBuilder;
using peers::PeerConnection;
using peers::UpdateMessage;
using peers::UpdateServerPeer;
using test::Put;
using test::RunUntil;
using test::Slurp;

class UpdateClient : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureEventLoop();
        ResetUpdateClient();
        host.folder = prog.RootText();
        SetUpdateHost(&host);
        SetUpdateView(&view);
        ASSERT_TRUE(server.Listen());
        Put(prog.Root() / "qaup", "updater stand-in", 0755);
    }
    void TearDown() override {
        ResetUpdateClient();
        test::DrainEvents();
        SetUpdateView(nullptr);
        SetUpdateHost(nullptr);
    }

    void Start(std::uint16_t port) { UpdateStart("127.0.0.1", std::to_string(port)); }
    void Start() { Start(server.Port()); }
    // Until the run has ended one way or the other.
    bool Ended() {
        return RunUntil([this] { return !host.messages.empty() || !host.starts.empty(); });
    }
    // A port where nobody listens.
    static std::uint16_t DeadPort() {
        peers::LoopbackListener gone;
        gone.Listen();
        return gone.Port();
    }

    test::ProgramFolder prog;
    test::FakeHost host;
    test::FakeView view;
    UpdateServerPeer server;
};

TEST_F(UpdateClient, AGoodPatchInAwkwardChunksPatchesTheInstall) {
    Put(prog.Root() / "pelkorin", "old client", 0755);
    Put(prog.Root() / "themes/main.klb", "theme version one");
    const std::string patch =
        PatchBuilder()
            .NewFile("docs\\readme.txt", "read me", true)
            .PatchFile("themes\\main.klb", "theme version one",
                       MakeDiff("theme version one", "theme version two"), true)
            .NewFile("pelkorin", "new client", false)
            .Bytes();
    // The start message cut inside its keyword and its numbers, then single bytes.
    server.script = peers::ServePatch(patch, {2, 5, 4, 1, 1, 1, 30, 1, 2, 3});
    Start();
    EXPECT_TRUE(view.modal);
    EXPECT_EQ(view.statuses.front(), "Contacting update server at 127.0.0.1...");
    ASSERT_TRUE(Ended());
    ASSERT_TRUE(host.messages.empty()) << host.messages[0];
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"update " + std::to_string(ClientBuild)});

    EXPECT_EQ(Slurp(prog.Root() / "docs/readme.txt"), "read me");
    EXPECT_EQ(Slurp(prog.Root() / "themes/main.klb"), "theme version two");
    EXPECT_EQ(Slurp(prog.Root() / "pelkorin"), "old client");
    EXPECT_FALSE(fs::exists(prog.Root() / "patch.tmp"));
    const std::string queue = Slurp(prog.Root() / "upgrade.tmp");
    EXPECT_NE(queue.find("\x02" + prog.RootText() + "pelkorin\r\n"), std::string::npos);
    EXPECT_NE(queue.find("run\x02"
                         "3000\x02" +
                         prog.RootText() + "pelkorin\x02-showver\r\n"),
              std::string::npos);

    ASSERT_EQ(host.starts.size(), 1u);
    EXPECT_EQ(host.starts[0].program, prog.RootText() + "qaup");
    EXPECT_EQ(host.starts[0].arguments,
              (std::vector<std::string>{"4711", std::to_string(::getpid())}));
    EXPECT_EQ(host.starts[0].folder, prog.RootText());
    EXPECT_EQ(view.Status(), "Patching completed!");
    EXPECT_GT(view.repaints, 0);
    EXPECT_EQ(ClientState.update.RestartPending, 1);
    EXPECT_EQ(ClientState.update.Busy, 0);
    ASSERT_TRUE(RunUntil([this] { return host.closeRequests == 1; }));

    // Closing the dialog now keeps what the updater needs.
    UpdateClose();
    EXPECT_TRUE(fs::exists(prog.Root() / "upgrade.tmp"));
    EXPECT_TRUE(fs::exists(prog.Root() / "$$tmp$$"));
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, StartAndFileInOnePacketWithBytesBeyondTheTotal) {
    const std::string patch = PatchBuilder().NewFile("x.txt", "xx", true).Bytes();
    server.script = [patch](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(peers::StartMessage(static_cast<std::int64_t>(patch.size()),
                                      static_cast<std::int32_t>(Crc(patch))) +
                  patch + "and more bytes than announced");
    };
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Slurp(prog.Root() / "x.txt"), "xx");
}

TEST_F(UpdateClient, ASplitTextMessageIsDispatchedOnceAtItsEnd) {
    server.script = [](UpdateServerPeer& s, PeerConnection& conn) {
        s.SendInPieces(
            conn,
            UpdateMessage("") + UpdateMessage("hello there") + UpdateMessage("error Sorry, closed"),
            {1, 4, 9, 3, 2}, false);
    };
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{"Sorry, closed"});
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, CapitalStartWithoutArgumentsIsAnEmptyPatch) {
    server.script = [](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(UpdateMessage("START"));
    };
    Start();
    ASSERT_TRUE(Ended());
    ASSERT_TRUE(host.messages.empty()) << host.messages[0];
    EXPECT_EQ(view.maximum, 0);
    EXPECT_EQ(Slurp(prog.Root() / "upgrade.tmp"), "remdir\x02" + prog.RootText() +
                                                      "$$tmp$$/\r\nrun\x02"
                                                      "3000\x02" +
                                                      prog.RootText() + "pelkorin\x02-showver\r\n");
}

TEST_F(UpdateClient, ARedirectKeepsTheDialogAndNamesTheNewHost) {
    const std::string patch = PatchBuilder().NewFile("r.txt", "redirected", true).Bytes();
    UpdateServerPeer second;
    ASSERT_TRUE(second.Listen());
    second.script = peers::ServePatch(patch);
    server.script = peers::ServeRedirect("localhost", second.Port());
    Start();
    ASSERT_TRUE(Ended());
    ASSERT_TRUE(host.messages.empty()) << host.messages[0];
    EXPECT_EQ(Slurp(prog.Root() / "r.txt"), "redirected");
    EXPECT_EQ(second.Requests().size(), 1u);
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(view.closes, 0);
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(),
                        "Contacting update server at localhost..."),
              view.statuses.end());
}

TEST_F(UpdateClient, AtMostFiveRedirectsAreFollowed) {
    server.script = [this](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(UpdateMessage("redirect 127.0.0.1 " + std::to_string(server.Port())));
    };
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{UpdateServerDownText});
    EXPECT_EQ(server.Accepted(), 6);
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, ARedirectAfterTheDialogClosedIsNotFollowed) {
    Start();
    ASSERT_TRUE(RunUntil([] { return ClientState.update.Phase == UpdateConnected; }));
    UpdateDispatch("redirect", "127.0.0.1 " + std::to_string(server.Port()));
    UpdateClose();  // before the event loop runs the restart
    test::DrainEvents();
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, AnErrorShowsItsTextAndCleansUp) {
    Put(prog.Root() / "upgrade.tmp", "stale");
    server.script = peers::ServeError("The update server is busy.");
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{"The update server is busy."});
    EXPECT_FALSE(fs::exists(prog.Root() / "upgrade.tmp"));
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
}

TEST_F(UpdateClient, AnExceptionInAnEventIsLoggedAndLeavesNothingBusy) {
    ClearClientLog();
    host.throwOnMessage = true;
    server.script = peers::ServeError("boom");
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(ClientState.update.Busy, 0);
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
    EXPECT_NE(ClientLog().find("Error in updatesockDataAvailable"), std::string::npos);
    ClearClientLog();
}

TEST_F(UpdateClient, AServerThatClosesAtOnceHasDisconnectedUs) {
    server.script = peers::CloseAtOnce();
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{UpdateDisconnectedText});
}

// The test server's piecewise send stops with its connection; the leak check of
// the sanitizer run would name anything it left behind.
TEST_F(UpdateClient, ATestServerGoneMidSendLeavesNothingBehind) {
    auto gone = std::make_unique<UpdateServerPeer>();
    ASSERT_TRUE(gone->Listen());
    gone->script = peers::ServePatch(PatchBuilder().NewFile("x.txt", "xx", true).Bytes(),
                                     std::vector<std::size_t>(40, 1));
    Start(gone->Port());
    ASSERT_TRUE(RunUntil([&gone] { return !gone->Requests().empty(); }));
    gone.reset();
    ASSERT_TRUE(Ended());
    // The pause timer it had started comes due before this later one.
    bool later = false;
    QTimer::singleShot(20, [&later] { later = true; });
    ASSERT_TRUE(RunUntil([&later] { return later; }));
}

TEST_F(UpdateClient, ARefusedConnectionReadsAsServerDown) {
    Start(DeadPort());
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{UpdateServerDownText});
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, AWrongCrcLeavesTheInstallAsItWas) {
    Put(prog.Root() / "keep.txt", "same");
    server.script =
        peers::ServeWrongCrc(PatchBuilder().NewFile("keep.txt", "changed", true).Bytes());
    const auto before = prog.Snapshot(true);
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)});
    EXPECT_EQ(prog.Snapshot(true), before);
    EXPECT_TRUE(host.starts.empty());
}

TEST_F(UpdateClient, HostileTotalsAndEndlessTextEndTheRun) {
    for (const std::string& text : {std::string("start -5 0"), std::string("start 999999999 0")}) {
        host.messages.clear();
        server.script = [text](UpdateServerPeer&, PeerConnection& conn) {
            conn.Send(UpdateMessage(text));
        };
        Start();
        ASSERT_TRUE(Ended());
        EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)}) << text;
        EXPECT_FALSE(fs::exists(prog.Root() / "patch.tmp"));
    }
    host.messages.clear();
    server.script = [](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(std::string(70000, 'x'));
    };
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)});
    EXPECT_EQ(ClientState.update.Busy, 0);
}

// A size word that is no 32-bit number is no empty patch: nothing is applied or started.
TEST_F(UpdateClient, ASizeThatIsNoNumberEndsTheRunAndStartsNothing) {
    const auto before = prog.Snapshot(true);
    for (const std::string text : {"start 4294967296 0", "start 2147483648 0", "start 12abc 0",
                                   "start 0x10 0", "start - 0"}) {
        host.messages.clear();
        server.script = [text](UpdateServerPeer&, PeerConnection& conn) {
            conn.Send(UpdateMessage(text));
        };
        Start();
        ASSERT_TRUE(Ended()) << text;
        EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)}) << text;
        EXPECT_TRUE(host.starts.empty()) << text;
        EXPECT_EQ(prog.Snapshot(true), before) << text;
    }
}

TEST_F(UpdateClient, APatchFileThatCannotBeCreatedEndsTheRun) {
    fs::create_directory(prog.Root() / "patch.tmp");
    server.script = peers::ServePatch(PatchBuilder().NewFile("x", "y", true).Bytes());
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)});
    EXPECT_FALSE(fs::exists(prog.Root() / "x"));
    EXPECT_EQ(ClientState.update.Busy, 0);
}

TEST_F(UpdateClient, AWriteFailureDuringTheDownloadEndsTheRun) {
    // Files of this process may not grow past 64 bytes for the moment; a write past that
    // fails (the signal it would raise is ignored meanwhile).
    struct FileSizeLimit {
        rlimit old{};
        void (*oldHandler)(int) = nullptr;
        FileSizeLimit() {
            ::getrlimit(RLIMIT_FSIZE, &old);
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 64;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileSizeLimit() {
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        }
    };
    std::string big(5000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7919 >> 3);
    }
    server.script =
        peers::ServePatch(PatchBuilder().NewFile("big.bin", big, true).Bytes(), {40, 40, 40});
    {
        FileSizeLimit limit;
        Start();
        ASSERT_TRUE(Ended());
    }
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(DownloadErrorText)});
    EXPECT_FALSE(fs::exists(prog.Root() / "big.bin"));
    EXPECT_FALSE(fs::exists(prog.Root() / "patch.tmp"));
    EXPECT_EQ(ClientState.update.Busy, 0);
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
}

// An updater that is missing, may not be run or does not start (a failure or an exception)
// leaves the install as it was:
// no file acted now, no queue, no temporary folder.
TEST_F(UpdateClient, AnUpdaterThatCannotRunChangesNothing) {
    Put(prog.Root() / "n.txt", "before");
    Put(prog.Root() / "gone.txt", "still here");
    const std::string patch = PatchBuilder()
                                  .NewFile("n.txt", "now", true)
                                  .NewFile("sub/new.txt", "made now", true)
                                  .DeleteFile("gone.txt", true)
                                  .NewFile("q", "later", false)
                                  .Bytes();
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"missing", [this] { fs::remove(prog.Root() / "qaup"); }},
        {"not executable", [this] { fs::permissions(prog.Root() / "qaup", fs::perms(0644)); }},
        {"a folder",
         [this] {
             fs::remove(prog.Root() / "qaup");
             fs::create_directory(prog.Root() / "qaup");
         }},
        {"fails to start", [this] { host.startWorks = false; }},
        {"throws at its start", [this] { host.throwOnStart = true; }},
    };
    for (const auto& [name, spoil] : cases) {
        host.messages.clear();
        fs::remove_all(prog.Root() / "qaup");
        Put(prog.Root() / "qaup", "updater stand-in", 0755);
        host.startWorks = true;
        host.throwOnStart = false;
        spoil();
        const auto before = prog.Snapshot(true);
        server.script = peers::ServePatch(patch);
        Start();
        ASSERT_TRUE(RunUntil([this] { return !host.messages.empty(); })) << name;
        EXPECT_EQ(host.messages, std::vector<std::string>{std::string(UpdaterMissingText)}) << name;
        EXPECT_EQ(prog.Snapshot(true), before) << name;
        EXPECT_EQ(ClientState.update.RestartPending, 0) << name;
        EXPECT_EQ(host.closeRequests, 0) << name;
    }
}

TEST_F(UpdateClient, ProgressShowsTheTimeLeftAtTheRateSoFar) {
    host.clock = {100, 102};
    server.script = [](UpdateServerPeer& s, PeerConnection& conn) {
        s.SendInPieces(conn, peers::StartMessage(10, 0), {}, false);
        s.SendInPieces(conn, "a", {}, false);
    };
    Start();
    ASSERT_TRUE(RunUntil([this] { return view.received == "1/10 bytes"; }));
    EXPECT_EQ(view.timeLeft, "Time Left: 18 seconds");
    EXPECT_EQ(view.progress, 1);
    EXPECT_EQ(view.maximum, 10);
    EXPECT_EQ(view.Status(), "Downloading patch file...");
    EXPECT_EQ(Slurp(prog.Root() / "patch.tmp"), "a");
}

TEST(UpdateText, TimeLeft) {
    EXPECT_EQ(TimeLeftText(3725), "Time Left: 1 hour 2 minutes 5 seconds");
    EXPECT_EQ(TimeLeftText(0), "Time Left: 0 seconds");
    EXPECT_EQ(TimeLeftText(1), "Time Left: 1 second");
    EXPECT_EQ(TimeLeftText(59), "Time Left: 59 seconds");
    EXPECT_EQ(TimeLeftText(60), "Time Left: 1 minute ");
    EXPECT_EQ(TimeLeftText(61), "Time Left: 1 minute 1 second");
    EXPECT_EQ(TimeLeftText(3600), "Time Left: 1 hour ");
    EXPECT_EQ(TimeLeftText(7322), "Time Left: 2 hours 2 minutes 2 seconds");
    EXPECT_EQ(TimeLeftText(7201), "Time Left: 2 hours 1 second");
    EXPECT_EQ(SecondsLeft(1, 10, 2), 18);
    EXPECT_EQ(SecondsLeft(3, 10, 2), 4);  // 7 / 1.5, truncated
    EXPECT_EQ(SecondsLeft(0, 10, 2), 0);
    EXPECT_EQ(SecondsLeft(1, 2000000000, 1), 1999999999);
}

TEST_F(UpdateClient, ShowVersionsDecodesTheReleaseNotes) {
    Put(prog.Root() / "versions.txt",
        "Version 2.00\r\n\\005"
        "01New\\005: faster\r\n\r\nlast");
    ShowVersions();
    EXPECT_EQ(view.notes.lines, (std::vector<std::string>{"Version 2.00",
                                                          "\x05"
                                                          "01New\x05: faster",
                                                          "", "last"}));
    EXPECT_EQ(view.notes.scrolledTo, 0);
    EXPECT_EQ(view.arranged.back(), false);
    EXPECT_TRUE(view.shown);
    EXPECT_FALSE(view.modal);
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
    // Shown again, the notes are not doubled.
    ShowVersions();
    EXPECT_EQ(view.notes.lines.size(), 4u);
}

TEST_F(UpdateClient, ShowVersionsWithoutTheFileSaysSo) {
    ShowVersions();
    EXPECT_EQ(host.messages, std::vector<std::string>{NoVersionsFileText});
    EXPECT_FALSE(view.shown);
}

TEST_F(UpdateClient, AnUpgradeThatDidNotTakeIsReportedInsteadOfStartingAgain) {
    Put(prog.Root() / "versions.txt", "notes");
    ShowVersions();
    host.versionChanged = false;
    Start();
    EXPECT_EQ(host.messages, std::vector<std::string>{UpgradeFailedText});
    test::DrainEvents();
    EXPECT_EQ(server.Accepted(), 0);

    // After a real upgrade the notes give way to the new run.
    host.messages.clear();
    host.versionChanged = true;
    server.script = peers::ServeError("no");
    Start();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{"no"});
    EXPECT_EQ(view.arranged.back(), true);
}

TEST_F(UpdateClient, TheShellReachesTheClientThroughItsInterface) {
    InstallUpdateClient();
    Put(prog.Root() / "versions.txt", "notes");
    Update().ShowVersions();
    EXPECT_EQ(view.notes.lines, std::vector<std::string>{"notes"});
    server.script = peers::ServeError("from the game link");
    Update().StartUpdateClient("127.0.0.1", server.Port());
    ASSERT_TRUE(Ended());
    EXPECT_EQ(host.messages, std::vector<std::string>{"from the game link"});
    SetShellUpdate(nullptr);
}

TEST(UpdateHostDefaults, VersionChangedIsTheShellsFlag) {
    UpdateHost host;
    const bool before = pk::VersionChanged;
    pk::VersionChanged = false;
    EXPECT_FALSE(host.VersionChanged());
    pk::VersionChanged = true;
    EXPECT_TRUE(host.VersionChanged());
    pk::VersionChanged = before;
    EXPECT_EQ(host.ProgramFolder().back(), '/');
    EXPECT_FALSE(host.ClientProgram().empty());
}

}  // namespace
}  // namespace pk
