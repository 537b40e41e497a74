#pragma once
// The names the update keeps in the program folder while it runs.
#include <string_view>

namespace pk {

// The download.
inline constexpr std::string_view PatchFileName = "patch.tmp";
// The queue of operations for the updater.
inline constexpr std::string_view QueueFileName = "upgrade.tmp";
// Where new and rebuilt files are built before they replace anything.
inline constexpr std::string_view TempFolderName = "$$tmp$$";
// The release notes shown after an upgrade.
inline constexpr std::string_view VersionsFileName = "versions.txt";
// The updater program beside the client.
inline constexpr std::string_view UpdaterProgramName = "qaup";

}  // namespace pk
