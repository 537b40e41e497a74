#include "shell/zrcmdline.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

using Opt = CommandLineOption;

TEST(CommandLine, NoArgumentRunsNothing) {
    EXPECT_EQ(ParseCommandLine({}).option, Opt::None);
}

TEST(CommandLine, EachOptionIsKnownInAnyCase) {
    EXPECT_EQ(ParseCommandLine({"-ms"}).option, Opt::MasterServer);
    EXPECT_EQ(ParseCommandLine({"-CONNECT", "x"}).option, Opt::Connect);
    EXPECT_EQ(ParseCommandLine({"-ShowVer"}).option, Opt::ShowVersions);
    EXPECT_EQ(ParseCommandLine({"-showverLOGIN", "a", "b"}).option, Opt::ShowVersionsLogin);
    EXPECT_EQ(ParseCommandLine({"-NoHrTimer"}).option, Opt::NoHighResTimer);
}

TEST(CommandLine, UnknownFirstArgumentAndLaterOptionsDoNothing) {
    EXPECT_EQ(ParseCommandLine({"-help"}).option, Opt::None);
    EXPECT_EQ(ParseCommandLine({"ms"}).option, Opt::None);
    EXPECT_EQ(ParseCommandLine({"-showver2"}).option, Opt::None);
    EXPECT_EQ(ParseCommandLine({"somehost", "-nohrtimer"}).option, Opt::None);
    EXPECT_EQ(ParseCommandLine({"", "-ms", "host"}).option, Opt::None);
}

TEST(CommandLine, ValuesAreTakenAsTyped) {
    const CommandLine c = ParseCommandLine({"-Connect", "Game.Example.NET:31459", "MixedCase"});
    EXPECT_EQ(c.first, "Game.Example.NET:31459");
    EXPECT_EQ(c.second, "MixedCase");
    const CommandLine l = ParseCommandLine({"-showverlogin", "Alice", "PaSs word"});
    EXPECT_EQ(l.first, "Alice");
    EXPECT_EQ(l.second, "PaSs word");
}

TEST(CommandLine, ConnectWithOnlyAServerLeavesTheNameEmpty) {
    const CommandLine c = ParseCommandLine({"-connect", "10.0.0.1"});
    EXPECT_EQ(c.first, "10.0.0.1");
    EXPECT_EQ(c.second, "");
}

TEST(CommandLine, MasterServerPort) {
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "4000"}).port, 4000);
    EXPECT_EQ(ParseCommandLine({"-ms", "host"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "port"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "12ab"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", ""}).port, 16803);
    // Outside 1-65535 is not a port either.
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "0"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "-5"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "65536"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "99999999999"}).port, 16803);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "1"}).port, 1);
    EXPECT_EQ(ParseCommandLine({"-ms", "host", "65535"}).port, 65535);
    const CommandLine m = ParseCommandLine({"-MS", "Master.Host", "4000", "ignored"});
    EXPECT_EQ(m.first, "Master.Host");
}

}  // namespace
}  // namespace pk
