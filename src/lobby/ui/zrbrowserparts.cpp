#include "lobby/ui/zrbrowserparts.h"

#include <QHeaderView>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "gfx/qtsurface.h"
#include "room/zrroomcontrols.h"
#include "shell/zrconfig.h"

namespace pk {

bool TBrowserEventFilter::eventFilter(QObject*, QEvent* event) {
    bool taken = false;
    ReportErrors("Tzrbrowser.event", [&] { taken = f_(*event); });
    return taken;
}

QToolButton* NewBrowserButton(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

QTreeView* ReportView(QWidget* parent, const char* name) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAllColumnsShowFocus(true);
    // Every column keeps the width it was given (the widths are remembered).
    view->header()->setStretchLastSection(false);
    return view;
}

std::vector<int> ColumnWidths(const QTreeView* view, int columns) {
    std::vector<int> widths;
    for (int c = 0; c < columns; ++c) {
        widths.push_back(view->columnWidth(c));
    }
    return widths;
}

void SetColumns(QTreeView* view, std::vector<int> widths, const std::string& stored) {
    SetColumnWidths(widths, stored);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        view->setColumnWidth(static_cast<int>(c), std::clamp(widths[c], 8, 2000));
    }
}

QImage TileImage(const IconTile& tile) {
    QImage image = ToQImage(tile.picture).convertToFormat(QImage::Format_ARGB32);
    const QImage key = ToQImage(Surface16(1, 1, tile.transparent));
    const QRgb transparent = key.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (transparent & 0xFFFFFF)) {
                image.setPixel(x, y, 0);
            }
        }
    }
    return image;
}

}  // namespace pk
