// Update server bytes: any messages and file data, cut into any chunks, end the run or leave it
// waiting, never busy; the download, and a patch it completes, stay inside the program folder.
// The first byte sets the chunk sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrlog.h"
#include "fuzz_sandbox.h"
#include "game/zrgame.h"
#include "update/zrupdate.h"

namespace {

const std::string kPrefix = "pk_update_fuzz_";

// The program around the update client: no messages shown, no updater started for real, a
// redirect's new run never started (it would connect), and a clock that moves on every reading.
class FuzzHost final : public pk::UpdateHost {
public:
    std::string folder;
    std::int64_t seconds = 1;
    std::string ProgramFolder() override { return folder; }
    std::string ClientProgram() override { return folder + "pelkorin"; }
    bool VersionChanged() override { return true; }
    void ShowMessage(const std::string&) override {}
    std::string MainWindowId() override { return "1"; }
    bool StartUpdater(const std::string& program, const std::vector<std::string>&,
                      const std::string&) override {
        if (program != folder + "qaup") {
            std::abort();
        }
        return true;
    }
    void CloseForUpgrade() override {}
    std::int64_t Seconds() override { return seconds++; }
    void RunLater(std::function<void()>) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static FuzzHost host;
    const auto prog = pk::fuzz::FreshProgram(kPrefix);
    pk::fuzz::Put(prog / "qaup", "updater stand-in");
    host.folder = prog.string() + "/";
    pk::SetUpdateHost(&host);
    pk::ResetUpdateClient();
    pk::ClientState.update.Phase = pk::UpdateConnected;

    const std::size_t chunk = 1 + data[0] % 61;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        pk::UpdateReceiveBytes(std::string(bytes.substr(at, chunk)));
    }
    if (pk::ClientState.update.Busy != 0 ||
        pk::ClientState.update.ReceivedBytes > pk::ClientState.update.TotalBytes) {
        std::abort();
    }
    pk::ResetUpdateClient();
    pk::ClearClientLog();
    pk::fuzz::CheckOutsideUntouched(kPrefix);
    return 0;
}
