#include "editor/zrskinbridge.h"

#include "skin/zrskin.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"

namespace pk {

uint32_t PreviewKeywords(std::string_view flagList) {
    return ParseLayoutKeywords(flagList);
}

bool PreviewHasLine(std::string_view text, std::string_view word) {
    return TextHasFlag(text, word);
}

PixelRect PreviewLayoutRect(const PixelRect& own, uint32_t keywords, const PreviewBox& box) {
    return LayoutSkinRect(
        own, keywords,
        {box.originX, box.originY, box.width, box.height, box.designWidth, box.designHeight});
}

void PreviewDrawElement(Surface16& target, const PixelRect& rect, int32_t colour,
                        const Surface16* image, const Mask* mask, uint32_t keywords,
                        std::string_view flagList) {
    DrawSkinPicture(target, rect, colour, image, mask, keywords, flagList);
}

int PreviewCoordinateLimit() {
    return kMaxLayoutCoordinate;
}

}  // namespace pk
