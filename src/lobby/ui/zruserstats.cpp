#include "lobby/ui/zruserstats.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/ui/zrqtfont.h"
#include "core/zrlog.h"
#include "game/zrgame.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrtablesbox.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbymodel.h"
#include "shell/zrconfig.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tsbuserstats* sbuserstats = nullptr;

namespace {

constexpr std::array<const char*, ProfileFields.size()> kProfileLabels = {
    "First name:", "Last name:", "Gender:", "Age:", "City:", "State:",
    "Country:",    "Other:",     "Yahoo:",  "AIM:", "MSN:",  "ICQ:"};
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 150;
constexpr int kMaxSize = 4000;

}  // namespace

Tsbuserstats::Tsbuserstats(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setObjectName("sbuserstats");
    setWindowTitle("Player Details");
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    layout->addWidget(pages_, 1);

    auto* status = new QWidget(pages_);
    auto* statusLayout = new QGridLayout(status);
    awaylabel_ = new QLabel(status);
    awaylabel_->setObjectName("awaylabel");
    statusLayout->addWidget(awaylabel_, 0, 0, 1, 2);
    awaymemo_ = new QPlainTextEdit(status);
    awaymemo_->setObjectName("awaymemo");
    statusLayout->addWidget(awaymemo_, 1, 0, 1, 2);
    roomlabel_ = new QLabel(status);
    roomlabel_->setObjectName("roomlabel");
    statusLayout->addWidget(roomlabel_, 2, 0);
    joinroom_ = new QPushButton("Join Room", status);
    joinroom_->setObjectName("joinroom");
    statusLayout->addWidget(joinroom_, 2, 1);
    gamelabel_ = new QLabel(status);
    gamelabel_->setObjectName("gamelabel");
    statusLayout->addWidget(gamelabel_, 3, 0);
    joingame_ = new QPushButton("Join Game", status);
    joingame_->setObjectName("joingame");
    statusLayout->addWidget(joingame_, 3, 1);
    gamecreator_ = new QLabel(status);
    gamecreator_->setObjectName("gamecreator");
    statusLayout->addWidget(gamecreator_, 4, 0, 1, 2);
    statusLayout->setColumnStretch(0, 1);
    pages_->addTab(status, "Status");

    auto* profile = new QWidget(pages_);
    auto* profileLayout = new QGridLayout(profile);
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        const int row = static_cast<int>(i);
        profileLayout->addWidget(new QLabel(kProfileLabels[i], profile), row, 0);
        QWidget* field = nullptr;
        if (std::string_view(ProfileFields[i]) == "pother") {
            field = new QPlainTextEdit(profile);
            field->setMaximumHeight(60);
        } else {
            field = new QLineEdit(profile);
        }
        field->setObjectName(ProfileFields[i]);
        profileLayout->addWidget(field, row, 1);
        profile_[i] = field;
    }
    pages_->addTab(profile, "Profile");

    stats_ = new TZRTables(pages_);
    pages_->addTab(stats_, "Stats");

    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    apply_ = new QPushButton("Apply", this);
    apply_->setObjectName("apply");
    cancel_ = new QPushButton("Close", this);
    cancel_->setObjectName("cancel");
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    resize(Config.userstatswidth, Config.userstatsheight);

    connect(joinroom_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("joinroomClick", [this] { joinroomClick(); }); });
    connect(joingame_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("joingameClick", [this] { joingameClick(); }); });
    connect(apply_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("applyClick", [this] { applyClick(); }); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("cancelClick", [this] { cancelClick(); }); });
    stats_->onChanged = [this] { KeepTables(); };
    sbuserstats = this;
}

Tsbuserstats::~Tsbuserstats() {
    if (sbuserstats == this) {
        sbuserstats = nullptr;
    }
}

QWidget* Tsbuserstats::ProfileField(const char* key) const {
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        if (ProfileKey(i) == key) {
            return profile_[i];
        }
    }
    return nullptr;
}

void Tsbuserstats::ShowPlayerDetails(const std::string& payload) {
    TPlayerDetailsReply reply;
    ParsePlayerDetails(payload, reply);
    ShowView(pk::ShowPlayerDetails(reply));
}

bool Tsbuserstats::ShowOwnDetails() {
    TPlayerDetailsView view;
    if (!pk::ShowOwnDetails(view)) {
        return false;
    }
    ShowView(view);
    return true;
}

