#include "support/synthetic_theme.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/bytes.h"

namespace pk::test {

namespace {

KlbEntry Base(KlbKind kind, const std::string& name, const std::string& ids) {
    KlbEntry e;
    e.kind = kind;
    e.name = name;
    e.themeIdList = ids;
    return e;
}

}  // namespace

uint32_t TileColour(int tile) {
    // Every channel is a 5-bit value widened to 8 bits, so the colours come
    // through the 5:5:5 pixels of the block blits unchanged.
    auto widen = [](int v) { return static_cast<uint32_t>((v << 3) | (v >> 2)); };
    uint32_t r = widen(tile * 7 % 19 + 6);
    uint32_t g = widen(tile * 11 % 19 + 3);
    uint32_t b = widen(31 - tile);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

DibBitmap MainImage(const MainLayout& l) {
    const int width = std::max(kTileCount * l.large, l.fieldWidth * (l.large + l.small));
    const int height = l.large + l.small + l.fieldHeight * l.large;
    DibBitmap img(width, height, 0xFF000000u);
    for (int i = 0; i < kTileCount; ++i) {
        img.fillRect(i * l.large, 0, l.large, l.large, TileColour(i));
        img.fillRect(i * l.small, l.large, l.small, l.small, TileColour(i));
    }
    const int top = l.large + l.small;
    img.fillRect(0, top, l.fieldWidth * l.large, l.fieldHeight * l.large, kLargeBackground);
    img.fillRect(l.fieldWidth * l.large, top, l.fieldWidth * l.small, l.fieldHeight * l.small,
                 kSmallBackground);
    return img;
}

DibBitmap MainMask(const MainLayout& l, MaskKind kind) {
    DibBitmap img = MainImage(l);
    const bool mono = kind == MaskKind::Monochrome;
    const uint32_t clear = mono ? 0xFFFFFFFFu : 0x00000000u;
    std::fill(img.pixels.begin(), img.pixels.end(), clear);
    img.bitsPerPixel = mono ? 1 : 32;
    img.fillRect(0, 0, kTileCount * l.large, l.large, mono ? 0xFF000000u : 0x000000FFu);
    img.fillRect(0, l.large, kTileCount * l.small, l.small, mono ? 0xFF000000u : 0x00000080u);
    return img;
}

std::string MakeWav(int samples, uint8_t value) {
    std::string data(static_cast<size_t>(samples), static_cast<char>(value));
    std::string fmt = "fmt " + LE(16, 4) + LE(1, 2) + LE(1, 2) + LE(11025, 4) + LE(11025, 4) +
                      LE(1, 2) + LE(8, 2);
    std::string chunk = "data" + LE(static_cast<uint32_t>(data.size()), 4) + data;
    if (data.size() & 1)
        chunk.push_back('\0');
    std::string body = "WAVE" + fmt + chunk;
    return "RIFF" + LE(static_cast<uint32_t>(body.size()), 4) + body;
}

std::string MakeMidi() {
    std::string track;
    track += std::string("\x00\x90\x3C\x40", 4);  // note on, middle C
    track += std::string("\x60\x80\x3C\x40", 4);  // note off after 96 ticks
    track += std::string("\x00\xFF\x2F\x00", 4);  // end of track
    return "MThd" + BE(6, 4) + BE(0, 2) + BE(1, 2) + BE(96, 2) + "MTrk" +
           BE(static_cast<uint32_t>(track.size()), 4) + track;
}

KlbEntry GroupEntry(const std::string& name, const std::string& ids, const std::string& path) {
    KlbEntry e = Base(KlbKind::Group, name, ids);
    e.groupPath = path;
    return e;
}

KlbEntry MainEntry(const std::string& name, const std::string& ids, const MainLayout& layout,
                   MaskKind mask, const std::string& references) {
    KlbEntry e = Base(KlbKind::Main, name, ids);
    e.information = "synthetic";
    e.references = references;
    e.minWindowWidth = 400;
    e.minWindowHeight = 300;
    e.fieldWidth = layout.fieldWidth;
    e.fieldHeight = layout.fieldHeight;
    e.largeBlockSize = layout.large;
    e.smallBlockSize = layout.small;
    e.image = EncodeBmp(MainImage(layout), 24).value();
    if (mask != MaskKind::None)
        e.mask = EncodeBmp(MainMask(layout, mask));
    return e;
}

KlbEntry DetailEntry(const std::string& name, const std::string& ids, int tile) {
    KlbEntry e = Base(KlbKind::Detail, name, ids);
    DibBitmap img(14 * tile, tile);
    for (int i = 0; i < 14; ++i) img.fillRect(i * tile, 0, tile, tile, TileColour(5 + i));
    e.image = EncodeBmp(img, 24).value();
    return e;
}

KlbEntry SoundEntry(const std::string& name, const std::string& ids, const std::string& wav) {
    KlbEntry e = Base(KlbKind::Sound, name, ids);
    e.image = wav;
    return e;
}

KlbEntry MusicEntry(const std::string& name, const std::string& ids, const std::string& bytes,
                    const std::string& fileType) {
    KlbEntry e = Base(KlbKind::Music, name, ids);
    e.image = bytes;
    e.fileType = fileType;
    return e;
}

KlbEntry SkinEntry(const std::string& name, const std::string& ids, int left, int top, int width,
                   int height, uint32_t colour, bool withMask, const std::string& flags,
                   const std::string& events, const std::string& parent) {
    KlbEntry e = Base(KlbKind::Skin, name, ids);
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.flagList = flags;
    e.eventList = events;
    e.parentName = parent;
    if (colour != 0 && width > 0 && height > 0) {
        e.image = EncodeBmp(DibBitmap(width, height, colour), 24).value();
        if (withMask) {
            DibBitmap mask(width, height, 0xFF000000u, 1);
            mask.fillRect(0, 0, 1, height, 0xFFFFFFFFu);  // a transparent left column
            e.mask = EncodeBmp(mask, 1).value();
        }
    }
    return e;
}

std::vector<KlbEntry> BasicTheme(const std::string& ids) {
    std::vector<KlbEntry> v;
    v.push_back(GroupEntry("Basic", ids));
    KlbEntry main = MainEntry("Basic", ids, {}, MaskKind::Monochrome);
    main.groupPath = "Basic|";
    v.push_back(main);
    v.push_back(DetailEntry("Specials", ids));
    v.push_back(SoundEntry("drop", ids, MakeWav(101)));
    v.push_back(MusicEntry("Tune", ids, MakeMidi()));
    v.push_back(
        SkinEntry("Main", ids, 0, 0, 40, 30, 0xFF4080C0, false, "stretch", "onclick\nclose"));
    v.push_back(
        SkinEntry("Button", ids, 5, 5, 10, 8, 0xFFC08040, true, "", "onclick\nlogin", "main"));
    return v;
}

std::filesystem::path SaveLibrary(const std::filesystem::path& file,
                                  std::vector<KlbEntry> entries) {
    const int32_t count = static_cast<int32_t>(entries.size());
    std::filesystem::create_directories(file.parent_path());
    EXPECT_EQ(SaveKlbLibrary(file, entries, count), KlbStatus::Ok) << file;
    return file;
}

}  // namespace pk::test
