#include "lobby/ui/zrdbmanage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/zrlog.h"
#include "lobby/ui/zrdialogs.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tdbmanage* dbmanage = nullptr;

namespace {

constexpr int kTabHeight = 18;
constexpr int kRowHeight = 18;
constexpr int kColumnWidth = 70;

QPushButton* AddButton(QWidget* page, const char* name, const char* caption, int row) {
    auto* button = new QPushButton(caption, page);
    button->setObjectName(name);
    static_cast<QGridLayout*>(page->layout())->addWidget(button, row, 1, Qt::AlignLeft);
    return button;
}

}  // namespace

Tdbmanage::Tdbmanage(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setObjectName("dbmanage");
    setWindowTitle("User Database Management");
    auto* layout = new QVBoxLayout(this);

    panel6_ = new QWidget(this);
    panel6_->setObjectName("Panel6");
    auto* top = new QVBoxLayout(panel6_);
    top->setContentsMargins(0, 0, 0, 0);
    auto* query = new QGroupBox("Query (Be EXTREMELY careful with this!)", panel6_);
    auto* queryLayout = new QVBoxLayout(query);
    panel4_ = new QWidget(query);
    panel4_->setObjectName("Panel4");
    statement_ = new QComboBox(panel4_);
    statement_->setObjectName("statement");
    statement_->setEditable(true);
    statement_->setInsertPolicy(QComboBox::NoInsert);
    statement_->installEventFilter(this);
    statement_->lineEdit()->installEventFilter(this);
    panel4_->setFixedHeight(statement_->sizeHint().height());
    panel4_->installEventFilter(this);
    panel6_->installEventFilter(this);
    queryLayout->addWidget(panel4_);
    top->addWidget(query);
    layout->addWidget(panel6_);

    querytabs_ = new QTabBar(this);
    querytabs_->setObjectName("querytabs");
    querytabs_->setFixedHeight(kTabHeight + 4);
    querytabs_->setExpanding(false);
    querytabs_->installEventFilter(this);
    layout->addWidget(querytabs_);
    forquery_ = new QLabel("For query:", this);
    forquery_->setObjectName("forquery");
    layout->addWidget(forquery_);
    error_ = new QLabel(this);
    error_->setObjectName("error");
    // Red through the palette's text colour alone: a style sheet would give the label the
    // platform's palette back, whatever the dialog's.
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    error_->setPalette(red);
    error_->hide();
    layout->addWidget(error_);
    grid_ = new QTableWidget(this);
    grid_->setObjectName("grid");
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    layout->addWidget(grid_, 1);

    functions_ = new QTabWidget(this);
    functions_->setObjectName("functions");
    functions_->setToolTip("Database Functions");
    auto page = [this](const char* title) {
        auto* widget = new QWidget(functions_);
        widget->setLayout(new QGridLayout());
        functions_->addTab(widget, title);
        return widget;
    };
    QWidget* list = page("List users");
    AddField(list, "lucol", "Columns:", 0);
    AddField(list, "lukey", "Where:", 1);
    AddField(list, "luvalue", "Like:", 2);
    QWidget* change = page("Change field");
    AddField(change, "cfkey", "Field:", 0);
    AddField(change, "cfname", "User:", 1);
    AddField(change, "cfvalue", "Value:", 2);
    QWidget* remove = page("Delete user");
    AddField(remove, "duname", "User:", 0);
    QWidget* create = page("Create blank user");
    AddField(create, "cbuname", "User:", 0);
    AddField(create, "cbupass", "Password:", 1);
    AddField(create, "cbuemail", "E-mail:", 2);
    QWidget* password = page("Change password");
    AddField(password, "cpuname", "User:", 0);
    AddField(password, "cpupass", "Password:", 1);
    connect(AddButton(list, "lushow", "Show", 3), &QPushButton::clicked, this,
            [this] { LogAndGoOn("lushowClick", [this] { lushowClick(); }); });
    connect(AddButton(change, "cfupdate", "Update", 3), &QPushButton::clicked, this,
            [this] { LogAndGoOn("cfupdateClick", [this] { cfupdateClick(); }); });
    connect(AddButton(remove, "dudelete", "Delete", 1), &QPushButton::clicked, this,
            [this] { LogAndGoOn("dudeleteClick", [this] { dudeleteClick(); }); });
    connect(AddButton(create, "cbucreate", "Create", 3), &QPushButton::clicked, this,
            [this] { LogAndGoOn("cbucreateClick", [this] { cbucreateClick(); }); });
    connect(AddButton(password, "cpupdate", "Update", 2), &QPushButton::clicked, this,
            [this] { LogAndGoOn("cpupdateClick", [this] { cpupdateClick(); }); });
    layout->addWidget(functions_);

    connect(querytabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!filling_) {
            LogAndGoOn("querytabsChange", [&] { querytabsChange(index); });
        }
    });
    resize(560, 480);
    ShowDbResult("");
    dbmanage = this;
}

Tdbmanage::~Tdbmanage() {
    if (dbmanage == this) {
        dbmanage = nullptr;
    }
}

