#include "shell/ui/zrthemepage.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/zrlog.h"
#include "display/zrfieldbitmaps.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"
#include "shell/zraudiohooks.h"
#include "shell/zrconfig.h"
#include "shell/zrskinhooks.h"
#include "shell/zrthemesel.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"

namespace pk {

Tzrstheme* zrstheme = nullptr;

namespace {

constexpr int ContentLeft = 16;
constexpr int ContentTop = 52;
constexpr int ButtonSide = 21;
constexpr int ButtonGap = 2;
constexpr int WatchInterval = 2000;
// What the splitters keep of each side, so a stored size never hides a part.
constexpr int MinCollectionWidth = 80;
constexpr int MinPreviewHeight = 60;
constexpr int MinRightWidth = 240;
constexpr int MinMusicHeight = 150;
constexpr int LibraryRole = Qt::UserRole;
constexpr int ThemeRole = Qt::UserRole + 1;

// Gives an image control a copy of a bitmap as its picture; no bitmap (or an empty one)
// clears the picture.
void CopyGraphic(const Surface16* source, QLabel& target) {
    if (source == nullptr || source->empty())
        target.setPixmap(QPixmap());
    else
        target.setPixmap(QPixmap::fromImage(ToQImage(*source)));
}

// The tree's images, drawn here: 0 a theme library (a box of tiles), 1 a theme in it (a
// framed picture of four blocks).
QIcon TreeImage(int index) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor outline(40, 44, 60);
    if (index == 0) {
        p.setPen(outline);
        p.setBrush(QColor(214, 168, 82));
        p.drawRect(1, 4, 13, 10);  // the box
        p.setBrush(QColor(236, 198, 120));
        p.drawRect(1, 2, 6, 2);  // its tab
        p.setPen(Qt::NoPen);
        const QColor tiles[] = {{86, 140, 230}, {220, 80, 80}, {90, 190, 110}};
        for (int i = 0; i < 3; ++i) p.fillRect(3 + 4 * i, 8, 3, 3, tiles[i]);
    } else {
        p.setPen(outline);
        p.setBrush(QColor(24, 28, 44));
        p.drawRect(1, 1, 13, 13);  // the frame
        const QColor blocks[] = {{86, 140, 230}, {230, 200, 70}, {220, 80, 80}, {90, 190, 110}};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) p.fillRect(3 + 5 * (i % 2), 3 + 5 * (i / 2), 5, 5, blocks[i]);
    }
    return QIcon(picture);
}

void Place(QWidget* w, const PixelRect& r) {
    w->setGeometry(r.left, r.top, r.width, r.height);
}

// A panel holding one stretched picture with a one-pixel frame.
QLabel* FramedImage(QWidget* panel, QLabel* image) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(1, 1, 1, 1);
    image->setScaledContents(true);
    image->setMinimumSize(1, 1);
    layout->addWidget(image);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, Qt::black);
    panel->setPalette(p);
    return image;
}

}  // namespace

PreviewImage::PreviewImage(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
}

void PreviewImage::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (OnMove) {
        const QPoint at = event->position().toPoint();
        ReportErrors("preview mouse move", [&] { OnMove(at.x(), at.y()); });
    }
}

Tzrstheme::Tzrstheme(QWidget* parent)
    : TZRSkinForm("settheme", parent), random_(TRandomGen::FromTimeOfDay()) {
    SetNeedPaint(true);
    if (!zrstheme)
        zrstheme = this;
    BuildControls();
    checkthemechange = new QTimer(this);
    checkthemechange->setObjectName("checkthemechange");
    checkthemechange->setInterval(WatchInterval);
    QObject::connect(checkthemechange, &QTimer::timeout, [this] {
        ReportErrors("checkthemechangeTimer", [this] { checkthemechangeTimer(); });
    });
    checkthemechange->start();
}

Tzrstheme::~Tzrstheme() {
    if (zrstheme == this)
        zrstheme = nullptr;
}

