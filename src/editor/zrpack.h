// Building a theme from an old 1.13 theme pack ("*.kpk"), and the reference
// libraries a main bitmap requires.
//
// A pack is an INI file:
//   [Graphics] bitmaps_file=<block bitmap>
//   [Sounds]   immediate_piece_drop, piece_hits_bottom, line_cleared,
//              four_lines_cleared, rotate_piece, line_with_specialblock_cleared,
//              you_won, you_lost, message_arrives, game_start = <WAV file>
//   [Music]    midifile=<MIDI file>
// Values are Windows paths relative to the pack's folder ("\" separates,
// names in any case). The bitmap lacks the tiles of the last five special
// blocks; they are drawn in.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "editor/zrcommands.h"
#include "gfx/text.h"

namespace pk {

// A pack's value as a file: each part matched to a name in its folder without
// regard to case. nullopt for an absolute path, a part ".." or a file that is
// not there.
std::optional<std::filesystem::path> ResolvePackPath(const std::filesystem::path& packFolder,
                                                     std::string_view value);

// The pack's bitmap widened to at least this many pixels (19 tiles of 16 and
// the field backgrounds); a wider one keeps its width.
inline constexpr int kPackBitmapWidth = 368;
inline constexpr const char* kPackMainName = "PLEASE NAME ME";
inline constexpr const char* kPackInformation =
    "Theme generated from old Pelkorin 1.13 format.  NOT COMPLETE!";

// The five special-block tiles the old packs lack, large and small, drawn on
// the block bitmap (which is widened first). `text` draws the letters; none
// leaves the tiles without them.
void DrawMissingTiles(Surface16& bitmap, TextPainter* text);

// Builds the theme in the commands' document, which is reset first, through
// the resource commands with the pack's files in place of their dialogs.
// nullptr when the pack names no bitmap that exists or the bitmap does not
// decode (the commands said so; nothing is made); otherwise the main bitmap,
// selected.
TZRC* ImportOldThemePack(KledCommands& commands, const std::filesystem::path& pack,
                         TextPainter* text);

// The reference libraries of a main bitmap: every library its References
// name, searched below the current file's folder (the program's folder while
// there is no current file), read in as read-only roots. Libraries that are
// not found are passed over. Returns how many were read.
int UpdateReferences(KledDoc& doc, const TZRC* main);

}  // namespace pk
