#include "skin/zrskinpaint.h"

#include <algorithm>
#include <vector>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "gfx/blend.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "klb/klblookup.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinlayout.h"

namespace pk {

namespace {

// A skin whose handlers keep making it dirty is painted this many times in a row at most; the
// rest waits for the next paint.
constexpr int kMaxPaintPasses = 16;

Pixel16 FormColour555(const SkinForm& form) {
    return ColorRefTo555(static_cast<uint32_t>(form.FormColour()) & 0xFFFFFFu);
}

PixelRect ClientRect(const SkinForm& form) {
    return {0, 0, form.ClientWidth(), form.ClientHeight()};
}

int64_t Area(const PixelRect& r) {
    return r.empty() ? 0 : int64_t{r.width} * r.height;
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Event 1 paints inside the element and inside what the pass may change.
void PaintGameElement(TSkinElementRec& e, const PixelRect& area) {
    ClipGuard clip(SkinBuffer, Intersect(e.rect, area));
    skinevent(sePaint, &e, &SkinBuffer);
}

}  // namespace

SliceBands ParseBorderBands(std::string_view value) {
    int bands[4] = {5, 5, 5, 5};
    for (int i = 0; i < 4; ++i) {
        const std::string field = TokenAt(i + 1, value, ',');
        if (const auto n = ParseInt(TrimBlanks(field)))
            bands[i] = *n;
    }
    return {bands[0], bands[1], bands[2], bands[3]};
}

void LoadElementBitmaps(TSkinElementRec& e) {
    if (e.bitmapsLoaded)
        return;
    e.bitmapsLoaded = true;
    const TZRskin& s = e.source;
    if (s.imageSize < 1)
        return;
    try {
        const auto image = LoadLibraryBitmap(e.libraryFile, s.imageOffset, s.imageSize);
        if (!image) {
            AddLogLine("Skin element " + e.name + ": no image at " + std::to_string(s.imageOffset) +
                       " (" + std::to_string(s.imageSize) + " bytes) of " + e.libraryFile.string());
            return;
        }
        e.image = SurfaceFromDib(*image);
        if (s.maskSize < 1)
            return;
        const auto mask = LoadLibraryBitmap(e.libraryFile, s.maskOffset, s.maskSize);
        if (mask) {
            e.mask = MaskFromDib(*mask);
        } else {
            AddLogLine("Skin element " + e.name + ": no mask at " + std::to_string(s.maskOffset) +
                       " of " + e.libraryFile.string() + "; drawn without one");
        }
    } catch (const std::exception& x) {
        AddLogLine("Skin element " + e.name + ": image not read: " + x.what());
        e.image.reset();
        e.mask.reset();
    }
}

void DrawSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                     const Surface16* image, const Mask* mask, uint32_t keywords,
                     std::string_view parameters) {
    DrawSkinPicture(target, rect, colour, image, mask, keywords,
                    HasKeyword(keywords, lkBorder)
                        ? ParseBorderBands(GetTextParam(parameters, "border"))
                        : SliceBands{});
}

void DrawSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                     const Surface16* image, const Mask* mask, uint32_t keywords,
                     const SliceBands& border) {
    if (rect.empty())
        return;
    if (colour >= 0)
        FillRect(target, rect, ColorRefTo555(static_cast<uint32_t>(colour) & 0xFFFFFFu));
    if (!image || image->empty())
        return;
    const Picture picture{image, mask && !mask->empty() ? mask : nullptr};
    const FillMode mode{
        HasKeyword(keywords, lkStretchWidth) || HasKeyword(keywords, lkStretchBoth),
        HasKeyword(keywords, lkStretchHeight) || HasKeyword(keywords, lkStretchBoth)};
    if (HasKeyword(keywords, lkBorder)) {
        DrawNineSlice(target, rect, picture, border, mode);
    } else {
        FillWithPicture(target, rect, picture, image->bounds(), mode);
    }
}

void DrawElement(TSkinElementRec& e, Surface16& target) {
    LoadElementBitmaps(e);
    DrawSkinPicture(target, e.rect, e.source.backColour, e.image ? &*e.image : nullptr,
                    e.mask ? &*e.mask : nullptr, e.layout, e.source.SkinFlagList);
}