void Tzrstheme::BuildControls() {
    columns_ = new QSplitter(Qt::Horizontal, this);
    columns_->setChildrenCollapsible(false);

    collectionpanel = new QWidget(columns_);
    collectionpanel->setObjectName("collectionpanel");
    collectionpanel->setMinimumWidth(MinCollectionWidth);
    auto* collection = new QVBoxLayout(collectionpanel);
    collection->setContentsMargins(0, 0, 4, 0);
    auto* treeLabel = new QLabel("Theme Collection:", collectionpanel);
    texts_.push_back(treeLabel);
    collection->addWidget(treeLabel);
    themetree = new QTreeWidget(collectionpanel);
    themetree->setObjectName("themetree");
    themetree->setHeaderHidden(true);
    themetree->setColumnCount(1);
    themetree->setIconSize(QSize(16, 16));
    themetreeimages_ = {TreeImage(0), TreeImage(1)};
    collection->addWidget(themetree);
    QObject::connect(themetree, &QTreeWidget::currentItemChanged,
                     [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
                         ReportErrors("themetreeChange", [&] { themetreeChange(item); });
                     });

    rightSide_ = new QSplitter(Qt::Vertical, columns_);
    rightSide_->setChildrenCollapsible(false);
    rightSide_->setMinimumWidth(MinRightWidth);

    previewpanel = new QWidget(rightSide_);
    previewpanel->setObjectName("previewpanel");
    previewpanel->setMinimumHeight(MinPreviewHeight);
    previewpanel->installEventFilter(this);
    infopanel_ = new QWidget(previewpanel);
    infopanel_->setObjectName("infopanel");
    auto* info = new QVBoxLayout(infopanel_);
    info->setContentsMargins(0, 0, 0, 0);
    themeinfo = new QLabel(infopanel_);
    themeinfo->setObjectName("themeinfo");
    themeinfo->setWordWrap(true);
    themeinfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    texts_.push_back(themeinfo);
    info->addWidget(themeinfo);
    Label4 = new QLabel("Theme Preview:", previewpanel);
    Label4->setObjectName("Label4");
    texts_.push_back(Label4);
    sbpanel_ = new QWidget(previewpanel);
    sbpanel_->setObjectName("sbpanel");
    sbimage = FramedImage(sbpanel_, new QLabel(sbpanel_));
    sbimage->setObjectName("sbimage");
    largepanel_ = new QWidget(previewpanel);
    largepanel_->setObjectName("largepanel");
    largeimage = new PreviewImage(largepanel_);
    largeimage->setObjectName("largeimage");
    FramedImage(largepanel_, largeimage);
    largeimage->OnMove = [this](int x, int y) { largeimageMouseMove(x, y); };
    smallpanel_ = new QWidget(previewpanel);
    smallpanel_->setObjectName("smallpanel");
    smallimage = new PreviewImage(smallpanel_);
    smallimage->setObjectName("smallimage");
    FramedImage(smallpanel_, smallimage);
    smallimage->OnMove = [this](int x, int y) { smallimageMouseMove(x, y); };
    // The panels overlap by half a block, each to the left of the one before: the large
    // picture lies over the small one and the special tile over the large one, whole.
    largepanel_->raise();
    sbpanel_->raise();

    auto* musicpanel = new QWidget(rightSide_);
    musicpanel->setObjectName("musicpanel");
    musicpanel->setMinimumHeight(MinMusicHeight);
    auto* music = new QVBoxLayout(musicpanel);
    music->setContentsMargins(0, 6, 0, 0);
    auto* external = new QLabel("Use external music file:", musicpanel);
    texts_.push_back(external);
    music->addWidget(external);
    exmusicpanel_ = new QWidget(musicpanel);
    exmusicpanel_->setObjectName("exmusicpanel");
    exmusicpanel_->setFixedHeight(ButtonSide);
    exmusicpanel_->installEventFilter(this);
    musiceb = new QLineEdit(exmusicpanel_);
    musiceb->setObjectName("musiceb");
    musiceb->setReadOnly(true);
    pickmidi = new QToolButton(exmusicpanel_);
    pickmidi->setObjectName("pickmidi");
    pickmidi->setText("...");
    QObject::connect(pickmidi, &QToolButton::clicked,
                     [this] { ReportErrors("pickmidiClick", [this] { pickmidiClick(); }); });
    playmidi = new QToolButton(exmusicpanel_);
    playmidi->setObjectName("playmidi");
    QObject::connect(playmidi, &QToolButton::clicked,
                     [this] { ReportErrors("playmidiClick", [this] { playmidiClick(); }); });
    music->addWidget(exmusicpanel_);
    auto* included = new QLabel("OR use included music file:", musicpanel);
    texts_.push_back(included);
    music->addWidget(included);
    musiclb = new QListWidget(musicpanel);
    musiclb->setObjectName("musiclb");
    music->addWidget(musiclb, 1);
    QObject::connect(musiclb, &QListWidget::itemClicked, [this](QListWidgetItem* item) {
        ReportErrors("musiclbClick", [&] { musiclbClick(musiclb->row(item)); });
    });
    loopmusiccb = new QCheckBox("Loop all", musicpanel);
    loopmusiccb->setObjectName("loopmusiccb");
    texts_.push_back(loopmusiccb);
    music->addWidget(loopmusiccb, 0, Qt::AlignRight);
    QObject::connect(loopmusiccb, &QCheckBox::toggled, [this](bool on) {
        ReportErrors("loopmusiccbClick", [&] { loopmusiccbClick(on); });
    });

    // The sizes the player drags are kept for the configuration.
    QObject::connect(columns_, &QSplitter::splitterMoved, [this](int, int) {
        const QList<int> sizes = columns_->sizes();
        if (!sizes.isEmpty())
            Config.tcolwidth = sizes.front();
    });
    QObject::connect(rightSide_, &QSplitter::splitterMoved, [this](int, int) {
        const QList<int> sizes = rightSide_->sizes();
        if (!sizes.isEmpty())
            Config.tpreviewheight = sizes.front();
    });
    ShowPlayState();
}

