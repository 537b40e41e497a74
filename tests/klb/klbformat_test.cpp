// Theme library file: golden bytes, round trips of every record kind and
// version, and damaged files.
#include "klb/klbformat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/zrconst.h"
#include "platform/atomicfile.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using test::LE;

// Text zero-padded to n bytes.
std::string Pad(std::string_view text, size_t n) {
    std::string b(text);
    b.resize(n, '\0');
    return b;
}
// A 200-byte block: the 80-byte name, then 32-bit fields at the given offsets.
std::string Block(std::string_view name, std::initializer_list<std::pair<size_t, int32_t>> fields,
                  std::string_view fileType = {}) {
    std::string b = Pad(name, 200);
    for (auto [at, v] : fields) b.replace(at, 4, LE(v));
    if (!fileType.empty())
        b.replace(88, fileType.size(), fileType);
    return b;
}

// One entry of every kind, offsets worked out by hand.
std::string GoldenLibrary() {
    std::string b;
    b += "KLB";  // 0: magic
    b += LE(6);  // 3: entry count
    // Entry at 7: a group at the top level.
    b += Pad("GROUP", 7);      // 7: tag
    b += "\x01";               // 14: version 1
    b += LE(0);                // 15: group path, empty
    b += LE(7) + "classic";    // 19: Theme ID list
    b += Block("Blocks", {});  // 30: block, no fields
    // Entry at 230: main bitmap, version 2, inside the group.
    b += Pad("MAIN", 7);                // 230: tag
    b += "\x02";                        // 237: version 2
    b += LE(7) + "Blocks|";             // 238: group path
    b += LE(7) + "classic";             // 249: Theme ID list
    b += LE(4) + "Info";                // 260: Information
    b += LE(5) + "extra";               // 268: References
    b += Block("Classic", {{80, 477},   // bitmap offset = payload start
                           {84, 4},     // bitmap size
                           {88, 481},   // mask offset = bitmap offset + size
                           {92, 4},     // mask size
                           {96, 320},   // minimum window width
                           {100, 240},  // minimum window height
                           {104, 12},   // field width
                           {108, 22},   // field height
                           {112, 16},   // large block size
                           {116, 8}});  // small block size; block at 277
    b += "IMG1";                        // 477: bitmap bytes
    b += "MSK1";                        // 481: mask bytes
    // Entry at 485: special-block bitmap.
    b += Pad("DETAIL", 7);                         // 485: tag
    b += "\x01";                                   // 492: version 1
    b += LE(7) + "Blocks|";                        // 493: group path
    b += LE(7) + "classic";                        // 504: Theme ID list
    b += Block("Specials", {{80, 715}, {84, 3}});  // 515: bitmap offset, size
    b += "DET";                                    // 715: bitmap bytes
    // Entry at 718: sound.
    b += Pad("SOUNDS", 7);                     // 718: tag
    b += "\x01";                               // 725: version 1
    b += LE(0);                                // 726: group path, empty
    b += LE(1) + "*";                          // 730: Theme ID list
    b += Block("drop", {{80, 935}, {84, 5}});  // 735: payload offset, size
    b += "WAVE!";                              // 935: sound bytes
    // Entry at 940: music.
    b += Pad("MUSIC", 7);                              // 940: tag
    b += "\x01";                                       // 947: version 1
    b += LE(0);                                        // 948: group path, empty
    b += LE(1) + "*";                                  // 952: Theme ID list
    b += Block("Tune", {{80, 1157}, {84, 4}}, "mid");  // 957: offset, size, file type
    b += "MThd";                                       // 1157: music bytes
    // Entry at 1161: skin element, version 3, image without mask.
    b += Pad("GUIBMP", 7);              // 1161: tag
    b += "\x03";                        // 1168: version 3
    b += LE(0);                         // 1169: group path, empty
    b += LE(1) + "*";                   // 1173: Theme ID list
    b += LE(7) + "stretch";             // 1178: flag list
    b += LE(13) + "onclick\nclose";     // 1189: event list
    b += LE(0);                         // 1206: parent name, empty
    b += Block("Button", {{80, 10},     // left
                          {84, 20},     // top
                          {88, 30},     // width
                          {92, 40},     // height
                          {96, 1410},   // image offset
                          {100, 2},     // image size
                          {112, -1}});  // no background colour; block at 1210
    b += "IM";                          // 1410: image bytes; file ends at 1412
    return b;
}

