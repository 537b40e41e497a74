// The client's list of game sets and their file, "gamesets.cfg": the eight built-in sets first,
// then the player's own. The game-set editor works on the list; the configuration loader and
// writer read and write the file.
//
// "gamesets.cfg" (numbers little-endian):
//
//   u8    'v' (0x76)
//   u16   format version, 100
//   then entries up to the end of the file, each:
//     u8      built-in flag (0 in files the client writes)
//     u32     name length, then the name
//     u32     data length, then the data: the compressed game set (TGameSet)
//
// A file whose first byte is not 'v' is of version 0: the same entries from offset 0, with the
// data in the older coded form, converted to the compressed form as it is read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

inline constexpr char GameSetFileMarker = 'v';
inline constexpr int GameSetFileVersion = 100;
inline constexpr int GameSetFileHeaderSize = 3;

// One game set of the list.
struct tcbgameset {
    std::string name;
    std::string data;     // compressed TGameSet
    uint8_t editor = 0;   // the game-set editor's mark; cleared on load
    uint8_t builtin = 0;  // 1 for the eight sets the program carries
};

extern std::vector<std::unique_ptr<tcbgameset>> GameSetList;

// Appends the entries of a "gamesets.cfg" image read as `version` (0 or 100; any other adds
// nothing). Version 100 skips the three header bytes. An entry that is cut short, or whose
// data is not a game set, ends the reading: the entries before it stay. True when every entry
// was read.
bool LoadGameSets(std::string_view bytes, int version);
// The "gamesets.cfg" image of the list: the header and every set that is neither built in
// nor the game-set editor's temporary entry.
std::string SaveGameSets();
// The version of a "gamesets.cfg" image: 100 (or what its header says) after a 'v', else 0;
// nothing for an image shorter than the header, which is ignored.
bool GameSetFileVersionOf(std::string_view bytes, int& version);

// The built-in sets, exactly as a version 100 file with every built-in flag set.
const std::string& BuiltInGameSetBlock();
// Their names, in list order.
extern const std::vector<std::string_view> BuiltInGameSetNames;

}  // namespace pk
