// The document's files: the File menu, the work copy and previews beside the
// program, and the recent-file history in "kled.ini".
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrdoc.h"
#include "editor/zrini.h"
#include "klb/klbformat.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

std::string HistoryKey(size_t i) {
    return "file" + std::to_string(i);
}

// Whether "kled.ini" gives the name back as it was written: a line break would
// split the line, and blanks at either end and what passes the read buffer are
// lost on reading. A name that does not fit stays out of the history; were it
// written, its key would be missing and the read, which stops at the first
// missing key, would drop every newer name with it.
bool FitsHistory(std::string_view file) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !file.empty() && file.size() < kIniValueBuffer &&
           file.find_first_of("\r\n") == std::string_view::npos && !blank(file.front()) &&
           !blank(file.back());
}

// Whether a library holds anything past its header that reading could miss.
bool HoldsEntries(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec || size > kKlbHeaderSize;
}

}  // namespace

void KledDoc::ReadHistory() {
    recent_.clear();
    // Each key read goes on top, so "file0" ends at the bottom.
    for (size_t i = 0;; ++i) {
        std::string file = ReadIniValue(kHistorySection, HistoryKey(i), IniFile());
        if (file.empty())
            break;
        recent_.insert(recent_.begin(), file);
    }
    if (recent_.size() > kMaxRecentFiles)
        recent_.resize(kMaxRecentFiles);
    host().RecentChanged();
}

bool KledDoc::WriteHistory() {
    bool ok = WriteIniValue(kHistorySection, std::nullopt, IniFile(), std::nullopt);
    // Keys stay consecutive: the read stops at the first one missing.
    size_t key = 0;
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
        if (!FitsHistory(*it))
            continue;
        if (WriteIniValue(kHistorySection, HistoryKey(key), IniFile(), *it))
            ++key;
        else
            ok = false;
    }
    return ok;
}

void KledDoc::AddRecent(const std::string& file) {
    if (!FitsHistory(file))
        return;
    // Different spellings are different files here.
    auto it = std::find(recent_.begin(), recent_.end(), file);
    if (it != recent_.end())
        recent_.erase(it);
    recent_.insert(recent_.begin(), file);
    if (recent_.size() > kMaxRecentFiles)
        recent_.resize(kMaxRecentFiles);
    host().RecentChanged();
}

void KledDoc::RemoveStaleSaves() const {
    // A save killed midway leaves its temporary beside the file for good; those of editors
    // that no longer run go, beside the files this editor saves: the history, the work copy,
    // the previews and the libraries it saved last.
    RemoveStaleTemporaries(IniFile(), SaveTarget::UserFile);
    for (const char* name : {"tmp.mid", "tmp.mp3", kWorkCopyName})
        RemoveStaleTemporaries(programFolder_ / name);
    for (const std::string& file : recent_) RemoveStaleTemporaries(file, SaveTarget::UserFile);
}

bool KledDoc::DeleteTemporaryFiles() {
    bool ok = true;
    for (const char* name : {"tmp.mid", "tmp.mp3", kWorkCopyName}) {
        std::error_code ec;
        std::filesystem::remove(programFolder_ / name, ec);
        ok = ok && !ec;
    }
    return ok;
}

void KledDoc::Start(const std::vector<std::string>& args) {
    ReadHistory();
    RemoveStaleSaves();
    override_ = !args.empty() && args.front() == "override";
    ResetTheme(false);
    ResourceTreeRoot(kCurrentThemeLabel);
}

bool KledDoc::Close() {
    bool ok = true;
    // Each step on its own: the history and the temporary files are always
    // handled, whatever failed before them.
    try {
        host().ReleasePreviews();
    } catch (...) {
        ok = false;
    }
    try {
        ok = WriteHistory() && ok;
    } catch (...) {
        ok = false;
    }
    try {
        ResetTheme(false);
    } catch (...) {
        ok = false;
        DeleteTemporaryFiles();
    }
    return ok;
}

void KledDoc::NewTheme() {
    ResetTheme(false);
    ResourceTreeRoot(kCurrentThemeLabel);
    host().RefreshPage();
}

void KledDoc::OpenTheme(const std::filesystem::path& file) {
    ResetTheme(false);
    currentFile_ = file;
    if (!CopyLibraryFile(file, WorkCopy()))
        host().ShowMessage("Unable to copy '" + file.string() + "' to the work copy '" +
                           WorkCopy().string() + "'.");
    SetCaption(std::string(kEditorCaption) + " - " + file.string());
    AddRecent(file.string());
    tree_.Clear();
    if (!LoadLibrary(file, false) && HoldsEntries(file))
        partlyRead_ = file;
    savedState_ = SavedState();
    host().RefreshPage();
}

