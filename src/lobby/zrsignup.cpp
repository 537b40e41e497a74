#include "lobby/zrsignup.h"

#include <algorithm>
#include <string_view>

#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylink.h"

namespace pk {

namespace {

const std::string kChange = "(Change)";
const std::string kOther = "Other";

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), '0') + text;
}

std::string NoControls(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out;
}

const std::string& Choice(const std::vector<std::string>& list, int index) {
    static const std::string none;
    return index > 0 && index < static_cast<int>(list.size())
               ? list[static_cast<std::size_t>(index)]
               : none;
}

// A choice box's entries: "(Change)" (nothing chosen) first, then the comma-separated names,
// then "Other" where a place may be missing from the names.
std::vector<std::string> ChoiceList(std::string_view names, bool withOther) {
    std::vector<std::string> list = {kChange};
    while (!names.empty()) {
        const std::size_t comma = std::min(names.find(','), names.size());
        list.emplace_back(names.substr(0, comma));
        names.remove_prefix(std::min(comma + 1, names.size()));
    }
    if (withOther) {
        list.push_back(kOther);
    }
    return list;
}

bool Chosen(const std::vector<std::string>& list, int index) {
    return index > 0 && index < static_cast<int>(list.size());
}

}  // namespace

const char* const SignUpEmailWarning =
    "IMPORTANT: Please make sure you provided a WORKING email address and that it is spelled "
    "correctly.  A verification email will be sent to verify your account.  If you are unable "
    "to receive this, you will NOT be able to login OR create a new account until this account "
    "expires!!!";

const std::vector<std::string>& SignUpStates() {
    static const std::vector<std::string> list = ChoiceList(
        "Alabama,Alaska,Arizona,Arkansas,California,Colorado,Connecticut,Delaware,District of "
        "Columbia,Florida,Georgia,Hawaii,Idaho,Illinois,Indiana,Iowa,Kansas,Kentucky,Louisiana,"
        "Maine,Maryland,Massachusetts,Michigan,Minnesota,Mississippi,Missouri,Montana,Nebraska,"
        "Nevada,New Hampshire,New Jersey,New Mexico,New York,North Carolina,North Dakota,Ohio,"
        "Oklahoma,Oregon,Pennsylvania,Rhode Island,South Carolina,South Dakota,Tennessee,Texas,"
        "Utah,Vermont,Virginia,Washington,West Virginia,Wisconsin,Wyoming",
        true);
    return list;
}

const std::vector<std::string>& SignUpCountries() {
    static const std::vector<std::string> list = ChoiceList(
        "Argentina,Australia,Austria,Belgium,Brazil,Canada,Chile,China,Czech Republic,Denmark,"
        "Egypt,Finland,France,Germany,Greece,Hungary,India,Indonesia,Ireland,Israel,Italy,Japan,"
        "Mexico,Netherlands,New Zealand,Norway,Philippines,Poland,Portugal,Romania,Russia,"
        "Singapore,South Africa,South Korea,Spain,Sweden,Switzerland,Turkey,Ukraine,United "
        "Kingdom,United States",
        true);
    return list;
}

const std::vector<std::string>& SignUpLanguages() {
    static const std::vector<std::string> list = ChoiceList(
        "Chinese,Czech,Danish,Dutch,English,Finnish,French,German,Greek,Hungarian,Italian,"
        "Japanese,Korean,Norwegian,Polish,Portuguese,Romanian,Russian,Spanish,Swedish,Turkish",
        false);
    return list;
}

std::string CheckSignUpForm(TSignUpForm& form) {
    if (!IsValidName(form.accountName)) {
        return "Invalid nickname";
    }
    if (!IsValidText(form.password)) {
        return "Invalid password";
    }
    if (form.passwordConfirm != form.password) {
        form.password.clear();
        form.passwordConfirm.clear();
        return "The passwords entered do not match.  Please type them in again.";
    }
    if (!IsValidText(form.email)) {
        return "Invalid email";
    }
    if (!Chosen(SignUpLanguages(), form.language)) {
        return "Please select your language";
    }
    if (!IsValidText(form.city)) {
        return "Invalid city";
    }
    if (!Chosen(SignUpStates(), form.state)) {
        return "Please select your state";
    }
    if (!Chosen(SignUpCountries(), form.country)) {
        return "Please select your country";
    }
    return {};
}

std::string SignUpData(const TSignUpForm& form) {
    const std::string gender = NoControls(form.gender);
    const std::pair<const char*, std::string> lines[] = {
        {"name=", form.accountName},
        {"pass=", form.password},
        {"email=", form.email},
        {"fname=", NoControls(form.firstName)},
        {"lname=", NoControls(form.lastName)},
        {"gender=", gender.substr(0, 1)},
        {"dob=", PadLeft(NoControls(form.dobYear), 4) + "-" +
                     PadLeft(NoControls(form.dobMonth), 2) + "-" +
                     PadLeft(NoControls(form.dobDay), 2)},
        {"lang=", Choice(SignUpLanguages(), form.language)},
        {"loc=", form.city + ", " + Choice(SignUpStates(), form.state) + ", " +
                     Choice(SignUpCountries(), form.country)},
        {"page=", NoControls(form.homepage)},
    };
    std::string out;
    for (const auto& [key, value] : lines) {
        out += key + value + "\r\n";
    }
    return out;
}

bool SignUpCreateAccount(TSignUpForm& form) {
    LobbyHost& host = LobbyShell();
    const std::string refusal = CheckSignUpForm(form);
    if (!refusal.empty()) {
        host.ShowMessage(refusal);
        return false;
    }
    if (!host.Confirm(SignUpEmailWarning)) {
        return false;
    }
    ClientState.account.SignUpText = SignUpData(form);
    LobbyConnect(1);
    return true;
}

void ClearSignUpFields(TSignUpForm& form) {
    form = TSignUpForm{};
}

}  // namespace pk
