#include "lobby/zrlobbystatus.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/chatstyle.h"
#include "core/zrmisc.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbylayout.h"

namespace pk {

namespace {

std::string S(std::string_view digits) {
    return StyleCode(digits);
}
const std::string& E() {
    return kStyleEnd;
}

std::optional<double> ParseReal(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "[tag] " with the state letter's part; `detail` is only shown for update servers.
std::string ServerHead(int n, const std::string& tag) {
    return "    " + S("11") + std::to_string(n + 1) + ". " + E() + S("17") + "[" + S("00") + tag +
           S("17") + "]" + E() + " ";
}

std::string GameServerState(const std::string& letter) {
    if (letter == "c")
        return S("01") + S("12") + "C " + E() + E();
    if (letter == "l")
        return S("01") + S("22") + "L " + E() + E();
    if (letter == "d")
        return S("01") + S("19") + "D " + E() + E();
    if (letter == "u")
        return S("01") + S("22") + "U " + E() + E();
    return {};
}

std::string UpdateServerState(const std::string& letter, const std::string& detail) {
    const auto part = [&](std::string_view style, const char* mark) {
        return S("01") + S(style) + mark + "[" + detail + "] " + E() + E();
    };
    if (letter == "c")
        return part("12", "C");
    if (letter == "p")
        return part("16", "P");
    if (letter == "d")
        return part("19", "D");
    if (letter == "u")
        return part("22", "U");
    return {};
}

std::string Use(double load, std::int32_t capacity, const char* what) {
    // Rounded half to even, as the report's readers have always seen it; a load far out of
    // range is capped rather than overflowing the conversion.
    constexpr double kLimit = 1e15;
    const double rounded = std::nearbyint(static_cast<double>(capacity) * load);
    const auto used = static_cast<long long>(std::clamp(rounded, -kLimit, kLimit));
    return (load >= 1.0 ? S("19") : S("14")) + "(" + std::to_string(used) + "/" +
           std::to_string(capacity) + what + E();
}

std::string Footer(const std::string& section, double sum, int n) {
    const double average = n == 0 ? sum : sum / n;
    const char* name = section == "gs" ? "End of Game Servers" : "End of Update Servers";
    return S("01") + S("14") + "  " + S("03") + name + E() + E() + E() +
           "  Average load: " + S("01") + (average >= 1.0 ? S("19") : std::string()) +
           TwoDecimals(average * 100.0) + "%";
}

}  // namespace

std::string TwoDecimals(double value) {
    char buffer[512];  // the largest double has 309 digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc{}) {
        return "0.00";
    }
    std::string text(buffer, result.ptr);
    return text == "-0.00" ? "0.00" : text;
}

std::vector<std::string> ServersStatusLines(const std::string& payload) {
    std::vector<std::string> lines;
    const std::int32_t seconds = ParseInt(WordAt(1, payload)).value_or(0);
    const std::string list = RestFromWord(2, payload);
    const TLobbyFields records(list, LobbyRecordSep);
    lines.push_back(S("01") + S("03") + S("11") + "Servers Status");
    lines.emplace_back();
    std::string section;
    double sum = 0.0;
    int n = 0;
    for (int i = 1; i <= records.Count(); ++i) {
        const std::string record = records.Str(i);
        if (record == "gs" || record == "us") {
            // Only the game servers are summed up between sections; the update servers get
            // their footer only when they close the report.
            if (section == "gs") {
                lines.push_back(Footer(section, sum, n));
                lines.emplace_back();
            }
            section = record;
            sum = 0.0;
            n = 0;
            continue;
        }
        if (section.empty()) {
            continue;
        }
        TLobbyFields f(record, LobbyFieldSep);
        constexpr lobbylayout::ServerRecordLayout server;
        constexpr auto& gs = lobbylayout::kServersStatus.gameServer;
        constexpr auto& us = lobbylayout::kServersStatus.updateServer;
        const auto load = ParseReal(f.Raw(server.load));
        const std::int32_t capacity = f.Get(server.capacity);
        if (!load || !f.ok()) {
            return lines;
        }
        const std::string host = f.Get(server.host);
        const std::string userHost = f.Get(server.userHost);
        const std::string port = f.Get(server.port);
        if (section == "gs") {
            std::string line = ServerHead(n, f.Get(gs.tag)) + GameServerState(f.Get(gs.state)) +
                               Use(*load, capacity, " games) ") + S("01") + host + ":" + port +
                               E() + ", to users as " + S("01") + userHost + E() + "  " +
                               "Region: " + f.Get(gs.region);
            if (f.Get(gs.testing)) {
                line += "  " + S("01") + "(" + S("19") + "TESTING" + E() + ")" + E() + " ";
            }
            lines.push_back(std::move(line));
        } else {
            const std::string redirectHost = f.Get(us.redirectHost);
            const std::string redirect = redirectHost.empty()
                                             ? std::string("None")
                                             : redirectHost + ":" + f.Get(us.redirectPort);
            const std::int32_t rate = f.Get(us.uploadRate);
            lines.push_back(ServerHead(n, f.Get(us.tag)) +
                            UpdateServerState(f.Get(us.state), f.Get(us.detail)) +
                            Use(*load, capacity, " users) ") + S("01") + host + ":" + port + E() +
                            ", to users as " + S("01") + userHost + ":" + f.Get(us.userPort) + E() +
                            "  ");
            lines.push_back(std::string(9, ' ') + "Upload: " + S("15") +
                            TwoDecimals(rate / 1000.0) + "kps  " + E() + "Redirect: " + S("01") +
                            redirect);
        }
        sum += *load;
        ++n;
    }
    // The closing footer names the section it closes, so a report that ends with its game
    // servers says so; with no section at all it is the update servers' footer at 0.00%.
    lines.push_back(Footer(section, sum, n));
    lines.emplace_back();
    lines.push_back("  Next server update: " + S("01") + std::to_string(seconds) + "sec");
    lines.push_back(S("01") + S("03") + S("11") + "End of Servers Status");
    return lines;
}

}  // namespace pk
