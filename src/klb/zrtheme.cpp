#include "klb/zrtheme.h"

#include <system_error>

#include "core/bytestream.h"
#include "core/zrmisc.h"
#include "gfx/surfaceconv.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

// The client reads only the record versions the editor writes today.
std::optional<KlbKind> AcceptedKind(const KlbHead& head) {
    std::optional<KlbKind> kind = KlbTagKind(head.tag);
    if (kind && head.version == KlbCurrentVersion(*kind))
        return kind;
    return std::nullopt;
}

std::unique_ptr<TZRC> MakeEntry(KlbEntry& e, const std::filesystem::path& file) {
    auto c = std::make_unique<TZRC>();
    c->GroupPath = std::move(e.groupPath);
    c->name = std::move(e.name);
    c->ThemeIdList = std::move(e.themeIdList);
    c->libraryFile = file;
    c->kind = e.kind;
    switch (e.kind) {
        case KlbKind::Music:
            c->music = std::make_unique<TZRMusic>(
                TZRMusic{std::move(e.fileType), e.imagePart.offset, e.imagePart.size});
            break;
        case KlbKind::Sound:
            c->sound = std::make_unique<TZRSound>(TZRSound{e.imagePart.offset, e.imagePart.size});
            break;
        case KlbKind::Main: {
            auto m = std::make_unique<TZRMainbmp>();
            m->minWindowWidth = e.minWindowWidth;
            m->minWindowHeight = e.minWindowHeight;
            m->fieldWidth = e.fieldWidth;
            m->fieldHeight = e.fieldHeight;
            m->largeBlockSize = e.largeBlockSize;
            m->smallBlockSize = e.smallBlockSize;
            m->Information = std::move(e.information);
            m->References = std::move(e.references);
            auto image = DecodeBmp(e.image);
            if (!image)
                return nullptr;
            m->image = std::move(*image);
            if (!e.mask.empty()) {
                auto mask = DecodeBmp(e.mask);
                if (!mask)
                    return nullptr;
                m->mask = std::move(*mask);
            }
            c->mainbmp = std::move(m);
            break;
        }
        case KlbKind::Detail: {
            auto image = DecodeBmp(e.image);
            if (!image)
                return nullptr;
            c->detailbmp = std::make_unique<TZRDetailbmp>(TZRDetailbmp{std::move(*image)});
            break;
        }
        case KlbKind::Skin: {
            auto s = std::make_unique<TZRskin>();
            s->SkinFlagList = LowerCase(e.flagList);
            s->SkinEventList = LowerCase(e.eventList);
            s->ParentName = LowerCase(e.parentName);
            s->imageOffset = e.imagePart.offset;
            s->imageSize = e.imagePart.size;
            s->maskOffset = e.maskPart.offset;
            s->maskSize = e.maskPart.size;
            s->backColour = e.backColour;
            s->left = e.left;
            s->top = e.top;
            s->width = e.width;
            s->height = e.height;
            c->name = LowerCase(c->name);
            c->skin = std::move(s);
            break;
        }
        case KlbKind::Group:
            break;
    }
    return c;
}

}  // namespace

KlbResult ReadThemeLibrary(const std::filesystem::path& file, const std::string& themeId,
                           std::string& references, const ThemeProgress& progress,
                           TZRTheme& theme) {
    references.clear();
    KlbRangeReader lib;
    if (KlbResult opened = lib.Open(file); !opened)
        return opened;
    const int32_t count = lib.count();
    if (progress)
        progress(0, count);

    std::vector<std::unique_ptr<TZRC>> read;
    TZRMainbmp* mainbmp = nullptr;
    TZRDetailbmp* detailbmp = nullptr;
    int position = 0;
    do {
        KlbHead head;
        KlbEntry entry;
        KlbResult body = lib.Next(head, entry);
        std::optional<KlbKind> kind = AcceptedKind(head);
        if (!kind)
            return {KlbStatus::UnknownTag, kThemeVersionMessage};
        const bool matched = ThemeIdMatches(themeId, head.themeIdList);
        // Bitmaps of entries this theme does not use are never read, let alone decoded.
        if (body && matched && (*kind == KlbKind::Main || *kind == KlbKind::Detail))
            body = lib.ReadPayload(entry);
        if (!body)
            return {body.status, kThemeVersionMessage};
        ++position;
        if (progress)
            progress(position, count);
        if (!matched)
            continue;
        std::unique_ptr<TZRC> c = MakeEntry(entry, file);
        if (!c)
            return {KlbStatus::Corrupt, kThemeVersionMessage};
        if (c->mainbmp) {
            mainbmp = c->mainbmp.get();
            references = mainbmp->References;
        }
        if (c->detailbmp)
            detailbmp = c->detailbmp.get();
        read.push_back(std::move(c));
    } while (!lib.AtEnd());

    for (auto& c : read) theme.entries.push_back(std::move(c));
    if (mainbmp) {
        theme.draw.mainbmp = mainbmp;
        theme.draw.boundTo = nullptr;
    }
    if (detailbmp)
        theme.detailbmp = detailbmp;
    BindThemeBitmaps(theme);
    return {};
}

