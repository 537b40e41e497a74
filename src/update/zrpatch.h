#pragma once
// The patch applier: checks a downloaded "patch.tmp", builds every new and
// rebuilt file in the temporary folder, and only when the whole patch has
// been read carries out what acts now and writes "upgrade.tmp" for the rest.
//
// Staging first means that a stop (a damaged download, a file that is not the
// one the patch expects, an unsafe name) leaves the program folder as it was:
// only the temporary folder, the patch and the queue (the update's own files)
// may have changed. A later record for the same file sees the staged result
// of an earlier one. The queue is written before anything acts now, and a
// queue that cannot be written, or an updater that does not start, puts back
// what acted and removes the queue: the update is done whole or not at all.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "update/zrupgradeq.h"

namespace pk {

inline constexpr std::string_view DownloadErrorText =
    "There was an error downloading the patch file or the download did not finish.  Please try "
    "again.";
inline constexpr std::string_view TempFolderErrorText =
    "Unable to create temporary directory, please report this.";
inline constexpr std::string_view QueueWriteErrorText =
    "Unable to write the upgrade list, please report this.";
inline constexpr std::string_view UpdaterMissingText =
    "The file QAUP.EXE needed to upgrade Pelkorin can not be found.  You must reinstall "
    "Pelkorin.";
// "Unable to patch "<name>"!  Please run anti-virus software ..."
std::string CannotPatchText(std::string_view name);

struct PatchSetup {
    std::filesystem::path programFolder;  // must exist
    std::string clientProgram;            // full path of the client, for the "run" line
    // Runs before each record with its position in the patch, and after each
    // block of a difference stream (the dialog repaints).
    std::function<void(std::size_t position)> progress;
    // The eight letters of a temporary file's name; random when not set.
    std::function<std::string()> tempName;
    // Writes "upgrade.tmp"; WriteFileAtomic when not set.
    std::function<bool(const std::filesystem::path&, std::string_view)> writeQueue;
    // Starts the updater once what acts now is done and the queue is written; false when it
    // did not start. Not set: nothing is started.
    std::function<bool()> startUpdater;
};

enum class PatchStop {
    None,
    DownloadError,  // CRC mismatch, damaged or unsafe records
    TempFolder,     // the temporary folder cannot be made
    CannotPatch,    // a file to patch is missing or not the expected one
    QueueWrite,     // "upgrade.tmp" cannot be written
    UpdaterStart,   // the updater did not start
};

struct PatchRun {
    PatchStop stop = PatchStop::None;
    std::string message;  // what to show when stopped
    std::vector<UpgradeLine> queue;
    bool ok() const { return stop == PatchStop::None; }
};

// Applies the patch at `patchPath`, whose CRC-32 must be `expectedCrc`. On
// success the patch file is gone and "upgrade.tmp" holds `queue`; on a stop
// the program folder outside the update's own files is as it was.
PatchRun ApplyPatchFile(const PatchSetup& setup, const std::string& patchPath,
                        std::uint32_t expectedCrc);

// Removes the temporary folder with everything in it; something else under its
// name (a link, a file) is removed itself, never followed.
void RemoveTempFolder(const std::filesystem::path& folder);

// The folder as text with one trailing '/', the form the queue's paths take.
std::string FolderText(const std::filesystem::path& folder);

}  // namespace pk