bool ElementTouchesRect(const TSkinElementRec& e, const PixelRect& rect) {
    const PixelRect common = Intersect(e.rect, rect);
    if (common.empty())
        return false;
    if (!HasKeyword(e.layout, lkBorder))
        return true;
    const std::string value = GetElementParam(e, "border");
    if (value.empty())
        return true;
    const SliceBands b = ParseBorderBands(value);
    const PixelRect inner{e.rect.left + b.left, e.rect.top + b.top, e.rect.width - b.left - b.right,
                          e.rect.height - b.top - b.bottom};
    return inner.empty() || !Contains(inner, common);
}

void PaintSkinRect(SkinForm* form, const PixelRect& rect) {
    tskinf* skin = FindSkin(form);
    if (!skin)
        return;
    SkinDispatchGuard guard;
    EnsureSkinBuffer(form->ClientWidth(), form->ClientHeight());
    const PixelRect r = Intersect(Intersect(rect, ClientRect(*form)), SkinBuffer.bounds());
    if (r.empty())
        return;
    skin->painting = 1;
    skin->dirty = 0;
    const Pixel16 colour = FormColour555(*form);
    bool touched = false;
    {
        ClipGuard clip(SkinBuffer, r);
        // Nothing of another form's painting may show where no element draws.
        FillRect(SkinBuffer, r, colour);
        for (std::size_t i = 0; i < skin->elements.size(); ++i) {
            TSkinElementRec& e = *skin->elements[i];
            if (!e.Shown())
                continue;
            if (NeedsLayout(e))
                LayoutElement(e);
            if (!ElementTouchesRect(e, r))
                continue;
            touched = true;
            if (e.HasPicture())
                DrawElement(e, SkinBuffer);
            PaintGameElement(e, r);
        }
    }
    if (!touched) {
        form->FillFormRect(r, colour);
    } else {
        for (std::size_t i = 0; i < skin->elements.size(); ++i) {
            if (skin->elements[i]->Shown())
                skinevent(seUpdate, skin->elements[i].get());
        }
        form->PresentRect(SkinBuffer, r);
    }
    skin->painting = 0;
    if (skin->dirty && form->FormVisible())
        PaintSkin(*skin);
}

void PaintSkin(tskinf& skin) {
    if (!skin.form)
        return;
    SkinDispatchGuard guard;
    SkinForm& form = *skin.form;
    for (int pass = 0; pass < kMaxPaintPasses; ++pass) {
        skin.painting = 1;
        skin.dirty = 0;
        EnsureSkinBuffer(form.ClientWidth(), form.ClientHeight());
        const PixelRect bounds = Intersect(ClientRect(form), SkinBuffer.bounds());
        const Pixel16 colour = FormColour555(form);
        auto& elements = skin.elements;
        std::vector<TSkinElementRec*> marked;
        for (auto& e : elements) {
            if (!e->dirty)
                continue;
            e->dirty = 0;
            e->marked = 1;
            marked.push_back(e.get());
        }
        for (TSkinElementRec* m : marked) {
            if (NeedsLayout(*m))
                LayoutElement(*m);
        }
        PixelRect changed;  // everything the marked elements cover
        for (TSkinElementRec* m : marked) changed = Unite(changed, Intersect(m->rect, bounds));
        for (std::size_t i = 0; i < elements.size(); ++i) {
            TSkinElementRec& e = *elements[i];
            if (!e.Shown())
                continue;
            if (NeedsLayout(e))
                LayoutElement(e);
            if (e.marked) {
                e.toDraw = 1;
                if (e.HasPicture())
                    e.repaint = Unite(e.repaint, e.rect);
                continue;
            }
            for (TSkinElementRec* m : marked) {
                const bool eSmaller = Area(e.rect) <= Area(m->rect);
                const bool touch =
                    eSmaller ? ElementTouchesRect(e, m->rect) : ElementTouchesRect(*m, e.rect);
                if (!touch)
                    continue;
                e.toDraw = 1;
                if (e.HasPicture())
                    e.repaint = Unite(e.repaint, Intersect(e.rect, m->rect));
            }
        }
        // What no element covers shows the form's colour, not an older picture.
        for (TSkinElementRec* m : marked) FillRect(SkinBuffer, Intersect(m->rect, bounds), colour);
        for (auto& e : elements) {
            if (e->toDraw)
                FillRect(SkinBuffer, Intersect(e->repaint, bounds), colour);
        }
        for (std::size_t i = 0; i < elements.size(); ++i) {
            TSkinElementRec& e = *elements[i];
            if (!e.toDraw)
                continue;
            e.toDraw = 0;
            if (e.HasPicture()) {
                ClipGuard clip(SkinBuffer, Intersect(e.repaint, bounds));
                DrawElement(e, SkinBuffer);
            }
            e.repaint = {};
            PaintGameElement(e, changed);
            if (e.marked)
                skinevent(seUpdate, &e);
        }
        for (TSkinElementRec* m : marked) {
            const PixelRect r = Intersect(m->rect, bounds);
            if (!r.empty())
                form.PresentRect(SkinBuffer, r);
            m->marked = 0;
        }
        skin.painting = 0;
        if (!skin.dirty || !form.FormVisible())
            return;
    }
    AddLogLine("Skin " + skin.name + " keeps changing while it is painted; painting stopped");
}

