#include "editor/zrskinpreview.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "core/zrmisc.h"
#include "editor/zrimaging.h"
#include "editor/zrskinbridge.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "klb/klblookup.h"

namespace pk {

namespace {

constexpr const char* kTabCaptions[kPreviewTabCount] = {
    "Shell",      "Login",   "Game",       "Chat",    "Settings", "SetTheme",
    "SetBrowser", "SetGame", "SetControl", "SetMisc", "SetServer"};
constexpr const char* kContainers[kPreviewTabCount] = {"",
                                                       "con_login",
                                                       "con_game",
                                                       "con_chat",
                                                       "con_settings",
                                                       "con_settheme",
                                                       "con_setbrowser",
                                                       "con_setgame",
                                                       "con_setcontrol",
                                                       "con_setmisc",
                                                       "con_setserver"};

constexpr int kHandle = 8;  // handle squares and strips, in pixels
constexpr Pixel16 kNavy = Rgb555(0, 0, 128 >> 3);
constexpr Pixel16 kYellow = Rgb555(31, 31, 0);

int Side(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 1, kMaxPreviewSide));
}

bool Inside(const PixelRect& r, int x, int y) {
    return x >= r.left && y >= r.top && x < r.right() && y < r.bottom();
}

// The dotted frame on the rectangle's edge pixels, every other pixel.
void DottedFrame(Surface16& s, const PixelRect& r, Pixel16 colour) {
    if (r.empty())
        return;
    auto dot = [&](int64_t x, int64_t y) {
        const PixelRect& c = s.clip();
        if (x >= c.left && y >= c.top && x < c.right() && y < c.bottom() && ((x + y) & 1) == 0)
            s.setPixel(static_cast<int>(x), static_cast<int>(y), colour);
    };
    const int64_t x0 = r.left, y0 = r.top, x1 = r.right() - 1, y1 = r.bottom() - 1;
    // Only the visible part is walked, so a huge rectangle costs nothing.
    const int64_t fromX = std::max<int64_t>(x0, 0), toX = std::min<int64_t>(x1, s.width() - 1);
    const int64_t fromY = std::max<int64_t>(y0, 0), toY = std::min<int64_t>(y1, s.height() - 1);
    for (int64_t x = fromX; x <= toX; ++x) {
        dot(x, y0);
        dot(x, y1);
    }
    for (int64_t y = fromY; y <= toY; ++y) {
        dot(x0, y);
        dot(x1, y);
    }
}

}  // namespace

const char* PreviewTabCaption(int tab) {
    return tab >= 0 && tab < kPreviewTabCount ? kTabCaptions[tab] : "";
}

const char* PreviewContainerName(int tab) {
    return tab >= 0 && tab < kPreviewTabCount ? kContainers[tab] : "";
}

PixelRect ApplyDrag(const PixelRect& r, DragHandle h, int dx, int dy) {
    int64_t left = r.left, top = r.top, width = r.width, height = r.height;
    const bool l = h == DragHandle::Left || h == DragHandle::TopLeft || h == DragHandle::BottomLeft;
    const bool rt =
        h == DragHandle::Right || h == DragHandle::TopRight || h == DragHandle::BottomRight;
    const bool t = h == DragHandle::Top || h == DragHandle::TopLeft || h == DragHandle::TopRight;
    const bool b =
        h == DragHandle::Bottom || h == DragHandle::BottomLeft || h == DragHandle::BottomRight;
    if (h == DragHandle::Move) {
        left += dx;
        top += dy;
    }
    if (l) {
        // The right edge stays; the width never drops below 1.
        const int64_t d = std::min<int64_t>(dx, width - 1);
        left += d;
        width -= d;
    }
    if (rt)
        width = std::max<int64_t>(width + dx, 1);
    if (t) {
        const int64_t d = std::min<int64_t>(dy, height - 1);
        top += d;
        height -= d;
    }
    if (b)
        height = std::max<int64_t>(height + dy, 1);
    auto bound = [](int64_t v) {
        return static_cast<int>(
            std::clamp<int64_t>(v, -PreviewCoordinateLimit(), PreviewCoordinateLimit()));
    };
    return {bound(left), bound(top), bound(width), bound(height)};
}