void Tzrstheme::ApplySizesFromConfig() {
    // What the splitters share out, their handles left aside.
    const int width =
        std::max(columns_->width() - columns_->handleWidth(), MinCollectionWidth + MinRightWidth);
    const int height = std::max(rightSide_->height() - rightSide_->handleWidth(),
                                MinPreviewHeight + MinMusicHeight);
    const int column = std::clamp(Config.tcolwidth, MinCollectionWidth, width - MinRightWidth);
    const int preview =
        std::clamp(Config.tpreviewheight, MinPreviewHeight, height - MinMusicHeight);
    columns_->setSizes({column, width - column});
    rightSide_->setSizes({preview, height - preview});
}

void Tzrstheme::resizeEvent(QResizeEvent* event) {
    TZRSkinForm::resizeEvent(event);
    ReportErrors("settheme FormResize", [this] {
        columns_->setGeometry(ContentLeft, ContentTop, std::max(0, width() - 2 * ContentLeft),
                              std::max(0, height() - ContentTop - ContentLeft));
        ApplySizesFromConfig();
    });
}

bool Tzrstheme::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == previewpanel)
            ReportErrors("previewpanelResize", [this] { previewpanelResize(); });
        else if (watched == exmusicpanel_)
            ReportErrors("exmusicpanelResize", [this] { exmusicpanelResize(); });
    }
    return TZRSkinForm::eventFilter(watched, event);
}

void Tzrstheme::previewpanelResize() {
    LayoutPreviewPanels();
    // Pictures drawn at one size are drawn afresh for another.
    if (preview_.built && previewSize_ != previewpanel->size())
        UpdateThemePreview();
}

// The texts are laid out with the tile they make room for: a tile of another size (a theme
// without special blocks shows a larger empty one) would otherwise lie over them.
void Tzrstheme::LayoutPreviewPanels() {
    const int side = preview_.built ? preview_.specialPicture.width() : PreviewSpecialSide;
    const ThemePreviewLayout l =
        LayoutThemePreview(previewpanel->width(), previewpanel->height(), side);
    Place(smallpanel_, l.small);
    Place(largepanel_, l.large);
    Place(sbpanel_, l.special);
    infopanel_->setGeometry(0, 0, l.infoWidth, std::max(0, previewpanel->height() - 4));
    // Beside a narrow special tile the caption would run under the large picture: it then ends
    // where the picture begins.
    Label4->adjustSize();
    const int left = std::max(0, std::min(l.labelLeft, l.large.left - Label4->width() - 4));
    // A tall tile (the empty one of a theme without special blocks) reaches below the middle
    // of the large picture: the caption then starts under the tile.
    int top = l.labelTop;
    if (left < l.special.left + l.special.width && left + Label4->width() > l.special.left)
        top = std::max(top, l.special.top + l.special.height + 2);
    Label4->move(left, top);
}