void Tsbuserstats::ShowPlayerStats(const std::string& payload) {
    if (!isVisible()) {
        ShowView(TPlayerDetailsView{});
    }
    ApplyStoredPlace();
    stats_->ShowPlayerStats(payload);
    KeepTables();
}

void Tsbuserstats::ShowView(const TPlayerDetailsView& view) {
    result_ = 2;
    own_ = view.own;
    setWindowTitle(DialogText(view.caption.empty() ? "Player Details" : view.caption));
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        const QString text = DialogText(view.profile[i]);
        if (auto* edit = qobject_cast<QLineEdit*>(profile_[i])) {
            edit->setText(text);
            edit->setReadOnly(!own_);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(profile_[i])) {
            memo->setPlainText(text);
            memo->setReadOnly(!own_);
        }
    }
    awaymemo_->setPlainText(DialogText(view.awayMessage));
    awaymemo_->setReadOnly(!own_);
    if (view.awayLabel) {
        awaylabel_->setText(DialogText(*view.awayLabel));
    }
    roomlabel_->setText(DialogText(view.roomLabel));
    joinroom_->setVisible(view.joinRoomVisible);
    gamelabel_->setText(DialogText(view.gameLabel));
    gamecreator_->setText(DialogText(view.gameCreator));
    joingame_->setVisible(view.joinGameVisible);
    apply_->setVisible(own_);
    cancel_->setText(own_ ? "Cancel" : "Close");
    if (!isVisible()) {
        ApplyStoredPlace();
        stats_->Clear();
    }
    Present();
}

void Tsbuserstats::Present() {
    open_ = true;
    show();
    raise();
}

void Tsbuserstats::ApplyStoredPlace() {
    if (placed_) {
        return;
    }
    placed_ = true;
    setGeometry(Config.userstatsx, Config.userstatsy,
                std::clamp(Config.userstatswidth, kMinWidth, kMaxSize),
                std::clamp(Config.userstatsheight, kMinHeight, kMaxSize));
    stats_->LoadColumnWidths(Config.pstatsw);
    stats_->setFont(FontFromSpec(Config.fpstats));
}

void Tsbuserstats::KeepPlace() {
    if (!placed_ || !isVisible()) {
        return;
    }
    const QRect place = geometry();
    Config.userstatsx = place.x();
    Config.userstatsy = place.y();
    Config.userstatswidth = place.width();
    Config.userstatsheight = place.height();
}

void Tsbuserstats::KeepTables() {
    if (!placed_) {
        return;
    }
    Config.pstatsw = stats_->SaveColumnWidths();
    Config.fpstats = SpecFromFont(stats_->font(), Config.fpstats.color);
}

void Tsbuserstats::joinroomClick() {
    JoinDetailsRoom([](std::string& key) { return LobbyShell().QueryRoomKey(key); });
}

void Tsbuserstats::joingameClick() {
    // Looked up by id: the game may have ended while the dialog was open.
    const std::int32_t gameId = ClientState.lobby.ShownGameId;
    if (gameId == 0 || !FindGame(gameId)) {
        return;
    }
    close();
    RequestJoinGame(gameId);
}

void Tsbuserstats::applyClick() {
    result_ = 1;
    close();
}

void Tsbuserstats::cancelClick() {
    result_ = 2;
    close();
}

TProfile Tsbuserstats::ProfileFromFields() const {
    TProfile profile;
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        if (const auto* edit = qobject_cast<const QLineEdit*>(profile_[i])) {
            profile[i] = DialogBytes(edit->text());
        } else if (const auto* memo = qobject_cast<const QPlainTextEdit*>(profile_[i])) {
            profile[i] = DialogBytes(memo->toPlainText());
        }
    }
    return profile;
}

void Tsbuserstats::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    LogAndGoOn("FormClose", [this] { FormClose(); });
}

void Tsbuserstats::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    KeepPlace();
}

void Tsbuserstats::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    KeepPlace();
}

void Tsbuserstats::FormClose() {
    if (!open_) {
        return;
    }
    open_ = false;
    KeepTables();
    ClosePlayerDetails(own_, result_ == 1, ProfileFromFields(),
                       DialogBytes(awaymemo_->toPlainText()));
}

}  // namespace pk