const std::vector<size_t> kGoldenBoundaries = {230, 485, 718, 940, 1161, 1412};

TEST(KlbFormat, GoldenLibraryReadsEveryField) {
    std::string bytes = GoldenLibrary();
    ASSERT_EQ(bytes.size(), 1412u);
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(bytes, lib), KlbStatus::Ok);
    EXPECT_EQ(lib.count, 6);
    ASSERT_EQ(lib.entries.size(), 6u);

    const KlbEntry& group = lib.entries[0];
    EXPECT_EQ(group.kind, KlbKind::Group);
    EXPECT_EQ(group.name, "Blocks");
    EXPECT_EQ(group.themeIdList, "classic");

    const KlbEntry& main = lib.entries[1];
    EXPECT_EQ(main.kind, KlbKind::Main);
    EXPECT_EQ(main.groupPath, "Blocks|");
    EXPECT_EQ(main.information, "Info");
    EXPECT_EQ(main.references, "extra");
    EXPECT_EQ(main.minWindowWidth, 320);
    EXPECT_EQ(main.minWindowHeight, 240);
    EXPECT_EQ(main.fieldWidth, 12);
    EXPECT_EQ(main.fieldHeight, 22);
    EXPECT_EQ(main.largeBlockSize, 16);
    EXPECT_EQ(main.smallBlockSize, 8);
    EXPECT_EQ(main.image, "IMG1");
    EXPECT_EQ(main.mask, "MSK1");
    EXPECT_EQ(main.maskPart, (KlbPart{481, 4}));

    EXPECT_EQ(lib.entries[2].kind, KlbKind::Detail);
    EXPECT_EQ(lib.entries[2].image, "DET");
    EXPECT_EQ(lib.entries[3].kind, KlbKind::Sound);
    EXPECT_EQ(lib.entries[3].image, "WAVE!");
    EXPECT_EQ(lib.entries[3].imagePart, (KlbPart{935, 5}));
    EXPECT_EQ(lib.entries[4].kind, KlbKind::Music);
    EXPECT_EQ(lib.entries[4].fileType, "mid");
    EXPECT_EQ(lib.entries[4].image, "MThd");

    const KlbEntry& skin = lib.entries[5];
    EXPECT_EQ(skin.kind, KlbKind::Skin);
    EXPECT_EQ(skin.flagList, "stretch");
    EXPECT_EQ(skin.eventList, "onclick\nclose");
    EXPECT_EQ(skin.parentName, "");
    EXPECT_EQ(skin.left, 10);
    EXPECT_EQ(skin.top, 20);
    EXPECT_EQ(skin.width, 30);
    EXPECT_EQ(skin.height, 40);
    EXPECT_EQ(skin.backColour, -1);
    EXPECT_EQ(skin.image, "IM");
    EXPECT_TRUE(skin.mask.empty());
    EXPECT_EQ(skin.maskPart, (KlbPart{0, 0}));
}

TEST(KlbFormat, GoldenLibraryWritesBackIdentically) {
    std::string bytes = GoldenLibrary();
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(bytes, lib), KlbStatus::Ok);
    EXPECT_EQ(WriteKlbLibrary(lib.entries, lib.count), bytes);
}

