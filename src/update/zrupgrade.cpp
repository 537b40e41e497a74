// The upgrade that follows a complete download: the patch applied (zrpatch.h) and the updater
// started, which carries on once the client has closed; and the release notes the client shows
// after an upgrade ("-showver"). Declared with the run in zrupdate.h.
#include <string>
#include <vector>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "platform/confinedfs.h"
#include "platform/process.h"
#include "shell/zrshell.h"
#include "update/zrpatch.h"
#include "update/zrupdatefiles.h"
#include "update/zrupdatesession.h"

namespace pk {

using namespace updatesession;

namespace {

// The release notes are a short text file; a larger one is not ours.
constexpr std::size_t kMaxVersionsFile = 1024 * 1024;

}  // namespace

void UpdateApplyPatch(const std::string& path, std::int32_t expectedCrc) {
    View([](UpdateView& v) {
        v.SetStatus("Patching files...");
        v.SetTimeLeft("");
    });
    // The updater is looked for before anything is applied, not once the patch is done:
    // finding it missing after the files that act now were replaced left the update half
    // done. A start that fails all the same has the applier put every file back.
    const std::string updater = Folder() + std::string(UpdaterProgramName);
    if (KindOf(updater) != PathKind::Regular || !CanRunProgram(updater)) {
        CloseWithMessage(std::string(UpdaterMissingText));
        return;
    }
    PatchSetup setup;
    setup.programFolder = Folder();
    setup.clientProgram = UpdateHostRef().ClientProgram();
    setup.progress = [](std::size_t position) {
        View([&](UpdateView& v) {
            v.SetProgress(ClampToInt32(static_cast<std::int64_t>(position)));
            v.Repaint();
        });
    };
    setup.startUpdater = [&updater] {
        View([](UpdateView& v) { v.SetStatus("Patching completed!"); });
        Run().RestartPending = 1;
        bool started = false;
        try {
            const std::vector<std::string> arguments = {UpdateHostRef().MainWindowId(),
                                                        std::to_string(CurrentProcessId())};
            started = UpdateHostRef().StartUpdater(updater, arguments, Folder());
        } catch (...) {
            // Counts as not started, so the applier still puts every file back.
        }
        if (!started) {
            Run().RestartPending = 0;
        }
        return started;
    };
    const PatchRun run = ApplyPatchFile(setup, path, static_cast<std::uint32_t>(expectedCrc));
    if (!run.ok()) {
        CloseWithMessage(run.message);
        return;
    }
    const std::uint64_t generation = Session().generation;
    UpdateHostRef().RunLater([generation] {
        ReportErrors("CloseForUpgrade", [&] {
            if (Session().generation == generation) {
                UpdateHostRef().CloseForUpgrade();
            }
        });
    });
}

void ShowVersions() {
    LogErrors("ShowVersions", [] {
        const std::string file = Folder() + std::string(VersionsFileName);
        const auto text = ReadFileBytes(file, kMaxVersionsFile);
        if (!text) {
            UpdateHostRef().ShowMessage(NoVersionsFileText);
            return;
        }
        UpdateDialogLayout(false);
        Run().RestartPending = 0;
        Run().Phase = UpdateIdle;
        View([&](UpdateView& v) {
            UpdateNotesView& notes = v.Notes();
            notes.Clear();
            std::size_t start = 0;
            while (start < text->size()) {
                std::size_t end = text->find('\n', start);
                if (end == std::string::npos) {
                    end = text->size();
                }
                std::string line = text->substr(start, end - start);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                notes.AddLine(DecodeEscapes(line));
                start = end + 1;
            }
            notes.ScrollToLine(0);
            v.ShowCentred(false);
        });
    });
}

}  // namespace pk
