#include "support/temp_dir.h"

#include <atomic>
#include <random>

namespace pk::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("pk_test_" + std::to_string(rd()) + "_" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(path_, ec) && !ec) {
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace pk::test
