#pragma once
// `TZRTables`: a scroll box of labelled string grids built from the statistics records. The
// grids' column widths are the user's (dragged at a column's right edge) and are kept by table
// number; a right click copies the current cell.
#include <QScrollArea>
#include <QTableWidget>
#include <functional>

#include "core/zrmisc.h"
#include "lobby/zrtables.h"

class QMenu;

namespace pk {

// One grid: cells without headers, the first row or column drawn as fixed headings, and a
// column border that can be dragged.
class TStatGrid : public QTableWidget {
public:
    TStatGrid(int table, QWidget* parent);
    int Table() const { return table_; }
    // The grid's mouse-button release, after a drag has ended.
    std::function<void(TStatGrid*, Qt::MouseButton)> onMouseUp;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int BorderAt(int x) const;  // the column whose right edge is at x, or -1
    int table_;
    int dragColumn_ = -1;
    int dragStartX_ = 0;
    int dragStartWidth_ = 0;
};

class TZRTables : public QScrollArea {
public:
    static constexpr int DefaultColumnWidth = 64;
    static constexpr int DefaultRowHeight = 24;
    static constexpr int Gap = 10;

    explicit TZRTables(QWidget* parent = nullptr);

    // Message 34's compressed record: every table replaced.
    void ShowPlayerStats(const std::string& compressed);
    void Clear();
    // Builds the grids afresh from the model.
    void BuildTables();
    void LayoutTables();
    // The width record's serial form, refreshed from the grids.
    std::string SaveColumnWidths();
    void LoadColumnWidths(const std::string& serial);

    // The tables' font; the labels are two points larger, bold and italic.
    void SetTablesFont(const QFont& font);
    // "Restore font": the dialog's font again.
    void RestoreFont();
    void TablesMouseUp(TStatGrid* grid, Qt::MouseButton button);

    TZRTablesModel& Model() { return model_; }
    TStatGrid* Grid(int n) const;
    QWidget* Label(int n) const;
    QMenu* Menu() const { return menu_; }
    // Told when the widths or the font change, so the owner can keep them.
    std::function<void()> onChanged;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The box's ground and the title row or column of each grid in the palette's colours.
    void FollowPalette();
    void ColourFixedCells();

    TZRTablesModel model_;
    QWidget* box_ = nullptr;
    QMenu* menu_ = nullptr;
    int count_ = 0;
};

}  // namespace pk