TEST(KlbFormat, EveryPrefixEitherEndsOnAnEntryOrFails) {
    std::string bytes = GoldenLibrary();
    for (size_t n = 0; n < bytes.size(); ++n) {
        KlbLibrary lib;
        KlbStatus s = ReadKlbLibrary(std::string_view(bytes).substr(0, n), lib).status;
        auto it = std::find(kGoldenBoundaries.begin(), kGoldenBoundaries.end(), n);
        if (n < 3) {
            EXPECT_EQ(s, KlbStatus::BadMagic) << n;
        } else if (it != kGoldenBoundaries.end()) {
            EXPECT_EQ(s, KlbStatus::Ok) << n;
            EXPECT_EQ(lib.entries.size(), static_cast<size_t>(it - kGoldenBoundaries.begin()) + 1);
        } else {
            // A header alone has no first entry to read: broken, like any cut.
            EXPECT_NE(s, KlbStatus::Ok) << n;
        }
    }
}

TEST(KlbFormat, SizesAndOffsetsBeyondTheFileAreDamage) {
    std::string good = GoldenLibrary();
    struct Case {
        size_t at;
        int32_t value;
        const char* what;
    };
    const Case cases[] = {
        {277 + 84, 1 << 30, "main bitmap size past the end"},
        {277 + 80, 2000, "main bitmap offset past the end"},
        {277 + 92, -8, "negative mask size would step backwards"},
        {735 + 84, -1, "negative sound size"},
        {957 + 80, 0x7FFFFFF0, "music offset overflowing with its size"},
        {1210 + 100, 100, "skin image larger than the rest of the file"},
        {19, 1 << 30, "Theme ID list longer than the file"},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        bytes.replace(c.at, 4, LE(c.value));
        KlbLibrary lib;
        EXPECT_EQ(ReadKlbLibrary(bytes, lib), KlbStatus::Corrupt) << c.what;
    }
}

TEST(KlbFormat, UnknownTagOrVersionStopsKeepingEarlierEntries) {
    std::string bytes = GoldenLibrary();
    std::string wrongTag = bytes;
    wrongTag.replace(485, 7, Pad("DETAIK", 7));
    KlbLibrary lib;
    EXPECT_EQ(ReadKlbLibrary(wrongTag, lib), KlbStatus::UnknownTag);
    EXPECT_EQ(lib.entries.size(), 2u);

    std::string lowerCase = bytes;
    lowerCase.replace(485, 7, Pad("detail", 7));  // tags are compared case-sensitively
    EXPECT_EQ(ReadKlbLibrary(lowerCase, lib), KlbStatus::UnknownTag);

    std::string wrongVersion = bytes;
    wrongVersion[237] = '\x03';  // MAIN has versions 1 and 2 only
    EXPECT_EQ(ReadKlbLibrary(wrongVersion, lib), KlbStatus::UnknownTag);
    EXPECT_EQ(lib.entries.size(), 1u);

    EXPECT_EQ(ReadKlbLibrary("KLA\x01\0\0\0", lib), KlbStatus::BadMagic);
    EXPECT_TRUE(lib.entries.empty());
}

TEST(KlbFormat, LengthZeroOrNegativeIsEmptyAndConsumesFourBytes) {
    std::string b = "KLB" + LE(1);
    b += Pad("GROUP", 7) + "\x01";
    b += LE(-5);  // group path: negative length, empty
    b += LE(0);   // Theme ID list: empty
    b += Block("G", {});
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(b, lib), KlbStatus::Ok);
    ASSERT_EQ(lib.entries.size(), 1u);
    EXPECT_EQ(lib.entries[0].groupPath, "");
    EXPECT_EQ(lib.entries[0].name, "G");
}

TEST(KlbFormat, CountLargerThanEntriesAndUnnamedEntriesDropped) {
    std::string b = "KLB" + LE(40);  // reference entries counted but not written
    b += Pad("GROUP", 7) + "\x01" + LE(0) + LE(0) + Block("", {});  // no name: dropped
    b += Pad("GROUP", 7) + "\x01" + LE(0) + LE(0) + Block("Kept", {});
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(b, lib), KlbStatus::Ok);
    ASSERT_EQ(lib.entries.size(), 1u);
    EXPECT_EQ(lib.entries[0].name, "Kept");
}

