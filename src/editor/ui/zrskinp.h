// The skin preview window `Tskinp` ("Skin Preview"): the theme combo, the
// tabs of the client's windows, the ticked element list, the picture in a
// scroll box with mouse editing, "Stretch", the status bar and the blink and
// reload timers. The rules live in SkinPreview (editor/zrskinpreview.h).
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "editor/zrskinpreview.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QTabBar;
class QTimer;

namespace pk {

class SkinPaintBox;

// Where a window's frame goes so that it lies inside `area`: no larger than the area, moved in
// from any edge it passes.
QRect FitWithin(QRect frame, const QRect& area);

class Tskinp : public QWidget {
    Q_OBJECT
public:
    explicit Tskinp(KledDoc& doc, QWidget* parent = nullptr);

    SkinPreview& preview() { return preview_; }
    QComboBox* themelist() const { return themelist_; }
    QTabBar* windowtabs() const { return windowtabs_; }
    QListWidget* skinlist() const { return skinlist_; }
    QWidget* skinpb() const;
    QCheckBox* stretchskins() const { return stretchskins_; }
    QStatusBar* skinstatus() const { return skinstatus_; }
    QLabel* StatusPanel(int i) const { return status_[i]; }

    // The document changed: the combo, the list and the picture afresh.
    void DocumentChanged();
    // What the window shows now, for the paint box.
    const QImage& Shown() const { return shown_; }

    // A double click on an element: select it in the main tree.
    std::function<void(TZRC*)> onSelectInTree;
    // The reload timer found a change of the element selected in the tree.
    std::function<void(TZRC*)> onElementChanged;

    // Handlers.
    void FormShow();
    void FormActivate();
    void themelistChange();
    void windowtabsChange();
    void skinlistClick(QListWidgetItem* item);
    void skinlistClickCheck(QListWidgetItem* item);
    void skinlistDblClick(QListWidgetItem* item);
    // Dragging over the tick column with the left button ticks the items
    // passed (Ctrl unticks them); the picture follows when the button is let go.
    void skinlistMouseMove(int x, int y, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void skinlistMouseUp();
    void skinpbPaint();
    void skinpbMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
    void skinpbMouseMove(Qt::KeyboardModifiers mods, int x, int y);
    void skinpbMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
    void stretchskinsClick();
    void blinktimerTimer();
    void reloadtimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillThemeCombo();
    void FillList();
    void LayOut();
    void ShowPicture(const Surface16& picture);
    void ShowStatus();
    void FitOnScreen(bool grow);
    void UpdateCursor(int x, int y);
    TZRC* ItemEntry(QListWidgetItem* item) const;

    KledDoc& doc_;
    SkinPreview preview_;
    QComboBox* themelist_ = nullptr;
    QTabBar* windowtabs_ = nullptr;
    QListWidget* skinlist_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    SkinPaintBox* paintBox_ = nullptr;
    QCheckBox* stretchskins_ = nullptr;
    QStatusBar* skinstatus_ = nullptr;
    QLabel* status_[kStatusPanelCount] = {};
    QTimer* blinktimer_ = nullptr;
    QTimer* reloadtimer_ = nullptr;
    QImage shown_;
    bool blinkPhase_ = false;
    bool filling_ = false;
    bool tickDragged_ = false;  // items ticked by a drag not yet laid out
};

}  // namespace pk
