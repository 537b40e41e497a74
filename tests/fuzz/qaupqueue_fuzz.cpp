// The updater's queue "upgrade.tmp" as any bytes: whatever its lines, the updater changes
// nothing outside its program folder, removes no folder but the temporary one, and starts only
// a program file of its folder. "@/" in the input stands for the program folder, so that the
// fuzzer reaches the paths the updater accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/qaup/qaup.h"
#include "fuzz_sandbox.h"

namespace {

const std::string kPrefix = "pk_qaupqueue_fuzz_";

class Env final : public pk::qaup::Environment {
public:
    std::string folder;
    bool ProcessAlive(std::int64_t) override { return false; }
    void SleepMs(int) override {}
    bool Start(const std::string& program, const std::vector<std::string>&,
               const std::string& where) override {
        namespace fs = std::filesystem;
        const fs::path path(program);
        if (where != folder || !fs::is_regular_file(fs::symlink_status(path)) ||
            fs::canonical(path).string().rfind(fs::canonical(folder).string() + "/", 0) != 0) {
            std::abort();
        }
        return true;
    }
    void Log(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    static Env env;
    const fs::path prog = pk::fuzz::FreshProgram(kPrefix);
    pk::fuzz::Put(prog / "$$tmp$$" / "aaaaaaaa.tmp", "a new file");
    pk::fuzz::Put(prog / "pelkorin", "the client");
    env.folder = prog.string() + "/";
    std::string queue;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input.compare(i, 2, "@/") == 0) {
            queue += env.folder;
            ++i;
        } else {
            queue += input[i];
        }
    }
    pk::fuzz::Put(prog / "upgrade.tmp", queue);
    pk::qaup::Options options;
    options.folder = prog;
    options.clientPid = 1;
    pk::qaup::RunUpdater(options, env);
    if (!fs::is_directory(fs::symlink_status(prog))) {
        std::abort();
    }
    pk::fuzz::CheckOutsideUntouched(kPrefix);
    return 0;
}