std::string LibraryListLine(const std::filesystem::path& file) {
    // The path keeps the case it has on disk: names that differ only in case are different
    // files here, and the line must name the one that was read.
    std::error_code ec;
    auto stamp = std::filesystem::last_write_time(file, ec);
    std::string age = ec ? "0" : std::to_string(stamp.time_since_epoch().count());
    return age + '\x01' + file.string();
}

KlbResult LoadTheme(const std::filesystem::path& libraryFile, const std::string& themeId,
                    TZRTheme& theme, const ThemeProgress& progress,
                    const std::filesystem::path& programFolder) {
    FreeTheme(theme);
    theme.themeId = themeId;
    theme.libraryFile = libraryFile;
    theme.LibraryList.push_back(LibraryListLine(libraryFile));
    std::string references;
    KlbResult main = ReadThemeLibrary(libraryFile, themeId, references, progress, theme);
    if (!main) {
        // A library of records we do not accept leaves no theme at all; one
        // that is not a library at all leaves the selection for the caller.
        if (!main.message.empty())
            FreeTheme(theme);
        return main;
    }
    KlbResult result;
    const int words = WordCount(references);
    for (int i = 1; i <= words; ++i) {
        std::string word = WordAt(i, references);
        std::filesystem::path found = FindLibraryFile(programFolder, word);
        if (found.empty()) {
            result = {KlbStatus::IoError, "Unable to find the required file '" + word +
                                              ".klb'.  This theme may not work correctly!!"};
            theme.LibraryList.push_back("*");
            continue;
        }
        std::string unused;
        if (KlbResult extra = ReadThemeLibrary(found, themeId, unused, progress, theme); !extra) {
            result = {extra.status, "Unable to read the required file '" +
                                        found.filename().string() +
                                        "'.  This theme may not work correctly!!"};
            theme.LibraryList.push_back("*");
            continue;
        }
        theme.LibraryList.push_back(LibraryListLine(found));
    }
    return result;
}

std::vector<tthemeidentry> ListLibraryMains(const std::filesystem::path& file) {
    std::vector<tthemeidentry> list;
    // Only each entry's texts and block are read: the payloads are stepped over unread, so a
    // library costs what it lists whatever its size.
    KlbRangeReader lib;
    if (!lib.Open(file))
        return list;
    do {
        KlbHead head;
        KlbEntry entry;
        if (!lib.Next(head, entry) || !AcceptedKind(head))
            break;
        if (entry.kind == KlbKind::Main)
            list.push_back({entry.name, entry.themeIdList});
    } while (!lib.AtEnd());
    return list;
}

void FreeTheme(TZRTheme& theme) {
    theme.entries.clear();
    theme.externalMusicFile.clear();
    theme.selectedMusic = nullptr;
    theme.draw = ThemeDrawRec{};
    theme.detailbmp = nullptr;
    theme.themeId.clear();
    theme.libraryFile.clear();
    theme.LibraryList.clear();
}

std::vector<TZRC*> ListMusicEntries(const TZRTheme& theme) {
    std::vector<TZRC*> list;
    for (const auto& c : theme.entries)
        if (c->kind == KlbKind::Music)
            list.push_back(c.get());
    return list;
}

TZRC* FindMusicEntry(std::string_view name, const TZRTheme& theme) {
    for (const auto& c : theme.entries)
        if (c->kind == KlbKind::Music && SameText(c->name, name))
            return c.get();
    return nullptr;
}

std::optional<std::string> ReadEntryPayload(const TZRC& entry) {
    if (entry.music)
        return ReadFileRange(entry.libraryFile, entry.music->offset, entry.music->size);
    if (entry.sound)
        return ReadFileRange(entry.libraryFile, entry.sound->offset, entry.sound->size);
    return std::nullopt;
}

bool LoadMusicEntry(const TZRC& entry, const std::filesystem::path& programFolder) {
    if (!entry.music || LowerCase(entry.music->fileType) != "mid")
        return true;
    auto bytes = ReadEntryPayload(entry);
    if (!bytes)
        return false;
    return WriteFileAtomic(programFolder / ("tmp." + entry.music->fileType), *bytes);
}

void PlayLibrarySound(std::string_view name, bool flag, const TZRTheme& theme,
                      const SoundSink& play) {
    for (const auto& c : theme.entries) {
        if (c->kind != KlbKind::Sound || !SameText(c->name, name))
            continue;
        auto bytes = ReadEntryPayload(*c);
        if (bytes && play)
            play(std::move(*bytes), !flag);
        return;
    }
}

void BindThemeBitmaps(TZRTheme& theme) {
    ThemeDrawRec& d = theme.draw;
    if (!d.mainbmp) {
        static_cast<ThemeTiles&>(d) = ThemeTiles{};
        d.boundTo = nullptr;
        return;
    }
    if (d.boundTo == d.mainbmp)
        return;
    const TZRMainbmp& m = *d.mainbmp;
    d.present = true;
    d.metrics = {m.largeBlockSize, m.smallBlockSize, m.fieldWidth, m.fieldHeight};
    d.image = SurfaceFromDib(m.image);
    if (m.mask) {
        d.mask = MaskFromDib(*m.mask);
    } else {
        d.mask.reset();
    }
    d.boundTo = d.mainbmp;
}

}  // namespace pk
