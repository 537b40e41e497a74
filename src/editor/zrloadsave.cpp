#include "editor/zrloadsave.h"

#include <algorithm>
#include <cmath>

#include "core/bytestream.h"
#include "core/zrmisc.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

void Show(const KlbBusyPanel& panel, bool show, const std::string& text = {}) {
    if (panel.ShowLoadingPanel)
        panel.ShowLoadingPanel(show, text);
}

void Progress(const KlbBusyPanel& panel, double part, double whole) {
    if (!panel.SetLoadingProgress)
        return;
    // The header's count may be zero, negative or smaller than what the file
    // holds; the bar stays within its range whatever it says.
    double percent = whole > 0 ? part / whole * 100.0 : 100.0;
    panel.SetLoadingProgress(static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0))));
}

// Hides the busy panel on every way out.
struct PanelGuard {
    const KlbBusyPanel& panel;
    ~PanelGuard() { Show(panel, false); }
};

// The bytes of a stored part: in memory when read or imported, otherwise
// still in the entry's source file.
bool StoredBytes(const KlbEditEntry& le, const std::string& inMemory, const KlbPart& part,
                 std::string& out) {
    if (!inMemory.empty() || part.offset <= 0 || part.size <= 0) {
        out = inMemory;
        return true;
    }
    auto bytes = ReadFileRange(le.SourceFile, part.offset, part.size);
    if (!bytes)
        return false;
    out = std::move(*bytes);
    return true;
}

std::string ExtensionWithoutDot(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    return ext.empty() ? ext : ext.substr(1);
}

// Fills in the payloads that are not in memory and the file type a tune is
// written with. False names the file that could not be read in `failed`.
bool PrepareForWrite(const KlbEditEntry& le, const std::filesystem::path& programFolder,
                     KlbEntry& e, std::string& failed) {
    e = le.entry;
    if (e.kind == KlbKind::Music && e.fileType.empty()) {
        e.fileType = ExtensionWithoutDot(le.heldFile);
        if (e.fileType.empty())
            e.fileType = "mid";
    }
    if (e.kind == KlbKind::Music || e.kind == KlbKind::Sound) {
        // The editor's own preview copy of a tune is not an import: the
        // library still holds the real bytes.
        const bool preview = e.kind == KlbKind::Music &&
                             IsMusicPreviewFile(le.heldFile, programFolder, le.entry.fileType);
        if (!le.heldFile.empty() && !preview) {
            auto bytes = ReadFileBytes(le.heldFile, kKlbMaxFileSize);
            if (!bytes) {
                failed = le.heldFile.string();
                return false;
            }
            e.image = std::move(*bytes);
            return true;
        }
    }
    if (e.kind == KlbKind::Music || e.kind == KlbKind::Sound || e.kind == KlbKind::Skin) {
        if (!StoredBytes(le, le.entry.image, le.entry.imagePart, e.image) ||
            (e.kind == KlbKind::Skin &&
             !StoredBytes(le, le.entry.mask, le.entry.maskPart, e.mask))) {
            failed = le.SourceFile.string();
            return false;
        }
    }
    return true;
}

}  // namespace

std::filesystem::path MusicPreviewFile(const std::filesystem::path& programFolder,
                                       std::string_view fileType) {
    return programFolder / ("tmp." + std::string(fileType));
}

bool IsMusicPreviewFile(const std::filesystem::path& file,
                        const std::filesystem::path& programFolder, std::string_view fileType) {
    return SameText(file.string(), MusicPreviewFile(programFolder, fileType).string());
}

KlbResult LoadThemeLibrary(const std::filesystem::path& file, std::vector<KlbEditEntry>& list,
                           bool isReference, const std::filesystem::path& programFolder,
                           const KlbBusyPanel& panel) {
    Show(panel, true, "Loading " + file.filename().string() + "...");
    PanelGuard guard{panel};
    KlbLibrary lib;
    const KlbResult read = LoadKlbLibrary(file, lib, [&](size_t done, int32_t count) {
        Progress(panel, static_cast<double>(done), count);
    });
    if (read == KlbStatus::BadMagic)
        return {};
    const std::filesystem::path source = isReference ? file : programFolder / kWorkCopyName;
    // Entries read before a damaged record stay in the list.
    for (KlbEntry& e : lib.entries) {
        KlbEditEntry le;
        le.entry = std::move(e);
        le.SourceFile = source;
        le.IsReference = isReference;
        list.push_back(std::move(le));
    }
    if (!read)
        return {read.status, kLoadErrorPrefix + file.string()};
    return {};
}

KlbResult WriteThemeLibrary(const std::filesystem::path& file, std::vector<KlbEditEntry>& list,
                            bool allowDefault, const std::filesystem::path& programFolder,
                            const KlbBusyPanel& panel) {
    if (!allowDefault && IsDefaultLibraryName(file))
        return {KlbStatus::Refused, kDefaultLibraryMessage};
    Show(panel, true, "Writing " + file.filename().string() + "...");
    PanelGuard guard{panel};

    std::vector<KlbEntry> out;
    std::vector<size_t> written;
    const double last = static_cast<double>(std::max<size_t>(list.size(), 2) - 1);
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].IsReference) {
            KlbEntry e;
            std::string failed;
            if (!PrepareForWrite(list[i], programFolder, e, failed))
                return {KlbStatus::IoError,
                        "Unable to read '" + failed + "'; the library was not saved."};
            out.push_back(std::move(e));
            written.push_back(i);
        }
        Progress(panel, static_cast<double>(i), last);
    }
    if (KlbResult saved =
            SaveKlbLibrary(file, out, static_cast<int32_t>(list.size()), SaveTarget::UserFile);
        !saved)
        return {saved.status,
                "Unable to write '" + file.string() + "'; the library was not changed."};
    // Later reads of payloads left in the file go to the work copy; should
    // it not be made, the saved file itself holds the same bytes.
    const std::filesystem::path workCopy = programFolder / kWorkCopyName;
    const std::filesystem::path source = CopyLibraryFile(file, workCopy) ? workCopy : file;
    for (size_t k = 0; k < written.size(); ++k) {
        KlbEditEntry& le = list[written[k]];
        le.entry = std::move(out[k]);
        le.heldFile.clear();
        le.SourceFile = source;
    }
    return {};
}

}  // namespace pk
