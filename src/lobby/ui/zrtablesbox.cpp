#include "lobby/ui/zrtablesbox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "lobby/ui/zrdialogs.h"

namespace pk {

namespace {

constexpr int kBorderSlack = 3;
// Marks the cells of a grid's title row or column.
constexpr int kFixedCellRole = Qt::UserRole + 1;

QString TableName(int n) {
    return QString("table%1").arg(n);
}

}  // namespace

TStatGrid::TStatGrid(int table, QWidget* parent) : QTableWidget(parent), table_(table) {
    setObjectName(TableName(table));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    // Its right button copies a cell; the font menu belongs to the box around the grids.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

int TStatGrid::BorderAt(int x) const {
    int edge = 0;
    for (int c = 0; c < columnCount(); ++c) {
        edge += columnWidth(c);
        if (std::abs(x - edge) <= kBorderSlack) {
            return c;
        }
    }
    return -1;
}

void TStatGrid::mousePressEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    if (event->button() == Qt::LeftButton) {
        dragColumn_ = BorderAt(x);
        if (dragColumn_ >= 0) {
            dragStartX_ = x;
            dragStartWidth_ = columnWidth(dragColumn_);
            return;
        }
    }
    QTableWidget::mousePressEvent(event);
}

void TStatGrid::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    if (dragColumn_ >= 0) {
        setColumnWidth(dragColumn_, std::clamp(dragStartWidth_ + x - dragStartX_, MinTableCellSize,
                                               MaxTableCellSize));
        return;
    }
    viewport()->setCursor(BorderAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
    QTableWidget::mouseMoveEvent(event);
}

void TStatGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool dragged = dragColumn_ >= 0;
    dragColumn_ = -1;
    if (!dragged) {
        QTableWidget::mouseReleaseEvent(event);
    }
    const Qt::MouseButton button = event->button();
    LogAndGoOn("TablesMouseUp", [&] {
        if (onMouseUp) {
            onMouseUp(this, button);
        }
    });
}

TZRTables::TZRTables(QWidget* parent) : QScrollArea(parent) {
    setObjectName("stats");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    box_ = new QWidget();
    box_->setAutoFillBackground(true);
    setWidget(box_);
    viewport()->setAutoFillBackground(true);
    FollowPalette();
    verticalScrollBar()->setSingleStep(10);
    QFont arial("Arial");
    arial.setPointSize(8);
    setFont(arial);
    menu_ = new QMenu(this);
    menu_->addAction("Change font...", this, [this] {
        LogAndGoOn("Changefontto1Click", [this] {
            bool ok = false;
            const QFont chosen = QFontDialog::getFont(&ok, font(), this);
            if (ok) {
                SetTablesFont(chosen);
            }
        });
    });
    menu_->addAction("Restore font", this,
                     [this] { LogAndGoOn("N1Click", [this] { RestoreFont(); }); });
}

void TZRTables::ShowPlayerStats(const std::string& compressed) {
    model_.ShowPlayerStats(compressed);
    BuildTables();
}

void TZRTables::Clear() {
    model_.Clear();
    BuildTables();
}

TStatGrid* TZRTables::Grid(int n) const {
    return box_->findChild<TStatGrid*>(TableName(n), Qt::FindDirectChildrenOnly);
}

QWidget* TZRTables::Label(int n) const {
    return box_->findChild<QLabel*>(TableName(n) + "label", Qt::FindDirectChildrenOnly);
}

void TZRTables::BuildTables() {
    for (QWidget* child : box_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        delete child;
    }
    count_ = 0;
    for (const TStatTable& table : model_.Tables()) {
        const int n = ++count_;
        auto* label = new QLabel(DialogText(table.title), box_);
        label->setObjectName(TableName(n) + "label");
        auto* grid = new TStatGrid(n, box_);
        grid->setRowCount(table.rows);
        grid->setColumnCount(table.columns);
        for (int r = 0; r < table.rows; ++r) {
            for (int c = 0; c < table.columns; ++c) {
                auto* item = new QTableWidgetItem(DialogText(table.Cell(c, r)));
                item->setData(kFixedCellRole, (table.top && r == 0) || (!table.top && c == 0));
                grid->setItem(r, c, item);
            }
        }
        for (int c = 0; c < table.columns; ++c) {
            const int w =
                c < static_cast<int>(table.columnWidths.size()) ? table.columnWidths[c] : 0;
            grid->setColumnWidth(c, w > 0 ? w : DefaultColumnWidth);
        }
        for (int r = 0; r < table.rows; ++r) {
            const int h = r < static_cast<int>(table.rowHeights.size()) ? table.rowHeights[r] : 0;
            grid->setRowHeight(r, h > 0 ? h : DefaultRowHeight);
        }
        grid->onMouseUp = [this](TStatGrid* g, Qt::MouseButton button) {
            TablesMouseUp(g, button);
        };
        label->show();
        grid->show();
    }
    ColourFixedCells();
    LayoutTables();
}

