// Arbitrary chat text through the style-code reader and the text box's model: every byte
// string gives runs whose text is the input without its codes, and the model stays capped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/zrtxtlines.h"
#include "core/zrtxtstyle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t length = 0;
    for (const pk::TStyledRun& run : pk::ParseStyledText(text)) {
        const int32_t colour = run.style.colour;
        if (run.text.empty() || (colour != pk::kFontColour && (colour < 0 || colour > 0xFFFFFF)))
            std::abort();
        length += run.text.size();
    }
    if (length > size)
        std::abort();
    pk::TTextLines lines(8);
    lines.AddLine(text);
    lines.AddLine(text);
    if (lines.Count() > 8)
        std::abort();
    (void)lines.TextBetween(0, size, lines.Count(), 0);
    return 0;
}
