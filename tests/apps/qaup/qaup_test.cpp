#include "apps/qaup/qaup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <fstream>
#include <sstream>

#include "peers/patch_builder.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "update/zrpatch.h"
#include "update/zrupgradeq.h"

namespace pk::qaup {
namespace {
namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const fs::path& path, const std::string& bytes, unsigned mode = 0644) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ::chmod(path.c_str(), mode);
}

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class FakeEnv : public Environment {
public:
    bool ProcessAlive(std::int64_t pid) override {
        asked.push_back(pid);
        return aliveFor-- > 0;
    }
    void SleepMs(int ms) override { slept += ms; }
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder) override {
        started.push_back(program + " " + (arguments.empty() ? "" : arguments[0]) + " @" + folder);
        return true;
    }
    void Log(const std::string& line) override { log.push_back(line); }

    int aliveFor = 0;
    std::vector<std::int64_t> asked;
    int slept = 0;
    std::vector<std::string> started;
    std::vector<std::string> log;
};

class Updater : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureEventLoop();
        fs::create_directory(Root());
        fs::create_directory(Outside());
        Put(Outside() / "victim.txt", "never touched");
        Put(Root() / "pelkorin", "client", 0755);
        options.folder = Root();
        options.windowId = "4711";
        options.clientPid = 999999;
    }
    fs::path Root() const { return sandbox.Path() / "prog"; }
    fs::path Outside() const { return sandbox.Path() / "outside"; }
    std::string R() const { return Root().string() + "/"; }
    void WriteQueue(const std::vector<UpgradeLine>& lines) {
        Put(Root() / "upgrade.tmp", FormatUpgradeQueue(lines));
    }

    test::TempDir sandbox;
    Options options;
    FakeEnv env;
};

TEST(UpdaterArguments, WindowIdAndProcessId) {
    Options o;
    EXPECT_TRUE(ParseArguments({"12345", "678"}, o));
    EXPECT_EQ(o.windowId, "12345");
    EXPECT_EQ(o.clientPid, 678);
    EXPECT_FALSE(ParseArguments({"12345"}, o));
    EXPECT_FALSE(ParseArguments({"1", "0"}, o));
    EXPECT_FALSE(ParseArguments({"1", "x"}, o));
    EXPECT_FALSE(ParseArguments({"1", "2", "3"}, o));
}

TEST_F(Updater, WaitsForTheClientThenRunsTheQueueAndRestartsIt) {
    Put(Root() / "$$tmp$$/aaaaaaaa.tmp", "new client");
    Put(Root() / "$$tmp$$/aaaaaaab.tmp", "new theme");
    Put(Root() / "old.dat", "old");
    WriteQueue({
        UpgradeLine::MakeCopy(R() + "$$tmp$$/aaaaaaaa.tmp", R() + "pelkorin"),
        UpgradeLine::MakeDelete(R() + "$$tmp$$/aaaaaaaa.tmp"),
        UpgradeLine::MakeCopy(R() + "$$tmp$$/aaaaaaab.tmp", R() + "themes/new/main.klb"),
        UpgradeLine::MakeDelete(R() + "$$tmp$$/aaaaaaab.tmp"),
        UpgradeLine::MakeDelete(R() + "old.dat"),
        UpgradeLine::MakeRemdir(R() + "$$tmp$$/"),
        UpgradeLine::MakeRun(R() + "pelkorin", "-showver"),
    });
    env.aliveFor = 3;
    const Report report = RunUpdater(options, env);
    EXPECT_EQ(report.outcome, Outcome::Done);
    EXPECT_EQ(report.refused, 0);
    EXPECT_EQ(report.performed, 7);
    EXPECT_TRUE(report.restarted);
    EXPECT_EQ(env.asked, std::vector<std::int64_t>(4, 999999));
    EXPECT_EQ(env.slept, 3 * 100 + 3000);
    EXPECT_EQ(Slurp(Root() / "pelkorin"), "new client");
    EXPECT_EQ(ModeOf(Root() / "pelkorin"), 0755u);
    EXPECT_EQ(Slurp(Root() / "themes/new/main.klb"), "new theme");
    EXPECT_EQ(ModeOf(Root() / "themes/new/main.klb"), 0644u);
    EXPECT_FALSE(fs::exists(Root() / "old.dat"));
    EXPECT_FALSE(fs::exists(Root() / "$$tmp$$"));
    EXPECT_FALSE(fs::exists(Root() / "upgrade.tmp"));
    EXPECT_EQ(env.started, std::vector<std::string>{R() + "pelkorin -showver @" + R()});
}

TEST_F(Updater, AClientThatStaysLeavesEverythingAlone) {
    WriteQueue({UpgradeLine::MakeDelete(R() + "pelkorin")});
    env.aliveFor = 1000000;
    options.waitSeconds = 2;
    const Report report = RunUpdater(options, env);
    EXPECT_EQ(report.outcome, Outcome::ClientStayed);
    EXPECT_TRUE(fs::exists(Root() / "pelkorin"));
    EXPECT_TRUE(fs::exists(Root() / "upgrade.tmp"));
    EXPECT_TRUE(env.started.empty());
}

TEST_F(Updater, NoQueueNoWork) {
    EXPECT_EQ(RunUpdater(options, env).outcome, Outcome::NoQueue);
    EXPECT_TRUE(env.started.empty());
}

