#pragma once
// The last game's statistics (game-server message 0x02), headless: the record read from the
// compressed key/value payload, the results and event texts the room window shows, the column
// widths of its table and the text file the player can save them to.
//
// Payload: a TXSettings record in compressed form with the keys
//   "gametime"   game length in seconds; absent: no game has been played
//   "date"       date text of the game, shown as it is
//   "winner"     winning player or team; empty: no winner
//   "teamwin"    yes/no: the winner is a team
//   "keys"       the table's column headers, separated by 0x01
//   "1" .. "6"   the table row of slot 1 .. 6, cells separated by 0x01; empty: no row
//   "colwidths"  default column widths in pixels, separated by 0x01
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

inline constexpr std::uint8_t MsgGameStats = 0x02;
// The table's default column width, and the rows it has (the header and six slots).
inline constexpr int StatsDefaultColumnWidth = 50;
inline constexpr int StatsTableRows = 7;

struct TGameStats {
    bool played = false;  // "gametime" present and not negative
    int gameSeconds = 0;
    std::string date;
    std::string winner;
    bool teamWin = false;
    std::vector<std::string> headers;  // at most MaxStatsColumns
    // Row of slot 1..6 (index 0..5), as many cells as headers; empty cells for a short row.
    std::array<std::vector<std::string>, 6> rows;
    std::string colwidths;  // the server's default widths, raw
};

// Reads the payload. A payload that does not inflate or is no record gives nullopt (the caller
// logs it and keeps what it shows); the column count is clamped.
std::optional<TGameStats> ParseGameStats(std::string_view payload);

// The results text, line by line with its style codes.
std::vector<std::string> StatsResultLines(const TGameStats& stats);
// The event list: filled only when a game was played and at least one ended since joining.
std::vector<std::string> StatsEventLines(bool played, int gamesEnded,
                                         const std::vector<std::string>& events);

// The widths of `columns` columns: token i of the remembered widths, or of the server's
// widths when nothing is remembered; the default width for a missing or non-numeric token.
// Every width is clamped to 0..MaxStatsColumnWidth.
std::vector<int> StatsColumnWidths(std::string_view remembered, std::string_view serverWidths,
                                   int columns);
// Widths as remembered: decimal numbers joined by 0x01.
std::string ColumnWidthsString(const std::vector<int>& widths);

// The saved text: results lines, an empty line, each table row as its cells padded to ten
// characters, an empty line, the event lines.
std::vector<std::string> StatsLogLines(const std::vector<std::string>& results,
                                       const std::vector<std::vector<std::string>>& table,
                                       const std::vector<std::string>& events);
// Appends the lines to the file (its lines kept, each line ended by CR LF), written
// atomically. False when the file cannot be read or written.
bool AppendStatsLog(const std::filesystem::path& file, const std::vector<std::string>& lines);
// The message shown when saving failed.
std::string StatsSaveFailedText(const std::string& fileName);

}  // namespace pk
