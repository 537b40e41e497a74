// Export and import of the marked resources to and from a folder tree: each
// entry's parts as files under the folder, in folders named after its groups.
//
// Paths: folder / group / ... / name + suffix, where the suffix is by kind:
//   main bitmap, skin element   "-main.bmp" (image), "-mask.bmp" (mask)
//   special-block bitmap        ".bmp"
//   sound                       ".wav"
//   music                       "." + file type
// Images are written at 24 bits per pixel; a transparency mask as a 1-bit
// file, black where transparent (the inverse of how a library holds it); an
// alpha mask as an 8-bit greyscale file. Import reads the same files back.
//
// Names come from libraries, which anyone may make: every path part is
// cleaned so that nothing is written outside the chosen folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "editor/zrdoc.h"

namespace pk {

// A name as one path part: separators, control characters and the characters
// Windows forbids in names become "_". nullopt for a part that cannot be a
// name of its own ("", "." or "..").
std::optional<std::string> SafePathPart(std::string_view part);
// A file type with only its letters and digits; "mid" when none is left.
std::string SafeFileType(std::string_view type);

// The files of one entry, image (or payload) first, then the mask; empty for
// a group or when a path part is refused.
std::vector<std::filesystem::path> ResourcePaths(const TZRC& e,
                                                 const std::filesystem::path& folder);

// The BMP bytes of an image or a mask as they are written to a file (mask:
// inverted to black-transparent, or an alpha map as 8-bit greyscale).
std::optional<std::string> ExportImageBytes(const std::string& bmp);
std::optional<std::string> ExportMaskBytes(const std::string& bmp);

struct BatchOutcome {
    int written = 0;  // entries exported or imported
    // Files that could not be written or read, or entries refused; every
    // other entry went on.
    std::vector<std::string> failures;
    // The one message that names them all; empty when there was none.
    std::string Message(bool exporting) const;
};

// Writes the parts of every marked leaf of the document, in list order.
BatchOutcome ExportMarkedResources(const KledDoc& doc, const std::filesystem::path& folder);
// Reads the parts of every marked, editable leaf back from the folder; files
// that are not there are passed over.
BatchOutcome ImportMarkedResources(KledDoc& doc, const std::filesystem::path& folder);

// One file as a part of an entry: mode 1 the image or payload, mode 2 the
// mask. Images are refused when they do not decode, masks unless they are
// monochrome or 8-bit; the entry is then unchanged and `error` says why.
bool LoadEntryPart(TZRC& e, int mode, const std::filesystem::path& file,
                   const std::filesystem::path& programFolder, std::string& error);

}  // namespace pk