TEST(KlbFormat, NamesOfEightyBytesFillTheFieldLongerOnesAreCut) {
    KlbEntry e;
    e.kind = KlbKind::Group;
    e.name = std::string(80, 'n');
    std::string bytes = WriteKlbLibrary({e}, 1);
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(bytes, lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries[0].name, std::string(80, 'n'));

    e.name = std::string(80, 'a') + "tail";
    ASSERT_EQ(ReadKlbLibrary(WriteKlbLibrary({e}, 1), lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries[0].name, std::string(80, 'a'));
}

std::vector<KlbEntry> OneOfEveryKind() {
    std::vector<KlbEntry> v;
    KlbEntry g;
    g.kind = KlbKind::Group;
    g.name = "Group";
    g.themeIdList = "a b";
    v.push_back(g);
    KlbEntry m;
    m.kind = KlbKind::Main;
    m.name = "Main";
    m.groupPath = "Group|";
    m.themeIdList = "a";
    m.information = "by someone";
    m.references = "base more";
    m.minWindowWidth = 1;
    m.minWindowHeight = 2;
    m.fieldWidth = 3;
    m.fieldHeight = 4;
    m.largeBlockSize = 5;
    m.smallBlockSize = -6;
    m.image = std::string("\0\1\2", 3);
    v.push_back(m);
    m.name = "Masked";
    m.mask = "mask";
    v.push_back(m);
    KlbEntry d;
    d.kind = KlbKind::Detail;
    d.name = "Detail";
    d.image = "det";
    v.push_back(d);
    KlbEntry s;
    s.kind = KlbKind::Sound;
    s.name = "Sound";
    s.image = std::string(1000, '\x80');
    v.push_back(s);
    KlbEntry mu;
    mu.kind = KlbKind::Music;
    mu.name = "Music";
    mu.fileType = "mp3";
    mu.image = "ID3";
    v.push_back(mu);
    KlbEntry k;
    k.kind = KlbKind::Skin;
    k.name = "Skin";
    k.flagList = "a\nb c\rd";
    k.eventList = "onclick\nshow\nmain\ronclick\nhide";
    k.parentName = "parent";
    k.left = -1;
    k.top = -2;
    k.width = 3;
    k.height = 4;
    k.backColour = 0x00102030;
    v.push_back(k);
    k.name = "SkinImage";
    k.image = "img";
    v.push_back(k);
    k.name = "SkinBoth";
    k.mask = "msk";
    v.push_back(k);
    k.name = "SkinMaskOnly";
    k.image.clear();
    v.push_back(k);
    return v;
}

TEST(KlbFormat, EveryKindRoundTripsThroughTheCurrentVersion) {
    std::vector<KlbEntry> entries = OneOfEveryKind();
    std::vector<std::pair<KlbPart, KlbPart>> parts;
    std::string bytes = WriteKlbLibrary(entries, 99, &parts);
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(bytes, lib), KlbStatus::Ok);
    ASSERT_EQ(lib.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        KlbEntry want = entries[i];
        want.version = KlbCurrentVersion(want.kind);
        want.imagePart = parts[i].first;
        want.maskPart = parts[i].second;
        EXPECT_EQ(lib.entries[i], want) << want.name;
    }
    EXPECT_EQ(WriteKlbLibrary(lib.entries, 99), bytes);
}

TEST(KlbFormat, MissingMainMaskAndMissingSkinImagesLeaveNoBytes) {
    KlbEntry m;
    m.kind = KlbKind::Main;
    m.name = "M";
    m.image = "xy";
    ByteWriter w;
    KlbPart image, mask;
    WriteKlbEntry(w, m, &image, &mask);
    // Head 7+1+4+4, extras 4+4, block 200, payload 2.
    EXPECT_EQ(w.out().size(), 16u + 8 + 200 + 2);
    EXPECT_EQ(GetI32(w.out(), 24 + 88), 0);
    EXPECT_EQ(GetI32(w.out(), 24 + 92), 0);

    KlbEntry k;
    k.kind = KlbKind::Skin;
    k.name = "K";
    ByteWriter w2;
    WriteKlbEntry(w2, k, &image, &mask);
    EXPECT_EQ(w2.out().size(), 16u + 12 + 200);  // the next tag follows the block
    for (size_t at : {96, 100, 104, 108}) EXPECT_EQ(GetI32(w2.out(), 28 + at), 0);
}

