#pragma once
// The sign-up dialog `Tzrsignup` ("New user sign-up!"): the new account's fields and the two
// buttons. The checks, the request's data and the connect are the headless form's
// (lobby/zrsignup.h); the dialog copies its controls in and out.
#include <QDialog>

#include "lobby/zrsignup.h"

class QComboBox;
class QLineEdit;

namespace pk {

class Tzrsignup : public QDialog {
public:
    explicit Tzrsignup(QWidget* parent = nullptr);
    ~Tzrsignup() override;

    // The controls by name ("accountname", ..., "state", "country", "lang").
    QLineEdit* Edit(const char* name) const;
    QComboBox* List(const char* name) const;

    TSignUpForm ReadForm() const;
    void WriteForm(const TSignUpForm& form);

    // "Create Account": the checks, the warning and the connect; closes when it went out.
    void createaccountClick();
    void cancelClick();
    // Every field emptied and the lists back to "(Change)".
    void ClearSignupForm();
};

// The one sign-up dialog, while it exists.
extern Tzrsignup* zrsignup;

}  // namespace pk
