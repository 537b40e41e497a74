#include "core/ui/zrtxtbox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

#include "core/zrconst.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

constexpr int kMargin = 2;

QColor ColourOf(int32_t colour) {
    const auto c = static_cast<uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace

// One line's layout for the current width and font; rows < 0 until laid out.
struct TZRTxtbox::Laid {
    QTextLayout layout;
    int rows = -1;
};

TZRTxtbox::TZRTxtbox(QWidget* parent) : QAbstractScrollArea(parent), lines_(TextBoxMaxLines) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    SetAllowFocus(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            [this] { viewport()->update(); });
}

TZRTxtbox::~TZRTxtbox() = default;

void TZRTxtbox::SetAllowFocus(bool allow) {
    allowFocus_ = allow;
    setFocusPolicy(allow ? Qt::StrongFocus : Qt::NoFocus);
    viewport()->setFocusPolicy(allow ? Qt::StrongFocus : Qt::NoFocus);
    if (!allow && hasFocus())
        clearFocus();
}

void TZRTxtbox::SetPopupMenu(QMenu* menu) {
    popup_ = menu;
}

int TZRTxtbox::LineHeight() const {
    return std::max(fontMetrics().lineSpacing(), 1);
}

int TZRTxtbox::TextWidth() const {
    return std::max(viewport()->width() - 2 * kMargin, 1);
}

int TZRTxtbox::VisibleRows() const {
    return std::max(viewport()->height(), 0) / LineHeight();
}

int TZRTxtbox::VisibleLineCount() const {
    return isVisible() ? VisibleRows() : -1;
}

int TZRTxtbox::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

void TZRTxtbox::LayOut(std::size_t index) {
    Laid& laid = *laid_[index];
    const TTextLine& line = lines_.Line(index);
    QList<QTextLayout::FormatRange> formats;
    int start = 0;
    for (const TStyledRun& run : line.runs) {
        const int length = static_cast<int>(run.text.size());
        QTextCharFormat f;
        if (run.style.bold)
            f.setFontWeight(QFont::Bold);
        if (run.style.italic)
            f.setFontItalic(true);
        if (run.style.underline)
            f.setFontUnderline(true);
        if (run.style.colour != kFontColour)
            f.setForeground(ColourOf(run.style.colour));
        formats.append({start, length, f});
        start += length;
    }
    laid.layout.clearLayout();
    laid.layout.setText(Cp1252ToQString(line.plain));
    laid.layout.setFont(font());
    laid.layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    laid.layout.setTextOption(option);
    const int height = LineHeight();
    const int width = TextWidth();
    int rows = 0;
    laid.layout.beginLayout();
    for (QTextLine row = laid.layout.createLine(); row.isValid(); row = laid.layout.createLine()) {
        row.setLineWidth(width);
        row.setPosition(QPointF(0, rows * height));
        ++rows;
    }
    laid.layout.endLayout();
    laid.rows = std::max(rows, 1);
}

int TZRTxtbox::RowsFor(std::size_t index) {
    if (laid_[index]->rows < 0)
        LayOut(index);
    return laid_[index]->rows;
}

void TZRTxtbox::RelayoutAll() {
    laidWidth_ = TextWidth();
    totalRows_ = 0;
    for (std::size_t i = 0; i < laid_.size(); ++i) {
        laid_[i]->rows = -1;
        totalRows_ += RowsFor(i);
    }
}

int TZRTxtbox::LineCount() {
    if (laidWidth_ != TextWidth())
        RelayoutAll();
    return totalRows_;
}

void TZRTxtbox::UpdateScrollRange() {
    const int visible = VisibleRows();
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    bar->setPageStep(std::max(visible, 1));
    bar->setRange(0, std::max(totalRows_ - visible, 0));
}

void TZRTxtbox::SetFirst(int row) {
    UpdateScrollRange();
    verticalScrollBar()->setValue(row);
    viewport()->update();
}

void TZRTxtbox::AddLine(const std::string& text) {
    const int first = FirstVisibleLine();
    const int before = LineCount();
    const std::size_t added = lines_.AddLine(text);
    const std::size_t dropped = lines_.LastDropped();
    int droppedRows = 0;
    for (std::size_t i = 0; i < dropped && !laid_.empty(); ++i) {
        droppedRows += std::max(laid_.front()->rows, 1);
        laid_.pop_front();
    }
    int addedRows = 0;
    for (std::size_t i = lines_.Count() - added; i < lines_.Count(); ++i) {
        laid_.push_back(std::make_unique<Laid>());
        addedRows += RowsFor(i);
    }
    totalRows_ = before - droppedRows + addedRows;
    // The selection keeps its text; lines that left take their part of it along.
    auto shift = [dropped](Position& p) {
        if (p.line >= dropped) {
            p.line -= dropped;
        } else {
            p = {};
        }
    };
    shift(anchor_);
    shift(cursor_);
    const int kept = AfterDrop(first, droppedRows);
    SetFirst(FollowBottom(totalRows_, addedRows, kept, VisibleRows()));
}

void TZRTxtbox::AppendText(const std::string& text) {
    const int first = FirstVisibleLine();
    if (lines_.Count() == 0) {
        lines_.AppendToLast(text);
        laid_.push_back(std::make_unique<Laid>());
        totalRows_ = RowsFor(0);
        SetFirst(first);
        return;
    }
    const std::size_t index = lines_.Count() - 1;
    const int before = RowsFor(index);
    lines_.AppendToLast(text);
    laid_[index]->rows = -1;
    totalRows_ += RowsFor(index) - before;
    SetFirst(first);
}