bool KledDoc::OpenChosen(const std::filesystem::path& file) {
    if (SameText(file.string(), WorkCopy().string()) ||
        IsMusicPreviewFile(file, programFolder_, "mid") ||
        IsMusicPreviewFile(file, programFolder_, "mp3"))
        return false;
    OpenTheme(file);
    return true;
}

bool KledDoc::OpenRecent(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) {
        OpenTheme(file);
        return true;
    }
    auto it = std::find(recent_.begin(), recent_.end(), file);
    if (it != recent_.end())
        recent_.erase(it);
    host().RecentChanged();
    return false;
}

bool KledDoc::IsPartlyRead(const std::filesystem::path& file) const {
    std::error_code ec;
    return !partlyRead_.empty() &&
           (file == partlyRead_ || std::filesystem::equivalent(file, partlyRead_, ec));
}

std::string KledDoc::PartlyReadText() const {
    return "Only part of " + partlyRead_.string() +
           " could be read: saving over it would lose the entries that were not read.";
}

KledDoc::SaveOutcome KledDoc::SaveTheme() {
    std::error_code ec;
    if (currentFile_.empty() || !std::filesystem::exists(currentFile_, ec))
        return SaveOutcome::NeedsName;
    // A library read only in part (a damaged record, a kind of record this
    // editor does not know) is never written over: its unread entries would
    // be lost. Their bytes cannot be carried over as they are, since records
    // hold the file positions of their payloads.
    if (IsPartlyRead(currentFile_))
        return SaveOutcome::PartlyRead;
    return WriteThemeLibrary(currentFile_) ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool KledDoc::SaveThemeAs(const std::filesystem::path& file) {
    if (file == WorkCopy())
        return false;
    if (IsPartlyRead(file)) {
        host().ShowMessage(PartlyReadText() + "  Choose another name.");
        return false;
    }
    return WriteThemeLibrary(file);
}

std::vector<KledDoc::SavedNode> KledDoc::SavedState() const {
    std::vector<SavedNode> state;
    const TreeNode* root = tree_.FirstRoot();
    if (!root)
        return state;
    tree_.ForEach([&](TreeNode* node) {
        if (node == root || !ResourceTree::IsBelow(node, root))
            return;
        SavedNode saved;
        for (const TreeNode* p = node->parent; p != root; p = p->parent) ++saved.depth;
        saved.label = node->label;
        saved.hasChildren = node->hasChildren;
        if (const TZRC* e = node->entry) {
            saved.entry = e->entry;
            saved.sourceFile = e->SourceFile;
            saved.heldFile = e->heldFile;
            saved.imageFileName = e->imageFileName;
            saved.maskFileName = e->maskFileName;
        }
        state.push_back(std::move(saved));
    });
    return state;
}

bool KledDoc::HasChanges() const {
    return SavedState() != savedState_;
}

bool KledDoc::SaveAsRefuses(const std::filesystem::path& file) const {
    return file == WorkCopy() || (!override_ && IsDefaultLibraryName(file));
}

bool KledDoc::WriteThemeLibrary(const std::filesystem::path& file) {
    if (!override_ && IsDefaultLibraryName(file)) {
        host().ShowMessage(kDefaultLibraryMessage);
        return false;
    }
    RebuildEntryList();
    std::vector<KlbEditEntry> out;
    out.reserve(list_.size());
    for (const auto& e : list_) {
        out.push_back(*e);
        out.back().entry.groupPath = NodeGroupPath(e->node, kGroupSeparator);
    }
    KlbResult result =
        pk::WriteThemeLibrary(file, out, override_, programFolder_, host().BusyPanel());
    if (!result.ok()) {
        host().ShowMessage(result.message);
        return false;
    }
    for (size_t i = 0; i < list_.size(); ++i) {
        TZRC& e = *list_[i];
        if (e.IsReference)
            continue;
        static_cast<KlbEditEntry&>(e) = std::move(out[i]);
        e.entry.groupPath.clear();
        e.imageFileName.clear();
        e.maskFileName.clear();
    }
    currentFile_ = file;
    partlyRead_.clear();
    savedState_ = SavedState();
    SetCaption(std::string(kEditorCaption) + " - " + file.string());
    host().RefreshPage();
    return true;
}

}  // namespace pk
