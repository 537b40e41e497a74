#include "editor/zrpack.h"

#include <algorithm>
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrimaging.h"
#include "editor/zrini.h"
#include "editor/zrpages.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "klb/klblookup.h"

namespace pk {

namespace {

namespace fs = std::filesystem;

struct PackSound {
    const char* key;
    const char* name;
};
constexpr PackSound kPackSounds[] = {
    {"immediate_piece_drop", "droppiece"},
    {"piece_hits_bottom", "hitbottom"},
    {"line_cleared", "clear"},
    {"four_lines_cleared", "fourclear"},
    {"rotate_piece", "rotate"},
    {"line_with_specialblock_cleared", "getsb"},
    {"you_won", "won"},
    {"you_lost", "lost"},
    {"message_arrives", "msg"},
    {"game_start", "start"},
};

constexpr const char* kTileAlphabet = "12345acnrsbgqovidfm";
constexpr int kFirstMissingTile = 14;
constexpr int kTileCount = 19;
// The fonts the tiles were drawn with, as Debian has them.
constexpr const char* kLargeTileFont = "Liberation Sans";
constexpr const char* kSmallTileFont = "Liberation Sans Narrow";

// A white ellipse filling the cell, its rim in `outline`.
void DrawEllipse(Surface16& s, const PixelRect& cell, Pixel16 outline) {
    const double rx = cell.width / 2.0, ry = cell.height / 2.0;
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= cell.width || y >= cell.height)
            return false;
        const double dx = (x + 0.5 - rx) / rx, dy = (y + 0.5 - ry) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x) {
            if (!inside(x, y))
                continue;
            const bool rim =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            FillRect(s, {cell.left + x, cell.top + y, 1, 1}, rim ? outline : kWhite555);
        }
}

void DrawCentred(TextPainter* text, Surface16& s, std::string_view font, int points,
                 FontWeight weight, int cx, int cy, char letter, const PixelRect& clip) {
    if (!text)
        return;
    ClipGuard guard(s, clip);
    text->SetFont(font, points, weight);
    const std::string t(1, letter);
    const TextExtent size = text->Measure(t);
    text->DrawText(s, cx - size.width / 2, cy - size.height / 2, t, kBlack555);
}

bool PathIsSafe(std::string_view value) {
    if (value.empty() || value.front() == '\\' || value.front() == '/')
        return false;
    if (value.size() >= 2 && value[1] == ':')
        return false;  // a drive letter
    return true;
}

}  // namespace

std::optional<fs::path> ResolvePackPath(const fs::path& packFolder, std::string_view value) {
    if (!PathIsSafe(value))
        return std::nullopt;
    fs::path at = packFolder;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view part = value.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return std::nullopt;
        std::error_code ec;
        if (fs::exists(at / std::string(part), ec)) {
            at /= std::string(part);
            continue;
        }
        // Windows names match in any case: the first name of the folder that
        // does, in the order the folder lists them.
        bool found = false;
        for (fs::directory_iterator it(at, ec), endIt; !ec && it != endIt; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (SameText(name, part)) {
                at /= name;
                found = true;
                break;
            }
        }
        if (!found)
            return std::nullopt;
    }
    std::error_code ec;
    if (!fs::is_regular_file(at, ec))
        return std::nullopt;
    return at;
}

void DrawMissingTiles(Surface16& s, TextPainter* text) {
    for (int i = kFirstMissingTile; i < kTileCount; ++i) {
        const char letter = kTileAlphabet[i];
        const PixelRect large{16 * i, 0, 16, 16};
        FillRect(s, large, kBlack555);
        DrawEllipse(s, large, kBlack555);
        DrawCentred(text, s, kLargeTileFont, 11, FontWeight::Bold, 16 * i + 8, 8, letter, large);
        const PixelRect small{8 * i, 16, 8, 8};
        FillRect(s, small, kBlack555);
        DrawEllipse(s, small, kWhite555);
        DrawCentred(text, s, kSmallTileFont, 6, FontWeight::Normal, 8 * i + 3, 20, letter, small);
    }
}

TZRC* ImportOldThemePack(KledCommands& commands, const fs::path& pack, TextPainter* text) {
    KledDoc& doc = commands.doc();
    doc.NewTheme();
    const fs::path folder = pack.parent_path();
    const auto value = [&pack](const char* section, const char* key) {
        return ReadIniValue(section, key, pack);
    };
    const auto bitmapFile = ResolvePackPath(folder, value("Graphics", "bitmaps_file"));
    if (!bitmapFile)
        return nullptr;
    // Everything is made by the resource commands, with the pack's files given
    // in place of their dialogs.
    doc.tree().selected = nullptr;
    TZRC* main = commands.NewResource(kPageMain, bitmapFile->string());
    if (!main)
        return nullptr;  // not a bitmap: the command said so and made nothing
    // Widened, never cut: a pack's bitmap may already be wider.
    const Surface16 old = SurfaceFromDib(DecodeBmp(main->entry.image).value_or(DibBitmap()));
    Surface16 widened(std::max(old.width(), kPackBitmapWidth), old.height(), kBlack555);
    BitBlt(widened, 0, 0, old.width(), old.height(), old, 0, 0);
    DrawMissingTiles(widened, text);
    main->entry.image = EncodeBmp(DibFromSurface(widened), kMainImageDepth).value_or(std::string());
    doc.RenameNode(main->node, kPackMainName);
    main->entry.minWindowWidth = 640;
    main->entry.minWindowHeight = 480;
    main->entry.references = "default";
    main->entry.information = kPackInformation;
    UpdateReferences(doc, main);

    const std::string ids = main->entry.themeIdList;
    // A group right after the main bitmap.
    const auto group = [&](const char* name) {
        doc.tree().selected = main->node;
        TZRC* g = commands.CreateGroup();
        doc.RenameNode(g->node, doc.UniqueName(g->node->parent, name));
        return g;
    };
    // Each new resource becomes the group's first child.
    const auto add = [&](TZRC* g, int page, const fs::path& file, const char* name) {
        doc.tree().selected = g->node;
        if (TZRC* e = commands.NewResource(page, file.string())) {
            doc.RenameNode(e->node, name);
            e->entry.themeIdList = ids;
        }
    };
    TZRC* sounds = group("Sounds");
    for (const PackSound& s : kPackSounds)
        if (const auto file = ResolvePackPath(folder, value("Sounds", s.key)))
            add(sounds, kPageSound, *file, s.name);
    // "Music" between the main bitmap and "Sounds".
    TZRC* music = group("Music");
    if (const auto file = ResolvePackPath(folder, value("Music", "midifile")))
        add(music, kPageMusic, *file, "Default Music");
    doc.Select(main->node);
    return main;
}

int UpdateReferences(KledDoc& doc, const TZRC* main) {
    if (!main || main->kind() != KlbKind::Main)
        return 0;
    const std::string references = main->entry.references;
    doc.ResetTheme(true);
    // Without a current file the libraries beside the program are the ones.
    const fs::path folder =
        doc.currentFile().empty() ? doc.programFolder() : doc.currentFile().parent_path();
    int read = 0;
    const int words = WordCount(references);
    for (int i = 1; i <= words; ++i) {
        const std::string word = WordAt(i, references);
        const fs::path file = FindLibraryFile(folder, word);
        if (file.empty())
            continue;
        if (doc.LoadLibrary(file, true))
            ++read;
    }
    return read;
}

}  // namespace pk
