#pragma once
// What the lobby window `Tzrbrowser` and its panels share: the hooks into other windows, the
// guarded connection of a control to its handler, event filters over a function, the tool
// buttons and report views of the window, column widths and the theme's icon pictures.
#include <QImage>
#include <QObject>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "skin/ui/zrskinform.h"

class QEvent;
class QFont;
class QString;
class QToolButton;
class QTreeView;
class QWidget;

namespace pk {

struct IconTile;

// The menu entries and buttons that open other windows, set by whoever provides them. A hook
// that is not set does nothing.
struct TBrowserHooks {
    std::function<void()> roomDetails;                  // double click on the room status box
    std::function<void()> editOwnDetails;               // "Edit player details..."
    std::function<bool(std::string& name)> newRoom;     // the query's new-room panel
    std::function<bool(std::string& message)> message;  // the query's message panel
    std::function<bool(QFont& font)> pickFont;          // "Change Font..."
};

// The handler of this window or panel named once: the guard's log text is "Tzrbrowser." and the
// handler's name, as the lobby window has always written it, whichever panel holds the handler.
#define PK_BROWSER_HANDLER(handler) PK_HANDLER("Tzrbrowser", handler)

// An event filter that hands every event of the watched object to a function, guarded; the
// function returns true when it took the event.
class TBrowserEventFilter : public QObject {
public:
    explicit TBrowserEventFilter(std::function<bool(QEvent&)> f) : f_(std::move(f)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override;

private:
    std::function<bool(QEvent&)> f_;
};

// A flat tool button with its caption beside its icon.
QToolButton* NewBrowserButton(const char* name, const QString& text, QWidget* parent);
// A list of rows with columns whose widths are kept as given.
QTreeView* ReportView(QWidget* parent, const char* name);
std::vector<int> ColumnWidths(const QTreeView* view, int columns);
// The widths, overridden by what `stored` holds, each kept within bounds.
void SetColumns(QTreeView* view, std::vector<int> widths, const std::string& stored);
// The theme's picture with its transparent colour made transparent.
QImage TileImage(const IconTile& tile);

}  // namespace pk
