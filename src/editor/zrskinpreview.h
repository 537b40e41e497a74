// The skin preview's model: one client window of one theme laid out and
// painted by the client's own skin routines (skin/zrskinlayout.h,
// skin/zrskinpaint.h), with the editor's sizes, and the mouse editing of the
// selected element's rectangle. Headless; the preview window (ui/zrskinp.h)
// shows the picture and hands its events here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "editor/zrdoc.h"
#include "gfx/surface.h"

namespace pk {

// The client windows the preview shows, in tab order.
inline constexpr int kPreviewTabCount = 11;
const char* PreviewTabCaption(int tab);  // "Shell", "Login", ...
// The container element that gives a tab its design size; empty for "Shell",
// whose size is the theme's minimum window size.
const char* PreviewContainerName(int tab);

// The picture is never larger than this in either direction, whatever sizes
// a theme names.
inline constexpr int kMaxPreviewSide = 4096;

// Status bar panels.
enum PreviewStatusPanel : int {
    kStatusName = 0,
    kStatusElementLabel = 1,
    kStatusElementA = 2,  // "W: " or "X: "
    kStatusElementB = 3,  // "H: " or "Y: "
    kStatusWindowLabel = 4,
    kStatusWindowW = 5,
    kStatusWindowH = 6,
    kStatusPanelCount = 7
};

// Where a press lands on the selected element's rectangle.
enum class DragHandle {
    None,
    Move,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

// The rectangle with a drag of (dx, dy) on a handle applied; widths and
// heights stay at least 1 (the opposite edge stays where it was).
PixelRect ApplyDrag(const PixelRect& r, DragHandle handle, int dx, int dy);
// The handle of a point on a rectangle: 8 x 8 squares centred on the corners,
// 8-pixel strips centred on the edges between them, Move inside, else None.
DragHandle HandleAt(const PixelRect& r, int x, int y);

// A skin element's image and mask, decoded from the bytes it holds or from its
// source file; nullopt image when it has none or they do not decode.
struct PreviewPicture {
    std::optional<Surface16> image;
    std::optional<Mask> mask;
};
PreviewPicture LoadPreviewPicture(const TZRC& element);

class SkinPreview {
public:
    explicit SkinPreview(KledDoc& doc) : doc_(doc) {}

    // ---- What is shown ----
    // The chosen theme: a main bitmap of the document, reference ones
    // included (none: nothing is shown). Lists its elements; lay out after.
    TZRC* theme() const { return theme_; }
    void SetTheme(TZRC* main);
    int tab() const { return tab_; }
    void SetTab(int tab);
    bool stretch() const { return stretch_; }
    void SetStretch(bool on);
    // The paint box's room, the current size when "Stretch" is ticked.
    void SetBoxSize(int width, int height);

    // The element list: skin elements of the chosen theme that name the tab's
    // window on a line of their flag list, as the client takes them: in the
    // tree's order as it is now (the chosen theme's library first, then the
    // others), and of several elements of one name only the first.
    void FillElements();
    const std::vector<TZRC*>& elements() const { return elements_; }
    // Ticks an element (ShowInPreview) and lays out again.
    void SetTicked(TZRC* element, bool on);

    // Lays out and paints the chosen window.
    void LayoutPreviewWindow();
    // Paints one element at its preview rectangle.
    void DrawSkinElement(Surface16& target, const TZRC& element) const;
    const Surface16& picture() const { return picture_; }
    // Design and current size of the window last laid out.
    int designWidth() const { return designWidth_; }
    int designHeight() const { return designHeight_; }
    // Where an element was last placed; empty when never.
    PixelRect PreviewRect(const TZRC* element) const;
    // The picture with the selection's dotted frame in one of its two colours.
    Surface16 BlinkPicture(bool phase) const;

    // ---- Selection and mouse ----
    TZRC* selected() const { return selected_; }
    void Select(TZRC* element);
    // Buttons and modifiers as the window reports them.
    enum Button { LeftButton, RightButton };
    void MouseDown(Button button, int x, int y, bool ctrl);
    void MouseMove(int x, int y, bool ctrl);
    void MouseUp(int x, int y, bool shift, bool ctrl);
    bool dragging() const { return drag_ != DragHandle::None; }
    DragHandle dragHandle() const { return drag_; }
    // The rectangle being dragged (the selection's while not dragging).
    PixelRect DragRect() const;
    // Shows the editing state afresh (the window is shown again).
    void ResetEditing();

    const std::array<std::string, kStatusPanelCount>& status() const { return status_; }
    // Whether the document changed since the last call (the main page should show it).
    bool TakeChanged();

private:
    std::string ThemeId() const;
    // Every entry in the order the client reads them: the tree of the chosen
    // theme's library, then the other libraries' trees.
    std::vector<TZRC*> ClientOrder() const;
    // The first skin element of the name for the chosen theme, in that order.
    const TZRC* FindElement(std::string_view name, const std::vector<TZRC*>& order) const;
    std::pair<int, int> DragOffsets() const;
    void ShowSelectionSize();
    TZRC* ElementAt(int x, int y) const;

    KledDoc& doc_;
    TZRC* theme_ = nullptr;
    int tab_ = 0;
    bool stretch_ = false;
    int boxWidth_ = 1, boxHeight_ = 1;
    std::vector<TZRC*> elements_;
    std::unordered_map<const TZRC*, PixelRect> rects_;
    Surface16 picture_{1, 1, kWhite555};
    int designWidth_ = 0, designHeight_ = 0;
    TZRC* selected_ = nullptr;
    DragHandle drag_ = DragHandle::None;
    int startX_ = 0, startY_ = 0, nowX_ = 0, nowY_ = 0;
    bool ctrl_ = false;
    bool pressed_ = false;  // a left press that started no drag
    bool changed_ = false;
    std::array<std::string, kStatusPanelCount> status_;
};

}  // namespace pk