DragHandle HandleAt(const PixelRect& r, int x, int y) {
    constexpr int64_t half = kHandle / 2;
    auto near = [](int64_t p, int64_t edge) { return p >= edge - half && p < edge + half; };
    const bool nl = near(x, r.left), nr = near(x, r.right());
    const bool nt = near(y, r.top), nb = near(y, r.bottom());
    const bool inX = x >= r.left - half && x < r.right() + half;
    const bool inY = y >= r.top - half && y < r.bottom() + half;
    if (!inX || !inY)
        return DragHandle::None;
    if (nl && nt)
        return DragHandle::TopLeft;
    if (nr && nt)
        return DragHandle::TopRight;
    if (nl && nb)
        return DragHandle::BottomLeft;
    if (nr && nb)
        return DragHandle::BottomRight;
    if (nl)
        return DragHandle::Left;
    if (nr)
        return DragHandle::Right;
    if (nt)
        return DragHandle::Top;
    if (nb)
        return DragHandle::Bottom;
    return Inside(r, x, y) ? DragHandle::Move : DragHandle::None;
}

PreviewPicture LoadPreviewPicture(const TZRC& e) {
    PreviewPicture p;
    if (auto image = EntryBitmap(e, false); image && !image->empty()) {
        p.image = SurfaceFromDib(*image);
        if (auto mask = EntryBitmap(e, true); mask && !mask->empty())
            p.mask = MaskFromDib(*mask);
    }
    return p;
}

// ---- What is shown -----------------------------------------------------------

void SkinPreview::SetTheme(TZRC* main) {
    const std::vector<TZRC*> mains = doc_.MainBitmaps(true);
    theme_ = std::find(mains.begin(), mains.end(), main) == mains.end() ? nullptr : main;
    FillElements();
}

void SkinPreview::SetTab(int tab) {
    tab_ = std::clamp(tab, 0, kPreviewTabCount - 1);
    FillElements();
    LayoutPreviewWindow();
}

void SkinPreview::SetStretch(bool on) {
    stretch_ = on;
    drag_ = DragHandle::None;
    LayoutPreviewWindow();
}

void SkinPreview::SetBoxSize(int width, int height) {
    boxWidth_ = Side(width);
    boxHeight_ = Side(height);
}

std::string SkinPreview::ThemeId() const {
    return theme_ ? theme_->entry.themeIdList : std::string();
}

std::vector<TZRC*> SkinPreview::ClientOrder() const {
    // The tree, not the list: the list takes the tree's order only when the theme is saved,
    // and the client reads the saved file. The chosen theme's own library comes first, the
    // libraries it requires after it.
    const TreeNode* own = theme_ ? theme_->node : nullptr;
    while (own && own->parent) own = own->parent;
    std::vector<TZRC*> order;
    std::function<void(const TreeNode*)> walk = [&](const TreeNode* node) {
        if (node->entry)
            order.push_back(node->entry);
        for (const auto& child : node->children) walk(child.get());
    };
    if (own)
        walk(own);
    for (const auto& root : doc_.tree().Roots())
        if (root.get() != own)
            walk(root.get());
    return order;
}

const TZRC* SkinPreview::FindElement(std::string_view name, const std::vector<TZRC*>& order) const {
    const std::string id = ThemeId();
    for (const TZRC* e : order)
        if (e->kind() == KlbKind::Skin && SameText(e->name(), name) &&
            ThemeIdMatches(id, e->entry.themeIdList))
            return e;
    return nullptr;
}

void SkinPreview::FillElements() {
    // Entries that went away since: their remembered places go too.
    std::unordered_map<const TZRC*, PixelRect> kept;
    for (const auto& e : doc_.list())
        if (auto it = rects_.find(e.get()); it != rects_.end())
            kept.insert(*it);
    rects_ = std::move(kept);
    elements_.clear();
    if (!theme_)
        return;
    const std::string id = ThemeId();
    const std::string window = LowerCase(PreviewTabCaption(tab_));
    for (TZRC* e : ClientOrder()) {
        if (e->kind() != KlbKind::Skin || !ThemeIdMatches(id, e->entry.themeIdList) ||
            !HasFlagLine(e->entry.flagList, window))
            continue;
        // The client's window takes the first element of a name and passes over the rest.
        const bool taken = std::any_of(elements_.begin(), elements_.end(), [&](const TZRC* t) {
            return SameText(t->name(), e->name());
        });
        if (!taken)
            elements_.push_back(e);
    }
    if (std::find(elements_.begin(), elements_.end(), selected_) == elements_.end())
        selected_ = nullptr;
}

