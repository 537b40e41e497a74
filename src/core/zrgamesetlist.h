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

// An entry of the player's file whose data is no game set: it is not in the list, and its
// bytes are written back as they were, after as many of the player's sets as stood before it.
struct UnreadGameSetEntry {
    std::size_t after = 0;
    std::string bytes;
};
extern std::vector<UnreadGameSetEntry> UnreadGameSetEntries;

// Where an image comes from: the program's own block, whose sets are built in by their flag,
// or the player's file, every set of which is the player's own whatever its flag says.
enum class GameSetSource { Program, PlayerFile };

// What reading an image found.
struct GameSetLoadReport {
    int loaded = 0;      // sets appended to the list
    int unread = 0;      // entries whose data is no game set, kept for writing back
    bool cut = false;    // the image ends inside an entry, which is dropped
    bool other = false;  // a version this build does not read: nothing was read
};

// Appends the entries of a "gamesets.cfg" image read as `version` (0 or 100; any other adds
// nothing). Version 100 skips the three header bytes. An entry whose data is not a game set is
// skipped and kept in UnreadGameSetEntries; the reading goes on to the end of the image. An
// entry cut short by the end is dropped. True when every entry was read.
bool LoadGameSets(std::string_view bytes, int version,
                  GameSetSource source = GameSetSource::Program,
                  GameSetLoadReport* report = nullptr);
// The "gamesets.cfg" image of the list: the header and every set that is neither built in
// nor the game-set editor's temporary entry, with the unread entries in their places.
std::string SaveGameSets();
// Empties the list and forgets the unread entries.
void ClearGameSets();
// The version of a "gamesets.cfg" image: 100 (or what its header says) after a 'v', else 0;
// nothing for an image shorter than the header, which is ignored.
bool GameSetFileVersionOf(std::string_view bytes, int& version);

// The built-in sets, exactly as a version 100 file with every built-in flag set.
const std::string& BuiltInGameSetBlock();
// Their names, in list order.
extern const std::vector<std::string_view> BuiltInGameSetNames;

}  // namespace pk
