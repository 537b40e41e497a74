// Export and import of the marked resources to and from a folder tree: each
// entry's parts as files under the folder, in folders named after its groups.
//
// Paths: folder / group / ... / name + suffix, where the suffix is by kind:
//   main bitmap, skin element   "-main.bmp" (image), "-mask.bmp" (mask)
//   special-block bitmap        ".bmp"
//   sound                       ".wav"
//   music                       "." + file type
// The files are those the pages' save buttons write (images at 24 bits per
// pixel, a transparency mask black where transparent, an alpha mask as 8-bit
// greyscale), and import reads them as the load buttons do.
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

struct BatchOutcome {
    int written = 0;  // entries exported or imported
    // Files that could not be written or read, or entries refused; every
    // other entry went on.
    std::vector<std::string> failures;
    // The one message that names them all; empty when there was none.
    std::string Message(bool exporting) const;
};

// Writes the parts of every marked leaf of the document, in list order, with
// the page commands' save (a missing mask is not written). The selection is
// the same afterwards.
BatchOutcome ExportMarkedResources(KledDoc& doc, const std::filesystem::path& folder);
// Reads the parts of every marked, editable leaf back from the folder with the
// page commands' load; files that are not there are passed over. A skin element
// keeps its rectangle (the page's load would size it to the image), so an
// export followed by an import of the same folder changes nothing.
BatchOutcome ImportMarkedResources(KledDoc& doc, const std::filesystem::path& folder);

}  // namespace pk
