#include "editor/ui/zrpropertypages.h"

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
#include "editor/zrpreview.h"
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

PropertyPages::PropertyPages(TForm1& form, QWidget* parent)
    : QObject(&form), form_(form), doc_(form.doc()) {
    setObjectName("propertypages");
    tabs_ = new QTabWidget(parent);
    tabs_->setObjectName("mainpagecontrol");
    BuildPages();
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertyPages::mainpagecontrolChange);
}

QTableWidget* PropertyPages::BuildSkinList(const QStringList& headers) {
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
        if (!filling_)
            SkinListEdited(list);
    });
    connect(list->verticalHeader(), &QHeaderView::sectionMoved, this,
            [this, list](int, int from, int to) { SkinListRowMoved(list, from, to); });
    return list;
}

void PropertyPages::SkinListRowMoved(QTableWidget* list, int from, int to) {
    // The header only reports the drag; the rows themselves move in the list's text.
    QHeaderView* header = list->verticalHeader();
    header->blockSignals(true);
    header->moveSection(to, from);
    header->blockSignals(false);
    SkinGrid grid = GridFromList(list);
    auto row = grid.rows[static_cast<size_t>(from)];
    grid.rows.erase(grid.rows.begin() + from);
    grid.rows.insert(grid.rows.begin() + to, row);
    FillList(list, grid);
    SkinListEdited(list);
}

void PropertyPages::SkinListEdited(QTableWidget* list) {
    if (list == skinflaglist_)
        skinflaglistSetEditText();
    else
        skinactionlistSetEditText();
}

QWidget* PropertyPages::BuildGridPage(int page) {
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
        item->setBackground(form_.palette().button());
        grid->setItem(static_cast<int>(r), 0, item);
        grid->setItem(static_cast<int>(r), 1, new QTableWidgetItem);
    }
    if (page == kPageMusic)  // display only
        grid->item(2, 1)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    void (PropertyPages::*handler)() =
        std::array{&PropertyPages::mainbmpgridSetEditText, &PropertyPages::sbgridSetEditText,
                   &PropertyPages::soundgridSetEditText, &PropertyPages::musicgridSetEditText,
                   &PropertyPages::skingridSetEditText}[page];
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
    connect(apply, &QPushButton::clicked, this, &PropertyPages::applyClick);
    buttons->addWidget(apply);
    if (page == kPageSound) {
        auto* play = new QPushButton("Play", widget);
        play->setObjectName("soundplay");
        play->setToolTip("Play selected sound");
        connect(play, &QPushButton::clicked, this, &PropertyPages::soundplayClick);
        buttons->addWidget(play);
    } else if (page == kPageMusic) {
        auto* play = new QPushButton("Play", widget);
        play->setObjectName("musicplay");
        play->setToolTip("Play selected midi");
        connect(play, &QPushButton::clicked, this, &PropertyPages::musicplayClick);
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
        BuildSkinLists(widget, layout);
    } else {
        layout->addStretch();
    }
    return widget;
}

void PropertyPages::BuildSkinLists(QWidget* widget, QBoxLayout* layout) {
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
    connect(flagApply, &QPushButton::clicked, this, &PropertyPages::skinflagsapplyClick);
    auto* actionApply = new QPushButton("Apply", widget);
    actionApply->setToolTip("Apply action list to all selected skins");
    connect(actionApply, &QPushButton::clicked, this, &PropertyPages::skinactionsapplyClick);
    flagSide->addWidget(flagApply);
    actionSide->addWidget(actionApply);
    lists->addLayout(flagSide, 1);
    lists->addLayout(actionSide, 1);
    layout->addLayout(lists, 1);
}

void PropertyPages::BuildPages() {
    for (int page = 0; page < kPageCount; ++page)
        tabs_->addTab(BuildGridPage(page), PageTitle(page));
    // Until the first refresh.
    filling_ = true;
    grids_[kPageMain]->item(0, 1)->setText("theme1");
    filling_ = false;
}

void PropertyPages::FillGrid(int page, const std::vector<std::string>& values) {
    const bool was = filling_;
    filling_ = true;
    for (size_t r = 0; r < values.size(); ++r)
        grids_[page]->item(static_cast<int>(r), 1)->setText(Q(values[r]));
    filling_ = was;
}

