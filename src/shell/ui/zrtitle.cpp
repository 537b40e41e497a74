#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include "core/zrlog.h"
#include "platform/atomicfile.h"
#include "platform/cp1252.h"
#include "shell/ui/zrforms.h"
#include "shell/zrconfig.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"

namespace pk {

Tzrtitle* zrtitle = nullptr;

namespace {

// A message of the day larger than this is not ours.
constexpr std::size_t MaxMotdSize = 256 * 1024;

}  // namespace

void EnterLineEdit::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && OnEnter) {
        event->accept();
        ReportErrors("Enter", [this] { OnEnter(); });
        return;
    }
    QLineEdit::keyPressEvent(event);
}

Tzrtitle::Tzrtitle(QWidget* parent) : TZRSkinForm("login", parent) {
    zrtitle = this;
    accountname_ = new EnterLineEdit(this);
    accountname_->setObjectName("accountname");
    accountname_->setMaxLength(64);
    accountpass_ = new EnterLineEdit(this);
    accountpass_->setObjectName("accountpass");
    accountpass_->setEchoMode(QLineEdit::Password);
    serveraddress_ = new QComboBox(this);
    serveraddress_->setObjectName("serveraddress");
    serveraddress_->setEditable(true);
    serveraddress_->setInsertPolicy(QComboBox::NoInsert);
    serverEdit_ = new EnterLineEdit(serveraddress_);
    serveraddress_->setLineEdit(serverEdit_);
    motdpage_ = new QTextBrowser(this);
    motdpage_->setObjectName("motdpage");
    motdpage_->setOpenLinks(false);
    for (QWidget* w :
         std::initializer_list<QWidget*>{accountname_, accountpass_, serveraddress_, motdpage_})
        w->hide();
    RegisterSkinControl("accountname", accountname_);
    RegisterSkinControl("accountpassword", accountpass_);
    RegisterSkinControl("serveraddress", serveraddress_);
    RegisterSkinControl("motdpage", motdpage_);

    QObject::connect(accountname_, &QLineEdit::textChanged, [this](const QString& text) {
        if (!filling_)
            Config.accountname = QStringToCp1252(text);
    });
    QObject::connect(accountpass_, &QLineEdit::textChanged, [this](const QString& text) {
        if (!filling_)
            Config.accountpass = QStringToCp1252(text);
    });
    QObject::connect(serverEdit_, &QLineEdit::textChanged, [this](const QString& text) {
        if (!filling_)
            Config.serveraddress = QStringToCp1252(text);
    });
    accountpass_->OnEnter = [] { Skins().ExecuteCommand("login"); };
    serverEdit_->OnEnter = [this] { ServerEnter(); };

    serverEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(serverEdit_, &QWidget::customContextMenuRequested, [this](const QPoint& at) {
        ReportErrors("server list menu", [this, at] {
            std::unique_ptr<QMenu> menu(serverEdit_->createStandardContextMenu());
            menu->addSeparator();
            QAction* clear = menu->addAction("Clear server list");
            if (menu->exec(serverEdit_->mapToGlobal(at)) == clear)
                ClearServerList();
        });
    });
}

Tzrtitle::~Tzrtitle() {
    if (zrtitle == this)
        zrtitle = nullptr;
}

void Tzrtitle::FillFromConfig() {
    filling_ = true;
    accountname_->setText(Cp1252ToQString(Config.accountname));
    accountpass_->setText(Cp1252ToQString(Config.accountpass));
    serveraddress_->clear();
    for (const std::string& server : Config.gameservers)
        serveraddress_->addItem(Cp1252ToQString(server));
    serverEdit_->setText(Cp1252ToQString(Config.serveraddress));
    filling_ = false;
}

void Tzrtitle::ServerEnter() {
    Skins().ExecuteCommand("gameconnect");
    // The command puts a new server at the top of the list.
    const QString text = serverEdit_->text();
    filling_ = true;
    serveraddress_->clear();
    for (const std::string& server : Config.gameservers)
        serveraddress_->addItem(Cp1252ToQString(server));
    serverEdit_->setText(text);
    filling_ = false;
}

void Tzrtitle::ClearServerList() {
    Config.gameservers.clear();
    const QString text = serverEdit_->text();
    filling_ = true;
    serveraddress_->clear();
    serverEdit_->setText(text);
    filling_ = false;
}

void Tzrtitle::ApplyMotdColours() {
    // The page keeps its own place in the widget tree, so it takes its element's colours here:
    // the background colour and the parameter "textfg" (black without one).
    const TSkinElementRec* e = FindElementAnywhere("motdpage");
    if (!e)
        return;
    auto colour = [](int32_t c) {
        const auto v = static_cast<uint32_t>(c);
        return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                      static_cast<int>((v >> 16) & 0xFF));
    };
    QPalette palette = motdpage_->palette();
    palette.setColor(QPalette::Base,
                     colour(e->source.backColour >= 0 ? e->source.backColour : kColourWhite));
    palette.setColor(QPalette::Text,
                     colour(ParseColor(GetElementParam(*e, "textfg"), kColourBlack)));
    motdpage_->setPalette(palette);
}

void Tzrtitle::ReloadMotd() {
    // The page is read at once from a local file, so nothing is ever still loading.
    const auto bytes = ReadFileBytes(ProgramFolder / MotdFileName, MaxMotdSize);
    motdpage_->setHtml(bytes ? QString::fromUtf8(bytes->data(), static_cast<int>(bytes->size()))
                             : QString());
}

void Tzrtitle::ContainerShown() {
    if (isVisible())
        FocusLoginEdits();
    else
        focusPending_ = true;
}

void Tzrtitle::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    ReportErrors("login page shown", [this] {
        FillFromConfig();
        ApplyMotdColours();
        ReloadMotd();
        if (focusPending_)
            FocusLoginEdits();
    });
}

void Tzrtitle::FocusLoginEdits() {
    focusPending_ = false;
    // The first login edit that shows; the page itself without one.
    for (QWidget* edit :
         {static_cast<QWidget*>(accountname_), static_cast<QWidget*>(accountpass_)}) {
        if (edit->isVisible() && edit->isEnabled()) {
            edit->setFocus();
            return;
        }
    }
    setFocus();
}

}  // namespace pk
