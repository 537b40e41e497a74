#include "editor/zrexport.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrcommands.h"
#include "editor/zrpages.h"

namespace pk {

namespace {

namespace fs = std::filesystem;

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

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool IsMarkedLeaf(const TZRC& e) {
    return e.node && e.node->Marked() && !e.node->hasChildren && e.kind() != KlbKind::Group;
}

// Whether the entry has that part to write: sounds and music always; images
// and masks when held or stored.
bool HasPart(const TZRC& e, ResourceMode mode) {
    const bool image =
        e.kind() == KlbKind::Main || e.kind() == KlbKind::Skin || e.kind() == KlbKind::Detail;
    if (!image)
        return mode == ResourceMode::Image;
    const bool mask = mode == ResourceMode::Mask;
    const std::string& held = mask ? e.entry.mask : e.entry.image;
    const KlbPart& part = mask ? e.entry.maskPart : e.entry.imagePart;
    return !held.empty() || (e.kind() == KlbKind::Skin && part.offset > 0 && part.size > 0);
}

// What the commands would show, kept so that a batch gives one message.
class CollectingHost : public CommandHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void MoveInto(std::vector<std::string>& to) {
        to.insert(to.end(), messages.begin(), messages.end());
        messages.clear();
    }
    std::vector<std::string> messages;
};

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

std::string BatchOutcome::Message(bool exporting) const {
    if (failures.empty())
        return {};
    std::string text = exporting ? "Some resources could not be exported:"
                                 : "Some resources could not be imported:";
    for (const std::string& f : failures) text += "\n" + f;
    return text;
}

namespace {

enum class PartOutcome { Skipped, Done, Failed };

// Runs `part` on each file of every marked leaf (editable ones only when
// importing) with the leaf selected, as the page buttons see it. What the
// commands would show is collected with the files that failed; the rest goes
// on, and the selection is the same afterwards.
template <typename Part>
BatchOutcome RunBatch(KledDoc& doc, const fs::path& folder, bool importing, Part part) {
    CollectingHost host;
    KledCommands commands(doc, host);
    TreeNode* const selected = doc.tree().selected;
    BatchOutcome out;
    for (const auto& owned : doc.list()) {
        TZRC& e = *owned;
        if (!IsMarkedLeaf(e) || (importing && !doc.IsEditableNode(e.node)))
            continue;
        const std::vector<fs::path> paths = ResourcePaths(e, folder);
        if (paths.empty()) {
            out.failures.push_back(e.name() + ": not a name a file can have");
            continue;
        }
        doc.tree().selected = e.node;
        bool done = false;
        for (size_t i = 0; i < paths.size(); ++i) {
            const ResourceMode mode = i == 0 ? ResourceMode::Image : ResourceMode::Mask;
            const size_t told = host.messages.size();
            switch (part(commands, e, *PageOfKind(e.kind()), mode, paths[i])) {
                case PartOutcome::Done:
                    done = true;
                    break;
                case PartOutcome::Failed:
                    if (host.messages.size() == told)
                        out.failures.push_back(paths[i].string());
                    break;
                case PartOutcome::Skipped:
                    break;
            }
        }
        host.MoveInto(out.failures);
        if (done)
            ++out.written;
    }
    doc.tree().selected = selected;
    return out;
}

}  // namespace

BatchOutcome ExportMarkedResources(KledDoc& doc, const fs::path& folder) {
    return RunBatch(doc, folder, false,
                    [&folder](KledCommands& commands, TZRC& e, int page, ResourceMode mode,
                              const fs::path& path) {
                        if (!HasPart(e, mode))
                            return PartOutcome::Skipped;
                        std::error_code ec;
                        fs::create_directories(path.parent_path(), ec);
                        if (ec || !IsInside(path, folder))
                            return PartOutcome::Failed;
                        return commands.SaveResourceToFile(page, mode, path.string())
                                   ? PartOutcome::Done
                                   : PartOutcome::Failed;
                    });
}

BatchOutcome ImportMarkedResources(KledDoc& doc, const fs::path& folder) {
    return RunBatch(doc, folder, true,
                    [&folder](KledCommands& commands, TZRC& e, int page, ResourceMode mode,
                              const fs::path& path) {
                        if (!IsFile(path))
                            return PartOutcome::Skipped;
                        if (!IsInside(path, folder))
                            return PartOutcome::Failed;
                        // The page's load sizes a skin element to its new image;
                        // an import only brings the images back, so the element
                        // keeps its rectangle (most are laid out larger than
                        // their tiled, nine-slice or stretched image) and an
                        // export and import round trip changes nothing.
                        const int32_t left = e.entry.left, top = e.entry.top;
                        const int32_t width = e.entry.width, height = e.entry.height;
                        if (!commands.LoadResourceFromFile(page, mode, path.string()))
                            return PartOutcome::Failed;
                        if (e.kind() == KlbKind::Skin) {
                            e.entry.left = left;
                            e.entry.top = top;
                            e.entry.width = width;
                            e.entry.height = height;
                        }
                        return PartOutcome::Done;
                    });
}

}  // namespace pk