void PaintOrClearSkin(tskinf& skin) {
    if (skin.painting)
        return;
    if (skin.dirty && skin.form && skin.form->FormVisible()) {
        PaintSkin(skin);
    } else {
        skin.dirty = 0;
    }
}

void PaintDirtySkins() {
    for (std::size_t i = 0; i < SkinList.size(); ++i) PaintOrClearSkin(*SkinList[i]);
}

void InvalidateElement(TSkinElementRec& e) {
    e.dirty = 1;
    e.skin->dirty = 1;
}

void InvalidateElement(const SkinForm* form, std::string_view name) {
    if (TSkinElementRec* e = FindElement(form, name))
        InvalidateElement(*e);
}

void PrepareElementBuffers(TSkinElementRec& e, bool alpha) {
    tskinf& skin = *e.skin;
    // Work bitmaps never exceed the back buffer: an element larger than that is cut anyway.
    const int w = std::clamp(e.rect.width, 1, std::max(SkinBuffer.width(), 1));
    const int h = std::clamp(e.rect.height, 1, std::max(SkinBuffer.height(), 1));
    if (!skin.imageBuffer || skin.imageBuffer->width() < w || skin.imageBuffer->height() < h) {
        const int ow = skin.imageBuffer ? skin.imageBuffer->width() : 0;
        const int oh = skin.imageBuffer ? skin.imageBuffer->height() : 0;
        skin.imageBuffer.emplace(std::max(w, ow), std::max(h, oh));
    }
    const int iw = skin.imageBuffer->width();
    const int ih = skin.imageBuffer->height();
    if (!skin.maskBuffer || skin.maskBuffer->mono() == alpha || skin.maskBuffer->width() < iw ||
        skin.maskBuffer->height() < ih)
        skin.maskBuffer.emplace(iw, ih, !alpha);
    FillRect(*skin.imageBuffer, skin.imageBuffer->bounds(), kBlack555);
    FillMask(*skin.maskBuffer, skin.maskBuffer->bounds(), alpha ? 0 : 255);
}

void DrawElementImage(TSkinElementRec& e, Surface16& target) {
    const tskinf& skin = *e.skin;
    if (!skin.imageBuffer || !skin.maskBuffer)
        return;
    const int w = std::min(e.rect.width, skin.imageBuffer->width());
    const int h = std::min(e.rect.height, skin.imageBuffer->height());
    if (w <= 0 || h <= 0)
        return;
    if (skin.maskBuffer->mono()) {
        MaskedBlt(target, e.rect.left, e.rect.top, 0, 0, *skin.maskBuffer, *skin.imageBuffer, h, w);
    } else {
        AlphaBlendBitmap(target, e.rect.left, e.rect.top, 0, 0, 0, 0, *skin.maskBuffer,
                         *skin.imageBuffer, h, w);
    }
}

}  // namespace pk
