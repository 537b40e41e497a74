#include "support/golden.h"

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "gfx/qtsurface.h"

namespace pk::test {

namespace {

QImage AsRgb32(const Surface16& s) {
    return ToQImage(s).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

::testing::AssertionResult MatchesGolden(const Surface16& surface, const std::string& name) {
    return MatchesGoldenWithin(surface, name, 0);
}

::testing::AssertionResult MatchesGoldenWithin(const Surface16& surface, const std::string& name,
                                               int differentPixels) {
    const std::filesystem::path file = std::filesystem::path(PK_TESTS_DIR) / name;
    const char* update = std::getenv("PK_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(file.parent_path());
        if (!AsRgb32(surface).save(QString::fromStdString(file.string()), "PNG"))
            return ::testing::AssertionFailure() << "cannot write " << file;
        return ::testing::AssertionSuccess();
    }
    QImage golden;
    if (!golden.load(QString::fromStdString(file.string()), "PNG"))
        return ::testing::AssertionFailure() << "no golden picture " << file;
    const Surface16 expected = SurfaceFromQImage(golden);
    const std::string actualName = file.filename().replace_extension(".actual.png").string();
    if (expected.width() != surface.width() || expected.height() != surface.height()) {
        AsRgb32(surface).save(QString::fromStdString(actualName), "PNG");
        return ::testing::AssertionFailure()
               << name << ": size " << surface.width() << "x" << surface.height() << ", golden "
               << expected.width() << "x" << expected.height();
    }
    int differences = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.pixel(x, y) != expected.pixel(x, y) && ++differences > differentPixels) {
                AsRgb32(surface).save(QString::fromStdString(actualName), "PNG");
                std::ostringstream out;
                out << name << ": first difference at (" << x << ", " << y << "): 0x" << std::hex
                    << surface.pixel(x, y) << ", golden 0x" << expected.pixel(x, y)
                    << "; drawn picture saved as " << actualName;
                return ::testing::AssertionFailure() << out.str();
            }
        }
    }
    return ::testing::AssertionSuccess();
}

Surface16 Sheet(const std::vector<Surface16>& panels, int columns) {
    if (panels.empty())
        return {};
    const int pw = panels[0].width(), ph = panels[0].height();
    const int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
    Surface16 sheet(columns * (pw + 1) - 1, rows * (ph + 1) - 1, kWhite555);
    for (size_t i = 0; i < panels.size(); ++i) {
        const int px = static_cast<int>(i) % columns * (pw + 1);
        const int py = static_cast<int>(i) / columns * (ph + 1);
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x) sheet.setPixel(px + x, py + y, panels[i].pixel(x, y));
    }
    return sheet;
}

}  // namespace pk::test
