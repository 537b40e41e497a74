// "versions.txt" as any bytes: the release notes show one line for each line of the file, each
// decoded and read for its style codes as the notes box reads it, and never fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/zrtxtlines.h"
#include "fuzz_sandbox.h"
#include "update/zrupdate.h"

namespace {

const std::string kPrefix = "pk_versions_fuzz_";

class NotesBox final : public pk::UpdateNotesView {
public:
    pk::TTextLines lines{1u << 16};
    std::size_t added = 0;
    void Clear() override {
        lines.Clear();
        added = 0;
    }
    void AddLine(const std::string& line) override {
        lines.AddLine(line);
        ++added;
    }
    void ScrollToLine(int) override {}
};

class View final : public pk::UpdateView {
public:
    NotesBox notes;
    void Arrange(bool) override {}
    void SetStatus(const std::string&) override {}
    void SetProgressMaximum(int) override {}
    void SetProgress(int) override {}
    void SetTimeLeft(const std::string&) override {}
    void SetReceivedBytes(const std::string&) override {}
    pk::UpdateNotesView& Notes() override { return notes; }
    bool IsShown() const override { return false; }
    void ShowCentred(bool) override {}
    void CloseDialog() override {}
    void Repaint() override {}
};

class Host final : public pk::UpdateHost {
public:
    std::string folder;
    int messages = 0;
    std::string ProgramFolder() override { return folder; }
    void ShowMessage(const std::string&) override { ++messages; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Host host;
    static View view;
    const auto prog = pk::fuzz::FreshProgram(kPrefix);
    const std::string text(reinterpret_cast<const char*>(data), size);
    pk::fuzz::Put(prog / "versions.txt", text);
    host.folder = prog.string() + "/";
    host.messages = 0;
    pk::SetUpdateHost(&host);
    pk::SetUpdateView(&view);
    pk::ShowVersions();
    std::size_t expected = 0;
    for (std::size_t start = 0; start < text.size(); ++expected) {
        const std::size_t end = text.find('\n', start);
        start = end == std::string::npos ? text.size() : end + 1;
    }
    if (host.messages != 0 || view.notes.added != expected) {
        std::abort();
    }
    return 0;
}
