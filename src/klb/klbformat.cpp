#include "klb/klbformat.h"

#include <algorithm>
#include <cctype>

namespace pk {

namespace {

// A part of the payload at an absolute position. Its bytes must lie inside
// the file; a part with offset or size not above zero is absent.
bool TakePart(const ByteReader& r, int32_t offset, int32_t size, bool withPayload,
              std::string& bytes, KlbPart& part) {
    part = {offset, size};
    bytes.clear();
    if (offset <= 0 || size <= 0)
        return true;
    if (static_cast<uint64_t>(offset) + static_cast<uint64_t>(size) > r.size())
        return false;
    if (withPayload)
        bytes.assign(r.data().substr(static_cast<size_t>(offset), size));
    return true;
}

// Moves past the payload that follows the block. Negative sizes are damage,
// not a way to step backwards.
bool SkipPayload(ByteReader& r, std::initializer_list<int32_t> sizes) {
    uint64_t total = 0;
    for (int32_t s : sizes) {
        if (s < 0)
            return false;
        total += static_cast<uint32_t>(s);
    }
    if (total > r.remaining())
        return false;
    r.skip(static_cast<size_t>(total));
    return r.ok();
}

// Where a kind keeps the offset of its image and of its mask in the block,
// the size following at +4; zero for a part the kind does not have.
size_t ImageField(KlbKind kind) {
    switch (kind) {
        case KlbKind::Group:
            return 0;
        case KlbKind::Skin:
            return 96;
        default:
            return 80;
    }
}
size_t MaskField(KlbKind kind) {
    switch (kind) {
        case KlbKind::Main:
            return 88;
        case KlbKind::Skin:
            return 104;
        default:
            return 0;
    }
}

std::string ConvertChars(std::string_view list, bool flags) {
    std::string out(list);
    for (char& c : out) {
        if (c == ' ')
            c = '\r';
        else if (c == ':')
            c = '\n';
        else if (flags && c == ',')
            c = ' ';
    }
    return out;
}

}  // namespace

const char* KlbTagName(KlbKind kind) {
    switch (kind) {
        case KlbKind::Music:
            return "MUSIC";
        case KlbKind::Main:
            return "MAIN";
        case KlbKind::Detail:
            return "DETAIL";
        case KlbKind::Sound:
            return "SOUNDS";
        case KlbKind::Group:
            return "GROUP";
        case KlbKind::Skin:
            return "GUIBMP";
    }
    return "";
}

uint8_t KlbCurrentVersion(KlbKind kind) {
    switch (kind) {
        case KlbKind::Music:
            return kMusicVersion;
        case KlbKind::Main:
            return kMainVersion;
        case KlbKind::Detail:
            return kDetailVersion;
        case KlbKind::Sound:
            return kSoundVersion;
        case KlbKind::Group:
            return kGroupVersion;
        case KlbKind::Skin:
            return kSkinVersion;
    }
    return 0;
}

std::string ConvertOldEventList(std::string_view list) {
    return ConvertChars(list, false);
}
std::string ConvertOldFlagList(std::string_view list) {
    return ConvertChars(list, true);
}

KlbHead ReadKlbHead(ByteReader& r) {
    KlbHead h;
    h.tag = r.fixedText(kKlbTagSize);
    h.version = r.u8();
    h.groupPath = r.lenString();
    h.themeIdList = r.lenString();
    return h;
}

KlbStatus ReadKlbEntryBody(ByteReader& r, const KlbHead& head, KlbEntry& e, bool withPayload,
                           bool* dropped) {
    if (dropped)
        *dropped = false;
    e = KlbEntry{};
    e.version = head.version;
    e.groupPath = head.groupPath;
    e.themeIdList = head.themeIdList;
    const std::string& tag = head.tag;
    const uint8_t v = head.version;
    if (!r.ok())
        return KlbStatus::Corrupt;

    if (tag == "ANIMS" && v == 1) {
        r.skip(kKlbBlockSize);
        for (int i = 0; i < 3; ++i) r.lenString();
        if (dropped)
            *dropped = true;
        return r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
    }
    if (tag == "FRAME" && v == 1) {
        std::string_view block = r.bytes(kKlbFrameBlockSize);
        if (!r.ok())
            return KlbStatus::Corrupt;
        if (dropped)
            *dropped = true;
        bool ok = SkipPayload(r, {GetI32(block, 92), GetI32(block, 100), GetI32(block, 136)});
        return ok ? KlbStatus::Ok : KlbStatus::Corrupt;
    }

    if (tag == "MAIN" && (v == 1 || v == 2)) {
        e.kind = KlbKind::Main;
        e.information = r.lenString();
        if (v == 2)
            e.references = r.lenString();
    } else if (tag == "DETAIL" && v == 1) {
        e.kind = KlbKind::Detail;
    } else if (tag == "MUSIC" && v == 1) {
        e.kind = KlbKind::Music;
    } else if (tag == "SOUNDS" && v == 1) {
        e.kind = KlbKind::Sound;
    } else if (tag == "GROUP" && v == 1) {
        e.kind = KlbKind::Group;
    } else if (tag == "GUIBMP" && v >= 1 && v <= 3) {
        e.kind = KlbKind::Skin;
        e.flagList = r.lenString();
        e.eventList = r.lenString();
        e.parentName = r.lenString();
        if (v < 3)
            e.flagList = ConvertOldFlagList(e.flagList);
        if (v == 1)
            e.eventList = ConvertOldEventList(e.eventList);
    } else {
        return KlbStatus::UnknownTag;
    }

    std::string_view block = r.bytes(kKlbBlockSize);
    if (!r.ok())
        return KlbStatus::Corrupt;
    e.name = FixedFieldText(block.substr(0, kKlbNameSize));
    auto at = [&](size_t off) { return GetI32(block, off); };
    switch (e.kind) {
        case KlbKind::Music:
            e.fileType = FixedFieldText(block.substr(88, kKlbFileTypeSize));
            break;
        case KlbKind::Main:
            e.minWindowWidth = at(96);
            e.minWindowHeight = at(100);
            e.fieldWidth = at(104);
            e.fieldHeight = at(108);
            e.largeBlockSize = at(112);
            e.smallBlockSize = at(116);
            break;
        case KlbKind::Skin:
            e.left = at(80);
            e.top = at(84);
            e.width = at(88);
            e.height = at(92);
            e.backColour = at(112);
            break;
        default:
            break;
    }
    const size_t imageAt = ImageField(e.kind);
    const size_t maskAt = MaskField(e.kind);
    const int32_t imageSize = imageAt ? at(imageAt + 4) : 0;
    const int32_t maskSize = maskAt ? at(maskAt + 4) : 0;
    bool ok = true;
    if (imageAt)
        ok = TakePart(r, at(imageAt), imageSize, withPayload, e.image, e.imagePart);
    if (maskAt)
        ok = ok && TakePart(r, at(maskAt), maskSize, withPayload, e.mask, e.maskPart);
    ok = ok && SkipPayload(r, {imageSize, maskSize});
    return ok && r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
}

KlbStatus ReadKlbLibrary(std::string_view bytes, KlbLibrary& lib, const KlbProgress& progress) {
    lib = KlbLibrary{};
    ByteReader r(bytes);
    if (r.bytes(kKlbMagic.size()) != kKlbMagic)
        return KlbStatus::BadMagic;
    lib.count = r.i32();
    size_t read = 0;
    // The first entry is read even when none follows the header: an empty
    // library is as broken as one with a damaged entry.
    do {
        KlbHead head = ReadKlbHead(r);
        if (!r.ok())
            return KlbStatus::Corrupt;
        KlbEntry entry;
        bool dropped = false;
        KlbStatus s = ReadKlbEntryBody(r, head, entry, true, &dropped);
        if (s != KlbStatus::Ok)
            return s;
        if (!dropped && !entry.name.empty())
            lib.entries.push_back(std::move(entry));
        ++read;
        if (progress)
            progress(read, lib.count);
    } while (!r.atEnd());
    return KlbStatus::Ok;
}

std::optional<std::string> ReadKlbFile(const std::filesystem::path& file) {
    return ReadFileBytes(file, kKlbMaxFileSize);
}

KlbStatus LoadKlbLibrary(const std::filesystem::path& file, KlbLibrary& lib,
                         const KlbProgress& progress) {
    lib = KlbLibrary{};
    auto bytes = ReadKlbFile(file);
    if (!bytes)
        return KlbStatus::IoError;
    return ReadKlbLibrary(*bytes, lib, progress);
}

void WriteKlbEntry(ByteWriter& w, const KlbEntry& e, KlbPart* image, KlbPart* mask) {
    w.fixedText(KlbTagName(e.kind), kKlbTagSize);
    w.u8(KlbCurrentVersion(e.kind));
    w.lenString(e.groupPath);
    w.lenString(e.themeIdList);
    if (e.kind == KlbKind::Main) {
        w.lenString(e.information);
        w.lenString(e.references);
    } else if (e.kind == KlbKind::Skin) {
        w.lenString(e.flagList);
        w.lenString(e.eventList);
        w.lenString(e.parentName);
    }
    const size_t blockPos = w.pos();
    const int32_t payloadStart = static_cast<int32_t>(blockPos + kKlbBlockSize);
    std::string block(kKlbBlockSize, '\0');
    std::copy_n(e.name.begin(), std::min(e.name.size(), kKlbNameSize), block.begin());
    const int32_t imageSize = static_cast<int32_t>(e.image.size());
    const int32_t maskSize = static_cast<int32_t>(e.mask.size());
    switch (e.kind) {
        case KlbKind::Music: {
            std::string type = e.fileType.empty() ? "mid" : e.fileType;
            std::copy_n(type.begin(), std::min(type.size(), kKlbFileTypeSize), block.begin() + 88);
            break;
        }
        case KlbKind::Main:
            PutI32(block, 96, e.minWindowWidth);
            PutI32(block, 100, e.minWindowHeight);
            PutI32(block, 104, e.fieldWidth);
            PutI32(block, 108, e.fieldHeight);
            PutI32(block, 112, e.largeBlockSize);
            PutI32(block, 116, e.smallBlockSize);
            break;
        case KlbKind::Skin:
            PutI32(block, 80, e.left);
            PutI32(block, 84, e.top);
            PutI32(block, 88, e.width);
            PutI32(block, 92, e.height);
            PutI32(block, 112, e.backColour);
            break;
        default:
            break;
    }
    const size_t imageAt = ImageField(e.kind);
    const size_t maskAt = MaskField(e.kind);
    KlbPart newImage, newMask;
    // A skin element without an image stores no position for it.
    if (imageAt && (imageSize > 0 || e.kind != KlbKind::Skin))
        newImage = {payloadStart, imageSize};
    if (maskAt && maskSize > 0)
        newMask = {payloadStart + imageSize, maskSize};
    if (imageAt) {
        PutI32(block, imageAt, newImage.offset);
        PutI32(block, imageAt + 4, newImage.size);
    }
    if (maskAt) {
        PutI32(block, maskAt, newMask.offset);
        PutI32(block, maskAt + 4, newMask.size);
    }
    w.bytes(block);
    if (imageAt)
        w.bytes(e.image);
    if (maskAt)
        w.bytes(e.mask);
    if (image)
        *image = newImage;
    if (mask)
        *mask = newMask;
}

std::string WriteKlbLibrary(const std::vector<KlbEntry>& entries, int32_t count,
                            std::vector<std::pair<KlbPart, KlbPart>>* newParts) {
    ByteWriter w;
    w.bytes(kKlbMagic);
    w.i32(count);
    if (newParts)
        newParts->clear();
    for (const KlbEntry& e : entries) {
        KlbPart image, mask;
        WriteKlbEntry(w, e, &image, &mask);
        if (newParts)
            newParts->emplace_back(image, mask);
    }
    return std::move(w.out());
}

KlbStatus SaveKlbLibrary(const std::filesystem::path& file, std::vector<KlbEntry>& entries,
                         int32_t count) {
    std::vector<std::pair<KlbPart, KlbPart>> parts;
    std::string bytes = WriteKlbLibrary(entries, count, &parts);
    if (!WriteFileAtomic(file, bytes))
        return KlbStatus::IoError;
    for (size_t i = 0; i < entries.size(); ++i) {
        KlbEntry& e = entries[i];
        e.imagePart = parts[i].first;
        e.maskPart = parts[i].second;
        e.version = KlbCurrentVersion(e.kind);
        if (e.kind == KlbKind::Music && e.fileType.empty())
            e.fileType = "mid";
        if (e.kind == KlbKind::Music)
            e.fileType.resize(std::min(e.fileType.size(), kKlbFileTypeSize));
        if (e.name.size() > kKlbNameSize)
            e.name.resize(kKlbNameSize);
    }
    return KlbStatus::Ok;
}

bool IsDefaultLibraryName(const std::filesystem::path& file) {
    std::string name = file.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name == "DEFAULT.KLB";
}

bool CopyLibraryFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    auto bytes = ReadKlbFile(source);
    return bytes && WriteFileAtomic(target, *bytes);
}

}  // namespace pk
