#include "room/ui/zrpartylineform.h"

#include <QPushButton>

#include "gfx/qtsurface.h"

namespace pk {

Tzrpartyline* zrpartyline = nullptr;

namespace {

constexpr int kBorder = 3;
constexpr int kRightWidth = 210;
constexpr int kToolbarHeight = 24;
constexpr int kControlsHeight = 112;

}  // namespace

// The panels are made in the order of their controls' tab stops: the tool bar, the chat, the
// statistics, the list and the controls; the statistics panel is made here and then put into
// the chat's splitter, above the chat box.
Tzrpartyline::Tzrpartyline(QWidget* parent) : TZRSkinForm("chat", parent) {
    zrpartyline = this;
    SetNeedPaint(true);
    setFont(QFont(QStringLiteral("Arial"), 8));
    resize(640, 420);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    toolbar_ = new TRoomToolBar(Panel1, *this);
    chat_ = new TRoomChatPanel(Panel1, *this);
    stats_ = new TRoomStatsPanel(this, *this, *toolbar_->showstats(), *toolbar_->statscaption());
    chat_->AddStatsPanel(*stats_);
    containerpanel_ = new QWidget(this);
    containerpanel_->setObjectName(QStringLiteral("containerpanel"));
    containerpanel_->setAutoFillBackground(true);
    list_ = new TRoomPlayerList(containerpanel_, *chat_);
    controls_ = new TRoomGameControls(containerpanel_, *chat_, *list_);
    menu_ = new TModerationMenu(this, *list_, *chat_);
    list_->SetRowMenu(menu_);
    stats_->hide();  // statistics hidden
    LayOut();
    SetRoomView(this);
    SetRoomControls(this);
    ApplyControls(RoomControlsState());
}

Tzrpartyline::~Tzrpartyline() {
    SetRoomView(nullptr);
    SetRoomControls(nullptr);
    if (zrpartyline == this)
        zrpartyline = nullptr;
}

void Tzrpartyline::resizeEvent(QResizeEvent* event) {
    TZRSkinForm::resizeEvent(event);
    ReportErrors("Tzrpartyline.resize", [&] { LayOut(); });
}

void Tzrpartyline::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    // The room page opens with the chat edit ready for typing.
    ReportErrors("Tzrpartyline.FormShow", [&] { chat_->FocusChat(); });
}

void Tzrpartyline::LayOut() {
    const int w = width();
    const int h = height();
    const int right = std::min(kRightWidth, std::max(w / 3, 120));
    const int leftWidth = std::max(w - right - 3 * kBorder, 40);
    Panel1->setGeometry(kBorder, kBorder, leftWidth, std::max(h - 2 * kBorder, 0));
    toolbar_->setGeometry(0, 0, leftWidth, kToolbarHeight);
    // The chat starts below the tool bar; its edit line sits at the form's bottom border.
    const int top = kToolbarHeight + 2;
    const int bottom = std::max(h - 2 * kBorder - TRoomChatPanel::kEditHeight, top + 40);
    chat_->Place(QRect(0, top, leftWidth, bottom + TRoomChatPanel::kEditHeight - top));
    const int x = kBorder * 2 + leftWidth;
    containerpanel_->setGeometry(x, kBorder, right, h - 2 * kBorder);
    // Inside the column's border.
    const int in = kBorder;
    const int inner = right - 2 * in;
    const int listHeight = std::max(containerpanel_->height() - kControlsHeight - 2 * in, 40);
    list_->setGeometry(in, in, inner, listHeight);
    controls_->Place(QRect(in, in + listHeight + kBorder, inner, kControlsHeight - kBorder));
}

void Tzrpartyline::AddChatLine(const std::string& line) {
    chat_->AddChatLine(line);
}

void Tzrpartyline::ClearChat() {
    chat_->ClearChat();
}

void Tzrpartyline::RefreshUserList() {
    list_->RefreshUserList();
}

void Tzrpartyline::RepaintUserList() {
    list_->RepaintUserList();
}

void Tzrpartyline::FlushUserList() {
    list_->FlushUserList();
}

bool Tzrpartyline::TeamUpdateEnabled() const {
    return controls_->updateteam()->isEnabled();
}

void Tzrpartyline::SetTeamUpdateEnabled(bool on) {
    controls_->updateteam()->setEnabled(on);
}

void Tzrpartyline::SetTeamNameText(const std::string& text) {
    controls_->SetTeamNameText(text);
}

void Tzrpartyline::ShowStats(const TStatsPanel& panel, bool open) {
    stats_->ShowStats(panel, open);
}

std::vector<int> Tzrpartyline::StatsWidths() const {
    return stats_->StatsWidths();
}

void Tzrpartyline::SetFontPicker(const FontPicker& p) {
    chat_->fontchangepopup()->SetPicker(p);
    stats_->statschangefontpopup()->SetPicker(p);
}

void Tzrpartyline::ApplyControls(const RoomControlStates& s) {
    controls_->ApplyControls(s);
    toolbar_->SetGameSetCaption(s.gscaption);
}

// The sheet's room tiles: the list's row pictures, and the tool bar's button icons.
void Tzrpartyline::SetIcons(const std::vector<IconTile>& tiles) {
    std::vector<QImage> rowImages;
    for (const IconTile& tile : tiles) {
        if (tile.owner != IconOwner::Room)
            continue;
        QImage image = ToQImage(tile.picture).convertToFormat(QImage::Format_ARGB32);
        const QRgb clear = QColor::fromRgb(Argb(tile.transparent)).rgb();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (clear & 0xFFFFFF))
                    image.setPixel(x, y, 0);
        if (tile.listImage)
            rowImages.push_back(image);
        else
            toolbar_->SetIcon(tile.target, QIcon(QPixmap::fromImage(image)));
    }
    list_->SetRowImages(std::move(rowImages));
    RepaintUserList();
}

void Tzrpartyline::SetConfig(const RoomWindowConfig& c) {
    chat_->SetConfig(c);
    stats_->SetConfig(c);
}

void Tzrpartyline::GetConfig(RoomWindowConfig& c) {
    stats_->GetConfig(c);
    chat_->GetConfig(c);
}

}  // namespace pk
