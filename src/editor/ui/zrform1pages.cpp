// The property pages of the main window: grids filled from the page model,
// edits written to the selected entry at once, the skin lists with their
// keys and row dragging, the "Apply" buttons and the previews.
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editor/ui/zrform1.h"
#include "editor/zrimaging.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

QString Q(const std::string& s) {
    return Cp1252ToQString(s);
}
std::string B(const QString& s) {
    return QStringToCp1252(s);
}

// An entry's image (through its mask, over the page's colour) or its mask as
// its file shows it; empty when it has none.
QPixmap EntryPixmap(const TZRC& e, EntryPart part, const QColor& background) {
    std::optional<DibBitmap> bitmap = EntryBitmap(e, part == EntryPart::Mask);
    if (!bitmap || bitmap->empty())
        return {};
    Surface16 surface(
        bitmap->width, bitmap->height,
        Rgb555(background.red() >> 3, background.green() >> 3, background.blue() >> 3));
    if (!DrawEntryImage(surface, 0, 0, part, e))
        return {};
    return QPixmap::fromImage(ToQImage(surface));
}

QLabel* Picture(QWidget* parent, QLayout* layout) {
    auto* scroll = new QScrollArea(parent);
    auto* label = new QLabel(scroll);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(label);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    return label;
}

}  // namespace

QTableWidget* TForm1::BuildSkinList(const QStringList& headers) {
    auto* list = new QTableWidget(static_cast<int>(kSkinListRows), headers.size() + 1);
    QStringList labels{""};
    labels << headers;
    list->setHorizontalHeaderLabels(labels);
    list->verticalHeader()->setSectionsMovable(true);
    list->verticalHeader()->setDefaultSectionSize(20);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setColumnWidth(0, 10);
    list->installEventFilter(this);
    connect(list, &QTableWidget::itemChanged, this, [this, list] {
        if (filling_)
            return;
        if (list == skinflaglist_)
            skinflaglistSetEditText();
        else
            skinactionlistSetEditText();
    });
    connect(list->verticalHeader(), &QHeaderView::sectionMoved, this,
            [this, list](int, int from, int to) {
                // The header only reports the drag; the rows themselves move
                // in the list's text.
                QHeaderView* header = list->verticalHeader();
                header->blockSignals(true);
                header->moveSection(to, from);
                header->blockSignals(false);
                SkinGrid grid = GridFromList(list);
                auto row = grid.rows[static_cast<size_t>(from)];
                grid.rows.erase(grid.rows.begin() + from);
                grid.rows.insert(grid.rows.begin() + to, row);
                FillList(list, grid);
                if (list == skinflaglist_)
                    skinflaglistSetEditText();
                else
                    skinactionlistSetEditText();
            });
    return list;
}

QWidget* TForm1::BuildGridPage(int page) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    const auto& labels = RowLabels(page);
    auto* grid = new QTableWidget(static_cast<int>(labels.size()), 2, widget);
    grid->setObjectName(QString::fromLatin1(
        std::array{"mainbmpgrid", "sbgrid", "soundgrid", "musicgrid", "skingrid"}[page]));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setColumnWidth(0, page == kPageMain ? 165 : 90);
    grid->setFixedHeight(static_cast<int>(labels.size()) * 20 + 4);
    for (size_t r = 0; r < labels.size(); ++r) {
        auto* item = new QTableWidgetItem(QString::fromStdString(labels[r]));
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
        grid->setItem(static_cast<int>(r), 0, item);
        grid->setItem(static_cast<int>(r), 1, new QTableWidgetItem);
    }
    if (page == kPageMusic)  // display only
        grid->item(2, 1)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    void (TForm1::*handler)() = std::array{
        &TForm1::mainbmpgridSetEditText, &TForm1::sbgridSetEditText, &TForm1::soundgridSetEditText,
        &TForm1::musicgridSetEditText, &TForm1::skingridSetEditText}[page];
    connect(grid, &QTableWidget::itemChanged, this, [this, handler] {
        if (!filling_)
            (this->*handler)();
    });
    grids_[page] = grid;
    layout->addWidget(grid);

    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton("Apply", widget);
    apply->setObjectName(QString::fromLatin1(
        std::array{"mainbmpapply", "sbapply", "soundapply", "musicapply", "skinapply"}[page]));
    apply->setToolTip("Apply field to all selected resources");
    connect(apply, &QPushButton::clicked, this, [this] { applyClick(); });
    buttons->addWidget(apply);
    if (page == kPageSound) {
        auto* play = new QPushButton("Play", widget);
        play->setObjectName("soundplay");
        play->setToolTip("Play selected sound");
        connect(play, &QPushButton::clicked, this, [this] { soundplayClick(); });
        buttons->addWidget(play);
    } else if (page == kPageMusic) {
        auto* play = new QPushButton("Play", widget);
        play->setObjectName("musicplay");
        play->setToolTip("Play selected midi");
        connect(play, &QPushButton::clicked, this, [this] { musicplayClick(); });
        buttons->addWidget(play);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    if (page == kPageMain) {
        auto* pictures = new QHBoxLayout;
        mainPicture_ = Picture(widget, pictures);
        mainPicture_->setObjectName("mainimage");
        maskPicture_ = Picture(widget, pictures);
        maskPicture_->setObjectName("mainmask");
        layout->addLayout(pictures, 1);
    } else if (page == kPageDetail) {
        sbPicture_ = Picture(widget, layout);
        sbPicture_->setObjectName("sbimage");
    } else if (page == kPageSkin) {
        skinflaglist_ = BuildSkinList({"Flag", "Parameters"});
        skinflaglist_->setObjectName("skinflaglist");
        skinflaglist_->setColumnWidth(1, 70);
        skinactionlist_ = BuildSkinList({"Event", "Action", "Target"});
        skinactionlist_->setObjectName("skinactionlist");
        skinactionlist_->setColumnWidth(1, 90);
        skinactionlist_->setColumnWidth(2, 45);
        auto* lists = new QHBoxLayout;
        auto* flagSide = new QVBoxLayout;
        auto* actionSide = new QVBoxLayout;
        flagSide->addWidget(skinflaglist_);
        actionSide->addWidget(skinactionlist_);
        auto* flagApply = new QPushButton("Apply", widget);
        flagApply->setToolTip("Apply flag list to all selected skins");
        connect(flagApply, &QPushButton::clicked, this, [this] { skinflagsapplyClick(); });
        auto* actionApply = new QPushButton("Apply", widget);
        actionApply->setToolTip("Apply action list to all selected skins");
        connect(actionApply, &QPushButton::clicked, this, [this] { skinactionsapplyClick(); });
        flagSide->addWidget(flagApply);
        actionSide->addWidget(actionApply);
        lists->addLayout(flagSide, 1);
        lists->addLayout(actionSide, 1);
        layout->addLayout(lists, 1);
    } else {
        layout->addStretch();
    }
    return widget;
}

