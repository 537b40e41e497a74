#include "klb/klbformat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>

namespace pk {

namespace {

// A number a kind keeps in the 200-byte block, at its offset there.
struct BlockNumber {
    size_t at;
    int32_t KlbEntry::*field;
};

constexpr BlockNumber kMainNumbers[] = {
    {96, &KlbEntry::minWindowWidth},  {100, &KlbEntry::minWindowHeight},
    {104, &KlbEntry::fieldWidth},     {108, &KlbEntry::fieldHeight},
    {112, &KlbEntry::largeBlockSize}, {116, &KlbEntry::smallBlockSize},
};
constexpr BlockNumber kSkinNumbers[] = {
    {80, &KlbEntry::left},   {84, &KlbEntry::top},         {88, &KlbEntry::width},
    {92, &KlbEntry::height}, {112, &KlbEntry::backColour},
};
// Where a music entry keeps its file type, kKlbFileTypeSize bytes.
constexpr size_t kFileTypeAt = 88;

// One kind's record, read and written by the same row (the layout is drawn in
// klbformat.h). imageAt and maskAt are where the part's offset lies in the
// block, its size at +4; 0 for a part the kind does not have.
struct KindLayout {
    KlbKind kind;
    const char* tag;
    uint8_t oldest;   // the oldest version still read
    uint8_t current;  // the version written
    size_t imageAt;
    size_t maskAt;
    std::span<const BlockNumber> numbers;
};

constexpr std::array<KindLayout, 6> kLayouts = {{
    {KlbKind::Music, "MUSIC", 1, kMusicVersion, 80, 0, {}},
    {KlbKind::Main, "MAIN", 1, kMainVersion, 80, 88, kMainNumbers},
    {KlbKind::Detail, "DETAIL", 1, kDetailVersion, 80, 0, {}},
    {KlbKind::Sound, "SOUNDS", 1, kSoundVersion, 80, 0, {}},
    {KlbKind::Group, "GROUP", 1, kGroupVersion, 0, 0, {}},
    {KlbKind::Skin, "GUIBMP", 1, kSkinVersion, 96, 104, kSkinNumbers},
}};

constexpr bool LayoutsInKindOrder() {
    for (size_t i = 0; i < kLayouts.size(); ++i)
        if (static_cast<size_t>(kLayouts[i].kind) != i)
            return false;
    return true;
}
static_assert(LayoutsInKindOrder(), "kLayouts is indexed by KlbKind");

const KindLayout& LayoutOf(KlbKind kind) {
    return kLayouts[static_cast<size_t>(kind)];
}

// ANIMS and FRAME records, which nothing uses any more, are only stepped
// over: ANIMS has three strings after its block.
constexpr size_t kAnimsStrings = 3;
// A FRAME record's payload sizes lie at these offsets of its longer block.
constexpr size_t kFramePayloadSizes[] = {92, 100, 136};

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

bool IsDroppedRecord(const KlbHead& head) {
    return (head.tag == "ANIMS" || head.tag == "FRAME") && head.version == 1;
}

// Steps over an ANIMS or FRAME record.
KlbResult SkipDroppedRecord(ByteReader& r, const KlbHead& head) {
    if (head.tag == "ANIMS") {
        r.skip(kKlbBlockSize);
        for (size_t i = 0; i < kAnimsStrings; ++i) r.lenString();
        return r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
    }
    std::string_view block = r.bytes(kKlbFrameBlockSize);
    if (!r.ok())
        return KlbStatus::Corrupt;
    const size_t* at = kFramePayloadSizes;
    bool ok = SkipPayload(r, {GetI32(block, at[0]), GetI32(block, at[1]), GetI32(block, at[2])});
    return ok ? KlbStatus::Ok : KlbStatus::Corrupt;
}

// The texts between the head and the block, converting the lists of old skin
// elements to the current form.
void ReadExtras(ByteReader& r, uint8_t version, KlbEntry& e) {
    if (e.kind == KlbKind::Main) {
        e.information = r.lenString();
        if (version >= 2)
            e.references = r.lenString();
    } else if (e.kind == KlbKind::Skin) {
        e.flagList = r.lenString();
        e.eventList = r.lenString();
        e.parentName = r.lenString();
        if (version < 3)
            e.flagList = ConvertOldFlagList(e.flagList);
        if (version == 1)
            e.eventList = ConvertOldEventList(e.eventList);
    }
}

void WriteExtras(ByteWriter& w, const KlbEntry& e) {
    if (e.kind == KlbKind::Main) {
        w.lenString(e.information);
        w.lenString(e.references);
    } else if (e.kind == KlbKind::Skin) {
        w.lenString(e.flagList);
        w.lenString(e.eventList);
        w.lenString(e.parentName);
    }
}

// The name and the numbers of the block; the parts are taken separately.
void ReadBlockFields(std::string_view block, KlbEntry& e) {
    e.name = FixedFieldText(block.substr(0, kKlbNameSize));
    if (e.kind == KlbKind::Music)
        e.fileType = FixedFieldText(block.substr(kFileTypeAt, kKlbFileTypeSize));
    for (const BlockNumber& n : LayoutOf(e.kind).numbers) e.*n.field = GetI32(block, n.at);
}

std::string WriteBlockFields(const KlbEntry& e) {
    std::string block(kKlbBlockSize, '\0');
    std::copy_n(e.name.begin(), std::min(e.name.size(), kKlbNameSize), block.begin());
    if (e.kind == KlbKind::Music) {
        std::string type = e.fileType.empty() ? "mid" : e.fileType;
        std::copy_n(type.begin(), std::min(type.size(), kKlbFileTypeSize),
                    block.begin() + kFileTypeAt);
    }
    for (const BlockNumber& n : LayoutOf(e.kind).numbers) PutI32(block, n.at, e.*n.field);
    return block;
}

// Takes the image and mask the block names and moves past the payload.
bool ReadParts(ByteReader& r, std::string_view block, bool withPayload, KlbEntry& e) {
    const KindLayout& layout = LayoutOf(e.kind);
    auto at = [&](size_t off) { return GetI32(block, off); };
    const int32_t imageSize = layout.imageAt ? at(layout.imageAt + 4) : 0;
    const int32_t maskSize = layout.maskAt ? at(layout.maskAt + 4) : 0;
    bool ok = true;
    if (layout.imageAt)
        ok = TakePart(r, at(layout.imageAt), imageSize, withPayload, e.image, e.imagePart);
    if (layout.maskAt)
        ok = ok && TakePart(r, at(layout.maskAt), maskSize, withPayload, e.mask, e.maskPart);
    return ok && SkipPayload(r, {imageSize, maskSize});
}

}  // namespace

const char* KlbTagName(KlbKind kind) {
    return LayoutOf(kind).tag;
}

uint8_t KlbCurrentVersion(KlbKind kind) {
    return LayoutOf(kind).current;
}

std::optional<KlbKind> KlbTagKind(std::string_view tag) {
    for (const KindLayout& layout : kLayouts)
        if (tag == layout.tag)
            return layout.kind;
    return std::nullopt;
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

KlbResult ReadKlbEntryBody(ByteReader& r, const KlbHead& head, KlbEntry& e, bool withPayload,
                           bool* dropped) {
    if (dropped)
        *dropped = false;
    e = KlbEntry{};
    e.version = head.version;
    e.groupPath = head.groupPath;
    e.themeIdList = head.themeIdList;
    if (!r.ok())
        return KlbStatus::Corrupt;
    if (IsDroppedRecord(head)) {
        if (dropped)
            *dropped = true;
        return SkipDroppedRecord(r, head);
    }
    std::optional<KlbKind> kind = KlbTagKind(head.tag);
    if (!kind || head.version < LayoutOf(*kind).oldest || head.version > LayoutOf(*kind).current)
        return KlbStatus::UnknownTag;
    e.kind = *kind;
    ReadExtras(r, head.version, e);
    std::string_view block = r.bytes(kKlbBlockSize);
    if (!r.ok())
        return KlbStatus::Corrupt;
    ReadBlockFields(block, e);
    return ReadParts(r, block, withPayload, e) && r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
}

KlbResult KlbFile::OpenFile(const std::filesystem::path& file) {
    auto bytes = ReadKlbFile(file);
    if (!bytes)
        return KlbStatus::IoError;
    bytes_ = std::move(*bytes);
    return ReadHeader(bytes_);
}

KlbResult KlbFile::OpenBytes(std::string_view bytes) {
    bytes_.clear();
    return ReadHeader(bytes);
}

KlbResult KlbFile::ReadHeader(std::string_view bytes) {
    reader_ = ByteReader(bytes);
    count_ = 0;
    if (reader_.bytes(kKlbMagic.size()) != kKlbMagic)
        return KlbStatus::BadMagic;
    count_ = reader_.i32();
    return KlbStatus::Ok;
}

namespace {

KlbResult ReadEntries(KlbFile& file, KlbLibrary& lib, const KlbProgress& progress) {
    ByteReader& r = file.reader();
    lib.count = file.count();
    size_t read = 0;
    // The first entry is read even when none follows the header: an empty
    // library is as broken as one with a damaged entry.
    do {
        KlbHead head = ReadKlbHead(r);
        if (!r.ok())
            return KlbStatus::Corrupt;
        KlbEntry entry;
        bool dropped = false;
        KlbResult s = ReadKlbEntryBody(r, head, entry, true, &dropped);
        if (!s)
            return s;
        if (!dropped && !entry.name.empty())
            lib.entries.push_back(std::move(entry));
        ++read;
        if (progress)
            progress(read, lib.count);
    } while (!r.atEnd());
    return KlbStatus::Ok;
}

}  // namespace

KlbResult ReadKlbLibrary(std::string_view bytes, KlbLibrary& lib, const KlbProgress& progress) {
    lib = KlbLibrary{};
    KlbFile file;
    KlbResult opened = file.OpenBytes(bytes);
    return opened ? ReadEntries(file, lib, progress) : opened;
}

std::optional<std::string> ReadKlbFile(const std::filesystem::path& file) {
    return ReadFileBytes(file, kKlbMaxFileSize);
}

KlbResult LoadKlbLibrary(const std::filesystem::path& path, KlbLibrary& lib,
                         const KlbProgress& progress) {
    lib = KlbLibrary{};
    KlbFile file;
    KlbResult opened = file.OpenFile(path);
    return opened ? ReadEntries(file, lib, progress) : opened;
}

void WriteKlbEntry(ByteWriter& w, const KlbEntry& e, KlbPart* image, KlbPart* mask) {
    const KindLayout& layout = LayoutOf(e.kind);
    w.fixedText(layout.tag, kKlbTagSize);
    w.u8(layout.current);
    w.lenString(e.groupPath);
    w.lenString(e.themeIdList);
    WriteExtras(w, e);
    std::string block = WriteBlockFields(e);

    // The payload follows the block: the image, then the mask.
    const int32_t payloadStart = static_cast<int32_t>(w.pos() + kKlbBlockSize);
    const int32_t imageSize = static_cast<int32_t>(e.image.size());
    const int32_t maskSize = static_cast<int32_t>(e.mask.size());
    KlbPart newImage, newMask;
    // A skin element without an image stores no position for it.
    if (layout.imageAt && (imageSize > 0 || e.kind != KlbKind::Skin))
        newImage = {payloadStart, imageSize};
    if (layout.maskAt && maskSize > 0)
        newMask = {payloadStart + imageSize, maskSize};
    if (layout.imageAt) {
        PutI32(block, layout.imageAt, newImage.offset);
        PutI32(block, layout.imageAt + 4, newImage.size);
    }
    if (layout.maskAt) {
        PutI32(block, layout.maskAt, newMask.offset);
        PutI32(block, layout.maskAt + 4, newMask.size);
    }
    w.bytes(block);
    if (layout.imageAt)
        w.bytes(e.image);
    if (layout.maskAt)
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

KlbResult SaveKlbLibrary(const std::filesystem::path& file, std::vector<KlbEntry>& entries,
                         int32_t count, SaveTarget how) {
    std::vector<std::pair<KlbPart, KlbPart>> parts;
    std::string bytes = WriteKlbLibrary(entries, count, &parts);
    if (!WriteFileAtomic(file, bytes, how))
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
