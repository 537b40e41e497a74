// Small theme libraries made up by the tests: solid-colour tiles in the main
// bitmap layout, masks, a special-block bitmap, a sound, a tune and skin
// elements. No theme file from anywhere else is used by any test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/dib.h"
#include "klb/klbformat.h"

namespace pk::test {

// Main bitmap layout: large tiles in a strip at the top (tile i at x = i*B),
// small tiles below (y = B, x = i*S), then the large field background at
// (0, B+S) and the small one at (W*B, B+S).
struct MainLayout {
    int large = 16;  // B
    int small = 8;   // S
    int fieldWidth = 12;
    int fieldHeight = 22;
};

enum class MaskKind { None, Monochrome, Alpha };

inline constexpr int kTileCount = 19;  // "12345acnrsbgqovidfm"

// A distinct opaque colour for each tile index; backgrounds have their own.
uint32_t TileColour(int tile);
inline constexpr uint32_t kLargeBackground = 0xFF108421;  // 5-bit channels 2, 16, 4
inline constexpr uint32_t kSmallBackground = 0xFF421008;  // 8, 2, 1

DibBitmap MainImage(const MainLayout& layout);
// Monochrome: black (opaque) on the tiles, white elsewhere. Alpha (32 bits):
// opacity in the blue byte, 255 on the large tiles, 128 on the small ones,
// 0 on the backgrounds.
DibBitmap MainMask(const MainLayout& layout, MaskKind kind);

// A PCM WAV of 8-bit mono samples, all of one value.
std::string MakeWav(int samples, uint8_t value = 0x80);
// A format-0 MIDI file with one note.
std::string MakeMidi();

KlbEntry GroupEntry(const std::string& name, const std::string& ids, const std::string& path = "");
KlbEntry MainEntry(const std::string& name, const std::string& ids, const MainLayout& layout = {},
                   MaskKind mask = MaskKind::None, const std::string& references = "");
KlbEntry DetailEntry(const std::string& name, const std::string& ids, int tile = 16);
KlbEntry SoundEntry(const std::string& name, const std::string& ids, const std::string& wav);
KlbEntry MusicEntry(const std::string& name, const std::string& ids, const std::string& bytes,
                    const std::string& fileType = "mid");
// A skin element of a solid colour; colour 0 leaves it without an image.
KlbEntry SkinEntry(const std::string& name, const std::string& ids, int left, int top, int width,
                   int height, uint32_t colour, bool withMask = false,
                   const std::string& flags = "", const std::string& events = "",
                   const std::string& parent = "");

// A complete small theme: group, main bitmap with a mask, special blocks,
// the sound "drop", the tune "Tune" and two skin elements.
std::vector<KlbEntry> BasicTheme(const std::string& ids = "*");

// Saves a library; fails the calling test when it cannot.
std::filesystem::path SaveLibrary(const std::filesystem::path& file, std::vector<KlbEntry> entries);

}  // namespace pk::test
