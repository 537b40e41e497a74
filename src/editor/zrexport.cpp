#include "editor/zrexport.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrpreview.h"
#include "gfx/dib.h"
#include "klb/klblookup.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

namespace fs = std::filesystem;

// The bytes of an image part: held in memory, or stored in the source file.
std::optional<std::string> PartBytes(const TZRC& e, const std::string& held, const KlbPart& part) {
    if (!held.empty())
        return held;
    if (part.offset <= 0 || part.size <= 0)
        return std::nullopt;
    return ReadFileRange(e.SourceFile, part.offset, part.size);
}

bool HasImageParts(KlbKind kind) {
    return kind == KlbKind::Main || kind == KlbKind::Skin;
}

// Whether `path` lies inside `folder` once links and dots are resolved.
bool IsInside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    if (ec)
        return false;
    const fs::path f = fs::weakly_canonical(folder, ec);
    if (ec)
        return false;
    auto pi = p.begin();
    for (auto fi = f.begin(); fi != f.end(); ++fi, ++pi) {
        if (fi->empty())
            continue;  // a trailing separator
        if (pi == p.end() || *pi != *fi)
            return false;
    }
    return true;
}

bool IsPreviewFile(const fs::path& file, const fs::path& programFolder, const std::string& type) {
    const std::string name = file.string();
    for (const std::string& t : {std::string("mid"), std::string("mp3"), type})
        if (SameText(name, (programFolder / ("tmp." + t)).string()))
            return true;
    return false;
}

std::string Extension(const fs::path& file) {
    std::string ext = file.extension().string();
    return ext.empty() ? ext : ext.substr(1);
}

bool IsPicture(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

}  // namespace

std::optional<std::string> SafePathPart(std::string_view part) {
    std::string out;
    out.reserve(part.size());
    for (char c : part) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad =
            u < 32 || u == 127 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        out += bad ? '_' : c;
    }
    if (out.empty() || out == "." || out == "..")
        return std::nullopt;
    return out;
}

std::string SafeFileType(std::string_view type) {
    std::string out;
    for (char c : type)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += c;
    return out.empty() ? std::string("mid") : out;
}

std::vector<fs::path> ResourcePaths(const TZRC& e, const fs::path& folder) {
    if (e.kind() == KlbKind::Group || !e.node)
        return {};
    fs::path dir = folder;
    const std::string groups = KledDoc::NodeGroupPath(e.node, kGroupSeparator);
    size_t start = 0;
    while (start < groups.size()) {
        const size_t end = groups.find(kGroupSeparator, start);
        auto part = SafePathPart(std::string_view(groups).substr(start, end - start));
        if (!part)
            return {};
        dir /= *part;
        start = end == std::string::npos ? groups.size() : end + 1;
    }
    const auto name = SafePathPart(e.name());
    if (!name)
        return {};
    switch (e.kind()) {
        case KlbKind::Main:
        case KlbKind::Skin:
            return {dir / (*name + "-main.bmp"), dir / (*name + "-mask.bmp")};
        case KlbKind::Detail:
            return {dir / (*name + ".bmp")};
        case KlbKind::Sound:
            return {dir / (*name + ".wav")};
        case KlbKind::Music:
            return {dir / (*name + "." + SafeFileType(e.entry.fileType))};
        case KlbKind::Group:
            break;
    }
    return {};
}

std::optional<std::string> ExportImageBytes(const std::string& bmp) {
    auto image = DecodeBmp(bmp);
    if (!image || image->empty())
        return std::nullopt;
    return EncodeBmp(*image, 24);
}

std::optional<std::string> ExportMaskBytes(const std::string& bmp) {
    auto mask = DecodeBmp(bmp);
    if (!mask || mask->empty())
        return std::nullopt;
    if (mask->monochrome()) {
        // Held white where transparent; the file is black there.
        for (uint32_t& p : mask->pixels) p ^= 0x00FFFFFFu;
        return EncodeBmp(*mask, 1);
    }
    // An alpha map keeps its opacity in the blue byte: a grey of that level.
    for (uint32_t& p : mask->pixels) p = 0xFF000000u | (p & 0xFFu) * 0x010101u;
    return EncodeBmp(*mask, 8);
}

std::string BatchOutcome::Message(bool exporting) const {
    if (failures.empty())
        return {};
    std::string text = exporting ? "Some resources could not be exported:"
                                 : "Some resources could not be imported:";
    for (const std::string& f : failures) text += "\n" + f;
    return text;
}

