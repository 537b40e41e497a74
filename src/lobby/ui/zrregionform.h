#pragma once
// "Select Game Location": the regions with their games, people and ping, sorted by a column,
// "(Least busy server)" always on top; "Ping Servers" measures them again. Closing it hands the
// chosen region (by id; 0 for the least busy server) to the game-set window's region box.
#include <QDialog>
#include <cstdint>
#include <functional>

#include "lobby/zrregionlist.h"

class QPushButton;
class QTreeWidget;

namespace pk {

class Tzrregionlist : public QDialog {
public:
    explicit Tzrregionlist(QWidget* parent = nullptr);
    ~Tzrregionlist() override;

    // Refills the rows from the regions (sort back to Location), keeps the selected caption,
    // and shows the dialog.
    void FillRegionList();
    void serverokClick();
    void regionlistColumnClick(int column);
    // The row a user picks.
    void SelectRow(int row);

    const TRegionListModel& Model() const { return model_; }
    QTreeWidget* regionlist() const { return regionlist_; }
    QPushButton* serverok() const { return serverok_; }
    QPushButton* pingservers() const { return pingservers_; }

    // The game-set window's region box takes the chosen region's id.
    std::function<void(std::int32_t)> onRegionChosen;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void ShowRows();

    TRegionListModel model_;
    QTreeWidget* regionlist_ = nullptr;
    QPushButton* serverok_ = nullptr;
    QPushButton* pingservers_ = nullptr;
    bool filling_ = false;
};

// The one location dialog, made at start-up; null before that.
extern Tzrregionlist* zrregionlist;

}  // namespace pk
