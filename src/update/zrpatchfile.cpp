#include "update/zrpatchfile.h"

#include "core/bytestream.h"
#include "core/zrconst.h"

namespace pk {

PatchContents ReadPatchRecords(std::string_view patch) {
    PatchContents contents;
    const auto refuse = [&contents](std::size_t at, std::string why) {
        contents.ok = false;
        contents.problem = "record at " + std::to_string(at) + ": " + why;
        contents.records.clear();
        return contents;
    };
    ByteReader in(patch);
    while (!in.atEnd()) {
        PatchRecord record;
        record.offset = in.pos();
        record.type = in.u8();
        if (record.type != prNewFile && record.type != prDeleteFile && record.type != prPatchFile) {
            continue;
        }
        // The length is checked before the bytes are taken, so a huge length
        // is refused as too long rather than as running past the end.
        const std::uint32_t nameLength = in.u32();
        if (in.ok() && nameLength > MaxPatchNameLength) {
            return refuse(record.offset, "name too long");
        }
        const std::string_view rawName = in.bytes(nameLength);
        std::uint32_t size = 0;
        if (record.type != prDeleteFile) {
            size = in.u32();
        }
        if (record.type == prPatchFile) {
            record.oldCrc = in.u32();
        }
        record.now = in.u8() != 0;
        if (record.type != prDeleteFile) {
            record.data = in.bytes(size);
        }
        if (!in.ok()) {
            return refuse(record.offset, "runs past the end of the patch");
        }
        const PatchName name = CheckPatchName(rawName);
        if (!name.ok()) {
            return refuse(record.offset, std::string(PatchNameProblemText(name.problem)));
        }
        record.name = name.relative;
        record.rawName = std::string(rawName);
        contents.records.push_back(std::move(record));
    }
    return contents;
}

}  // namespace pk
