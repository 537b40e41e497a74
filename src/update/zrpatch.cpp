#include "update/zrpatch.h"

#include <array>
#include <map>
#include <optional>
#include <random>

#include "core/zrconst.h"
#include "core/zrinflate.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "platform/atomicfile.h"
#include "platform/confinedfs.h"
#include "update/zrdiff.h"
#include "update/zrpatchfile.h"
#include "update/zrupdatefiles.h"

namespace pk {
namespace fs = std::filesystem;

namespace {

// New files are inflated through a buffer of this size.
constexpr std::size_t kInflatePiece = 4096;
constexpr int kTempNameTries = 100;

class FileSource final : public ByteSource {
public:
    bool Open(const fs::path& path) { return file_.Open(path); }
    std::size_t Read(char* buffer, std::size_t size) override { return file_.Read(buffer, size); }
    bool Failed() const override { return file_.Failed(); }

private:
    PlainFileReader file_;
};

class FileSink final : public ByteSink {
public:
    explicit FileSink(NewFile& file) : file_(file) {}
    bool Write(std::string_view bytes) override { return file_.Write(bytes); }

private:
    NewFile& file_;
};

std::string RandomLetters() {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> letter(0, 25);
    std::string name;
    for (int i = 0; i < 8; ++i) {
        name.push_back(static_cast<char>('a' + letter(generator)));
    }
    return name;
}

std::optional<std::uint32_t> CrcOfPlainFile(const fs::path& path) {
    FileSource file;
    if (!file.Open(path)) {
        return std::nullopt;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    std::array<char, 65536> buffer;
    for (;;) {
        const std::size_t got = file.Read(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        crc = Crc32Update(crc, buffer.data(), got);
    }
    if (file.Failed()) {
        return std::nullopt;
    }
    return ~crc;
}

// What one record leaves to the commit: the file it built, if any.
struct StagedOp {
    const PatchRecord* record = nullptr;
    std::string temp;  // full path of the built file; empty for a delete
};

// How a file looks to the records after the ones read so far.
struct StagedFile {
    bool deleted = false;
    std::string temp;  // the latest built version
};

class PatchRunner {
public:
    PatchRunner(const PatchSetup& setup, std::string_view patch, fs::path patchPath)
        : setup_(setup),
          root_(FolderText(setup.programFolder)),
          patch_(patch),
          patchPath_(std::move(patchPath)) {}

    PatchRun Run() {
        const PatchContents contents = ReadPatchRecords(patch_);
        if (!contents.ok) {
            AddLogLine("Patch refused: " + contents.problem);
            return Stop(PatchStop::DownloadError, std::string(DownloadErrorText));
        }
        for (const auto& record : contents.records) {
            if (!PathInside(setup_.programFolder, Target(record).parent_path())) {
                AddLogLine("Patch refused: \"" + record.rawName +
                           "\" leads outside the program folder");
                return Stop(PatchStop::DownloadError, std::string(DownloadErrorText));
            }
        }
        if (!MakeTempFolder()) {
            return Stop(PatchStop::TempFolder, std::string(TempFolderErrorText));
        }
        for (const auto& record : contents.records) {
            Progress(record.offset);
            if (auto stop = Stage(record)) {
                return *stop;
            }
        }
        // The patch is used up once every record is staged; it goes before
        // anything is installed.
        RemoveFileOnly(patchPath_);
        Commit();
        return run_;
    }

private:
    fs::path Target(const PatchRecord& record) const { return fs::path(root_ + record.name); }
    std::string TempFolder() const { return root_ + std::string(TempFolderName) + "/"; }

    void Progress(std::size_t position) const {
        if (setup_.progress) {
            setup_.progress(position);
        }
    }

    PatchRun Stop(PatchStop stop, std::string message) {
        PatchRun run;
        run.stop = stop;
        run.message = std::move(message);
        return run;
    }

    bool MakeTempFolder() {
        const fs::path folder = root_ + std::string(TempFolderName);
        RemoveTempFolder(folder);
        std::error_code ec;
        fs::create_directory(folder, ec);
        return !ec && KindOf(folder) == PathKind::Folder;
    }

    // Creates a new file in the temporary folder under an unused name.
    bool CreateTemp(NewFile& file) {
        for (int i = 0; i < kTempNameTries; ++i) {
            const std::string letters = setup_.tempName ? setup_.tempName() : RandomLetters();
            if (file.Create(TempFolder() + letters + ".tmp")) {
                return true;
            }
        }
        return false;
    }

    std::optional<PatchRun> Stage(const PatchRecord& record) {
        switch (record.type) {
            case prNewFile:
                return StageNewFile(record);
            case prDeleteFile:
                staged_[record.name] = StagedFile{true, {}};
                ops_.push_back({&record, {}});
                return std::nullopt;
            case prPatchFile:
                return StagePatch(record);
            default:
                return std::nullopt;
        }
    }

    std::optional<PatchRun> StageNewFile(const PatchRecord& record) {
        NewFile file;
        if (!CreateTemp(file)) {
            return Stop(PatchStop::TempFolder, std::string(TempFolderErrorText));
        }
        InflateReader contents(record.data, MaxPatchedFileSize);
        std::array<char, kInflatePiece> piece;
        bool written = true;
        for (;;) {
            const std::size_t got = contents.Read(piece.data(), piece.size());
            if (got == 0) {
                break;
            }
            written = written && file.Write(std::string_view(piece.data(), got));
        }
        const bool closed = file.Close();
        if (!contents.Finished() || contents.Failed()) {
            AddLogLine("Patch refused: the contents of \"" + record.rawName + "\" are damaged");
            return Stop(PatchStop::DownloadError, std::string(DownloadErrorText));
        }
        if (!written || !closed) {
            return Stop(PatchStop::TempFolder, std::string(TempFolderErrorText));
        }
        staged_[record.name] = StagedFile{false, file.Path().string()};
        ops_.push_back({&record, file.Path().string()});
        return std::nullopt;
    }

    std::optional<PatchRun> StagePatch(const PatchRecord& record) {
        fs::path current = Target(record);
        if (auto it = staged_.find(record.name); it != staged_.end()) {
            if (it->second.deleted) {
                return Stop(PatchStop::CannotPatch, CannotPatchText(record.rawName));
            }
            current = it->second.temp;
        }
        const auto crc = CrcOfPlainFile(current);
        if (!crc || *crc != record.oldCrc) {
            return Stop(PatchStop::CannotPatch, CannotPatchText(record.rawName));
        }
        NewFile file;
        if (!CreateTemp(file)) {
            return Stop(PatchStop::TempFolder, std::string(TempFolderErrorText));
        }
        InflateReader diff(record.data, MaxPatchedFileSize);
        FileSource old;
        FileSink out(file);
        DiffResult result;
        if (!old.Open(current)) {
            result = {false, "Cannot read the file being patched", 0};
        } else {
            result = ApplyBinaryDiff(
                diff, old, out, [this, &record] { Progress(record.offset); }, MaxPatchedFileSize);
        }
        const bool closed = file.Close();
        if (result.ok && !closed) {
            result = {false, "Cannot write the rebuilt file", 0};
        }
        if (!result.ok) {
            // The target stays as it is: the partial output is neither
            // installed nor queued.
            AddLogLine("Patching error: " + result.error);
            RemoveFileOnly(file.Path());
            return std::nullopt;
        }
        staged_[record.name] = StagedFile{false, file.Path().string()};
        ops_.push_back({&record, file.Path().string()});
        return std::nullopt;
    }

    // What installing one file now changed, so that it can be put back.
    struct Installed {
        fs::path target;
        fs::path backup;                    // the old file, hard-linked; empty when there was none
        std::vector<fs::path> madeFolders;  // deepest first
    };

    // The missing folders above `target`, deepest first.
    std::vector<fs::path> MissingFolders(const fs::path& target) const {
        std::vector<fs::path> missing;
        const fs::path root = fs::path(root_).parent_path();
        for (fs::path level = target.parent_path(); !level.empty() && level != root;
             level = level.parent_path()) {
            if (KindOf(level) != PathKind::Missing) {
                break;
            }
            missing.push_back(level);
        }
        return missing;
    }

    static void RemoveMadeFolders(const std::vector<fs::path>& folders) {
        for (const auto& folder : folders) {
            std::error_code ec;
            fs::remove(folder, ec);  // only an empty folder goes
        }
    }

    // Keeps the old file under another name in the temporary folder; a hard
    // link, so the file keeps its inode and permission bits.
    bool KeepOld(std::size_t index, const fs::path& target, Installed& done) const {
        if (KindOf(target) == PathKind::Missing) {
            return true;
        }
        const fs::path backup = TempFolder() + std::to_string(index) + ".old";
        std::error_code ec;
        fs::create_hard_link(target, backup, ec);
        if (ec) {
            return false;
        }
        done.backup = backup;
        return true;
    }

    void Undo(const Installed& done) const {
        std::error_code ec;
        if (!done.backup.empty()) {
            fs::rename(done.backup, done.target, ec);
        } else if (!RemoveFileOnly(done.target)) {
            ec = std::make_error_code(std::errc::io_error);
        }
        if (ec) {
            AddLogLine("Patching error: cannot put back \"" + done.target.string() + "\"");
        }
        RemoveMadeFolders(done.madeFolders);
    }

    // Carries out one record that acts now; false when it could not be done,
    // and then nothing of it is left behind.
    bool ActNow(std::size_t index, const fs::path& target) {
        const StagedOp& op = ops_[index];
        Installed done{target, {}, {}};
        bool ok = false;
        if (op.record->type == prDeleteFile) {
            ok = KindOf(target) != PathKind::Folder && KeepOld(index, target, done) &&
                 RemoveFileOnly(target);
        } else {
            done.madeFolders = MissingFolders(target);
            ok = MakeFoldersInside(setup_.programFolder, target.parent_path()) &&
                 KeepOld(index, target, done) && ReplaceByRename(op.temp, target);
        }
        if (!ok) {
            if (!done.backup.empty()) {
                RemoveFileOnly(done.backup);
            }
            RemoveMadeFolders(done.madeFolders);
            return false;
        }
        installed_.push_back(std::move(done));
        return true;
    }

    // The queue with the records left to the updater, in record order.
    std::vector<UpgradeLine> QueueLines(const std::vector<bool>& leftToUpdater) const {
        std::vector<UpgradeLine> queue;
        for (std::size_t i = 0; i < ops_.size(); ++i) {
            if (!leftToUpdater[i]) {
                continue;
            }
            const fs::path target = Target(*ops_[i].record);
            if (ops_[i].record->type == prDeleteFile) {
                queue.push_back(UpgradeLine::MakeDelete(target.string()));
            } else {
                queue.push_back(UpgradeLine::MakeCopy(ops_[i].temp, target.string()));
                queue.push_back(UpgradeLine::MakeDelete(ops_[i].temp));
            }
        }
        queue.push_back(UpgradeLine::MakeRemdir(TempFolder()));
        queue.push_back(UpgradeLine::MakeRun(setup_.clientProgram, "-showver"));
        return queue;
    }

    bool WriteQueue(const std::vector<UpgradeLine>& queue) const {
        const fs::path file = root_ + std::string(QueueFileName);
        const std::string text = FormatUpgradeQueue(queue);
        return setup_.writeQueue ? setup_.writeQueue(file, text) : WriteFileAtomic(file, text);
    }

    // The queue is written on purpose before anything acts now: replacing the
    // files first left a half-done update whenever the queue could not be
    // written. Each replacement keeps the old file until the end, so that a
    // later failure (writing the queue again, an updater that does not start)
    // puts every one back and removes the queue: an update is done whole or
    // not at all.
    void Commit() {
        std::vector<bool> leftToUpdater(ops_.size());
        for (std::size_t i = 0; i < ops_.size(); ++i) {
            leftToUpdater[i] = !ops_[i].record->now;
        }
        if (!WriteQueue(QueueLines(leftToUpdater))) {
            Fail(PatchStop::QueueWrite, QueueWriteErrorText);
            return;
        }
        bool handedOver = false;
        for (std::size_t i = 0; i < ops_.size(); ++i) {
            const PatchRecord& record = *ops_[i].record;
            const fs::path target = Target(record);
            // A patch or delete of a file that is not there has nothing to do.
            const bool nothingToDo =
                record.type != prNewFile && KindOf(target) == PathKind::Missing;
            if (!record.now || nothingToDo || ActNow(i, target)) {
                continue;
            }
            // A file that cannot be replaced now is left to the updater, which
            // tries again once the client has exited.
            AddLogLine("Patching error: cannot " +
                       std::string(record.type == prDeleteFile ? "delete" : "replace") + " \"" +
                       record.rawName + "\" now; left to the updater");
            leftToUpdater[i] = true;
            handedOver = true;
        }
        run_.queue = QueueLines(leftToUpdater);
        if (handedOver && !WriteQueue(run_.queue)) {
            PutBack();
            Fail(PatchStop::QueueWrite, QueueWriteErrorText);
            return;
        }
        if (setup_.startUpdater && !setup_.startUpdater()) {
            PutBack();
            Fail(PatchStop::UpdaterStart, UpdaterMissingText);
            return;
        }
        for (const auto& done : installed_) {
            if (!done.backup.empty()) {
                RemoveFileOnly(done.backup);
            }
        }
    }

    void PutBack() {
        for (auto it = installed_.rbegin(); it != installed_.rend(); ++it) {
            Undo(*it);
        }
    }

    void Fail(PatchStop stop, std::string_view message) {
        RemoveFileOnly(root_ + std::string(QueueFileName));
        run_.stop = stop;
        run_.message = std::string(message);
        run_.queue.clear();
    }

    const PatchSetup& setup_;
    std::string root_;
    std::string_view patch_;
    fs::path patchPath_;
    std::map<std::string, StagedFile> staged_;
    std::vector<StagedOp> ops_;
    std::vector<Installed> installed_;
    PatchRun run_;
};

}  // namespace

std::string CannotPatchText(std::string_view name) {
    return "Unable to patch \"" + std::string(name) +
           "\"!  Please run anti-virus software in case you may have a virus.  If you modified "
           "this file in some way, you must reinstall Pelkorin.";
}

void RemoveTempFolder(const fs::path& folder) {
    if (KindOf(folder) == PathKind::Folder) {
        DeleteTree(folder.string());
    } else {
        RemoveFileOnly(folder);
    }
}

std::string FolderText(const fs::path& folder) {
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    if (text.empty() || text.back() != '/') {
        text.push_back('/');
    }
    return text;
}

PatchRun ApplyPatchFile(const PatchSetup& setup, const std::string& patchPath,
                        std::uint32_t expectedCrc) {
    PatchRun stopped;
    stopped.stop = PatchStop::DownloadError;
    stopped.message = std::string(DownloadErrorText);
    const auto patch = ReadFileBytes(patchPath, static_cast<std::size_t>(MaxPatchSize));
    if (!patch || StringCrc32(*patch) != expectedCrc) {
        return stopped;
    }
    PatchRunner runner(setup, *patch, patchPath);
    return runner.Run();
}

}  // namespace pk