TEST(KlbFormat, MusicWithoutFileTypeIsWrittenAsMidi) {
    KlbEntry mu;
    mu.kind = KlbKind::Music;
    mu.name = "m";
    mu.fileType = "";
    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(WriteKlbLibrary({mu}, 1), lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries[0].fileType, "mid");
    mu.fileType = "longtype";
    ASSERT_EQ(ReadKlbLibrary(WriteKlbLibrary({mu}, 1), lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries[0].fileType, "longty");
}

TEST(KlbFormat, OldVersionsAreConvertedAndDroppedRecordsSkipped) {
    std::string b = "KLB" + LE(5);
    // MAIN version 1: Information only.
    b += Pad("MAIN", 7) + "\x01" + LE(0) + LE(1) + "x";  // tag, version, path, ids at 7..
    b += LE(3) + "old";                                  // Information
    size_t blockAt = b.size();                           // 7+8+4+5+7 = 31
    b += Block("OldMain", {{80, static_cast<int32_t>(blockAt + 200)}, {84, 2}, {104, 12}});
    b += "BM";
    // ANIMS: block, then three strings, no payload.
    b += Pad("ANIMS", 7) + "\x01" + LE(0) + LE(0) + Block("anim", {}) + LE(1) + "a" + LE(0) +
         LE(2) + "bc";
    // FRAME: 204-byte block, payload = the values at 92, 100 and 136.
    std::string frame(204, '\0');
    frame.replace(92, 4, LE(1));
    frame.replace(100, 4, LE(2));
    frame.replace(136, 4, LE(3));
    b += Pad("FRAME", 7) + "\x01" + LE(0) + LE(0) + frame + "123456";
    // GUIBMP version 1: blanks separate items, ":" separates fields, "," parameters.
    b += Pad("GUIBMP", 7) + "\x01" + LE(0) + LE(0);
    b += LE(13) + "size:10,20 up";            // flag list
    b += LE(23) + "onclick:show:a onup:x:b";  // event list
    b += LE(0);                               // parent
    b += Block("Old", {{112, -1}});
    // GUIBMP version 2: event list already current, flag list old.
    b += Pad("GUIBMP", 7) + "\x02" + LE(0) + LE(0);
    b += LE(8) + "tile:a,b";       // flag list
    b += LE(12) + "on:run:x y z";  // blanks stay
    b += LE(0);
    b += Block("Old2", {});

    KlbLibrary lib;
    ASSERT_EQ(ReadKlbLibrary(b, lib), KlbStatus::Ok);
    ASSERT_EQ(lib.entries.size(), 3u);
    EXPECT_EQ(lib.entries[0].information, "old");
    EXPECT_EQ(lib.entries[0].references, "");
    EXPECT_EQ(lib.entries[0].image, "BM");
    EXPECT_EQ(lib.entries[0].fieldWidth, 12);
    EXPECT_EQ(lib.entries[1].flagList, "size\n10 20\rup");
    EXPECT_EQ(lib.entries[1].eventList, "onclick\nshow\na\ronup\nx\nb");
    EXPECT_EQ(lib.entries[2].flagList, "tile\na b");
    EXPECT_EQ(lib.entries[2].eventList, "on:run:x y z");

    // Written again, every entry is in its current version and reads the same.
    std::vector<std::pair<KlbPart, KlbPart>> parts;
    std::string current = WriteKlbLibrary(lib.entries, lib.count, &parts);
    KlbLibrary again;
    ASSERT_EQ(ReadKlbLibrary(current, again), KlbStatus::Ok);
    ASSERT_EQ(again.entries.size(), 3u);
    EXPECT_EQ(again.entries[0].version, kMainVersion);
    EXPECT_EQ(again.entries[1].version, kSkinVersion);
    EXPECT_EQ(again.entries[1].flagList, lib.entries[1].flagList);
    EXPECT_EQ(again.entries[0].information, "old");
}

class KlbSaveTest : public ::testing::Test {
protected:
    test::TempDir temp_;
    const std::filesystem::path& dir_ = temp_.Path();
};

TEST_F(KlbSaveTest, SaveCommitsNewOffsetsAndLeavesNoTemporaryFile) {
    std::vector<KlbEntry> entries = OneOfEveryKind();
    auto file = dir_ / "mine.klb";
    ASSERT_EQ(SaveKlbLibrary(file, entries, 10), KlbStatus::Ok);
    KlbLibrary lib;
    ASSERT_EQ(LoadKlbLibrary(file, lib), KlbStatus::Ok);
    EXPECT_EQ(lib.entries, entries);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);

    ASSERT_TRUE(CopyLibraryFile(file, dir_ / "copy.klb"));
    EXPECT_EQ(ReadKlbFile(dir_ / "copy.klb"), ReadKlbFile(file));
}

