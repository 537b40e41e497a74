#include "update/ui/zrupdateform.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/zrlog.h"
#include "platform/cp1252.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tupdate* update = nullptr;

namespace {

constexpr int kWidth = 420;
constexpr int kDownloadHeight = 155;
constexpr int kNotesHeight = 412;

}  // namespace

TUpdateNotes::TUpdateNotes(QWidget* parent) : TZRTxtbox(parent) {
    setObjectName("notes");
}

void TUpdateNotes::Clear() {
    TZRTxtbox::Clear();
}

void TUpdateNotes::AddLine(const std::string& line) {
    TZRTxtbox::AddLine(line);
}

void TUpdateNotes::ScrollToLine(int line) {
    TZRTxtbox::ScrollToLine(line);
}

Tupdate::Tupdate(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    FollowDialogPalette(*this);
    setObjectName("update");
    setWindowTitle("Pelkorin Update");
    auto* layout = new QVBoxLayout(this);

    totalbox_ = new QGroupBox("Total Progress", this);
    totalbox_->setObjectName("totalbox");
    auto* totalLayout = new QVBoxLayout(totalbox_);
    status_ = new QLabel("Downloading patch file...", totalbox_);
    status_->setObjectName("status");
    totalprogress_ = new QProgressBar(totalbox_);
    totalprogress_->setObjectName("totalprogress");
    totalprogress_->setTextVisible(false);
    auto* counts = new QHBoxLayout;
    recbytes_ = new QLabel(totalbox_);
    recbytes_->setObjectName("recbytes");
    totaltimeleft_ = new QLabel(totalbox_);
    totaltimeleft_->setObjectName("totaltimeleft");
    totaltimeleft_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counts->addWidget(recbytes_, 1);
    counts->addWidget(totaltimeleft_, 1);
    totalLayout->addWidget(status_);
    totalLayout->addWidget(totalprogress_);
    totalLayout->addLayout(counts);
    layout->addWidget(totalbox_);

    messagebox_ = new QGroupBox("Message", this);
    messagebox_->setObjectName("messagebox");
    auto* messageLayout = new QVBoxLayout(messagebox_);
    notes_ = new TUpdateNotes(messagebox_);
    messageLayout->addWidget(notes_);
    layout->addWidget(messagebox_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancelupdate_ = new QPushButton("Cancel Update", this);
    cancelupdate_->setObjectName("cancelupdate");
    finishupdate_ = new QPushButton("Finish", this);
    finishupdate_->setObjectName("finishupdate");
    buttons->addWidget(cancelupdate_);
    buttons->addWidget(finishupdate_);
    layout->addLayout(buttons);

    connect(cancelupdate_, &QPushButton::clicked, this, [this] { cancelupdateClick(); });
    connect(finishupdate_, &QPushButton::clicked, this, [this] { finishupdateClick(); });
    Arrange(true);
}

Tupdate::~Tupdate() {
    if (UpdateViewPtr() == this) {
        SetUpdateView(nullptr);
    }
    if (pk::update == this) {
        pk::update = nullptr;
    }
}

void Tupdate::Arrange(bool download) {
    totalbox_->setVisible(download);
    cancelupdate_->setVisible(download);
    messagebox_->setVisible(!download);
    finishupdate_->setVisible(!download);
    if (!download) {
        status_->clear();
        totaltimeleft_->clear();
        totalprogress_->setValue(0);
    }
    setFixedSize(kWidth, download ? kDownloadHeight : kNotesHeight);
}

void Tupdate::SetStatus(const std::string& text) {
    status_->setText(Cp1252ToQString(text));
}

void Tupdate::SetProgressMaximum(int maximum) {
    totalprogress_->setMaximum(maximum > 0 ? maximum : 0);
}

void Tupdate::SetProgress(int position) {
    if (position > totalprogress_->maximum()) {
        position = totalprogress_->maximum();
    }
    totalprogress_->setValue(position < 0 ? 0 : position);
}

void Tupdate::SetTimeLeft(const std::string& text) {
    totaltimeleft_->setText(Cp1252ToQString(text));
}

void Tupdate::SetReceivedBytes(const std::string& text) {
    recbytes_->setText(Cp1252ToQString(text));
}

UpdateNotesView& Tupdate::Notes() {
    return *notes_;
}

bool Tupdate::IsShown() const {
    return isVisible();
}

void Tupdate::ShowCentred(bool modal) {
    setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    if (!modal) {
        notes_->setFocus();
        finishupdate_->setFocus();
    }
}

void Tupdate::CloseDialog() {
    hide();
}

void Tupdate::Repaint() {
    repaint();
}

std::string TupdateHost::MainWindowId() {
    return mainWindow_ ? std::to_string(static_cast<unsigned long long>(mainWindow_->winId()))
                       : std::string("0");
}

void Tupdate::cancelupdateClick() {
    LogAndGoOn("cancelupdateClick", [] { UpdateClose(); });
}

void Tupdate::finishupdateClick() {
    LogAndGoOn("finishupdateClick", [] { UpdateClose(); });
}

void Tupdate::reject() {
    LogAndGoOn("UpdateClose", [] { UpdateClose(); });
    hide();
}

}  // namespace pk
