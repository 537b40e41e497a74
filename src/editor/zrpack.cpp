#include "editor/zrpack.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrini.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "klb/klblookup.h"
#include "platform/atomicfile.h"

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

// A new node under `parent`: its first child, or right after `after`.
TreeNode* InsertNode(KledDoc& doc, TreeNode* parent, TreeNode* after, const std::string& label) {
    TreeNode* node = doc.tree().AddChild(parent, label);
    auto& kids = parent->children;
    auto to = kids.begin();
    if (after) {
        to = std::find_if(kids.begin(), kids.end(), [after](auto& k) { return k.get() == after; });
        if (to != kids.end())
            ++to;
    }
    std::rotate(to, kids.end() - 1, kids.end());
    return node;
}

// A new entry with its node; a new node goes right after `after`, or first
// in `parent` when no `after` is given.
TZRC* NewEntry(KledDoc& doc, KlbKind kind, const std::string& name, const std::string& ids,
               TreeNode* parent, TreeNode* after, int image) {
    auto owned = std::make_unique<TZRC>();
    owned->entry.kind = kind;
    owned->entry.name = name;
    owned->entry.themeIdList = ids;
    owned->SourceFile = doc.WorkCopy();
    TZRC* e = doc.Append(std::move(owned));
    TreeNode* node = InsertNode(doc, parent, after, name);
    node->entry = e;
    node->imageIndex = image;
    node->hasChildren = kind == KlbKind::Group;
    e->node = node;
    return e;
}

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

void DrawCentred(TextPainter* text, Surface16& s, std::string_view font, int points, int cx, int cy,
                 char letter, const PixelRect& clip) {
    if (!text)
        return;
    ClipGuard guard(s, clip);
    text->SetFont(font, points);
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
        DrawCentred(text, s, kLargeTileFont, 11, 16 * i + 8, 8, letter, large);
        const PixelRect small{8 * i, 16, 8, 8};
        FillRect(s, small, kBlack555);
        DrawEllipse(s, small, kWhite555);
        DrawCentred(text, s, kSmallTileFont, 6, 8 * i + 3, 20, letter, small);
    }
}

TZRC* ImportOldThemePack(KledDoc& doc, const fs::path& pack, TextPainter* text,
                         std::string& error) {
    doc.NewTheme();
    const fs::path folder = pack.parent_path();
    const auto value = [&pack](const char* section, const char* key) {
        return ReadIniValue(section, key, pack);
    };
    const auto bitmapFile = ResolvePackPath(folder, value("Graphics", "bitmaps_file"));
    if (!bitmapFile)
        return nullptr;
    const auto bytes = ReadFileBytes(*bitmapFile, kKlbMaxFileSize);
    const auto image = bytes ? DecodeBmp(*bytes) : std::nullopt;
    if (!image || image->empty()) {
        error = "Unable to read the bitmap " + bitmapFile->string();
        return nullptr;
    }
    // Widened, never cut: a pack's bitmap may already be wider.
    const Surface16 old = SurfaceFromDib(*image);
    Surface16 widened(std::max(old.width(), kPackBitmapWidth), old.height(), kBlack555);
    BitBlt(widened, 0, 0, old.width(), old.height(), old, 0, 0);
    DrawMissingTiles(widened, text);
    DibBitmap dib = DibFromSurface(widened);
    dib.bitsPerPixel = 16;

    TreeNode* root = doc.tree().FirstRoot();
    const std::string ids = "16" + bitmapFile->stem().string();
    TZRC* main = NewEntry(doc, KlbKind::Main, kPackMainName, ids, root, nullptr, kImageMain);
    main->entry.image = EncodeBmp(dib, 16).value_or(std::string());
    main->imageFileName = bitmapFile->string();
    main->entry.fieldWidth = 12;
    main->entry.fieldHeight = 22;
    main->entry.largeBlockSize = 16;
    main->entry.smallBlockSize = 8;
    main->entry.minWindowWidth = 640;
    main->entry.minWindowHeight = 480;
    main->entry.references = "default";
    main->entry.information = kPackInformation;
    UpdateReferences(doc, main);

    // "Sounds" comes right after the main bitmap, its sounds in reverse order
    // of the pack's keys (each new one becomes the group's first child).
    TZRC* sounds = NewEntry(doc, KlbKind::Group, doc.UniqueName(root, "Sounds"), "", root,
                            main->node, kImageGroup);
    for (const PackSound& s : kPackSounds) {
        if (const auto file = ResolvePackPath(folder, value("Sounds", s.key))) {
            TZRC* e =
                NewEntry(doc, KlbKind::Sound, s.name, ids, sounds->node, nullptr, kImageSound);
            e->heldFile = *file;
        }
    }
    // "Music" between the main bitmap and "Sounds".
    TZRC* music = NewEntry(doc, KlbKind::Group, doc.UniqueName(root, "Music"), "", root, main->node,
                           kImageGroup);
    if (const auto file = ResolvePackPath(folder, value("Music", "midifile"))) {
        TZRC* e =
            NewEntry(doc, KlbKind::Music, "Default Music", ids, music->node, nullptr, kImageMusic);
        e->heldFile = *file;
        std::string type = file->extension().string();
        e->entry.fileType = type.empty() ? std::string() : type.substr(1, kKlbFileTypeSize);
    }
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
