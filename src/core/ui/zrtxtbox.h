#pragma once
// TZRTxtbox: the read-only box of styled lines behind every chat and message log of the client
// (in-game party line and attack list, room chat and statistics, lobby chat, release notes).
// Text arrives only through AddLine, whose style codes the model (core/zrtxtlines.h) reads; the
// box wraps each line to its width, scrolls by display lines and follows the newest line while
// the reader is at the bottom. Selecting with the mouse copies the text on release.
#include <QAbstractScrollArea>
#include <QMenu>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/zrtxtlines.h"

class QTextLayout;

namespace pk {

class TZRTxtbox : public QAbstractScrollArea {
public:
    explicit TZRTxtbox(QWidget* parent = nullptr);
    ~TZRTxtbox() override;

    // When false (the default) the box never takes the keyboard focus.
    bool AllowFocus() const { return allowFocus_; }
    void SetAllowFocus(bool allow);
    // When true a resize keeps the last line at the bottom.
    bool StayAtBottom() const { return stayAtBottom_; }
    void SetStayAtBottom(bool stay) { stayAtBottom_ = stay; }

    // Appends one line (several when the text holds line breaks), styled by its codes.
    void AddLine(const std::string& text);
    // Appends text to the last line in the box's font, without reading style codes.
    void AppendText(const std::string& text);
    void Clear();
    // Makes a display line the first visible one (clamped to the lines there are).
    void ScrollToLine(int line);
    int FirstVisibleLine() const;
    // -1 while the box is hidden, else how many whole lines its height shows.
    int VisibleLineCount() const;
    // Display lines, wrapped lines counting once per row.
    int LineCount();
    int LineHeight() const;

    const TTextLines& Lines() const { return lines_; }
    std::string SelectedText() const;
    bool HasSelection() const;
    // Selects from (line, offset) to (line, offset) of the model's lines.
    void Select(std::size_t line1, std::size_t offset1, std::size_t line2, std::size_t offset2);

    // The owner's share of the keys: called with each key down and up before the box sees it;
    // true takes the key. Typing never reaches the box.
    using KeyHook = std::function<bool(int qtKey, bool up)>;
    void SetKeyHook(KeyHook hook) { keyHook_ = std::move(hook); }
    void SetPopupMenu(QMenu* menu);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    struct Laid;
    struct Position {
        std::size_t line = 0;
        std::size_t offset = 0;
    };

    int TextWidth() const;
    int RowsFor(std::size_t line);
    void LayOut(std::size_t line);
    void RelayoutAll();
    void UpdateScrollRange();
    int VisibleRows() const;  // whole rows the height shows, hidden or not
    void SetFirst(int row);
    bool PositionAt(const QPoint& at, Position& out);
    void CopySelection();

    TTextLines lines_;
    std::deque<std::unique_ptr<Laid>> laid_;
    int totalRows_ = 0;
    int laidWidth_ = -1;
    bool allowFocus_ = false;
    bool stayAtBottom_ = false;
    bool selecting_ = false;
    Position anchor_;
    Position cursor_;
    KeyHook keyHook_;
    QPointer<QMenu> popup_;
};

}  // namespace pk