void TZRTables::FollowPalette() {
    // The tables lie on a box's ground (white in the platform's palette); the grids draw
    // their lines from that ground.
    QPalette ground = box_->palette();
    ground.setColor(QPalette::Window, palette().color(QPalette::Base));
    box_->setPalette(ground);
    viewport()->setPalette(ground);
    ColourFixedCells();
}

void TZRTables::ColourFixedCells() {
    // Title cells in the face of a button; a themed box is one colour through (its buttons
    // too), and there they take its alternate ground.
    const QPalette& colours = palette();
    const bool plainBox = colours.color(QPalette::Button) == colours.color(QPalette::Base);
    const QBrush face = plainBox ? colours.alternateBase() : colours.button();
    const QBrush text = plainBox ? colours.text() : colours.buttonText();
    for (TStatGrid* grid : box_->findChildren<TStatGrid*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (int r = 0; r < grid->rowCount(); ++r) {
            for (int c = 0; c < grid->columnCount(); ++c) {
                QTableWidgetItem* item = grid->item(r, c);
                if (item && item->data(kFixedCellRole).toBool()) {
                    item->setBackground(face);
                    item->setForeground(text);
                }
            }
        }
    }
}

void TZRTables::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        LogAndGoOn("TablesPaletteChange", [this] { FollowPalette(); });
    }
}

void TZRTables::LayoutTables() {
    QFont labelFont = font();
    labelFont.setPointSize(std::max(1, font().pointSize()) + 2);
    labelFont.setBold(true);
    labelFont.setItalic(true);
    const int right = viewport()->width() - Gap;
    int x = Gap;
    int y = Gap;
    int lineHeight = 0;
    for (int n = 1;; ++n) {
        TStatGrid* grid = Grid(n);
        auto* label = static_cast<QLabel*>(Label(n));
        if (!grid || !label) {
            break;
        }
        label->setFont(labelFont);
        label->adjustSize();
        grid->setFont(font());
        int width = 4;
        for (int c = 0; c < grid->columnCount(); ++c) {
            width += grid->columnWidth(c) + 1;
        }
        int height = 4;
        for (int r = 0; r < grid->rowCount(); ++r) {
            height += grid->rowHeight(r) + 1;
        }
        const int unitWidth = std::max(width, label->width());
        if (x > Gap && x + unitWidth > right) {
            x = Gap;
            y += lineHeight + Gap;
            lineHeight = 0;
        }
        label->move(x, y);
        grid->setGeometry(x, y + label->height(), width, height);
        lineHeight = std::max(lineHeight, label->height() + height);
        x += unitWidth + Gap;
    }
    box_->resize(std::max(1, viewport()->width()), y + lineHeight + Gap);
}

std::string TZRTables::SaveColumnWidths() {
    for (int n = 1; n <= count_; ++n) {
        if (TStatGrid* grid = Grid(n)) {
            for (int c = 0; c < grid->columnCount(); ++c) {
                model_.SetColumnWidth(n, c, grid->columnWidth(c));
            }
        }
    }
    return model_.SaveColumnWidths();
}

void TZRTables::LoadColumnWidths(const std::string& serial) {
    model_.LoadColumnWidths(serial);
}

void TZRTables::SetTablesFont(const QFont& chosen) {
    setFont(chosen);
    LayoutTables();
    if (onChanged) {
        onChanged();
    }
}

void TZRTables::RestoreFont() {
    setFont(parentWidget() ? parentWidget()->font() : QApplication::font());
    LayoutTables();
    if (onChanged) {
        onChanged();
    }
}

void TZRTables::TablesMouseUp(TStatGrid* grid, Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        if (const QTableWidgetItem* item = grid->currentItem()) {
            QApplication::clipboard()->setText(item->text());
        }
        return;
    }
    LayoutTables();
    SaveColumnWidths();
    if (onChanged) {
        onChanged();
    }
}

void TZRTables::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    LogAndGoOn("statsResize", [this] { LayoutTables(); });
}

void TZRTables::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

}  // namespace pk
