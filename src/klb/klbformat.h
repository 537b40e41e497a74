// The theme library file ("*.klb"), shared by the editor, which writes it,
// and the client, which reads it.
//
// Layout (all integers 32-bit little-endian, signed):
//   header   "KLB" (3 bytes), entry count (4 bytes; may exceed the entries
//            present, readers only scale progress with it)
//   entries  back to back to the end of the file, each:
//     tag        7 bytes, zero-padded: MUSIC MAIN DETAIL SOUNDS GROUP GUIBMP
//                (ANIMS and FRAME are read and dropped)
//     version    1 byte
//     group path length-prefixed string, each enclosing group + "|"
//     theme ids  length-prefixed string, blank-separated words
//     extras     MAIN v2: Information, References; MAIN v1: Information;
//                GUIBMP: flag list, event list, parent name
//     block      200 bytes: 0-79 name (zero-padded), 80-199 by tag:
//                MUSIC   80 offset, 84 size, 88-93 file type (zero-padded)
//                MAIN    80 bitmap offset, 84 size, 88 mask offset (0 none),
//                        92 mask size, 96 min window width, 100 min window
//                        height, 104 field width, 108 field height,
//                        112 large block size, 116 small block size
//                DETAIL  80 bitmap offset, 84 size
//                SOUNDS  80 offset, 84 size
//                GUIBMP  80 left, 84 top, 88 width, 92 height, 96 image
//                        offset, 100 image size, 104 mask offset, 108 mask
//                        size, 112 background colour 0x00BBGGRR or -1
//                unused bytes are zero. ANIMS: block then three strings.
//                FRAME: a 204-byte block.
//     payload    right after the block: the parts named by the block, in
//                order (BMP files, WAV, MIDI or MP3 bytes); offsets are
//                absolute file positions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytestream.h"
#include "platform/atomicfile.h"

namespace pk {

inline constexpr std::string_view kKlbMagic = "KLB";
inline constexpr size_t kKlbHeaderSize = 7;
inline constexpr size_t kKlbTagSize = 7;
inline constexpr size_t kKlbBlockSize = 200;
inline constexpr size_t kKlbFrameBlockSize = 204;
inline constexpr size_t kKlbNameSize = 80;
inline constexpr size_t kKlbFileTypeSize = 6;
inline constexpr char kGroupSeparator = '|';
// Offsets and sizes in a library are signed 32-bit numbers: no library, and
// no payload imported into one, is larger.
inline constexpr size_t kKlbMaxFileSize = 0x7FFFFFFF;

// Entry kinds, numbered as the entry objects of both programs number them.
enum class KlbKind : uint8_t { Music = 0, Main = 1, Detail = 2, Sound = 3, Group = 4, Skin = 5 };

// Record versions written today; the client accepts only these.
inline constexpr uint8_t kMusicVersion = 1;
inline constexpr uint8_t kMainVersion = 2;
inline constexpr uint8_t kDetailVersion = 1;
inline constexpr uint8_t kSoundVersion = 1;
inline constexpr uint8_t kGroupVersion = 1;
inline constexpr uint8_t kSkinVersion = 3;

const char* KlbTagName(KlbKind kind);
uint8_t KlbCurrentVersion(KlbKind kind);
// The kind a tag names, whatever its version; nullopt for a tag no reader knows.
std::optional<KlbKind> KlbTagKind(std::string_view tag);

// Where one payload part lies in a library file. Size 0 means absent.
struct KlbPart {
    int32_t offset = 0;
    int32_t size = 0;
    bool operator==(const KlbPart&) const = default;
};

// One entry with everything the file holds for it. Fields that its kind does
// not use stay at their defaults.
struct KlbEntry {
    KlbKind kind = KlbKind::Group;
    uint8_t version = 0;  // as read; writing always uses the current version
    std::string groupPath;
    std::string themeIdList;
    std::string name;

    // Main bitmap.
    std::string information;
    std::string references;
    int32_t minWindowWidth = 0, minWindowHeight = 0;
    int32_t fieldWidth = 0, fieldHeight = 0;
    int32_t largeBlockSize = 0, smallBlockSize = 0;

    // Music.
    std::string fileType;

    // Skin element; the lists are in the current CR/LF form.
    std::string flagList, eventList, parentName;
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t backColour = -1;

    // Payload bytes: the image (main, special-block and skin bitmaps) or the
    // sound or music data in `image`; a main or skin mask in `mask`. Empty
    // means absent. Bitmaps are whole BMP files, kept as read so an image
    // nobody changed is written back unchanged.
    std::string image;
    std::string mask;
    // Where those parts were in the file last read or written.
    KlbPart imagePart, maskPart;

    bool operator==(const KlbEntry&) const = default;
};

enum class KlbStatus {
    Ok,
    BadMagic,    // not a library: nothing read, no message
    UnknownTag,  // a tag or version no reader knows
    Corrupt,     // a length, offset or size beyond the file
    IoError,     // the file could not be opened, read or written
    Refused,     // a file that may not be written (the default library)
};

// How reading or writing a theme file went, for the client's theme loader and
// the editor alike. True means success. `message` is the text to show the
// player or theme author; a failure may come without one (a file that is not a
// library at all is passed over quietly).
struct KlbResult {
    KlbStatus status = KlbStatus::Ok;
    std::string message;

    KlbResult() = default;
    KlbResult(KlbStatus s, std::string text = {}) : status(s), message(std::move(text)) {}