TEST_F(KlbSaveTest, FailedSaveKeepsTheOldFileAndTheOffsets) {
    std::vector<KlbEntry> entries = OneOfEveryKind();
    auto file = dir_ / "missing" / "mine.klb";  // folder does not exist: the write fails
    std::vector<KlbEntry> before = entries;
    EXPECT_EQ(SaveKlbLibrary(file, entries, 10), KlbStatus::IoError);
    EXPECT_EQ(entries, before);

    auto real = dir_ / "real.klb";
    ASSERT_EQ(SaveKlbLibrary(real, entries, 10), KlbStatus::Ok);
    auto saved = ReadKlbFile(real);
    // A target that is a folder cannot be replaced: the old library stays whole.
    std::filesystem::create_directories(dir_ / "dir.klb" / "x");
    std::vector<KlbEntry> other = OneOfEveryKind();
    EXPECT_EQ(SaveKlbLibrary(dir_ / "dir.klb", other, 1), KlbStatus::IoError);
    EXPECT_EQ(ReadKlbFile(real), saved);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);
}

TEST(KlbFormat, DefaultLibraryNameIsRecognisedInAnyCase) {
    EXPECT_TRUE(IsDefaultLibraryName("/x/default.klb"));
    EXPECT_TRUE(IsDefaultLibraryName("DEFAULT.KLB"));
    EXPECT_FALSE(IsDefaultLibraryName("/x/default.klb.bak"));
    EXPECT_FALSE(IsDefaultLibraryName("/default.klb/other.klb"));
}

TEST(KlbFormat, OpeningTellsUnreadableFilesFromFilesThatAreNoLibrary) {
    test::TempDir dir;
    KlbLibrary lib;
    KlbResult missing = LoadKlbLibrary(dir.Path() / "missing.klb", lib);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing, KlbStatus::IoError);
    EXPECT_EQ(missing.message, "");  // the callers word it for their users
    EXPECT_EQ(LoadKlbLibrary(dir.Path(), lib), KlbStatus::IoError);
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / "mz.klb", "MZ whatever"));
    EXPECT_EQ(LoadKlbLibrary(dir.Path() / "mz.klb", lib), KlbStatus::BadMagic);

    KlbFile file;
    const std::string bytes = std::string("KLB\x02\0\0\0", 7) + "entries";
    ASSERT_TRUE(file.OpenBytes(bytes));
    EXPECT_EQ(file.count(), 2);
    EXPECT_EQ(file.reader().pos(), kKlbHeaderSize);
}
}  // namespace
}  // namespace pk

