#pragma once
// The names of files in an update patch. They come from the network, so each
// one is checked before it is used: it must name a file inside the program
// folder and nothing that the update itself keeps there.
#include <optional>
#include <string>
#include <string_view>

namespace pk {

// Why a name was refused (for the log; the player sees the download error).
enum class PatchNameProblem {
    None,
    Empty,
    TooLong,            // over MaxPatchNameLength bytes
    ControlByte,        // a byte below 0x20 or 0x7F: could start a new queue line
    Absolute,           // starts with a separator
    DriveOrColon,       // "C:" or any other ':'
    TrailingSeparator,  // names a folder
    BadComponent,       // an empty, "." or ".." component
    Reserved,           // "$$tmp$$", "patch.tmp" or "upgrade.tmp" of the update itself
};

struct PatchName {
    std::string relative;  // '/'-separated, relative to the program folder
    PatchNameProblem problem = PatchNameProblem::None;
    bool ok() const { return problem == PatchNameProblem::None; }
};

// Reads "\" as "/" and checks the name; `relative` is set only when it passes.
PatchName CheckPatchName(std::string_view raw);

std::string_view PatchNameProblemText(PatchNameProblem problem);

}  // namespace pk
