#include "core/zrlog.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "core/zrconst.h"

namespace pk {
namespace {

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(ClientLog, LinesAreStampedAndEndInCrLf) {
    ClearClientLog();
    AddLogLine("hello");
    std::string log = ClientLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log.front(), '[');
    EXPECT_NE(log.find("] hello\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_EQ(TimeStamp().back(), ' ');
    EXPECT_EQ(DateStamp().front(), '(');
    // The appending forms add the stamps behind what a line holds (the clock may turn between
    // two readings, so they are compared by their form).
    std::string line = "x";
    AppendDateStamp(line);
    EXPECT_EQ(line.size(), 1 + DateStamp().size());
    EXPECT_EQ(line.substr(0, 2), "x(");
    EXPECT_EQ(line.back(), ')');
    line = "x";
    AppendTimeStamp(line);
    EXPECT_EQ(line.substr(0, 2), "x[");
    EXPECT_EQ(line.substr(line.size() - 2), "] ");
    ClearClientLog();
    EXPECT_EQ(ClientLog(), "");
}

TEST(ClientLog, EveryLevelOfANestedFailureAddsItsLine) {
    ClearClientLog();
    auto inner = [] {
        return LogErrors("placepiece 3 1", []() -> int { throw std::runtime_error("BUG: x"); });
    };
    auto outer = [&] {
        return LogErrorsWith([] { return std::string("sendgamemessage ") + "42"; }, inner);
    };
    EXPECT_THROW(outer(), std::runtime_error);
    std::string log = ClientLog();
    auto first = log.find("Error in placepiece 3 1\r\n");
    auto second = log.find("Error in sendgamemessage 42\r\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
}

TEST(ClientLog, SuccessLogsNothingAndPassesTheResult) {
    ClearClientLog();
    bool described = false;
    int value = LogErrorsWith(
        [&] {
            described = true;
            return std::string("x");
        },
        [] { return 7; });
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(described);
    int& ref = LogErrors("ref", [&]() -> int& { return value; });
    EXPECT_EQ(&ref, &value);
    EXPECT_EQ(ClientLog(), "");
}

// Log and go on: the line names the routine and, for a std::exception, its message; the caller
// learns that the body failed and goes on.
TEST(ErrorPolicies, LogAndGoOnLogsOneLineAndReturns) {
    ClearClientLog();
    EXPECT_TRUE(LogAndGoOn("quiet", [] {}));
    EXPECT_FALSE(LogAndGoOn("di", [] { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(LogAndGoOn("ao", [] { throw 7; }));
    int described = 0;
    EXPECT_TRUE(LogAndGoOnWith(
        [&] {
            ++described;
            return std::string("never");
        },
        [] {}));
    EXPECT_FALSE(LogAndGoOnWith(
        [&] {
            ++described;
            return "redrawfield 1 0 DATA: " + ErrorMessage(std::current_exception()).value_or("-");
        },
        [] { throw std::logic_error("tag"); }));
    EXPECT_EQ(described, 1);
    const std::string log = ClientLog();
    EXPECT_EQ(CountOf(log, "Error in"), 3) << log;
    EXPECT_NE(log.find("] Error in di: boom\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] Error in ao\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] Error in redrawfield 1 0 DATA: tag\r\n"), std::string::npos) << log;
    ClearClientLog();
}

// Report: the installed handler gets the exception itself; without one only a line is logged;
// nothing the handler throws escapes.
TEST(ErrorPolicies, ReportErrorsHandsTheExceptionToTheInstalledHandler) {
    ClearClientLog();
    ReportErrors("Tzrmain.GameEndTimer", [] { throw std::runtime_error("lost"); });
    EXPECT_EQ(CountOf(ClientLog(), "] Error in Tzrmain.GameEndTimer\r\n"), 1) << ClientLog();

    ClearClientLog();
    std::vector<std::string> reported;
    SetErrorReporter([&](std::exception_ptr e) {
        reported.push_back(ErrorMessage(e).value_or("?"));
        throw std::runtime_error("the handler failed too");
    });
    ReportErrors("paint", [] { throw std::runtime_error("first"); });
    ReportErrors("paint", [] { throw 3; });
    ReportErrors("paint", [] {});
    SetErrorReporter({});
    EXPECT_EQ(reported, (std::vector<std::string>{"first", "?"}));
    EXPECT_EQ(ClientLog(), "");
}

TEST(ClientLog, ThreadsDoNotLoseLines) {
    ClearClientLog();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                AddLogLine("tick");
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(CountOf(ClientLog(), "] tick\r\n"), 800);
    ClearClientLog();
}

// A server that keeps sending bad messages between games must not grow the
// log without end: the oldest whole lines go, the newest stay.
TEST(ClientLog, FloodKeepsTheNewestWholeLines) {
    ClearClientLog();
    for (int i = 0; i < 5000; ++i) {
        AddLogLine("Error in command 3 " + std::to_string(i));
    }
    std::string log = ClientLog();
    EXPECT_LE(log.size(), MaxClientLogSize);
    EXPECT_GT(log.size(), MaxClientLogSize / 2);
    EXPECT_EQ(log.front(), '[');
    EXPECT_NE(log.find("] Error in command 3 4999\r\n"), std::string::npos);
    EXPECT_EQ(log.find("] Error in command 3 0\r\n"), std::string::npos);

    // One line longer than the whole cap keeps its end.
    AddLogLine(std::string(MaxClientLogSize, 'x') + "END");
    log = ClientLog();
    EXPECT_EQ(log.size(), MaxClientLogSize);
    EXPECT_EQ(log.substr(log.size() - 5), "END\r\n");
    ClearClientLog();
}

// The log drops its front by an offset; what it holds must be what erasing
// the front line by line always gave.
TEST(ClientLog, TrimmingMatchesErasingTheFront) {
    ClearClientLog();
    std::string model;
    std::uint32_t seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::string text(seed >> 16 & 0x7FF, static_cast<char>('a' + i % 26));
        AddLogLine(text);
        // The line as added, stamp included: the end of the log (it is shorter than the cap).
        const std::string log = ClientLog();
        const std::size_t stampAt = log.rfind('[', log.size() - text.size() - 2);
        ASSERT_NE(stampAt, std::string::npos);
        model += log.substr(stampAt);
        if (model.size() > MaxClientLogSize) {
            const std::size_t cut = model.size() - MaxClientLogSize;
            const std::size_t lineEnd = model.find("\r\n", cut);
            const bool lastLine = lineEnd == std::string::npos || lineEnd + 2 >= model.size();
            model.erase(0, lastLine ? cut : lineEnd + 2);
        }
        ASSERT_TRUE(log == model) << "line " << i;
    }
    ClearClientLog();
}

}  // namespace
}  // namespace pk
