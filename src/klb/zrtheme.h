// The client's theme: the entries of the selected theme read from its theme
// library and the libraries it requires, and access to their music and sounds.
// Headless: bitmaps are our own pixel type, painters read them from here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/blockblit.h"
#include "gfx/dib.h"
#include "klb/klbformat.h"
#include "klb/klblookup.h"

namespace pk {

struct TZRMusic {
    std::string fileType;  // up to 6 characters, "mid" for MIDI
    int32_t offset = 0;
    int32_t size = 0;
};

struct TZRMainbmp {
    int32_t minWindowWidth = 0;
    int32_t minWindowHeight = 0;
    int32_t fieldWidth = 0;
    int32_t fieldHeight = 0;
    int32_t largeBlockSize = 0;
    int32_t smallBlockSize = 0;
    DibBitmap image;
    std::optional<DibBitmap> mask;
    std::string Information;
    std::string References;
};

struct TZRDetailbmp {
    DibBitmap image;
};

struct TZRSound {
    int32_t offset = 0;
    int32_t size = 0;
};

// Skin images stay in the library and are loaded by the skin engine.
struct TZRskin {
    std::string SkinFlagList;
    std::string SkinEventList;
    std::string ParentName;
    int32_t imageOffset = 0, imageSize = 0;
    int32_t maskOffset = 0, maskSize = 0;
    int32_t backColour = -1;
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// One entry of a loaded theme; only the object of its kind is set.
struct TZRC {
    std::string GroupPath;
    std::string name;  // lower-cased for skin elements
    std::string ThemeIdList;
    std::filesystem::path libraryFile;  // payloads are read from here by offset
    KlbKind kind = KlbKind::Group;
    std::unique_ptr<TZRMusic> music;
    std::unique_ptr<TZRMainbmp> mainbmp;
    std::unique_ptr<TZRDetailbmp> detailbmp;
    std::unique_ptr<TZRSound> sound;
    std::unique_ptr<TZRskin> skin;
};

// What every block blit reads (the ThemeTiles part, gfx/blockblit.h): the selected main
// bitmap's image and mask as surfaces with its metrics, bound by BindThemeBitmaps.
struct ThemeDrawRec : ThemeTiles {
    TZRMainbmp* mainbmp = nullptr;  // the selected main bitmap; nullptr while no theme is loaded
    const TZRMainbmp* boundTo = nullptr;  // the main bitmap the surfaces were made from
};

struct TZRTheme {
    std::string themeId;
    std::filesystem::path libraryFile;
    // One line per library read: its modification stamp, 0x01, its path;
    // "*" for a required library that was missing or unreadable.
    std::vector<std::string> LibraryList;
    std::string externalMusicFile;
    TZRC* selectedMusic = nullptr;
    ThemeDrawRec draw;                           // the last main bitmap read wins
    TZRDetailbmp* detailbmp = nullptr;           // the last special-block bitmap read wins
    std::vector<std::unique_ptr<TZRC>> entries;  // file order, main library first

    TZRTheme() = default;
    TZRTheme(const TZRTheme&) = delete;
    TZRTheme& operator=(const TZRTheme&) = delete;
    // Moving keeps every entry where it is, so the references stay valid.
    TZRTheme(TZRTheme&&) = default;
    TZRTheme& operator=(TZRTheme&&) = default;
};

// One main bitmap of a library as listed without loading it.
struct tthemeidentry {
    std::string name;
    std::string ThemeIdList;
};

// Called with (entries read, entry count of the header) as reading goes on.
using ThemeProgress = std::function<void(int position, int maximum)>;

inline constexpr const char* kThemeVersionMessage =
    "Error loading theme or incorrect theme version.  If it works in the theme editor, save it "
    "and try loading again.";

// Reads the entries of one library that the theme id selects and appends
// them to the theme. A failure without a message for a file that is not a
// library or cannot be read; with the version message for a record the client
// does not accept or a damaged file. On failure the theme is left as it was
// before this library.
KlbResult ReadThemeLibrary(const std::filesystem::path& file, const std::string& themeId,
                           std::string& references, const ThemeProgress& progress, TZRTheme& theme);

// Loads a theme: the main library, then every library its References name,
// searched under the program's folder. A missing or unreadable required
// library fails with its message but keeps what was loaded (the message of the
// last such library is kept); a main library with a record we do not accept
// empties the theme.
KlbResult LoadTheme(const std::filesystem::path& libraryFile, const std::string& themeId,
                    TZRTheme& theme, const ThemeProgress& progress,
                    const std::filesystem::path& programFolder);

// The line LibraryList holds for a library file. The path keeps its case as
// on disk: names differing only in case are different files here, and the
// line must still name a file that can be opened.
std::string LibraryListLine(const std::filesystem::path& file);

// The main bitmaps of a library; empty for a file that is not a library.
std::vector<tthemeidentry> ListLibraryMains(const std::filesystem::path& file);

void FreeTheme(TZRTheme& theme);

std::vector<TZRC*> ListMusicEntries(const TZRTheme& theme);
TZRC* FindMusicEntry(std::string_view name, const TZRTheme& theme);
// The payload bytes of a music or sound entry, read from its library.
std::optional<std::string> ReadEntryPayload(const TZRC& entry);
// MIDI music is played from a file: copies the payload to the program's
// folder as "tmp." + its file type. Other kinds play from the library.
bool LoadMusicEntry(const TZRC& entry, const std::filesystem::path& programFolder);

// Hands the WAV bytes of the first sound of that name (any case) to `play`,
// with stopOthers = !flag. Nothing happens when there is no such sound.
using SoundSink = std::function<void(std::string wav, bool stopOthers)>;
void PlayLibrarySound(std::string_view name, bool flag, const TZRTheme& theme,
                      const SoundSink& play);

// Makes the draw record's surfaces from the selected main bitmap (once per main bitmap, so
// painters may call it before every use); without one the record draws nothing.
void BindThemeBitmaps(TZRTheme& theme);

}  // namespace pk
