#include "lobby/ui/zrsignupform.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/zrlog.h"
#include "platform/cp1252.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tzrsignup* zrsignup = nullptr;

namespace {

const char* const kEdits[] = {"accountname", "accountpass", "accountpasscon", "emailaddr",
                              "fname",       "lname",       "gender",         "dobmonth",
                              "dobday",      "dobyear",     "city",           "homepage"};

QString Q(const std::string& text) {
    return Cp1252ToQString(text);
}

}  // namespace

Tzrsignup::Tzrsignup(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    zrsignup = this;
    setObjectName(QStringLiteral("zrsignup"));
    setWindowTitle(QStringLiteral("New user sign-up!"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    const auto edit = [&](const char* name, const char* label) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        form->addRow(QString::fromLatin1(label), e);
        return e;
    };
    const auto list = [&](const char* name, const char* label,
                          const std::vector<std::string>& items) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        for (const std::string& item : items) {
            c->addItem(Q(item));
        }
        form->addRow(QString::fromLatin1(label), c);
    };
    edit("accountname", "Account name:");
    edit("accountpass", "Password:")->setEchoMode(QLineEdit::Password);
    edit("accountpasscon", "Confirm password:")->setEchoMode(QLineEdit::Password);
    edit("emailaddr", "E-mail address:");
    edit("fname", "First name:");
    edit("lname", "Last name:");
    edit("gender", "Gender:");
    auto* dob = new QHBoxLayout();
    for (const char* name : {"dobmonth", "dobday", "dobyear"}) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setPlaceholderText(QString::fromLatin1(name + 3));
        dob->addWidget(e);
    }
    form->addRow(QStringLiteral("Birth date (month, day, year):"), dob);
    edit("city", "City:");
    list("state", "State:", SignUpStates());
    list("country", "Country:", SignUpCountries());
    list("lang", "Language:", SignUpLanguages());
    edit("homepage", "Home page:");
    column->addLayout(form);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    auto* create = new QPushButton(QStringLiteral("Create Account"), this);
    create->setObjectName(QStringLiteral("createaccount"));
    create->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(create);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    connect(create, &QPushButton::clicked, this, [this] {
        ReportErrors("Tzrsignup.createaccountClick", [&] { createaccountClick(); });
    });
    connect(cancel, &QPushButton::clicked, this, [this] { cancelClick(); });
}

Tzrsignup::~Tzrsignup() {
    if (zrsignup == this) {
        zrsignup = nullptr;
    }
}

QLineEdit* Tzrsignup::Edit(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

QComboBox* Tzrsignup::List(const char* name) const {
    return findChild<QComboBox*>(QString::fromLatin1(name));
}

TSignUpForm Tzrsignup::ReadForm() const {
    const auto text = [this](const char* name) { return QStringToCp1252(Edit(name)->text()); };
    TSignUpForm f;
    f.accountName = text("accountname");
    f.password = text("accountpass");
    f.passwordConfirm = text("accountpasscon");
    f.email = text("emailaddr");
    f.firstName = text("fname");
    f.lastName = text("lname");
    f.gender = text("gender");
    f.dobMonth = text("dobmonth");
    f.dobDay = text("dobday");
    f.dobYear = text("dobyear");
    f.city = text("city");
    f.state = std::max(List("state")->currentIndex(), 0);
    f.country = std::max(List("country")->currentIndex(), 0);
    f.language = std::max(List("lang")->currentIndex(), 0);
    f.homepage = text("homepage");
    return f;
}

void Tzrsignup::WriteForm(const TSignUpForm& f) {
    const auto set = [this](const char* name, const std::string& value) {
        Edit(name)->setText(Q(value));
    };
    set("accountname", f.accountName);
    set("accountpass", f.password);
    set("accountpasscon", f.passwordConfirm);
    set("emailaddr", f.email);
    set("fname", f.firstName);
    set("lname", f.lastName);
    set("gender", f.gender);
    set("dobmonth", f.dobMonth);
    set("dobday", f.dobDay);
    set("dobyear", f.dobYear);
    set("city", f.city);
    List("state")->setCurrentIndex(f.state);
    List("country")->setCurrentIndex(f.country);
    List("lang")->setCurrentIndex(f.language);
    set("homepage", f.homepage);
}

void Tzrsignup::createaccountClick() {
    TSignUpForm form = ReadForm();
    const bool done = SignUpCreateAccount(form);
    // A password mismatch empties both password fields.
    Edit("accountpass")->setText(Q(form.password));
    Edit("accountpasscon")->setText(Q(form.passwordConfirm));
    if (done) {
        accept();
    }
}

void Tzrsignup::cancelClick() {
    reject();
}

void Tzrsignup::ClearSignupForm() {
    for (const char* name : kEdits) {
        Edit(name)->clear();
    }
    for (const char* name : {"state", "country", "lang"}) {
        List(name)->setCurrentIndex(0);
    }
}

}  // namespace pk
