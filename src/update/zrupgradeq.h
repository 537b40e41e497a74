#pragma once
// "upgrade.tmp": the operations the patch applier leaves to the updater, one
// per line, fields separated by the byte 0x02, lines ending in CR LF; every
// path is a full path.
//
//   copy   <02> source <02> target       move the built file over the target
//   delete <02> path                     delete the file
//   remdir <02> folder                   remove the temporary folder
//   run    <02> 3000 <02> program <02> arguments
//                                        start the program again; the second
//                                        field is the pause before, in ms
//
// The applier writes the lines in the order of the patch's records, then
// "remdir" of the temporary folder and "run" of the client with "-showver".
// Names were checked for control bytes before they got here, so no field can
// hold a separator or a line end.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

inline constexpr char QueueFieldSep = '\x02';
inline constexpr int QueueRunDelayMs = 3000;

struct UpgradeLine {
    enum Kind { Copy, Delete, Remdir, Run };
    Kind kind = Delete;
    std::string path;    // copy: source; delete: the file; remdir: the folder; run: program
    std::string target;  // copy: target; run: its arguments
    int delayMs = 0;     // run only

    static UpgradeLine MakeCopy(std::string source, std::string target);
    static UpgradeLine MakeDelete(std::string path);
    static UpgradeLine MakeRemdir(std::string folder);
    static UpgradeLine MakeRun(std::string program, std::string arguments,
                               int delayMs = QueueRunDelayMs);
    bool operator==(const UpgradeLine&) const = default;
};

// One line without its line end.
std::string FormatUpgradeLine(const UpgradeLine& line);
// The whole file.
std::string FormatUpgradeQueue(const std::vector<UpgradeLine>& lines);

// One line (CR LF or LF already removed); nothing when it is not one of the
// four forms: unknown verb, wrong field count, an empty path, a delay that is
// not a number from 0 to 60000.
std::optional<UpgradeLine> ParseUpgradeLine(std::string_view text);

struct UpgradeQueue {
    std::vector<UpgradeLine> lines;
    std::vector<std::string> refused;  // lines that could not be read, as they stood
};
// Splits at LF (a CR before it is dropped); empty lines are skipped.
UpgradeQueue ParseUpgradeQueue(std::string_view text);

}  // namespace pk