    bool ok() const { return status == KlbStatus::Ok; }
    explicit operator bool() const { return ok(); }
    bool operator==(KlbStatus s) const { return status == s; }
};

// Reading one entry head: tag, version, group path and Theme ID list.
struct KlbHead {
    std::string tag;
    uint8_t version = 0;
    std::string groupPath;
    std::string themeIdList;
};
KlbHead ReadKlbHead(ByteReader& r);

// Reads the rest of an entry after its head. withPayload false leaves image
// and mask empty but still checks that their parts lie inside the file. The
// reader ends after the entry's payload. Dropped records (ANIMS, FRAME) give
// Ok with *dropped set.
KlbResult ReadKlbEntryBody(ByteReader& r, const KlbHead& head, KlbEntry& entry, bool withPayload,
                           bool* dropped = nullptr);

// What follows an entry's block: `length` bytes of payload (its parts are the entry's
// imagePart and maskPart, at absolute positions).
struct KlbPayload {
    uint64_t length = 0;
};
// The first half of ReadKlbEntryBody: the entry up to the end of its block (its parts set, not
// read, and not yet checked against the file); the reader ends at the payload.
KlbResult ReadKlbEntryFields(ByteReader& r, const KlbHead& head, KlbEntry& entry,
                             KlbPayload& payload, bool* dropped = nullptr);
// The payload, starting at `at`, and the entry's parts lie inside a file of fileSize bytes.
bool KlbPayloadFits(const KlbEntry& entry, const KlbPayload& payload, uint64_t at,
                    uint64_t fileSize);

// GUIBMP lists of versions 1 and 2 to the current form.
std::string ConvertOldEventList(std::string_view list);
std::string ConvertOldFlagList(std::string_view list);

struct KlbLibrary {
    int32_t count = 0;  // the header's entry count
    std::vector<KlbEntry> entries;
};

// Reads a whole library as the editor does: every tag and version, old ones
// converted; entries without a name and dropped records are left out. On
// UnknownTag or Corrupt `lib` keeps the entries read before.
// A library file read whole. The whole file is read at once: every length and
// offset is then checked against what is really there, and a library the
// editor replaces while we read is seen either whole before or whole after.
// nullopt when it cannot be read or is larger than a library can be.
std::optional<std::string> ReadKlbFile(const std::filesystem::path& file);

// A library opened for reading its entries: the header read, the reader at
// the first entry. Every reader of libraries opens them here.
class KlbFile {
public:
    KlbFile() = default;
    KlbFile(const KlbFile&) = delete;  // the reader points into the bytes
    KlbFile& operator=(const KlbFile&) = delete;

    // IoError when the file cannot be read, BadMagic when it is not a library.
    KlbResult OpenFile(const std::filesystem::path& file);
    // The same over bytes in memory, which must outlive this object.
    KlbResult OpenBytes(std::string_view bytes);

    ByteReader& reader() { return reader_; }
    int32_t count() const { return count_; }  // the header's entry count

private:
    KlbResult ReadHeader(std::string_view bytes);

    std::string bytes_;
    ByteReader reader_{{}};
    int32_t count_ = 0;
};

// A library read entry by entry straight from its file, for the client, which lists and loads
// themes from libraries of any size: only the texts and the block of each entry are read, and
// a payload only when asked for. Entries are read through one open file, so a library the
// editor replaces meanwhile is read whole as it was when opened.
class KlbRangeReader {
public:
    // IoError when the file cannot be read, BadMagic when it is not a library.
    KlbResult Open(const std::filesystem::path& file);
    int32_t count() const { return count_; }  // the header's entry count
    // Everything read (or the last read failed).
    bool AtEnd() const { return failed_ || pos_ >= file_.Size(); }
    // The next entry: its head, then its body as ReadKlbEntryBody reads it without its
    // payload. A failure ends the reading.
    KlbResult Next(KlbHead& head, KlbEntry& entry, bool* dropped = nullptr);
    // The image and mask of the entry read last, from the file as opened.
    KlbResult ReadPayload(KlbEntry& entry) const;

private:
    KlbResult ReadFields(KlbHead& head, KlbEntry& entry, KlbPayload& payload, bool* dropped);

    OpenFileReader file_;
    int64_t pos_ = 0;
    int32_t count_ = 0;
    bool failed_ = false;
};

using KlbProgress = std::function<void(size_t read, int32_t count)>;
KlbResult ReadKlbLibrary(std::string_view bytes, KlbLibrary& lib, const KlbProgress& progress = {});
KlbResult LoadKlbLibrary(const std::filesystem::path& file, KlbLibrary& lib,
                         const KlbProgress& progress = {});

// Appends one entry in its current version; its parts' offsets are the new
// ones, returned in *image and *mask.
void WriteKlbEntry(ByteWriter& w, const KlbEntry& entry, KlbPart* image, KlbPart* mask);
// The whole file: header with `count`, then the entries. newParts, when
// given, receives each entry's new image and mask parts in order.
std::string WriteKlbLibrary(const std::vector<KlbEntry>& entries, int32_t count,
                            std::vector<std::pair<KlbPart, KlbPart>>* newParts = nullptr);

// Saves atomically. The entries' parts, versions and file types are updated
// to what the new file holds only after it is in place, so a failed save
// leaves both the old file and the entries as they were. The editor saves a
// user's library as a user's file (its links and mode kept).
KlbResult SaveKlbLibrary(const std::filesystem::path& file, std::vector<KlbEntry>& entries,
                         int32_t count, SaveTarget how = SaveTarget::ReplaceName);

// The library that ships with the client may only be written on purpose.
bool IsDefaultLibraryName(const std::filesystem::path& file);
inline constexpr const char* kDefaultLibraryMessage =
    "You can not modify the default theme library.  Create a new library and it will be "
    "automatically detected by Pelkorin";

// Copies a library whole over the target (atomically); false when the source
// is missing or the target cannot be written.
bool CopyLibraryFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace pk