void TForm1::BuildPages() {
    for (int page = 0; page < kPageCount; ++page)
        mainpagecontrol_->addTab(BuildGridPage(page), PageTitle(page));
    // Until the first refresh.
    filling_ = true;
    grids_[kPageMain]->item(0, 1)->setText("theme1");
    filling_ = false;
}

void TForm1::FillGrid(int page, const std::vector<std::string>& values) {
    const bool was = filling_;
    filling_ = true;
    for (size_t r = 0; r < values.size(); ++r)
        grids_[page]->item(static_cast<int>(r), 1)->setText(Q(values[r]));
    filling_ = was;
}

void TForm1::FillList(QTableWidget* list, const SkinGrid& grid) {
    const bool was = filling_;
    filling_ = true;
    list->setRowCount(static_cast<int>(grid.rows.size()));
    for (size_t r = 0; r < grid.rows.size(); ++r)
        for (size_t c = 0; c < grid.columns; ++c) {
            auto* item = list->item(static_cast<int>(r), static_cast<int>(c) + 1);
            if (!item) {
                item = new QTableWidgetItem;
                list->setItem(static_cast<int>(r), static_cast<int>(c) + 1, item);
            }
            item->setText(Q(grid.rows[r][c]));
        }
    filling_ = was;
}

SkinGrid TForm1::GridFromList(QTableWidget* list) const {
    SkinGrid grid(static_cast<size_t>(list->columnCount() - 1));
    for (int r = 0; r < list->rowCount(); ++r)
        for (int c = 1; c < list->columnCount(); ++c)
            if (auto* item = list->item(r, c))
                grid.SetCell(static_cast<size_t>(r), static_cast<size_t>(c - 1), B(item->text()));
    return grid;
}

void TForm1::FillSkinLists(const TZRC* e) {
    FillList(skinflaglist_, FlagListToGrid(e ? e->entry.flagList : ""));
    FillList(skinactionlist_, EventListToGrid(e ? e->entry.eventList : ""));
}

void TForm1::FillPictures(const TZRC* e) {
    const QColor background = palette().window().color();
    const bool main = e && e->kind() == KlbKind::Main;
    mainPicture_->setPixmap(main ? EntryPixmap(*e, EntryPart::Image, background) : QPixmap());
    maskPicture_->setPixmap(main ? EntryPixmap(*e, EntryPart::Mask, background) : QPixmap());
    const bool detail = e && e->kind() == KlbKind::Detail;
    sbPicture_->setPixmap(detail ? EntryPixmap(*e, EntryPart::Image, background) : QPixmap());
}

void TForm1::RefreshResourcePage() {
    const TZRC* e = doc_.SelectedEntry();
    std::optional<int> page = e ? PageOfKind(e->kind()) : std::nullopt;
    const int active = mainpagecontrol_->currentIndex();
    if (page && *page == active) {
        FillGrid(*page, ShownValues(*page, *e, doc_.programFolder()));
        FillSkinLists(*page == kPageSkin ? e : nullptr);
        FillPictures(e);
    } else {
        FillGrid(active, DefaultValues(active));
        if (active == kPageSkin)
            FillSkinLists(nullptr);
        FillPictures(nullptr);
    }
    FormResize();
}