QLineEdit* Tdbmanage::AddField(QWidget* page, const char* name, const char* label, int row) {
    auto* grid = static_cast<QGridLayout*>(page->layout());
    grid->addWidget(new QLabel(label, page), row, 0);
    auto* edit = new QLineEdit(page);
    edit->setObjectName(name);
    grid->addWidget(edit, row, 1);
    return edit;
}

QLineEdit* Tdbmanage::Edit(const char* name) const {
    return functions_->findChild<QLineEdit*>(name);
}

std::string Tdbmanage::Field(const char* name) const {
    const QLineEdit* edit = Edit(name);
    return edit ? DialogBytes(edit->text()) : std::string();
}

void Tdbmanage::ShowConsole() {
    show();
    raise();
}

void Tdbmanage::AddDbResult(const std::string& payload) {
    model_.AddDbResult(payload);
    ShowTabs();
    ShowResult(model_.Current());
    ShowConsole();
}

void Tdbmanage::ShowDbResult(const std::string& payload) {
    ShowResult(pk::ShowDbResult(payload));
}

void Tdbmanage::ShowResult(const TDbResult& result) {
    grid_->clear();
    grid_->setColumnCount(result.columns);
    QStringList headings;
    if (!result.rows.empty()) {
        for (const std::string& cell : result.rows[0]) {
            headings << DialogText(cell);
        }
    }
    grid_->setHorizontalHeaderLabels(headings);
    const int rows = result.rows.empty() ? 1 : static_cast<int>(result.rows.size()) - 1;
    grid_->setRowCount(rows);
    for (int r = 1; r < static_cast<int>(result.rows.size()); ++r) {
        for (int c = 0; c < result.columns; ++c) {
            grid_->setItem(r - 1, c, new QTableWidgetItem(DialogText(result.rows[r][c])));
        }
    }
    forquery_->setText(DialogText(result.forQuery.empty() ? "For query: " : result.forQuery));
    error_->setText(DialogText(result.error));
    error_->setVisible(!result.error.empty());
}

void Tdbmanage::ShowTabs() {
    filling_ = true;
    while (querytabs_->count() > 0) {
        querytabs_->removeTab(0);
    }
    for (const std::string& caption : model_.Captions()) {
        querytabs_->addTab(DialogText(caption));
    }
    querytabs_->setCurrentIndex(model_.Selected());
    filling_ = false;
}

void Tdbmanage::Panel4Resize() {
    statement_->setGeometry(3, 0, std::max(panel4_->width() - 6, 0), panel4_->height());
}

void Tdbmanage::statementKeyPress() {
    edit_.text = DialogBytes(statement_->currentText());
    const std::string typed = edit_.text;
    if (!DbStatementEnter(edit_)) {
        return;
    }
    statement_->addItem(DialogText(typed));
    statement_->setCurrentIndex(-1);
    statement_->setEditText(QString());
}

bool Tdbmanage::statementKeyDown(int qtKey) {
    if (qtKey != Qt::Key_Up && qtKey != Qt::Key_Down) {
        return false;
    }
    DbStatementWalk(edit_, qtKey == Qt::Key_Up);
    statement_->setEditText(DialogText(edit_.text));
    statement_->lineEdit()->end(false);
    return true;
}

void Tdbmanage::querytabsChange(int index) {
    model_.SelectTab(index);
    ShowResult(model_.Current());
}

void Tdbmanage::querytabsMouseDown(Qt::MouseButton button, int y) {
    if (button != Qt::RightButton || y >= kTabHeight || model_.Selected() < 0) {
        return;
    }
    if (model_.RemoveSelectedTab()) {
        ShowTabs();
        ShowResult(model_.Current());
    }
}

bool Tdbmanage::eventFilter(QObject* watched, QEvent* event) {
    bool used = false;
    LogAndGoOn("Tdbmanage events", [&] {
        if ((watched == panel4_ || watched == panel6_) && event->type() == QEvent::Resize) {
            Panel4Resize();
            return;
        }
        if (watched == querytabs_ && event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                querytabsMouseDown(mouse->button(), static_cast<int>(mouse->position().y()));
                used = true;
            }
            return;
        }
        if (event->type() != QEvent::KeyPress ||
            (watched != statement_ && watched != statement_->lineEdit())) {
            return;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            statementKeyPress();
            used = true;  // never the dialog's default button
        } else {
            used = statementKeyDown(key->key());
        }
    });
    return used || QDialog::eventFilter(watched, event);
}

void Tdbmanage::lushowClick() {
    SendUserDbStatement(ListUsersStatement(Field("lucol"), Field("lukey"), Field("luvalue")));
}

void Tdbmanage::cfupdateClick() {
    SendUserDbStatement(ChangeFieldStatement(Field("cfkey"), Field("cfname"), Field("cfvalue")));
}

void Tdbmanage::dudeleteClick() {
    SendUserDbStatement(DeleteUserStatement(Field("duname")));
}

void Tdbmanage::cbucreateClick() {
    SendUserDbStatement(CreateUserStatement(Field("cbuname"), Field("cbupass"), Field("cbuemail")));
}

void Tdbmanage::cpupdateClick() {
    SendUserDbStatement(SetPasswordStatement(Field("cpuname"), Field("cpupass")));
}

}  // namespace pk