void Tzrstheme::exmusicpanelResize() {
    const int w = exmusicpanel_->width();
    const int edit = std::max(0, w - 2 * (ButtonSide + ButtonGap));
    musiceb->setGeometry(0, 0, edit, ButtonSide);
    pickmidi->setGeometry(edit + ButtonGap, 0, ButtonSide, ButtonSide);
    playmidi->setGeometry(edit + 2 * ButtonGap + ButtonSide, 0, ButtonSide, ButtonSide);
}

std::string Tzrstheme::PreviewKey() const {
    std::string key = Settings.theme.libraryFile.string() + '\x01' + Settings.theme.themeId;
    for (const std::string& line : Settings.theme.LibraryList) key += '\x01' + line;
    return key;
}

void Tzrstheme::UpdateThemePreview() {
    if (!pk::UpdateThemePreview(Settings.theme, random_, preview_))
        return;  // no theme: the old pictures stay
    previewFor_ = PreviewKey();
    previewSize_ = previewpanel->size();
    CopyGraphic(&preview_.largePicture, *largeimage);
    CopyGraphic(&preview_.smallPicture, *smallimage);
    CopyGraphic(&preview_.specialPicture, *sbimage);
    themeinfo->setText(Cp1252ToQString(preview_.info));
    LayoutPreviewPanels();
}

void Tzrstheme::FillThemeTree() {
    const bool filling = filling_;
    filling_ = true;
    themetree->clear();
    const auto& tree = ThemeSelection.Tree;
    for (std::size_t l = 0; l < tree.size(); ++l) {
        auto* root = new QTreeWidgetItem(themetree, {Cp1252ToQString(tree[l].label)});
        root->setIcon(0, themetreeimages_[0]);
        for (std::size_t t = 0; t < tree[l].themes.size(); ++t) {
            auto* node = new QTreeWidgetItem(root, {Cp1252ToQString(tree[l].themes[t].name)});
            node->setIcon(0, themetreeimages_[1]);
            node->setData(0, LibraryRole, static_cast<int>(l));
            node->setData(0, ThemeRole, static_cast<int>(t));
        }
        root->setExpanded(true);
    }
    filling_ = filling;
}

void Tzrstheme::SelectCurrentNode() {
    const bool filling = filling_;
    filling_ = true;
    QTreeWidgetItem* current = nullptr;
    const int library = ThemeSelection.SelectedLibrary;
    const int theme = ThemeSelection.SelectedTheme;
    if (library >= 0 && library < themetree->topLevelItemCount()) {
        QTreeWidgetItem* root = themetree->topLevelItem(library);
        if (theme >= 0 && theme < root->childCount())
            current = root->child(theme);
    }
    themetree->setCurrentItem(current);
    filling_ = filling;
}

void Tzrstheme::FillMusicList() {
    const bool filling = filling_;
    filling_ = true;
    musiclb->clear();
    musiclb->addItem(NoMusicItem);
    for (const TZRC* entry : ThemeSelection.MusicList)
        musiclb->addItem(Cp1252ToQString(entry->name));
    musiclb->setCurrentRow(std::clamp(ThemeSelection.MusicIndex, 0, musiclb->count() - 1));
    musiceb->setText(QString::fromLocal8Bit(ThemeSelection.MusicFileText));
    filling_ = filling;
}

void Tzrstheme::ShowPlayState() {
    const bool playing = ThemeSelection.PlayTag == 1;
    playmidi->setText(playing ? QString::fromUtf8("\u25A0") : QString::fromUtf8("\u25B6"));
    playmidi->setToolTip(playing ? "Stop" : "Play");
    playmidi->setEnabled(ClientState.game.GameRunning == 0);
}

void Tzrstheme::RefreshFromSelection() {
    const bool filling = filling_;
    filling_ = true;
    if (!Settings.theme.libraryFile.empty())
        SelectThemeNode(Settings.theme.libraryFile, Settings.theme.themeId);
    FillThemeTree();
    SelectCurrentNode();
    FillMusicList();
    {
        const QSignalBlocker quiet(loopmusiccb);
        loopmusiccb->setChecked(Settings.options.loopallmusic != 0);
    }
    ShowPlayState();
    filling_ = filling;
    if (PreviewKey() != previewFor_ || !preview_.built) {
        previewpanelResize();
        UpdateThemePreview();
    }
}