void PropertyPages::FillList(QTableWidget* list, const SkinGrid& grid) {
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

SkinGrid PropertyPages::GridFromList(QTableWidget* list) const {
    SkinGrid grid(static_cast<size_t>(list->columnCount() - 1));
    for (int r = 0; r < list->rowCount(); ++r)
        for (int c = 1; c < list->columnCount(); ++c)
            if (auto* item = list->item(r, c))
                grid.SetCell(static_cast<size_t>(r), static_cast<size_t>(c - 1), B(item->text()));
    return grid;
}

void PropertyPages::FillSkinLists(const TZRC* e) {
    FillList(skinflaglist_, FlagListToGrid(e ? e->entry.flagList : ""));
    FillList(skinactionlist_, EventListToGrid(e ? e->entry.eventList : ""));
}

void PropertyPages::FillPictures(const TZRC* e) {
    const QColor background = form_.palette().window().color();
    const bool main = e && e->kind() == KlbKind::Main;
    mainPicture_->setPixmap(main ? EntryPixmap(*e, EntryPart::Image, background) : QPixmap());
    maskPicture_->setPixmap(main ? EntryPixmap(*e, EntryPart::Mask, background) : QPixmap());
    const bool detail = e && e->kind() == KlbKind::Detail;
    sbPicture_->setPixmap(detail ? EntryPixmap(*e, EntryPart::Image, background) : QPixmap());
}

void PropertyPages::RefreshResourcePage() {
    const TZRC* e = doc_.SelectedEntry();
    std::optional<int> page = e ? PageOfKind(e->kind()) : std::nullopt;
    const int active = tabs_->currentIndex();
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

void PropertyPages::GridEdited(int page) {
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

void PropertyPages::mainbmpgridSetEditText() {
    GridEdited(kPageMain);
    // An emptied mask cell removed the mask.
    FillPictures(doc_.SelectedEntry());
}

void PropertyPages::sbgridSetEditText() {
    GridEdited(kPageDetail);
}

void PropertyPages::soundgridSetEditText() {
    GridEdited(kPageSound);
}

void PropertyPages::musicgridSetEditText() {
    GridEdited(kPageMusic);
}

void PropertyPages::skingridSetEditText() {
    GridEdited(kPageSkin);
}

void PropertyPages::skinflaglistSetEditText() {
    TZRC* e = doc_.SelectedEntry();
    if (e && !e->IsReference && e->kind() == KlbKind::Skin)
        e->entry.flagList = GridToFlagList(GridFromList(skinflaglist_));
}

void PropertyPages::skinactionlistSetEditText() {
    TZRC* e = doc_.SelectedEntry();
    if (e && !e->IsReference && e->kind() == KlbKind::Skin)
        e->entry.eventList = GridToEventList(GridFromList(skinactionlist_));
}

void PropertyPages::SkinListKey(QTableWidget* list, int key) {
    const int row = list->currentRow();
    if (row < 0)
        return;
    SkinGrid grid = GridFromList(list);
    if (key == Qt::Key_F12)
        grid.InsertRow(static_cast<size_t>(row));
    else
        grid.DeleteRow(static_cast<size_t>(row));
    FillList(list, grid);
    SkinListEdited(list);
}

void PropertyPages::skinflaglistKeyDown(int key) {
    SkinListKey(skinflaglist_, key);
}

void PropertyPages::skinactionlistKeyDown(int key) {
    SkinListKey(skinactionlist_, key);
}

bool PropertyPages::eventFilter(QObject* watched, QEvent* event) {
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
    return QObject::eventFilter(watched, event);
}

void PropertyPages::applyClick() {
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

void PropertyPages::skinflagsapplyClick() {
    ApplyFlagList(doc_, GridToFlagList(GridFromList(skinflaglist_)));
}

void PropertyPages::skinactionsapplyClick() {
    ApplyEventList(doc_, GridToEventList(GridFromList(skinactionlist_)));
}

void PropertyPages::soundplayClick() {
    if (TZRC* e = doc_.SelectedEntry())
        PlaySoundPreview(form_.soundPlayer(), *e, doc_);
}

void PropertyPages::musicplayClick() {
    if (TZRC* e = doc_.SelectedEntry())
        if (form_.musicPreview().Toggle(*e, doc_) == MusicPreview::Outcome::CannotPreview)
            form_.ShowMessage(CannotPreviewMessage(e->entry.fileType));
}

void PropertyPages::mainpagecontrolChange(int) {
    if (filling_)
        return;
    RefreshResourcePage();
}

void PropertyPages::FormResize() {
    for (QTableWidget* grid : grids_)
        if (grid)
            grid->setColumnWidth(1, std::max(0, grid->viewport()->width() - grid->columnWidth(0)));
}

void PropertyPages::ClearPictures() {
    mainPicture_->clear();
    maskPicture_->clear();
    sbPicture_->clear();
}

}  // namespace pk
