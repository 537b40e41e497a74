#include "room/zrgamestats.h"

#include <algorithm>

#include "core/chatstyle.h"
#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

constexpr char Cell = '\x01';

// Tokens cut at 0x01 without building more than `limit` of them.
std::vector<std::string> Cells(std::string_view text, std::size_t limit) {
    std::vector<std::string> out;
    if (text.empty())
        return out;
    std::size_t start = 0;
    while (out.size() < limit) {
        const std::size_t end = text.find(Cell, start);
        out.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return out;
}

bool YesValue(const std::string& value) {
    if (SameText(value, "yes") || SameText(value, "true"))
        return true;
    const auto n = ParseInt(value);
    return n && *n != 0;
}

const std::string kTab = kStyleEnd + "\t";

}  // namespace

std::optional<TGameStats> ParseGameStats(std::string_view payload) {
    TXSettings record;
    if (!record.LoadFromCompressed(payload))
        return std::nullopt;
    TGameStats stats;
    const int seconds = record.GetInt("gametime", -1);
    stats.played = seconds >= 0;
    stats.gameSeconds = std::max(seconds, 0);
    stats.date = record.GetValue("date");
    stats.winner = record.GetValue("winner");
    stats.teamWin = YesValue(record.GetValue("teamwin"));
    stats.headers = Cells(record.GetValue("keys"), MaxStatsColumns);
    for (int slot = 1; slot <= 6; ++slot) {
        const std::string row = record.GetValue(std::to_string(slot));
        auto& cells = stats.rows[static_cast<std::size_t>(slot - 1)];
        if (!row.empty()) {
            cells = Cells(row, stats.headers.size());
            cells.resize(stats.headers.size());
        }
    }
    stats.colwidths = record.GetValue("colwidths");
    return stats;
}

std::vector<std::string> StatsResultLines(const TGameStats& stats) {
    const std::string title = StyleCode("01") + StyleCode("02") + "Last game stats:";
    if (!stats.played) {
        return {
            " ", title, " ", " ", StyleCode("01") + StyleCode("14") + "No games have been played!",
            " ", " "};
    }
    std::vector<std::string> lines{" ", title + " " + stats.date, " "};
    const std::string winnerLabel = StyleCode("02") + "Game winner:" + kTab;
    if (stats.winner.empty()) {
        lines.push_back(winnerLabel + StyleCode("14") + StyleCode("01") + "Indeterminate");
    } else {
        lines.push_back(winnerLabel + StyleCode("12") + StyleCode("01") +
                        (stats.teamWin ? "Team " : "") + stats.winner);
    }
    lines.push_back(StyleCode("02") + "Game length:" + kTab + StyleCode("14") + StyleCode("01") +
                    std::to_string(stats.gameSeconds / 60) + "min " +
                    std::to_string(stats.gameSeconds % 60) + "sec");
    lines.push_back(" ");
    lines.push_back(" ");
    return lines;
}

std::vector<std::string> StatsEventLines(bool played, int gamesEnded,
                                         const std::vector<std::string>& events) {
    std::vector<std::string> lines;
    if (!played || gamesEnded < 1)
        return lines;
    lines.push_back(" ");
    lines.push_back(StyleCode("01") + StyleCode("02") + "Last game events:");
    lines.push_back(" ");
    for (const std::string& event : events) lines.push_back(StyleCode("17") + event);
    return lines;
}

std::vector<int> StatsColumnWidths(std::string_view remembered, std::string_view serverWidths,
                                   int columns) {
    const std::string_view source = remembered.empty() ? serverWidths : remembered;
    const auto count = static_cast<std::size_t>(std::clamp(columns, 0, MaxStatsColumns));
    const std::vector<std::string> tokens = Cells(source, count);
    std::vector<int> widths(count, StatsDefaultColumnWidth);
    for (std::size_t i = 0; i < tokens.size() && i < count; ++i) {
        if (const auto w = ParseInt(tokens[i]))
            widths[i] = std::clamp(*w, 0, MaxStatsColumnWidth);
    }
    return widths;
}

std::string ColumnWidthsString(const std::vector<int>& widths) {
    std::string out;
    for (int w : widths) {
        if (!out.empty())
            out += Cell;
        out += std::to_string(w);
    }
    return out;
}

std::vector<std::string> StatsLogLines(const std::vector<std::string>& results,
                                       const std::vector<std::vector<std::string>>& table,
                                       const std::vector<std::string>& events) {
    std::vector<std::string> lines = results;
    lines.emplace_back();
    for (const auto& row : table) {
        std::string line;
        for (const std::string& cell : row) line += PadColumn(cell, 10, true);
        lines.push_back(std::move(line));
    }
    lines.emplace_back();
    lines.insert(lines.end(), events.begin(), events.end());
    return lines;
}

bool AppendStatsLog(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string text;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        const auto old = ReadFileBytes(file, MaxStatsLogFileSize);
        if (!old)
            return false;
        // The old text line by line (any line end), so that every line ends alike.
        std::size_t start = 0;
        while (start < old->size()) {
            std::size_t end = old->find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = old->size();
            text.append(*old, start, end - start);
            text += "\r\n";
            if (end < old->size() && (*old)[end] == '\r' && end + 1 < old->size() &&
                (*old)[end + 1] == '\n')
                ++end;
            start = end + 1;
        }
    } else if (ec) {
        return false;
    }
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return WriteFileAtomic(file, text, SaveTarget::UserFile);
}

std::string StatsSaveFailedText(const std::string& fileName) {
    return "Unable to save to '" + fileName + "'!";
}

}  // namespace pk
