// The property pages of the editor's main window, one tab per kind of entry:
// grids filled from the page model, edits written to the selected entry at
// once, the skin lists with their keys and row dragging, the "Apply" buttons,
// the sound and music previews and the pictures of bitmaps and masks.
#pragma once

#include <QObject>
#include <QStringList>
#include <string>
#include <vector>

#include "editor/zrdoc.h"
#include "editor/zrpages.h"

class QBoxLayout;
class QLabel;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace pk {

class TForm1;

class PropertyPages : public QObject {
    Q_OBJECT
public:
    // The tab widget is made as a child of `parent`.
    PropertyPages(TForm1& form, QWidget* parent);

    QTabWidget* tabs() const { return tabs_; }
    QTableWidget* Grid(int page) const { return grids_[page]; }
    QTableWidget* skinflaglist() const { return skinflaglist_; }
    QTableWidget* skinactionlist() const { return skinactionlist_; }

    // Shows the selected entry on its page when that page is in front, else
    // the front page's defaults.
    void RefreshResourcePage();
    // Gives the grids' value column the rest of their width.
    void FormResize();
    // Lets the pictures go (the window is closing).
    void ClearPictures();

    // The buttons of the pages.
    void applyClick();
    void skinflagsapplyClick();
    void skinactionsapplyClick();
    void soundplayClick();
    void musicplayClick();
    void mainpagecontrolChange(int index);
    // The grids' and skin lists' edit handlers: the edited cells go to the
    // selected entry.
    void mainbmpgridSetEditText();
    void sbgridSetEditText();
    void soundgridSetEditText();
    void musicgridSetEditText();
    void skingridSetEditText();
    void skinflaglistSetEditText();
    void skinactionlistSetEditText();
    // F12 and F11 on a skin list.
    void SkinListKey(QTableWidget* list, int key);
    void skinflaglistKeyDown(int key);
    void skinactionlistKeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPages();
    QWidget* BuildGridPage(int page);
    void BuildSkinLists(QWidget* widget, QBoxLayout* layout);
    QTableWidget* BuildSkinList(const QStringList& headers);
    // A row of the list moved by dragging its header.
    void SkinListRowMoved(QTableWidget* list, int from, int to);
    // The edit handler of the list.
    void SkinListEdited(QTableWidget* list);
    void FillGrid(int page, const std::vector<std::string>& values);
    void FillSkinLists(const TZRC* e);
    void FillPictures(const TZRC* e);
    void GridEdited(int page);
    SkinGrid GridFromList(QTableWidget* list) const;
    void FillList(QTableWidget* list, const SkinGrid& grid);

    TForm1& form_;
    KledDoc& doc_;
    QTabWidget* tabs_ = nullptr;
    QTableWidget* grids_[kPageCount] = {};
    QTableWidget* skinflaglist_ = nullptr;
    QTableWidget* skinactionlist_ = nullptr;
    QLabel* mainPicture_ = nullptr;
    QLabel* maskPicture_ = nullptr;
    QLabel* sbPicture_ = nullptr;
    // Set while the page itself writes cells: those are not edits.
    bool filling_ = false;
};

}  // namespace pk
