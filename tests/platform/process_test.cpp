#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/event_loop.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

TEST(Process, OwnIdentity) {
    EXPECT_EQ(CurrentProcessId(), static_cast<std::int64_t>(::getpid()));
    EXPECT_TRUE(ProcessAlive(CurrentProcessId()));
    EXPECT_FALSE(ExecutablePath().empty());
    EXPECT_TRUE(std::filesystem::exists(ExecutablePath()));
}

TEST(Process, EndedAndUncollectedChildrenAreNotAlive) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    // Ended but not yet collected: still in the table as a zombie.
    for (int i = 0; i < 1000 && ProcessAlive(child); ++i) {
        ::usleep(1000);
    }
    EXPECT_FALSE(ProcessAlive(child));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(ProcessAlive(child));
    EXPECT_FALSE(ProcessAlive(0));
    EXPECT_FALSE(ProcessAlive(-5));
}

TEST(Process, StartDetachedRunsInTheGivenFolder) {
    test::TempDir dir;
    std::int64_t pid = 0;
    ASSERT_TRUE(StartDetached("/bin/sh", {"-c", "pwd > where.txt"}, dir.Path().string(), &pid));
    EXPECT_GT(pid, 0);
    const auto file = dir.Path() / "where.txt";
    const auto written = [&file] {
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        return !ec && size > 0;
    };
    for (int i = 0; i < 5000 && !written(); ++i) {
        ::usleep(1000);
    }
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(std::filesystem::canonical(line), std::filesystem::canonical(dir.Path()));
    EXPECT_FALSE(StartDetached((dir.Path() / "missing").string(), {}, dir.Path().string()));
}

TEST(Process, OnlyExecutableFilesCanRun) {
    test::TempDir dir;
    const auto put = [&dir](const char* name, std::filesystem::perms perms) {
        const auto file = dir.Path() / name;
        std::ofstream(file) << "#!/bin/sh\n";
        std::filesystem::permissions(file, perms);
        return file.string();
    };
    using std::filesystem::perms;
    EXPECT_TRUE(CanRunProgram(put("runs", perms::owner_all)));
    EXPECT_FALSE(CanRunProgram(put("plain", perms::owner_read | perms::owner_write)));
    EXPECT_FALSE(CanRunProgram(dir.Path().string()));  // a folder may be entered, not run
    EXPECT_FALSE(CanRunProgram((dir.Path() / "missing").string()));
    EXPECT_FALSE(CanRunProgram(""));
}

TEST(Process, RunFromEventLoopWaitsForTheLoop) {
    test::EnsureEventLoop();
    int ran = 0;
    RunFromEventLoop([&ran] { ++ran; });
    RunFromEventLoop([] { throw 1; });  // swallowed
    EXPECT_EQ(ran, 0);
    test::DrainEvents();
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace pk
