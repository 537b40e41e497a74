#include "editor/zrskinbridge.h"

#include "core/zrmisc.h"
#include "skin/zrskin.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"

namespace pk {

bool HasFlagLine(std::string_view flagList, std::string_view name) {
    return TextHasFlag(LowerCase(std::string(flagList)), LowerCase(std::string(name)));
}

std::string GetFlagParam(std::string_view flagList, std::string_view name) {
    return GetTextParam(flagList, name);
}

uint32_t PreviewKeywords(std::string_view flagList) {
    return ParseLayoutKeywords(flagList);
}

PixelRect LayoutSkinElement(const PixelRect& own, std::string_view flagList,
                            const PreviewBox& box) {
    return LayoutSkinRect(
        own, ParseLayoutKeywords(flagList),
        {box.originX, box.originY, box.width, box.height, box.designWidth, box.designHeight});
}

void PaintSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                      const Surface16* image, const Mask* mask, uint32_t keywords,
                      std::string_view border) {
    DrawSkinPicture(target, rect, colour, image, mask, keywords, ParseBorderBands(border));
}

int PreviewCoordinateLimit() {
    return kMaxLayoutCoordinate;
}

}  // namespace pk