void SkinPreview::SetTicked(TZRC* element, bool on) {
    if (!element)
        return;
    element->ShowInPreview = on;
    LayoutPreviewWindow();
}

PixelRect SkinPreview::PreviewRect(const TZRC* element) const {
    auto it = rects_.find(element);
    return it == rects_.end() ? PixelRect{} : it->second;
}

void SkinPreview::LayoutPreviewWindow() {
    for (auto& s : status_) s.clear();
    if (!theme_) {
        picture_ = Surface16(1, 1, kWhite555);
        designWidth_ = designHeight_ = 0;
        status_[kStatusWindowW] = "W:";
        status_[kStatusWindowH] = "H:";
        return;
    }
    const std::vector<TZRC*> order = ClientOrder();
    int64_t dw = theme_->entry.minWindowWidth, dh = theme_->entry.minWindowHeight;
    if (tab_ > 0)
        if (const TZRC* con = FindElement(PreviewContainerName(tab_), order)) {
            dw = con->entry.width;
            dh = con->entry.height;
        }
    designWidth_ = static_cast<int>(std::clamp<int64_t>(dw, 0, kMaxPreviewSide));
    designHeight_ = static_cast<int>(std::clamp<int64_t>(dh, 0, kMaxPreviewSide));
    const int cw = stretch_ ? boxWidth_ : Side(designWidth_);
    const int ch = stretch_ ? boxHeight_ : Side(designHeight_);
    picture_ = Surface16(cw, ch, kWhite555);
    for (TZRC* e : elements_) {
        if (!e->ShowInPreview)
            continue;
        PreviewBox box{0, 0, cw, ch, designWidth_, designHeight_};
        if (!e->entry.parentName.empty())
            if (const TZRC* p = FindElement(e->entry.parentName, order)) {
                const PixelRect pr = PreviewRect(p);
                box = {pr.left, pr.top, pr.width, pr.height, p->entry.width, p->entry.height};
            }
        rects_[e] =
            LayoutSkinElement({e->entry.left, e->entry.top, e->entry.width, e->entry.height},
                              LowerCase(e->entry.flagList), box);
        DrawSkinElement(picture_, *e);
    }
    ShowSelectionSize();
    status_[kStatusWindowLabel] = "Window";
    status_[kStatusWindowW] = "W: " + std::to_string(cw);
    status_[kStatusWindowH] = "H: " + std::to_string(ch);
}

void SkinPreview::DrawSkinElement(Surface16& target, const TZRC& e) const {
    const std::string flags = LowerCase(e.entry.flagList);
    // Images stored in a library are read for this drawing only.
    const PreviewPicture pic = LoadPreviewPicture(e);
    PaintSkinPicture(target, PreviewRect(&e), e.entry.backColour, pic.image ? &*pic.image : nullptr,
                     pic.mask ? &*pic.mask : nullptr, PreviewKeywords(flags),
                     GetFlagParam(flags, "border"));
}

Surface16 SkinPreview::BlinkPicture(bool phase) const {
    Surface16 shown = picture_;
    if (selected_)
        DottedFrame(shown, DragRect(), phase ? kYellow : kNavy);
    return shown;
}

// ---- Selection and mouse -------------------------------------------------------

void SkinPreview::ShowSelectionSize() {
    status_[kStatusName] = selected_ ? selected_->name() : std::string();
    status_[kStatusElementLabel] = "Element";
    const PixelRect r = selected_ ? PreviewRect(selected_) : PixelRect{};
    status_[kStatusElementA] = selected_ ? "W: " + std::to_string(r.width) : "W:";
    status_[kStatusElementB] = selected_ ? "H: " + std::to_string(r.height) : "H:";
}

void SkinPreview::Select(TZRC* element) {
    if (std::find(elements_.begin(), elements_.end(), element) == elements_.end())
        element = nullptr;
    selected_ = element;
    drag_ = DragHandle::None;
    ShowSelectionSize();
}