void Tzrstheme::themetreeChange(QTreeWidgetItem* item) {
    if (filling_ || ThemeSelection.Updating || !item || !item->data(0, LibraryRole).isValid())
        return;
    const auto library = static_cast<std::size_t>(item->data(0, LibraryRole).toInt());
    const auto theme = static_cast<std::size_t>(item->data(0, ThemeRole).toInt());
    const auto& tree = ThemeSelection.Tree;
    if (library >= tree.size() || theme >= tree[library].themes.size())
        return;
    const tthemenode node = tree[library].themes[theme];
    if (node.libraryFile == Settings.theme.libraryFile && node.themeId == Settings.theme.themeId)
        return;
    SelectTheme(node.libraryFile, node.themeId);
    SelectThemeNode(Settings.theme.libraryFile, Settings.theme.themeId);
    Skins().FireSkinEvent("onloadtheme");
    RefreshFromSelection();
}

void Tzrstheme::musiclbClick(int row) {
    if (filling_ || row < 0)
        return;
    TZRC* entry = nullptr;
    if (row >= 1 && static_cast<std::size_t>(row) <= ThemeSelection.MusicList.size())
        entry = ThemeSelection.MusicList[static_cast<std::size_t>(row - 1)];
    ThemeSetMusic({}, entry, false, true);
    FillMusicList();
    ShowPlayState();
}

void Tzrstheme::pickmidiClick() {
    std::string file;
    if (filePicker_) {
        file = filePicker_();
    } else {
        const QString chosen =
            QFileDialog::getOpenFileName(this, MusicDialogTitle, QString(), MusicDialogFilter);
        file = chosen.toLocal8Bit().toStdString();
    }
    if (file.empty())
        return;
    ThemeSetMusic(file, Settings.theme.selectedMusic, false, true);
    FillMusicList();
    ShowPlayState();
}

void Tzrstheme::playmidiClick() {
    if (ClientState.game.GameRunning)
        return;  // the game plays the theme's music itself
    if (ThemeSelection.PlayTag != 1) {
        Audio().MusicRequest();
        ThemeSelection.PlayTag = 1;
    } else {
        Audio().MusicStopRequest();
        ThemeSelection.PlayTag = 0;
    }
    ShowPlayState();
}

void Tzrstheme::loopmusiccbClick(bool on) {
    Settings.options.loopallmusic = on ? 1 : 0;
    Audio().LoopAllChanged();
}

void Tzrstheme::checkthemechangeTimer() {
    ShowPlayState();
    if (!ThemeSelection.ChangeTimerRunning)
        return;
    const ThemeWatch result = CheckThemeChange();
    if (result == ThemeWatch::Rescanned || result == ThemeWatch::Reloaded)
        RefreshFromSelection();
}

void Tzrstheme::ShowHoveredSpecial(const TFieldString& field, int rows, const QLabel* image, int x,
                                   int y) {
    if (!preview_.built || preview_.specials.empty())
        return;
    const char cell = PreviewCellAt(field, rows, image->width(), image->height(), x, y);
    const Surface16 tile = PreviewSpecialTile(preview_, cell);
    if (!tile.empty())
        CopyGraphic(&tile, *sbimage);
}

void Tzrstheme::largeimageMouseMove(int x, int y) {
    ShowHoveredSpecial(preview_.PreviewLargeField, preview_.largeRows, largeimage, x, y);
}

void Tzrstheme::smallimageMouseMove(int x, int y) {
    ShowHoveredSpecial(preview_.PreviewSmallField, preview_.smallRows, smallimage, x, y);
}

void Tzrstheme::ContainerShown() {
    ApplyTextColour(texts_);
    ApplySizesFromConfig();
    RefreshFromSelection();
}

void Tzrstheme::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    ReportErrors("settheme FormShow", [this] {
        ApplyTextColour(texts_);
        ApplySizesFromConfig();
        RefreshFromSelection();
    });
}

}  // namespace pk
