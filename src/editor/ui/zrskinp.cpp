#include "editor/ui/zrskinp.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "core/zrlog.h"
#include "editor/ui/zrmaincombo.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

Qt::CursorShape CursorOf(DragHandle h) {
    switch (h) {
        case DragHandle::Left:
        case DragHandle::Right:
            return Qt::SizeHorCursor;
        case DragHandle::Top:
        case DragHandle::Bottom:
            return Qt::SizeVerCursor;
        case DragHandle::TopLeft:
        case DragHandle::BottomRight:
            return Qt::SizeFDiagCursor;
        case DragHandle::TopRight:
        case DragHandle::BottomLeft:
            return Qt::SizeBDiagCursor;
        case DragHandle::Move:
            return Qt::SizeAllCursor;
        case DragHandle::None:
            break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

// The paint box `skinpb`: shows the picture at its own size and hands the
// mouse to the window.
class SkinPaintBox : public QWidget {
public:
    explicit SkinPaintBox(Tskinp* owner) : QWidget(nullptr), owner_(owner) {
        setObjectName("skinpb");
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override { owner_->skinpbPaint(); }
    void mousePressEvent(QMouseEvent* e) override {
        owner_->skinpbMouseDown(e->button(), e->modifiers(), X(e), Y(e));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        owner_->skinpbMouseMove(e->modifiers(), X(e), Y(e));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        owner_->skinpbMouseUp(e->button(), e->modifiers(), X(e), Y(e));
    }

private:
    static int X(QMouseEvent* e) { return e->position().toPoint().x(); }
    static int Y(QMouseEvent* e) { return e->position().toPoint().y(); }
    Tskinp* owner_;
};

Tskinp::Tskinp(KledDoc& doc, QWidget* parent)
    : QWidget(parent, Qt::Window), doc_(doc), preview_(doc) {
    setObjectName("skinp");
    setWindowTitle("Skin Preview");
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Theme:", this));
    themelist_ = new QComboBox(this);
    themelist_->setObjectName("themelist");
    themelist_->setMinimumWidth(180);
    top->addWidget(themelist_);
    stretchskins_ = new QCheckBox("Stretch", this);
    stretchskins_->setObjectName("stretchskins");
    top->addWidget(stretchskins_);
    top->addStretch(1);

    windowtabs_ = new QTabBar(this);
    windowtabs_->setObjectName("windowtabs");
    for (int i = 0; i < kPreviewTabCount; ++i) windowtabs_->addTab(PreviewTabCaption(i));

    auto* splitter = splitter_ = new QSplitter(this);
    skinlist_ = new QListWidget(splitter);
    skinlist_->setObjectName("skinlist");
    skinlist_->viewport()->installEventFilter(this);
    scroll_ = new QScrollArea(splitter);
    paintBox_ = new SkinPaintBox(this);
    scroll_->setWidget(paintBox_);
    scroll_->viewport()->installEventFilter(this);
    splitter->addWidget(skinlist_);
    splitter->addWidget(scroll_);
    splitter->setSizes({160, 480});

    skinstatus_ = new QStatusBar(this);
    skinstatus_->setObjectName("skinstatus");
    skinstatus_->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanelCount; ++i) {
        status_[i] = new QLabel(skinstatus_);
        status_[i]->setFrameShape(QFrame::Panel);
        status_[i]->setFrameShadow(QFrame::Sunken);
        status_[i]->setMinimumWidth(i == kStatusName ? 120 : 56);
        skinstatus_->addWidget(status_[i], i == kStatusName ? 1 : 0);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(windowtabs_);
    layout->addWidget(splitter, 1);
    layout->addWidget(skinstatus_);

    blinktimer_ = new QTimer(this);
    blinktimer_->setInterval(250);
    reloadtimer_ = new QTimer(this);
    reloadtimer_->setInterval(1000);
    connect(blinktimer_, &QTimer::timeout, this, &Tskinp::blinktimerTimer);
    connect(reloadtimer_, &QTimer::timeout, this, &Tskinp::reloadtimerTimer);
    connect(themelist_, &QComboBox::currentIndexChanged, this, &Tskinp::themelistChange);
    connect(windowtabs_, &QTabBar::currentChanged, this, &Tskinp::windowtabsChange);
    connect(skinlist_, &QListWidget::itemChanged, this, &Tskinp::skinlistClickCheck);
    connect(skinlist_, &QListWidget::itemClicked, this, &Tskinp::skinlistClick);
    connect(skinlist_, &QListWidget::itemDoubleClicked, this, &Tskinp::skinlistDblClick);
    connect(stretchskins_, &QCheckBox::toggled, this, &Tskinp::stretchskinsClick);
    resize(660, 480);
}

QWidget* Tskinp::skinpb() const {
    return paintBox_;
}

TZRC* Tskinp::ItemEntry(QListWidgetItem* item) const {
    if (!item)
        return nullptr;
    const int row = skinlist_->row(item);
    const auto& list = preview_.elements();
    return row >= 0 && row < static_cast<int>(list.size()) ? list[row] : nullptr;
}

void Tskinp::FillThemeCombo() {
    TZRC* remembered = preview_.theme();
    FillMainBitmapCombo(themelist_, doc_, true, &remembered);
    preview_.SetTheme(remembered);
}

void Tskinp::FillList() {
    filling_ = true;
    preview_.FillElements();
    skinlist_->clear();
    for (TZRC* e : preview_.elements()) {
        auto* item = new QListWidgetItem(Cp1252ToQString(e->name()), skinlist_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(e->ShowInPreview ? Qt::Checked : Qt::Unchecked);
        if (e == preview_.selected())
            skinlist_->setCurrentItem(item);
    }
    filling_ = false;
}

void Tskinp::LayOut() {
    if (preview_.stretch())
        preview_.SetBoxSize(scroll_->viewport()->width(), scroll_->viewport()->height());
    preview_.LayoutPreviewWindow();
    ShowPicture(preview_.picture());
    ShowStatus();
}

void Tskinp::ShowPicture(const Surface16& picture) {
    shown_ = ToQImage(picture);
    paintBox_->resize(picture.width(), picture.height());
    paintBox_->update();
}

void Tskinp::ShowStatus() {
    for (int i = 0; i < kStatusPanelCount; ++i)
        status_[i]->setText(Cp1252ToQString(preview_.status()[i]));
}

void Tskinp::DocumentChanged() {
    LogAndGoOn("skinp DocumentChanged", [this] {
        FillThemeCombo();
        FillList();
        if (isVisible())
            LayOut();
    });
}

void Tskinp::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
    if (event->spontaneous())
        return;  // back from minimised: where the user left it
    LogAndGoOn("skinp FitOnScreen", [this] { FitOnScreen(true); });
    // Some window managers tell the frame's size only once the window is mapped: fit again.
    QTimer::singleShot(0, this, [this] {
        LogAndGoOn("skinp FitOnScreen", [this] {
            if (isVisible())
                FitOnScreen(false);
        });
    });
}

QRect FitWithin(QRect frame, const QRect& area) {
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    return frame;
}

// The window opens large enough to show the whole picture beside the list when the screen has
// room for it, and its frame never reaches past the screen's free area: on a smaller screen it
// shrinks (the picture scrolls) and it is moved in from the edges it passes.
void Tskinp::FitOnScreen(bool grow) {
    // Never placed before, it opens over the main window, on the main window's screen.
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    const bool placed = testAttribute(Qt::WA_Moved);
    const bool overMain = !placed && main && main->isVisible();
    const QScreen* screen = overMain ? main->screen() : this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frameNow = frameGeometry();
    const QMargins frame(geometry().left() - frameNow.left(), geometry().top() - frameNow.top(),
                         frameNow.right() - geometry().right(),
                         frameNow.bottom() - geometry().bottom());
    QSize size = this->size();
    if (grow) {
        const QSize room = scroll_->maximumViewportSize();
        size += QSize(std::max(0, paintBox_->width() - room.width()),
                      std::max(0, paintBox_->height() - room.height()));
    }
    QRect wanted(frameNow.topLeft(), size.grownBy(frame));
    if (!placed)
        wanted.moveCenter(overMain ? main->frameGeometry().center() : area.center());
    const QRect target = FitWithin(wanted, area);
    const QSize client = target.marginsRemoved(frame).size();
    if (client != this->size()) {
        const int list = splitter_->sizes().value(0);
        resize(client);
        // The list keeps its width; the picture takes what the window gained or lost.
        splitter_->setSizes(
            {list, std::max(0, splitter_->width() - list - splitter_->handleWidth())});
    }
    if (frameGeometry().topLeft() != target.topLeft())
        move(target.topLeft());
}

void Tskinp::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void Tskinp::FormShow() {
    LogAndGoOn("FormShow", [this] {
        preview_.ResetEditing();
        FillThemeCombo();
        FillList();
        LayOut();
        blinktimer_->start();
        reloadtimer_->start();
    });
}

// Back from the main window: what its pages changed shows here.
void Tskinp::FormActivate() {
    LogAndGoOn("FormActivate", [this] {
        if (preview_.dragging())
            return;
        FillThemeCombo();
        FillList();
        LayOut();
    });
}

void Tskinp::hideEvent(QHideEvent* event) {
    blinktimer_->stop();
    reloadtimer_->stop();
    QWidget::hideEvent(event);
}

void Tskinp::themelistChange() {
    if (filling_)
        return;
    LogAndGoOn("themelistChange", [this] {
        preview_.SetTheme(ChosenMainBitmap(themelist_));
        FillList();
        LayOut();
    });
}

void Tskinp::windowtabsChange() {
    if (filling_)
        return;
    LogAndGoOn("windowtabsChange", [this] {
        preview_.SetTab(windowtabs_->currentIndex());
        FillList();
        LayOut();
    });
}

void Tskinp::skinlistClick(QListWidgetItem* item) {
    LogAndGoOn("skinlistClick", [this, item] {
        preview_.Select(ItemEntry(item));
        ShowStatus();
        ShowPicture(preview_.picture());
    });
}

void Tskinp::skinlistClickCheck(QListWidgetItem* item) {
    if (filling_)
        return;
    LogAndGoOn("skinlistClickCheck", [this, item] {
        if (TZRC* e = ItemEntry(item)) {
            preview_.SetTicked(e, item->checkState() == Qt::Checked);
            LayOut();
        }
    });
}

void Tskinp::skinlistDblClick(QListWidgetItem* item) {
    LogAndGoOn("skinlistDblClick", [this, item] {
        if (TZRC* e = ItemEntry(item); e && onSelectInTree)
            onSelectInTree(e);
    });
}

void Tskinp::skinlistMouseMove(int x, int y, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    LogAndGoOn("skinlistMouseMove", [&] {
        if (!(buttons & Qt::LeftButton))
            return;
        QListWidgetItem* item = skinlist_->itemAt(x, y);
        if (!item)
            return;
        // The tick column: the check box with its margins.
        const int column = skinlist_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 8;
        if (x - skinlist_->visualItemRect(item).left() >= column)
            return;
        const bool on = !(mods & Qt::ControlModifier);
        TZRC* e = ItemEntry(item);
        if (!e || e->ShowInPreview == on)
            return;
        e->ShowInPreview = on;
        filling_ = true;
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        filling_ = false;
        tickDragged_ = true;
    });
}

void Tskinp::skinlistMouseUp() {
    LogAndGoOn("skinlistMouseUp", [this] {
        if (!tickDragged_)
            return;
        tickDragged_ = false;
        LayOut();
    });
}

void Tskinp::skinpbPaint() {
    LogAndGoOn("skinpbPaint", [this] {
        QPainter p(paintBox_);
        p.drawImage(0, 0, shown_);
    });
}

void Tskinp::stretchskinsClick() {
    LogAndGoOn("stretchskinsClick", [this] {
        preview_.SetBoxSize(scroll_->viewport()->width(), scroll_->viewport()->height());
        preview_.SetStretch(stretchskins_->isChecked());
        LayOut();
    });
}

void Tskinp::blinktimerTimer() {
    LogAndGoOn("blinktimerTimer", [this] {
        if (!isActiveWindow() || !preview_.selected())
            return;
        blinkPhase_ = !blinkPhase_;
        shown_ = ToQImage(preview_.BlinkPicture(blinkPhase_));
        paintBox_->update();
    });
}

void Tskinp::reloadtimerTimer() {
    LogAndGoOn("reloadtimerTimer", [this] {
        if (!isActiveWindow())
            return;
        TZRC* e = preview_.selected();
        if (e && e == doc_.SelectedEntry() && preview_.TakeChanged() && onElementChanged)
            onElementChanged(e);
    });
}

void Tskinp::UpdateCursor(int x, int y) {
    DragHandle h = preview_.dragHandle();
    if (h == DragHandle::None && !preview_.stretch() && preview_.selected())
        h = HandleAt(preview_.PreviewRect(preview_.selected()), x, y);
    paintBox_->setCursor(CursorOf(h));
}

void Tskinp::skinpbMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
    LogAndGoOn("skinpbMouseDown", [&] {
        if (button != Qt::LeftButton && button != Qt::RightButton)
            return;
        preview_.MouseDown(
            button == Qt::LeftButton ? SkinPreview::LeftButton : SkinPreview::RightButton, x, y,
            mods & Qt::ControlModifier);
        if (button == Qt::RightButton)
            ShowPicture(preview_.picture());
        ShowStatus();
    });
}

void Tskinp::skinpbMouseMove(Qt::KeyboardModifiers mods, int x, int y) {
    LogAndGoOn("skinpbMouseMove", [&] {
        preview_.MouseMove(x, y, mods & Qt::ControlModifier);
        UpdateCursor(x, y);
        if (preview_.dragging())
            ShowPicture(preview_.BlinkPicture(blinkPhase_));
        ShowStatus();
    });
}

void Tskinp::skinpbMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
    LogAndGoOn("skinpbMouseUp", [&] {
        if (button != Qt::LeftButton)
            return;
        const TZRC* before = preview_.selected();
        preview_.MouseUp(x, y, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
        ShowPicture(preview_.picture());
        if (preview_.selected() != before) {
            for (int r = 0; r < skinlist_->count(); ++r)
                if (ItemEntry(skinlist_->item(r)) == preview_.selected())
                    skinlist_->setCurrentRow(r);
        }
        ShowStatus();
    });
}

bool Tskinp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize && preview_.stretch()) {
        LogAndGoOn("skinp resize", [this] { LayOut(); });
    }
    if (watched == skinlist_->viewport() && event->type() == QEvent::MouseMove) {
        auto* m = static_cast<QMouseEvent*>(event);
        if (m->buttons() & Qt::LeftButton) {
            const QPoint at = m->position().toPoint();
            skinlistMouseMove(at.x(), at.y(), m->buttons(), m->modifiers());
            return true;  // no rubber band selection while ticking
        }
    }
    if (watched == skinlist_->viewport() && event->type() == QEvent::MouseButtonRelease)
        skinlistMouseUp();
    return QWidget::eventFilter(watched, event);
}

}  // namespace pk
