#include "skin/zrskinlayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "skin/zrskinhost.h"

namespace pk {

namespace {

constexpr std::array<std::string_view, LayoutKeywordCount> kNames = {
    "alignright",   "alignbottom",   "alignboth",   "resizeleft",   "resizetop",  "resizeright",
    "resizebottom", "resizeall",     "maxright",    "maxbottom",    "maxboth",    "fixedwidth",
    "fixedheight",  "fixedboth",     "centerwidth", "centerheight", "centerboth", "border",
    "stretchwidth", "stretchheight", "stretchboth",
};

int64_t Bound(int64_t v) {
    return std::clamp<int64_t>(v, -kMaxLayoutCoordinate, kMaxLayoutCoordinate);
}

// To the nearest integer, halves to even (the default rounding mode), kept in bounds.
int64_t Rnd(double v) {
    if (!std::isfinite(v))
        return 0;
    v = std::clamp(v, -double{kMaxLayoutCoordinate}, double{kMaxLayoutCoordinate});
    return static_cast<int64_t>(std::nearbyint(v));
}

void LayoutOne(TSkinElementRec& e) {
    const TZRskin& s = e.source;
    e.rect = LayoutSkinRect({s.left, s.top, s.width, s.height}, e.layout, ElementBox(e));
    e.laidOutWidth = e.skin->currentWidth;
    e.laidOutHeight = e.skin->currentHeight;
    skinevent(seLayout, &e);
}

}  // namespace

std::span<const std::string_view> LayoutKeywordNames() {
    return kNames;
}

int LayoutKeywordOf(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

uint32_t ParseLayoutKeywords(std::string_view text) {
    uint32_t set = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        line = line.substr(0, line.find('\n'));
        const int k = LayoutKeywordOf(line);
        if (k >= 0)
            set |= 1u << k;
        start = end + 1;
    }
    return set;
}

PixelRect LayoutSkinRect(const PixelRect& reference, uint32_t kw, const LayoutBox& box) {
    auto has = [kw](LayoutKeyword k) { return HasKeyword(kw, k); };
    const int64_t x = Bound(reference.left);
    const int64_t y = Bound(reference.top);
    const int64_t w = Bound(reference.width);
    const int64_t h = Bound(reference.height);
    const int64_t W = Bound(box.width);
    const int64_t H = Bound(box.height);
    // A box designed at size 0 (or less) would divide by zero: it keeps its scale of 1.
    const double sx = box.referenceWidth > 0 ? double(W) / box.referenceWidth : 1.0;
    const double sy = box.referenceHeight > 0 ? double(H) / box.referenceHeight : 1.0;
    const bool alignRight = has(lkAlignRight) || has(lkAlignBoth);
    const bool alignBottom = has(lkAlignBottom) || has(lkAlignBoth);
    const bool resizeLeft = has(lkResizeLeft) || has(lkResizeAll);
    const bool resizeTop = has(lkResizeTop) || has(lkResizeAll);
    const bool resizeRight = has(lkResizeRight) || has(lkResizeAll);
    const bool resizeBottom = has(lkResizeBottom) || has(lkResizeAll);
    const bool fixedWidth = has(lkFixedWidth) || has(lkFixedBoth);
    const bool fixedHeight = has(lkFixedHeight) || has(lkFixedBoth);

    int64_t L = x, T = y, R = Bound(x + w), B = Bound(y + h);
    if (alignRight)
        R = Bound(W + (x + w - box.referenceWidth));
    if (alignBottom)
        B = Bound(H + (y + h - box.referenceHeight));
    if (resizeLeft) {
        L = Rnd(double(x) * sx);
        if (fixedWidth)
            R = Bound(L + w);
    }
    if (resizeTop) {
        T = Rnd(double(y) * sy);
        if (fixedHeight)
            B = Bound(T + h);
    }
    if (resizeRight)
        R = Rnd(double(x + w) * sx);
    if (resizeBottom)
        B = Rnd(double(y + h) * sy);
    if (has(lkMaxRight) || has(lkMaxBoth))
        R = W;
    if (has(lkMaxBottom) || has(lkMaxBoth))
        B = H;
    if (fixedWidth)
        L = Bound(R - w);
    if (fixedHeight)
        T = Bound(B - h);
    if (has(lkCenterWidth) || has(lkCenterBoth)) {
        const int64_t cw = R - L;
        L = W / 2 - cw / 2;  // each half toward zero
        R = L + cw;
    }
    if (has(lkCenterHeight) || has(lkCenterBoth)) {
        const int64_t ch = B - T;
        T = H / 2 - ch / 2;
        B = T + ch;
    }
    return {static_cast<int>(Bound(box.originX + L)), static_cast<int>(Bound(box.originY + T)),
            static_cast<int>(Bound(R - L)), static_cast<int>(Bound(B - T))};
}

bool NeedsLayout(const TSkinElementRec& e) {
    return e.laidOutWidth != e.skin->currentWidth || e.laidOutHeight != e.skin->currentHeight;
}

LayoutBox ElementBox(const TSkinElementRec& e) {
    if (const TSkinElementRec* p = e.parent) {
        return {p->rect.left,   p->rect.top,     p->rect.width,
                p->rect.height, p->source.width, p->source.height};
    }
    const tskinf& s = *e.skin;
    return {0, 0, s.currentWidth, s.currentHeight, s.referenceWidth, s.referenceHeight};
}

void LayoutElement(TSkinElementRec& e) {
    // Parents that need it first, the topmost first. Parent chains have no cycles (they are
    // cut when the skin is built); the bound only keeps a damaged chain finite.
    std::vector<TSkinElementRec*> chain;
    const std::size_t limit = e.skin->elements.size();
    for (TSkinElementRec* p = e.parent; p && NeedsLayout(*p) && chain.size() < limit; p = p->parent)
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) LayoutOne(**it);
    LayoutOne(e);
}

void ResizeSkin(SkinForm* form) {
    tskinf* skin = FindSkin(form);
    if (!skin)
        return;
    const int w = form->ClientWidth();
    const int h = form->ClientHeight();
    if (w < 1 || h < 1)
        return;
    SkinDispatchGuard guard;
    EnsureSkinBuffer(w, h);
    skin->currentWidth = w;
    skin->currentHeight = h;
    for (std::size_t i = 0; i < skin->elements.size(); ++i) {
        TSkinElementRec& e = *skin->elements[i];
        if (e.Shown())
            LayoutElement(e);
    }
}

}  // namespace pk