void SkinPreview::ResetEditing() {
    drag_ = DragHandle::None;
    pressed_ = false;
    selected_ = nullptr;
}

TZRC* SkinPreview::ElementAt(int x, int y) const {
    TZRC* found = nullptr;
    for (TZRC* e : elements_)
        if (e->ShowInPreview && Inside(PreviewRect(e), x, y))
            found = e;  // the last in the list wins
    return found;
}

PixelRect SkinPreview::DragRect() const {
    const PixelRect r = selected_ ? PreviewRect(selected_) : PixelRect{};
    if (drag_ == DragHandle::None)
        return r;
    const auto [dx, dy] = DragOffsets();
    return ApplyDrag(r, drag_, dx, dy);
}

std::pair<int, int> SkinPreview::DragOffsets() const {
    int dx = nowX_ - startX_, dy = nowY_ - startY_;
    // Ctrl keeps a move on one axis, the one moved further.
    if (drag_ == DragHandle::Move && ctrl_) {
        if (std::abs(dx) >= std::abs(dy))
            dy = 0;
        else
            dx = 0;
    }
    return {dx, dy};
}

void SkinPreview::MouseDown(Button button, int x, int y, bool ctrl) {
    drag_ = DragHandle::None;
    pressed_ = false;
    if (button == RightButton) {
        if (!selected_ || selected_->IsReference)
            return;
        const PreviewPicture pic = LoadPreviewPicture(*selected_);
        if (!pic.image)
            return;
        selected_->entry.width = pic.image->width();
        selected_->entry.height = pic.image->height();
        changed_ = true;
        LayoutPreviewWindow();
        return;
    }
    startX_ = nowX_ = x;
    startY_ = nowY_ = y;
    ctrl_ = ctrl;
    if (!stretch_ && selected_ && !selected_->IsReference && selected_->ShowInPreview)
        drag_ = HandleAt(PreviewRect(selected_), x, y);
    if (drag_ != DragHandle::None) {
        const bool moving = drag_ == DragHandle::Move;
        const PixelRect r = DragRect();
        status_[kStatusElementA] =
            moving ? "X: " + std::to_string(r.left) : "W: " + std::to_string(r.width);
        status_[kStatusElementB] =
            moving ? "Y: " + std::to_string(r.top) : "H: " + std::to_string(r.height);
    } else {
        pressed_ = true;
    }
}

void SkinPreview::MouseMove(int x, int y, bool ctrl) {
    if (drag_ == DragHandle::None)
        return;
    nowX_ = x;
    nowY_ = y;
    ctrl_ = ctrl;
    const PixelRect r = DragRect();
    if (drag_ == DragHandle::Move) {
        status_[kStatusElementA] = "X: " + std::to_string(r.left);
        status_[kStatusElementB] = "Y: " + std::to_string(r.top);
    } else {
        status_[kStatusElementA] = "W: " + std::to_string(r.width);
        status_[kStatusElementB] = "H: " + std::to_string(r.height);
    }
}

void SkinPreview::MouseUp(int x, int y, bool shift, bool ctrl) {
    if (drag_ != DragHandle::None) {
        nowX_ = x;
        nowY_ = y;
        ctrl_ = ctrl;
        if (!shift && selected_) {
            // The drag's offsets go onto the element's own rectangle.
            const auto [dx, dy] = DragOffsets();
            const PixelRect moved = ApplyDrag({selected_->entry.left, selected_->entry.top,
                                               selected_->entry.width, selected_->entry.height},
                                              drag_, dx, dy);
            selected_->entry.left = moved.left;
            selected_->entry.top = moved.top;
            selected_->entry.width = moved.width;
            selected_->entry.height = moved.height;
            changed_ = true;
        }
        drag_ = DragHandle::None;
        LayoutPreviewWindow();
        status_[kStatusElementA] = "X: " + std::to_string(x);
        status_[kStatusElementB] = "Y: " + std::to_string(y);
        return;
    }
    if (!pressed_)
        return;
    pressed_ = false;
    selected_ = ElementAt(x, y);
    ShowSelectionSize();
}

bool SkinPreview::TakeChanged() {
    const bool was = changed_;
    changed_ = false;
    return was;
}

}  // namespace pk
