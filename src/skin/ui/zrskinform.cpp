#include "skin/ui/zrskinform.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cstring>

#include "core/zrlog.h"
#include "skin/zrskin.h"
#include "skin/zrskininput.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

QColor ToQColor(Pixel16 p) {
    return QColor::fromRgb(Argb(p));
}

}  // namespace

void TZRSkinForm::ApplyTextColour(const std::vector<QWidget*>& texts) const {
    int32_t colour = kColourBlack;
    if (const TSkinElementRec* e = FindElementAnywhere("con_" + SkinName()))
        colour = ParseColor(GetElementParam(*e, "textfg"), kColourBlack);
    const auto c = static_cast<uint32_t>(colour);
    const QColor text(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>((c >> 16) & 0xFF));
    for (QWidget* w : texts) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::ButtonText, text);
        w->setPalette(palette);
    }
}

TZRSkinForm::TZRSkinForm(const std::string& skinName, QWidget* parent)
    : QWidget(parent), skinName_(skinName) {
    // The skin paints every pixel; the window system never erases the background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    RegisterSkinName(skinName);
}

void TZRSkinForm::RegisterSkinName(const std::string& skinName) {
    if (skinName.empty() || registered_)
        return;
    skinName_ = skinName;
    RegisterSkin(this, skinName_);
    registered_ = true;
}

TZRSkinForm::~TZRSkinForm() {
    if (registered_)
        UnregisterSkin(this);
}

void TZRSkinForm::SetFormColour(int32_t colour) {
    colour_ = colour;
}

void TZRSkinForm::EnsureBackBuffer() {
    const QSize size(std::max(width(), 1), std::max(height(), 1));
    if (back_.size() == size)
        return;
    QImage fresh(size, QImage::Format_RGB555);
    fresh.fill(ToQColor(ColorRefTo555(static_cast<uint32_t>(colour_) & 0xFFFFFFu)));
    if (!back_.isNull()) {
        QPainter p(&fresh);
        p.drawImage(0, 0, back_);
    }
    back_ = std::move(fresh);
}

void TZRSkinForm::PresentRect(const Surface16& buffer, const PixelRect& rect) {
    EnsureBackBuffer();
    const PixelRect r =
        Intersect(Intersect(rect, {0, 0, back_.width(), back_.height()}), buffer.bounds());
    if (r.empty())
        return;
    // Both hold 5:5:5 pixels with the top bit clear: rows copy as they are.
    for (int y = r.top; y < r.top + r.height; ++y) {
        auto* dst = reinterpret_cast<Pixel16*>(back_.scanLine(y)) + r.left;
        std::memcpy(dst, buffer.row(y) + r.left, static_cast<size_t>(r.width) * sizeof(Pixel16));
    }
    update(r.left, r.top, r.width, r.height);
}

void TZRSkinForm::FillFormRect(const PixelRect& rect, Pixel16 colour) {
    EnsureBackBuffer();
    const PixelRect r = Intersect(rect, {0, 0, back_.width(), back_.height()});
    if (r.empty())
        return;
    for (int y = r.top; y < r.top + r.height; ++y) {
        auto* row = reinterpret_cast<Pixel16*>(back_.scanLine(y)) + r.left;
        std::fill(row, row + r.width, colour);
    }
    update(r.left, r.top, r.width, r.height);
}

void TZRSkinForm::RelayoutSkin() {
    if (!registered_)
        return;
    ResizeSkin(this);
    RepaintSkin();
}

void TZRSkinForm::RepaintSkin() {
    EnsureBackBuffer();
    if (registered_)
        PaintSkinRect(this, {0, 0, width(), height()});
}

void TZRSkinForm::paintEvent(QPaintEvent* event) {
    ReportErrors("TZRSkinForm.paint", [&] {
        QPainter painter(this);
        if (back_.isNull()) {
            painter.fillRect(event->rect(), ToQColor(ColorRefTo555(colour_ & 0xFFFFFF)));
        } else {
            painter.drawImage(event->rect(), back_, event->rect());
        }
        if (needPaint_)
            PaintOwn(painter, event->rect());
    });
}

void TZRSkinForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ReportErrors("TZRSkinForm.resize", [this] { RelayoutSkin(); });
}

void TZRSkinForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ReportErrors("TZRSkinForm.show", [this] {
        // The first picture after showing starts from the form's colour.
        EnsureBackBuffer();
        back_.fill(ToQColor(ColorRefTo555(static_cast<uint32_t>(colour_) & 0xFFFFFFu)));
        RepaintSkin();
        update();
    });
}

void TZRSkinForm::Mouse(int kind, const QPoint& at) {
    if (!registered_)
        return;
    ReportErrors("TZRSkinForm.mouse", [&] { SkinMouseEvent(this, kind, at.x(), at.y()); });
}

void TZRSkinForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Mouse(smDown, event->position().toPoint());
    QWidget::mousePressEvent(event);
}

// Double clicks are not told apart: the second press is a press like the first.
void TZRSkinForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Mouse(smDown, event->position().toPoint());
}

void TZRSkinForm::mouseMoveEvent(QMouseEvent* event) {
    Mouse(event->buttons().testFlag(Qt::LeftButton) ? smDrag : smMove, event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void TZRSkinForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Mouse(smUp, event->position().toPoint());
    QWidget::mouseReleaseEvent(event);
}

// The pointer left the form, or went on into one of its controls: nothing is under it any more,
// so no button keeps its hover look.
void TZRSkinForm::leaveEvent(QEvent* event) {
    Mouse(smMove, QPoint(-1, -1));
    QWidget::leaveEvent(event);
}

}  // namespace pk
