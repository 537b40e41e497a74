#include "update/zrpatchname.h"

#include <array>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "update/zrupdatefiles.h"

namespace pk {

PatchName CheckPatchName(std::string_view raw) {
    PatchName result;
    const auto refuse = [&result](PatchNameProblem problem) {
        result.problem = problem;
        return result;
    };
    if (raw.empty()) {
        return refuse(PatchNameProblem::Empty);
    }
    if (raw.size() > MaxPatchNameLength) {
        return refuse(PatchNameProblem::TooLong);
    }
    std::string name(raw);
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            return refuse(PatchNameProblem::ControlByte);
        }
        if (c == ':') {
            return refuse(PatchNameProblem::DriveOrColon);
        }
        if (c == '\\') {
            c = '/';
        }
    }
    if (name.front() == '/') {
        return refuse(PatchNameProblem::Absolute);
    }
    if (name.back() == '/') {
        return refuse(PatchNameProblem::TrailingSeparator);
    }
    std::size_t start = 0;
    bool first = true;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        const std::string_view part(name.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return refuse(PatchNameProblem::BadComponent);
        }
        if (first && SameText(part, TempFolderName)) {
            return refuse(PatchNameProblem::Reserved);
        }
        first = false;
        start = end + 1;
    }
    if (SameText(name, PatchFileName) || SameText(name, QueueFileName)) {
        return refuse(PatchNameProblem::Reserved);
    }
    result.relative = std::move(name);
    return result;
}

std::string_view PatchNameProblemText(PatchNameProblem problem) {
    static constexpr std::array<std::string_view, 9> kTexts = {
        "ok",
        "empty name",
        "name too long",
        "control byte in name",
        "absolute name",
        "drive or colon in name",
        "name ends with a separator",
        "empty, \".\" or \"..\" component in name",
        "name of the update's own files",
    };
    return kTexts[static_cast<std::size_t>(problem)];
}

}  // namespace pk