TEST_F(Updater, LinesLeadingOutsideAreRefused) {
    fs::create_directory_symlink(Outside(), Root() / "out");
    Put(Root() / "$$tmp$$/t.tmp", "evil");
    const std::string queue =
        FormatUpgradeQueue({
            UpgradeLine::MakeCopy(R() + "$$tmp$$/t.tmp", Outside().string() + "/victim.txt"),
            UpgradeLine::MakeCopy(R() + "$$tmp$$/t.tmp", R() + "../outside/victim.txt"),
            UpgradeLine::MakeCopy(R() + "$$tmp$$/t.tmp", R() + "out/victim.txt"),
            UpgradeLine::MakeCopy(Outside().string() + "/victim.txt", R() + "stolen"),
            UpgradeLine::MakeDelete(Outside().string() + "/victim.txt"),
            UpgradeLine::MakeDelete(R() + "out/victim.txt"),
            UpgradeLine::MakeDelete(R()),
            UpgradeLine::MakeRemdir(R()),
            UpgradeLine::MakeRemdir(Outside().string() + "/"),
            UpgradeLine::MakeRemdir(R() + "out/"),
            UpgradeLine::MakeRun("/bin/sh", "-c true"),
            UpgradeLine::MakeRun(R() + "missing", ""),
        }) +
        "garbage line\r\n";
    Put(Root() / "upgrade.tmp", queue);
    const Report report = RunUpdater(options, env);
    EXPECT_EQ(report.outcome, Outcome::Done);
    EXPECT_EQ(report.performed, 0);
    EXPECT_EQ(report.refused, 13);
    EXPECT_EQ(Slurp(Outside() / "victim.txt"), "never touched");
    EXPECT_FALSE(fs::exists(Root() / "stolen"));
    EXPECT_TRUE(fs::exists(Root() / "pelkorin"));
    EXPECT_TRUE(fs::exists(Root() / "$$tmp$$/t.tmp"));
    EXPECT_TRUE(env.started.empty());
}

// The whole way: a patch applied by the client's applier, then the updater
// carries out its queue and starts a stand-in client for real.
TEST_F(Updater, CarriesOutTheAppliersQueueAndStartsTheStandIn) {
    Put(Root() / "pelkorin", "#!/bin/sh\necho \"$@\" > restarted.txt\n", 0755);
    Put(Root() / "data.bin", "0123456789");
    const std::string newClient = "#!/bin/sh\necho \"new $@\" > restarted.txt\n";
    const std::string patch =
        peers::PatchBuilder()
            .NewFile("pelkorin", newClient, false)
            .PatchFile("data.bin", "0123456789", peers::MakeDiff("0123456789", "0123abc789"), false)
            .NewFile("docs/now.txt", "now", true)
            .Bytes();
    Put(Root() / "patch.tmp", patch);
    PatchSetup setup;
    setup.programFolder = Root();
    setup.clientProgram = R() + "pelkorin";
    const PatchRun run = ApplyPatchFile(setup, R() + "patch.tmp", peers::Crc(patch));
    ASSERT_TRUE(run.ok()) << run.message;
    EXPECT_EQ(Slurp(Root() / "docs/now.txt"), "now");

    // The real system, but no pause before the start.
    std::string queue = Slurp(Root() / "upgrade.tmp");
    const auto at = queue.find(
        "run\x02"
        "3000");
    ASSERT_NE(at, std::string::npos);
    queue.replace(at, 8,
                  "run\x02"
                  "0");
    Put(Root() / "upgrade.tmp", queue);
    options.clientPid = 0x7FFFFFF0;  // no such process
    const Report report = RunUpdater(options, SystemEnvironment());
    EXPECT_EQ(report.refused, 0);
    EXPECT_TRUE(report.restarted);
    EXPECT_EQ(Slurp(Root() / "data.bin"), "0123abc789");
    EXPECT_EQ(ModeOf(Root() / "pelkorin"), 0755u);
    EXPECT_FALSE(fs::exists(Root() / "$$tmp$$"));
    EXPECT_TRUE(
        test::RunUntil([this] { return Slurp(Root() / "restarted.txt") == "new -showver\n"; }));
}

#ifdef PK_QAUP_PROGRAM
// The program itself, copied into the folder it updates.
TEST_F(Updater, TheProgramWaitsForItsClient) {
    fs::copy_file(PK_QAUP_PROGRAM, Root() / "qaup");
    Put(Root() / "pelkorin", "#!/bin/sh\necho \"$@\" > restarted.txt\n", 0755);
    Put(Root() / "$$tmp$$/aaaaaaaa.tmp", "patched");
    WriteQueue({UpgradeLine::MakeCopy(R() + "$$tmp$$/aaaaaaaa.tmp", R() + "data.txt"),
                UpgradeLine::MakeRemdir(R() + "$$tmp$$/"),
                UpgradeLine::MakeRun(R() + "pelkorin", "-showver", 0)});
    // A stand-in client that lives a moment.
    QProcess client;
    client.start("/bin/sleep", {"0.3"});
    ASSERT_TRUE(client.waitForStarted());
    QProcess updater;
    updater.start(QString::fromStdString((Root() / "qaup").string()),
                  {"4711", QString::number(client.processId())});
    ASSERT_TRUE(updater.waitForStarted());
    ASSERT_TRUE(client.waitForFinished(5000));
    ASSERT_TRUE(updater.waitForFinished(10000));
    EXPECT_EQ(updater.exitCode(), 0) << updater.readAllStandardError().toStdString();
    EXPECT_EQ(Slurp(Root() / "data.txt"), "patched");
    EXPECT_TRUE(test::RunUntil([this] { return Slurp(Root() / "restarted.txt") == "-showver\n"; }));
    QProcess bad;
    bad.start(QString::fromStdString((Root() / "qaup").string()), {"only-one"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);
}
#endif

}  // namespace
}  // namespace pk::qaup
