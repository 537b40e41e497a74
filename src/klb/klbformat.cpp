#include "klb/klbformat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <utility>

#include "core/zrconst.h"

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
// How much of a library is read at first for one entry's head, texts and block; enough for
// any entry of a real library.
constexpr int64_t kKlbFirstWindow = 64 * 1024;

// A FRAME record's payload sizes lie at these offsets of its longer block.
constexpr size_t kFramePayloadSizes[] = {92, 100, 136};

// The payload sizes that follow a block, summed; negative sizes are damage, not a way to step
// backwards.
bool PayloadLength(std::initializer_list<int32_t> sizes, uint64_t& total) {
    total = 0;
    for (int32_t s : sizes) {
        if (s < 0)
            return false;
        total += static_cast<uint32_t>(s);
    }
    return true;
}

// A part lies inside the file, or is absent (offset or size not above zero).
bool PartFits(const KlbPart& part, uint64_t fileSize) {
    if (part.offset <= 0 || part.size <= 0)
        return true;
    return static_cast<uint64_t>(part.offset) + static_cast<uint64_t>(part.size) <= fileSize;
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

// Reads an ANIMS or FRAME record up to its payload.
KlbResult ReadDroppedRecord(ByteReader& r, const KlbHead& head, KlbPayload& payload) {
    if (head.tag == "ANIMS") {
        r.skip(kKlbBlockSize);
        for (size_t i = 0; i < kAnimsStrings; ++i) r.lenString();
        return r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
    }
    std::string_view block = r.bytes(kKlbFrameBlockSize);
    if (!r.ok())
        return KlbStatus::Corrupt;
    const size_t* at = kFramePayloadSizes;
    const bool ok = PayloadLength(
        {GetI32(block, at[0]), GetI32(block, at[1]), GetI32(block, at[2])}, payload.length);
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

// The image and mask the block names, and the length of the payload after the block.
bool ReadParts(std::string_view block, KlbEntry& e, KlbPayload& payload) {
    const KindLayout& layout = LayoutOf(e.kind);
    auto at = [&](size_t off) { return GetI32(block, off); };
    const int32_t imageSize = layout.imageAt ? at(layout.imageAt + 4) : 0;
    const int32_t maskSize = layout.maskAt ? at(layout.maskAt + 4) : 0;
    if (layout.imageAt)
        e.imagePart = {at(layout.imageAt), imageSize};
    if (layout.maskAt)
        e.maskPart = {at(layout.maskAt), maskSize};
    return PayloadLength({imageSize, maskSize}, payload.length);
}

// The bytes of a part of a library held whole; empty for an absent part.
std::string PartBytes(std::string_view file, const KlbPart& part) {
    if (part.offset <= 0 || part.size <= 0)
        return {};
    return std::string(
        file.substr(static_cast<size_t>(part.offset), static_cast<size_t>(part.size)));
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

KlbResult ReadKlbEntryFields(ByteReader& r, const KlbHead& head, KlbEntry& e, KlbPayload& payload,
                             bool* dropped) {
    if (dropped)
        *dropped = false;
    e = KlbEntry{};
    payload = KlbPayload{};
    e.version = head.version;
    e.groupPath = head.groupPath;
    e.themeIdList = head.themeIdList;
    if (!r.ok())
        return KlbStatus::Corrupt;
    if (IsDroppedRecord(head)) {
        if (dropped)
            *dropped = true;
        return ReadDroppedRecord(r, head, payload);
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
    return ReadParts(block, e, payload) ? KlbStatus::Ok : KlbStatus::Corrupt;
}

bool KlbPayloadFits(const KlbEntry& e, const KlbPayload& payload, uint64_t at, uint64_t fileSize) {
    return at <= fileSize && payload.length <= fileSize - at && PartFits(e.imagePart, fileSize) &&
           PartFits(e.maskPart, fileSize);
}

KlbResult ReadKlbEntryBody(ByteReader& r, const KlbHead& head, KlbEntry& e, bool withPayload,
                           bool* dropped) {
    KlbPayload payload;
    if (KlbResult fields = ReadKlbEntryFields(r, head, e, payload, dropped); !fields)
        return fields;
    if (!KlbPayloadFits(e, payload, r.pos(), r.size()))
        return KlbStatus::Corrupt;
    if (withPayload) {
        e.image = PartBytes(r.data(), e.imagePart);
        e.mask = PartBytes(r.data(), e.maskPart);
    }
    r.skip(static_cast<size_t>(payload.length));
    return r.ok() ? KlbStatus::Ok : KlbStatus::Corrupt;
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

KlbResult KlbRangeReader::Open(const std::filesystem::path& file) {
    pos_ = 0;
    count_ = 0;
    failed_ = true;
    if (!file_.Open(file))
        return KlbStatus::IoError;
    const auto header = file_.ReadAt(0, std::min<int64_t>(kKlbHeaderSize, file_.Size()));
    if (!header)
        return KlbStatus::IoError;
    KlbFile opened;
    if (KlbResult read = opened.OpenBytes(*header); !read)
        return read;
    count_ = opened.count();
    pos_ = static_cast<int64_t>(opened.reader().pos());
    failed_ = false;
    return KlbStatus::Ok;
}

KlbResult KlbRangeReader::ReadFields(KlbHead& head, KlbEntry& entry, KlbPayload& payload,
                                     bool* dropped) {
    // The texts before the block are as long as their authors made them: the window grows
    // until the entry's block fits, within the bound for one entry's texts.
    const int64_t left = file_.Size() - pos_;
    for (int64_t window = kKlbFirstWindow;; window *= 4) {
        const int64_t take = std::min(window, left);
        const auto bytes = file_.ReadAt(pos_, take);
        if (!bytes)
            return KlbStatus::IoError;
        ByteReader r(*bytes);
        head = ReadKlbHead(r);
        KlbResult read = ReadKlbEntryFields(r, head, entry, payload, dropped);
        if (read.ok() || read.status != KlbStatus::Corrupt || take == left ||
            window >= static_cast<int64_t>(MaxKlbEntryTexts)) {
            pos_ += static_cast<int64_t>(r.pos());
            return read;
        }
    }
}

KlbResult KlbRangeReader::Next(KlbHead& head, KlbEntry& entry, bool* dropped) {
    if (failed_)
        return KlbStatus::Corrupt;
    failed_ = true;
    KlbPayload payload;
    if (KlbResult fields = ReadFields(head, entry, payload, dropped); !fields)
        return fields;
    if (!KlbPayloadFits(entry, payload, static_cast<uint64_t>(pos_),
                        static_cast<uint64_t>(file_.Size())))
        return KlbStatus::Corrupt;
    pos_ += static_cast<int64_t>(payload.length);
    failed_ = false;
    return KlbStatus::Ok;
}

KlbResult KlbRangeReader::ReadPayload(KlbEntry& entry) const {
    for (auto [part, bytes] :
         {std::pair{entry.imagePart, &entry.image}, std::pair{entry.maskPart, &entry.mask}}) {
        bytes->clear();
        if (part.offset <= 0 || part.size <= 0)
            continue;
        auto read = file_.ReadAt(part.offset, part.size);
        if (!read)
            return KlbStatus::IoError;
        *bytes = std::move(*read);
    }
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
