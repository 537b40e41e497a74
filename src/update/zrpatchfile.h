#pragma once
// The records of an update patch ("patch.tmp"), read and checked before any of
// them is acted on.
//
// A patch is a sequence of records read until the end of the file, each
// starting with a type byte. Integers are little-endian; a name is a u32
// length and that many bytes; the flag byte is not 0 for "act now" and 0 for
// "leave it to the updater".
//
//   10 new file:    name, u32 n, u8 flag, n bytes (zlib: the file's contents)
//   11 delete file: name, u8 flag
//   12 patch file:  name, u32 n, u32 CRC-32 of the file as it is now, u8 flag,
//                   n bytes (zlib: a difference stream, see zrdiff.h)
//
// A type byte of any other value is a record of that one byte and is skipped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/zrpatchname.h"

namespace pk {

enum PatchRecordType : std::uint8_t {
    prNewFile = 10,
    prDeleteFile = 11,
    prPatchFile = 12,
};

struct PatchRecord {
    std::uint8_t type = 0;
    std::string name;          // checked, '/'-separated, relative to the program folder
    std::string rawName;       // as the patch spells it, for messages
    bool now = false;          // flag not 0
    std::uint32_t oldCrc = 0;  // type 12: the file as the patch expects to find it
    std::string_view data;     // types 10 and 12: the zlib bytes, a view into the patch
    std::size_t offset = 0;    // where the record starts in the patch
};

struct PatchContents {
    bool ok = true;
    std::string problem;  // why the patch was refused, for the log
    std::vector<PatchRecord> records;
};

// Reads every record of `patch` (which must outlive the result). The whole
// patch is refused when a record runs past the end or a name fails its check.
PatchContents ReadPatchRecords(std::string_view patch);

}  // namespace pk
