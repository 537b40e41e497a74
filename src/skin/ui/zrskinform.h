#pragma once
// TZRSkinForm, the base of every skinned window: a borderless QWidget registered under its skin
// name, whose look the skin engine paints. The form keeps one retained back buffer (what the
// screen shows of it); the engine paints into the shared SkinBuffer and copies changed
// rectangles into the form's buffer, which the form then presents with update(rect). A paint
// event only copies the buffer to the screen: no layout, no script and no widget move ever
// happens inside one.
//
// Resizing lays the skin out again and repaints it whole; showing repaints it whole on the
// form's colour; the left mouse button and moves go to the skin's mouse scripts.
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/zrlog.h"
#include "skin/zrskinhost.h"

namespace pk {

// The colour parameters a container element hands its window: name and colour (0x00BBGGRR,
// -1 for none).
using SkinColours = std::vector<std::pair<std::string, int32_t>>;

class TZRSkinForm : public QWidget, public SkinForm {
public:
    // Registers the form's skin when `skinName` is not empty.
    explicit TZRSkinForm(const std::string& skinName, QWidget* parent = nullptr);
    ~TZRSkinForm() override;

    TZRSkinForm(const TZRSkinForm&) = delete;
    TZRSkinForm& operator=(const TZRSkinForm&) = delete;

    const std::string& SkinName() const { return skinName_; }
    bool Registered() const { return registered_; }
    // When set, PaintOwn runs after the skin is presented.
    bool NeedPaint() const { return needPaint_; }
    void SetNeedPaint(bool on) { needPaint_ = on; }
    void SetFormColour(int32_t colour);
    // The pixels the form shows.
    const QImage& BackBuffer() const { return back_; }

    // Lays the skin out for the current size and repaints it whole (outside any paint event).
    void RelayoutSkin();
    void RepaintSkin();

    // SkinForm
    int ClientWidth() const override { return width(); }
    int ClientHeight() const override { return height(); }
    bool FormVisible() const override { return isVisible(); }
    int32_t FormColour() const override { return colour_; }
    void PresentRect(const Surface16& buffer, const PixelRect& rect) override;
    void FillFormRect(const PixelRect& rect, Pixel16 colour) override;

    // As a container placed in another form's skin: shown or hidden by its element.
    virtual void ContainerShown() {}
    virtual void ContainerHidden() {}
    // The colour parameters of the container element that holds this form.
    virtual void ApplySkinColours(const SkinColours& colours) { (void)colours; }

protected:
    // Gives `texts` the text colour of the container element that holds this form (its
    // parameter "textfg"; black without one), so the page's own captions read on its skin.
    void ApplyTextColour(const std::vector<QWidget*>& texts) const;

    // Registers the skin later than construction (a window that must run its creation, such
    // as the main window's start of the skin registry, first).
    void RegisterSkinName(const std::string& skinName);

    // The form's own painting over the skin, when NeedPaint is set.
    virtual void PaintOwn(QPainter& painter, const QRect& rect) {
        (void)painter;
        (void)rect;
    }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void EnsureBackBuffer();
    void Mouse(int kind, const QPoint& at);

    std::string skinName_;
    bool registered_ = false;
    bool needPaint_ = false;
    int32_t colour_ = 0xC8D0D4;  // the classic button face
    QImage back_;
};

// How a window's handler is entered from the event loop: under the report policy, logged as
// "Error in " + the window's name + "." + the handler's, whichever of the window's panels holds
// the handler. The macros below write a handler's name once and take the log text from it.

// Runs `body` under ReportErrors at `where`; its result, or a default one when it threw.
template <class Body>
auto ReportedCall(const char* where, Body&& body) {
    using Result = std::invoke_result_t<Body&>;
    if constexpr (std::is_void_v<Result>) {
        ReportErrors(where, body);
    } else {
        Result result{};
        ReportErrors(where, [&] { result = body(); });
        return result;
    }
}

// A callable that runs `handler` of `owner` with the signal's arguments under ReportErrors.
template <class Owner, class... Args>
auto ReportedHandler(Owner* owner, void (Owner::*handler)(Args...), const char* where) {
    return [owner, handler, where](Args... args) {
        ReportErrors(where, [&] { (owner->*handler)(args...); });
    };
}

}  // namespace pk

// Calls the member `handler` of the enclosing object now, with the arguments that follow.
#define PK_CALL_HANDLER(window, handler, ...) \
    ::pk::ReportedCall(window "." #handler, [&] { return handler(__VA_ARGS__); })
// The member `handler` of the enclosing object as a callable for a signal.
#define PK_HANDLER(window, handler)                                              \
    ::pk::ReportedHandler(this, &std::remove_pointer_t<decltype(this)>::handler, \
                          window "." #handler)

namespace pk {}  // namespace pk