void TForm1::GridEdited(int page) {
    TZRC* e = doc_.SelectedEntry();
    if (!e)
        return;
    std::vector<std::string> rows;
    for (int r = 0; r < grids_[page]->rowCount(); ++r)
        rows.push_back(B(grids_[page]->item(r, 1)->text()));
    if (StoreEdit(page, *e, rows)) {
        // The file-name rows show what the entry now holds.
        std::vector<std::string> shown = ShownValues(page, *e, doc_.programFolder());
        const bool was = filling_;
        filling_ = true;
        for (int r : {1, 2})
            if (r < static_cast<int>(shown.size()) &&
                (page == kPageMain || page == kPageSkin || r == 1))
                grids_[page]->item(r, 1)->setText(Q(shown[static_cast<size_t>(r)]));
        filling_ = was;
    }
}

void TForm1::mainbmpgridSetEditText() {
    GridEdited(kPageMain);
    // An emptied mask cell removed the mask.
    FillPictures(doc_.SelectedEntry());
}

void TForm1::sbgridSetEditText() {
    GridEdited(kPageDetail);
}

void TForm1::soundgridSetEditText() {
    GridEdited(kPageSound);
}

void TForm1::musicgridSetEditText() {
    GridEdited(kPageMusic);
}

void TForm1::skingridSetEditText() {
    GridEdited(kPageSkin);
}

void TForm1::skinflaglistSetEditText() {
    TZRC* e = doc_.SelectedEntry();
    if (e && !e->IsReference && e->kind() == KlbKind::Skin)
        e->entry.flagList = GridToFlagList(GridFromList(skinflaglist_));
}

void TForm1::skinactionlistSetEditText() {
    TZRC* e = doc_.SelectedEntry();
    if (e && !e->IsReference && e->kind() == KlbKind::Skin)
        e->entry.eventList = GridToEventList(GridFromList(skinactionlist_));
}

void TForm1::SkinListKey(QTableWidget* list, int key) {
    const int row = list->currentRow();
    if (row < 0)
        return;
    SkinGrid grid = GridFromList(list);
    if (key == Qt::Key_F12)
        grid.InsertRow(static_cast<size_t>(row));
    else
        grid.DeleteRow(static_cast<size_t>(row));
    FillList(list, grid);
    if (list == skinflaglist_)
        skinflaglistSetEditText();
    else
        skinactionlistSetEditText();
}

void TForm1::skinflaglistKeyDown(int key) {
    SkinListKey(skinflaglist_, key);
}

void TForm1::skinactionlistKeyDown(int key) {
    SkinListKey(skinactionlist_, key);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == skinflaglist_ || watched == skinactionlist_) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F12 || key == Qt::Key_F11) {
            if (watched == skinflaglist_)
                skinflaglistKeyDown(key);
            else
                skinactionlistKeyDown(key);
            return true;
        }
    }
    if (watched == reftoppanel_ && event->type() == QEvent::Resize)
        reftoppanelResize();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::applyClick() {
    TZRC* e = doc_.SelectedEntry();
    if (!e)
        return;
    std::optional<int> page = PageOfKind(e->kind());
    if (!page)
        return;
    const int row = grids_[*page]->currentRow();
    if (row < 0)
        return;
    ApplyField(doc_, row, B(grids_[*page]->item(row, 1)->text()));
}

void TForm1::skinflagsapplyClick() {
    ApplyFlagList(doc_, GridToFlagList(GridFromList(skinflaglist_)));
}

void TForm1::skinactionsapplyClick() {
    ApplyEventList(doc_, GridToEventList(GridFromList(skinactionlist_)));
}

void TForm1::soundplayClick() {
    if (TZRC* e = doc_.SelectedEntry())
        PlaySoundPreview(audio_.sound, *e, doc_);
}

void TForm1::musicplayClick() {
    if (TZRC* e = doc_.SelectedEntry())
        if (preview_.Toggle(*e, doc_) == MusicPreview::Outcome::CannotPreview)
            ShowMessage(CannotPreviewMessage(e->entry.fileType));
}

void TForm1::mainpagecontrolChange(int) {
    if (filling_)
        return;
    RefreshResourcePage();
}

void TForm1::reftoppanelResize() {
    const int width = reftoppanel_->width();
    refsLabel_->setGeometry(2, 2, std::max(0, width - 4), 16);
    refsCombo_->setGeometry(2, 20, std::max(0, width - 60), refsCombo_->sizeHint().height());
    updaterefs_->setGeometry(width - 53, 20, 51, refsCombo_->height());
}

void TForm1::FormResize() {
    for (QTableWidget* grid : grids_)
        if (grid)
            grid->setColumnWidth(1, std::max(0, grid->viewport()->width() - grid->columnWidth(0)));
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

}  // namespace pk