void TZRTxtbox::Clear() {
    lines_.Clear();
    laid_.clear();
    totalRows_ = 0;
    anchor_ = cursor_ = {};
    selecting_ = false;
    SetFirst(0);
}

void TZRTxtbox::ScrollToLine(int line) {
    const int count = LineCount();
    SetFirst(std::clamp(line, 0, std::max(count - 1, 0)));
}

bool TZRTxtbox::HasSelection() const {
    return anchor_.line != cursor_.line || anchor_.offset != cursor_.offset;
}

std::string TZRTxtbox::SelectedText() const {
    if (!HasSelection())
        return {};
    return lines_.TextBetween(anchor_.line, anchor_.offset, cursor_.line, cursor_.offset);
}

void TZRTxtbox::Select(std::size_t line1, std::size_t offset1, std::size_t line2,
                       std::size_t offset2) {
    anchor_ = {line1, offset1};
    cursor_ = {line2, offset2};
    viewport()->update();
}

bool TZRTxtbox::PositionAt(const QPoint& at, Position& out) {
    if (laid_.empty())
        return false;
    const int height = LineHeight();
    int row = FirstVisibleLine() + std::max(at.y(), 0) / height;
    for (std::size_t i = 0; i < laid_.size(); ++i) {
        const int rows = RowsFor(i);
        if (row < rows) {
            const QTextLine line = laid_[i]->layout.lineAt(std::min(row, rows - 1));
            out.line = i;
            out.offset =
                line.isValid()
                    ? static_cast<std::size_t>(std::max(line.xToCursor(at.x() - kMargin), 0))
                    : 0;
            return true;
        }
        row -= rows;
    }
    out.line = laid_.size() - 1;
    out.offset = lines_.Line(out.line).plain.size();
    return true;
}

void TZRTxtbox::CopySelection() {
    const std::string text = SelectedText();
    if (!text.empty()) {
        if (QClipboard* clipboard = QApplication::clipboard())
            clipboard->setText(Cp1252ToQString(text));
    }
    anchor_ = cursor_;
    viewport()->update();
}

void TZRTxtbox::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, palette().color(QPalette::Base));
    if (laid_.empty())
        return;
    if (laidWidth_ != TextWidth()) {
        RelayoutAll();
        UpdateScrollRange();
    }
    painter.setPen(palette().color(QPalette::Text));
    const int height = LineHeight();
    int skip = FirstVisibleLine();
    Position from = anchor_, to = cursor_;
    if (to.line < from.line || (to.line == from.line && to.offset < from.offset))
        std::swap(from, to);
    const bool selection = HasSelection();
    int y = 0;
    for (std::size_t i = 0; i < laid_.size() && y < area.height(); ++i) {
        const int rows = RowsFor(i);
        if (skip >= rows) {
            skip -= rows;
            continue;
        }
        QList<QTextLayout::FormatRange> marks;
        if (selection && i >= from.line && i <= to.line) {
            const int length = static_cast<int>(lines_.Line(i).plain.size());
            const int start = i == from.line ? static_cast<int>(from.offset) : 0;
            const int end = i == to.line ? static_cast<int>(to.offset) : length;
            if (end > start) {
                QTextCharFormat f;
                f.setBackground(palette().color(QPalette::Highlight));
                f.setForeground(palette().color(QPalette::HighlightedText));
                marks.append({start, end - start, f});
            }
        }
        const QPointF origin(kMargin, y - skip * height);
        laid_[i]->layout.draw(&painter, origin, marks, area);
        y += (rows - skip) * height;
        skip = 0;
    }
}

void TZRTxtbox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int first = FirstVisibleLine();
    const int count = LineCount();
    SetFirst(stayAtBottom_ ? StayAtBottomLine(count, first, VisibleRows()) : first);
}

void TZRTxtbox::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    const int count = LineCount();
    if (stayAtBottom_)
        SetFirst(StayAtBottomLine(count, FirstVisibleLine(), VisibleRows()));
}

void TZRTxtbox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        RelayoutAll();
        const int first = FirstVisibleLine();
        SetFirst(stayAtBottom_ ? StayAtBottomLine(totalRows_, first, VisibleRows()) : first);
    }
}

void TZRTxtbox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    Position p;
    if (PositionAt(event->position().toPoint(), p)) {
        anchor_ = cursor_ = p;
        selecting_ = true;
        viewport()->update();
    }
}

void TZRTxtbox::mouseMoveEvent(QMouseEvent* event) {
    Position p;
    if (selecting_ && PositionAt(event->position().toPoint(), p)) {
        cursor_ = p;
        viewport()->update();
    }
}

void TZRTxtbox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !selecting_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    selecting_ = false;
    Position p;
    if (PositionAt(event->position().toPoint(), p))
        cursor_ = p;
    // A read-only box hands what was selected to the clipboard at once.
    CopySelection();
}

void TZRTxtbox::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void TZRTxtbox::keyPressEvent(QKeyEvent* event) {
    if (keyHook_ && keyHook_(event->key(), false)) {
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        default:
            event->accept();  // the box takes no typing
    }
}

void TZRTxtbox::keyReleaseEvent(QKeyEvent* event) {
    if (keyHook_ && keyHook_(event->key(), true)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void TZRTxtbox::contextMenuEvent(QContextMenuEvent* event) {
    if (popup_) {
        popup_->popup(event->globalPos());
        event->accept();
    }
}

void TZRTxtbox::focusInEvent(QFocusEvent* event) {
    if (!allowFocus_) {
        clearFocus();
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
}

}  // namespace pk
