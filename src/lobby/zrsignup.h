#pragma once
// The new-account sign-up form without its window: the fields as typed, the checks in their
// order with their messages, the data the new-account request carries, and the click that
// starts the connection. The window (lobby/ui) only copies its controls in and out.
#include <string>
#include <vector>

namespace pk {

struct TSignUpForm {
    std::string accountName;
    std::string password;
    std::string passwordConfirm;
    std::string email;
    std::string firstName;
    std::string lastName;
    std::string gender;
    std::string dobMonth;
    std::string dobDay;
    std::string dobYear;
    std::string city;
    int state = 0;  // indexes into SignUpStates() etc.; 0 is "(Change)", nothing chosen
    int country = 0;
    int language = 0;
    std::string homepage;
};

// The drop-down lists: "(Change)" first; "Other" last in the states and the countries.
const std::vector<std::string>& SignUpStates();
const std::vector<std::string>& SignUpCountries();
const std::vector<std::string>& SignUpLanguages();

// The first failing check's message, or empty when the form passes. A password mismatch
// also empties both password fields.
std::string CheckSignUpForm(TSignUpForm& form);

// The request's lines ("name=", "pass=", ... "page="), each ending in CR LF. Fields that are
// taken without a check lose their control bytes, so no line can be added through them.
std::string SignUpData(const TSignUpForm& form);

extern const char* const SignUpEmailWarning;

// "Create Account": the checks (a failure is shown and the form stays open), the e-mail
// warning (Cancel keeps the form open), then the data is stored and the lobby connects in
// its new-account mode. True when the form closes.
bool SignUpCreateAccount(TSignUpForm& form);

// Every field emptied and the lists back to "(Change)".
void ClearSignUpFields(TSignUpForm& form);

}  // namespace pk
