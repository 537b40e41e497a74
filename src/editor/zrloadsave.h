// The editor's side of theme library files: reading a library into the
// editor's entry list (the edited theme or a reference library) and writing
// the list back. Headless; the busy panel is reached through callbacks.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "klb/klbformat.h"

namespace pk {

// One entry of the editor's list as reading and writing see it.
struct KlbEditEntry {
    KlbEntry entry;
    // Where stored payload parts are read from when they are not in memory.
    std::filesystem::path SourceFile;
    // Music or sound: an outside file whose bytes replace the payload on the
    // next save (an import, or the editor's preview copy).
    std::filesystem::path heldFile;
    // Entries of reference libraries are shown and counted but never written.
    bool IsReference = false;
};

// The busy panel of the main window; either callback may be empty.
struct KlbBusyPanel {
    std::function<void(bool show, const std::string& text)> ShowLoadingPanel;
    std::function<void(int percent)> SetLoadingProgress;
};

inline constexpr const char* kWorkCopyName = "tmptheme.$$$";
inline constexpr const char* kLoadErrorPrefix = "Error loading theme library: ";

// The music preview file beside the program for a file type: "tmp." + the type.
std::filesystem::path MusicPreviewFile(const std::filesystem::path& programFolder,
                                       std::string_view fileType);
// Whether a file is that preview file. The names are compared in any case: the file is the
// editor's own copy, so a spelling of it in another case is still no file of the author's.
bool IsMusicPreviewFile(const std::filesystem::path& file,
                        const std::filesystem::path& programFolder, std::string_view fileType);

// Reads a library and appends its named entries to `list`. A file that is not
// a library adds nothing and is not an error. A record no reader knows, a
// damaged file or one that cannot be read fails with the message
// "Error loading theme library: " + the file; the entries read before it stay.
KlbResult LoadThemeLibrary(const std::filesystem::path& file, std::vector<KlbEditEntry>& list,
                           bool isReference, const std::filesystem::path& programFolder,
                           const KlbBusyPanel& panel = {});

// Writes every entry that is not a reference, counting all of them in the
// header, then copies the result to the work copy beside the program so the
// entries' new offsets point into it. The default library is refused (with
// its message) unless `allowDefault`. The entries are updated only after the
// file is safely in place.
KlbResult WriteThemeLibrary(const std::filesystem::path& file, std::vector<KlbEditEntry>& list,
                            bool allowDefault, const std::filesystem::path& programFolder,
                            const KlbBusyPanel& panel = {});

}  // namespace pk