BatchOutcome ExportMarkedResources(const KledDoc& doc, const fs::path& folder) {
    BatchOutcome out;
    for (const auto& owned : doc.list()) {
        const TZRC& e = *owned;
        if (!e.node || !e.node->Marked() || e.node->hasChildren || e.kind() == KlbKind::Group)
            continue;
        const std::vector<fs::path> paths = ResourcePaths(e, folder);
        if (paths.empty()) {
            out.failures.push_back(e.name() + ": not a name a file can have");
            continue;
        }
        std::vector<std::pair<fs::path, std::string>> files;
        bool ok = true;
        if (HasImageParts(e.kind())) {
            auto image = PartBytes(e, e.entry.image, e.entry.imagePart);
            if (image) {
                auto bytes = ExportImageBytes(*image);
                if (bytes)
                    files.emplace_back(paths[0], std::move(*bytes));
                else
                    ok = false;
            }
            if (auto mask = PartBytes(e, e.entry.mask, e.entry.maskPart)) {
                auto bytes = ExportMaskBytes(*mask);
                if (bytes)
                    files.emplace_back(paths[1], std::move(*bytes));
                else
                    ok = false;
            }
        } else if (e.kind() == KlbKind::Detail) {
            auto bytes = e.entry.image.empty() ? std::nullopt : ExportImageBytes(e.entry.image);
            if (bytes)
                files.emplace_back(paths[0], std::move(*bytes));
            else
                ok = false;
        } else {
            auto bytes = EntryPayload(e, doc.programFolder());
            if (bytes)
                files.emplace_back(paths[0], std::move(*bytes));
            else
                ok = false;
        }
        if (!ok)
            out.failures.push_back(e.name() + ": its data could not be read");
        bool wrote = false;
        for (auto& [path, bytes] : files) {
            std::error_code ec;
            fs::create_directories(path.parent_path(), ec);
            if (ec || !IsInside(path, folder) || !WriteFileAtomic(path, bytes)) {
                out.failures.push_back(path.string());
                continue;
            }
            wrote = true;
        }
        if (wrote)
            ++out.written;
    }
    return out;
}

bool LoadEntryPart(TZRC& e, int mode, const fs::path& file, const fs::path& programFolder,
                   std::string& error) {
    const KlbKind kind = e.kind();
    if (kind == KlbKind::Sound) {
        e.heldFile = file;
        return true;
    }
    if (kind == KlbKind::Music) {
        const std::string type = Extension(file);
        if (IsPreviewFile(file, programFolder, e.entry.fileType)) {
            error = file.string() + ": the editor's preview file";
            return false;
        }
        e.heldFile = file;
        e.entry.fileType = type.substr(0, kKlbFileTypeSize);
        return true;
    }
    auto bytes = ReadFileBytes(file, kKlbMaxFileSize);
    auto image = bytes ? DecodeBmp(*bytes) : std::nullopt;
    if (!image || image->empty()) {
        error = file.string() + ": not a bitmap";
        return false;
    }
    if (mode == 2) {
        if (!HasImageParts(kind))
            return false;
        if (image->monochrome()) {
            for (uint32_t& p : image->pixels) p ^= 0x00FFFFFFu;
            e.entry.mask = EncodeBmp(*image, 1).value_or(std::string());
        } else if (image->bitsPerPixel == 8) {
            e.entry.mask = EncodeBmp(*image, 32).value_or(std::string());
        } else {
            error = "Mask bmp (" + file.string() +
                    ") must be monochrome for simple transparency, or 8-bit grayscale for alpha "
                    "blending!";
            return false;
        }
        e.maskFileName = file.string();
        if (kind == KlbKind::Skin)
            e.entry.maskPart = {};
        return true;
    }
    const int depth = kind == KlbKind::Skin ? 24 : 16;
    image->bitsPerPixel = depth;
    auto encoded = EncodeBmp(*image, depth);
    if (!encoded) {
        error = file.string() + ": not a bitmap";
        return false;
    }
    e.entry.image = std::move(*encoded);
    e.imageFileName = file.string();
    if (kind == KlbKind::Skin) {
        e.entry.imagePart = {};
        e.entry.width = image->width;
        e.entry.height = image->height;
    }
    return true;
}

BatchOutcome ImportMarkedResources(KledDoc& doc, const fs::path& folder) {
    BatchOutcome out;
    for (const auto& owned : doc.list()) {
        TZRC& e = *owned;
        if (!e.node || !e.node->Marked() || e.node->hasChildren || e.kind() == KlbKind::Group ||
            !doc.IsEditableNode(e.node))
            continue;
        const std::vector<fs::path> paths = ResourcePaths(e, folder);
        bool any = false;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (!IsPicture(paths[i]) || !IsInside(paths[i], folder))
                continue;
            std::string error;
            if (LoadEntryPart(e, static_cast<int>(i) + 1, paths[i], doc.programFolder(), error))
                any = true;
            else if (!error.empty())
                out.failures.push_back(error);
        }
        if (any)
            ++out.written;
    }
    return out;
}

}  // namespace pk
