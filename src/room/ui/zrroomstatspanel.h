#pragma once
// The room window's statistics panel above the chat, shown and hidden by the tool bar's button:
// the last game's results text, the per-slot table (its columns sized by dragging their edges
// in the header row, the widths remembered), the game's events, and saving all of it to a log.
#include <QScrollArea>
#include <functional>
#include <string>
#include <vector>

#include "room/zrpartyline.h"

class QFileDialog;
class QLabel;
class QMouseEvent;
class QTableWidget;
class QToolButton;

namespace pk {

class TBoxFontMenu;
class TZRTxtbox;

class TRoomStatsPanel : public QScrollArea {
public:
    // Runs the save dialog (set up for the log) to a file name, empty when cancelled.
    using FilePrompt = std::function<std::string(QFileDialog& dialog)>;

    // `form` is the room window, the dialogs' parent; `button` shows and hides the panel and
    // `caption` says which it will do.
    TRoomStatsPanel(QWidget* parent, QWidget& form, QToolButton& button, QLabel& caption);
    ~TRoomStatsPanel() override;

    TZRTxtbox* gameresults() const { return gameresults_; }
    TZRTxtbox* gamehistory() const { return gamehistory_; }
    QTableWidget* gamestats() const { return gamestats_; }
    TBoxFontMenu* statschangefontpopup() const { return statschangefontpopup_; }
    int StatsPanelHeight() const { return statsPanelHeight_; }
    bool StatsShown() const;
    const TStatsPanel& Stats() const { return stats_; }
    void SetSavePrompt(FilePrompt p) { savePrompt_ = std::move(p); }

    void showstatsClick();
    // Lays the panel out: after a resize, a font change and new statistics.
    void statsscrollboxResize();
    // After a left-button release on the table its widths become the remembered ones.
    void gamestatsMouseUp();
    void statssavelogClick();
    void ShowStats(const TStatsPanel& panel, bool open);
    std::vector<int> StatsWidths() const;
    // The widths, height, shown state and font the configuration keeps.
    void SetConfig(const RoomWindowConfig& config);
    void GetConfig(RoomWindowConfig& config) const;

protected:
    // Its own resizes and the table's mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTable(const TStatsPanel& panel);
    // Sizing a column by its edge in the table's header row; true when the event is taken.
    bool gamestatsMouse(QMouseEvent& mouse);
    // The column whose right edge lies under a point of the header row, -1 for none.
    int ColumnEdgeAt(const QPoint& at) const;

    QWidget& form_;
    QLabel& statscaption_;
    QWidget* statsinner_ = nullptr;
    TZRTxtbox* gameresults_ = nullptr;
    TZRTxtbox* gamehistory_ = nullptr;
    QTableWidget* gamestats_ = nullptr;
    TBoxFontMenu* statschangefontpopup_ = nullptr;
    QFileDialog* savedialog = nullptr;  // made at the first save
    FilePrompt savePrompt_;
    TStatsPanel stats_;
    std::string rememberedWidths_;
    int sizingColumn_ = -1;  // the column being sized, -1 for none
    int sizingFrom_ = 0;     // the pointer's x less the column's width at the press
    int statsPanelHeight_ = 90;
};

}  // namespace pk
