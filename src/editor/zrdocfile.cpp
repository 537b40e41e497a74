// The document's files: the File menu, the work copy and previews beside the
// program, and the recent-file history in "kled.ini".
#include <system_error>

#include "editor/zrdoc.h"
#include "editor/zrini.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

std::string HistoryKey(size_t i) {
    return "file" + std::to_string(i);
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
    size_t key = 0;
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it)
        ok = WriteIniValue(kHistorySection, HistoryKey(key++), IniFile(), *it) && ok;
    return ok;
}

void KledDoc::AddRecent(const std::string& file) {
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
    LoadLibrary(file, false);
    host().RefreshPage();
}

bool KledDoc::OpenChosen(const std::filesystem::path& file) {
    if (file == WorkCopy() || file == PreviewFile("mid") || file == PreviewFile("mp3"))
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

KledDoc::SaveOutcome KledDoc::SaveTheme() {
    std::error_code ec;
    if (currentFile_.empty() || !std::filesystem::exists(currentFile_, ec))
        return SaveOutcome::NeedsName;
    return WriteThemeLibrary(currentFile_) ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool KledDoc::SaveThemeAs(const std::filesystem::path& file) {
    if (file == WorkCopy())
        return false;
    return WriteThemeLibrary(file);
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
    SetCaption(std::string(kEditorCaption) + " - " + file.string());
    host().RefreshPage();
    return true;
}

}  // namespace pk
