#pragma once
// The lobby window's games panel: the room's game list with its Ping column, or in its place
// the overall game statistics, under a caption and the "New Game!", "Ping Servers" and
// "Show Stats" buttons. A click on a column heading sorts the list.
#include <QWidget>

#include "lobby/ui/zrbrowserparts.h"
#include "lobby/zrlobbywindow.h"

class QLabel;
class QPlainTextEdit;
class QToolButton;
class QTreeView;

namespace pk {

class TGameListModel;

class TBrowserGames : public QWidget {
public:
    TBrowserGames(TGameListModel& games, QWidget* parent);

    QTreeView* gamelist() const { return gamelist_; }
    QPlainTextEdit* gamestats() const { return gamestats_; }
    QLabel* gamelabel() const { return gamelabel_; }
    // The caption of the statistics button: the button itself.
    QToolButton* statscaption() const { return statscaption_; }
    const TGameListSort& GameSort() const { return sort_; }

    void showstatsClick();
    void gamelistColumnClick(int column);
    void creategameClick();
    void pingregionsbuttonClick();
    void gamelistDblClick(const QPoint& at);

private:
    TGameListModel& games_;
    TGameListSort sort_;
    QLabel* gamelabel_ = nullptr;
    QToolButton* statscaption_ = nullptr;
    QWidget* gamelistpanel_ = nullptr;
    QTreeView* gamelist_ = nullptr;
    QWidget* statspanel_ = nullptr;
    QPlainTextEdit* gamestats_ = nullptr;
};

}  // namespace pk