namespace pk {
namespace {

// Reads a library file as the client does, entry by entry with bounded reads, gathering what
// ReadKlbLibrary gathers from the bytes held whole.
KlbStatus ReadByRanges(const std::filesystem::path& file, KlbLibrary& lib) {
    lib = KlbLibrary{};
    KlbRangeReader reader;
    if (KlbResult opened = reader.Open(file); !opened)
        return opened.status;
    lib.count = reader.count();
    do {
        KlbHead head;
        KlbEntry entry;
        bool dropped = false;
        if (KlbResult read = reader.Next(head, entry, &dropped); !read)
            return read.status;
        if (KlbResult payload = reader.ReadPayload(entry); !payload)
            return payload.status;
        if (!dropped && !entry.name.empty())
            lib.entries.push_back(std::move(entry));
    } while (!reader.AtEnd());
    return KlbStatus::Ok;
}

TEST_F(KlbSaveTest, ReadingByRangesGivesWhatReadingWholeGives) {
    const std::string good = GoldenLibrary();
    std::vector<std::string> libraries;
    for (size_t n = 0; n <= good.size(); ++n) libraries.push_back(good.substr(0, n));
    for (auto [at, value] : {std::pair<size_t, int32_t>{277 + 84, 1 << 30},
                             {277 + 92, -8},
                             {957 + 80, 0x7FFFFFF0},
                             {1210 + 100, 100},
                             {19, 1 << 30}}) {
        libraries.push_back(good);
        libraries.back().replace(at, 4, LE(value));
    }
    const auto file = dir_ / "lib.klb";
    for (const std::string& bytes : libraries) {
        ASSERT_TRUE(WriteFileAtomic(file, bytes));
        KlbLibrary whole;
        KlbLibrary ranges;
        const KlbStatus expected = ReadKlbLibrary(bytes, whole).status;
        EXPECT_EQ(ReadByRanges(file, ranges), expected) << bytes.size();
        EXPECT_EQ(ranges.count, whole.count);
        EXPECT_EQ(ranges.entries, whole.entries) << bytes.size();
    }
}

TEST_F(KlbSaveTest, ReadingByRangesTakesLongTextsWithinTheirBoundAndSeesTheFileAsOpened) {
    KlbEntry skin;
    skin.kind = KlbKind::Skin;
    skin.name = "long";
    skin.eventList = std::string(300 * 1024, 'e');  // beyond the first part read of an entry
    KlbEntry main;
    main.kind = KlbKind::Main;
    main.name = "after";
    main.image = "BM-image";
    const auto file = dir_ / "long.klb";
    ASSERT_TRUE(WriteFileAtomic(file, WriteKlbLibrary({skin, main}, 2)));

    KlbRangeReader reader;
    ASSERT_TRUE(reader.Open(file));
    // The editor replaces the library while it is read: the rest is read as it was opened.
    ASSERT_TRUE(WriteFileAtomic(file, WriteKlbLibrary({main}, 1)));
    KlbHead head;
    KlbEntry read;
    ASSERT_TRUE(reader.Next(head, read));
    EXPECT_EQ(read.eventList, skin.eventList);
    ASSERT_TRUE(reader.Next(head, read));
    EXPECT_EQ(read.name, "after");
    EXPECT_TRUE(read.image.empty());  // payloads only when asked for
    ASSERT_TRUE(reader.ReadPayload(read));
    EXPECT_EQ(read.image, "BM-image");
    EXPECT_TRUE(reader.AtEnd());

    // Texts beyond the bound for one entry are damage, whatever the file holds.
    skin.eventList.assign(MaxKlbEntryTexts, 'e');
    ASSERT_TRUE(WriteFileAtomic(file, WriteKlbLibrary({main, skin, main}, 3)));
    ASSERT_TRUE(reader.Open(file));
    EXPECT_TRUE(reader.Next(head, read));
    EXPECT_EQ(reader.Next(head, read), KlbStatus::Corrupt);
    EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
}  // namespace pk
