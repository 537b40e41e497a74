// The sign-up form: checks in order with their messages, the request's lines, and the click
// that connects in the new-account mode.
#include "lobby/zrsignup.h"

#include "lobby_fixture.h"

namespace pk::test {
namespace {

int IndexOf(const std::vector<std::string>& list, const std::string& text) {
    return static_cast<int>(std::find(list.begin(), list.end(), text) - list.begin());
}

TSignUpForm Good() {
    TSignUpForm f;
    f.accountName = "bob";
    f.password = "pw1";
    f.passwordConfirm = "pw1";
    f.email = "bob@example.org";
    f.firstName = "Bob";
    f.lastName = "Smith";
    f.gender = "male";
    f.dobYear = "99";
    f.dobMonth = "7";
    f.dobDay = "4";
    f.city = "Austin";
    f.state = IndexOf(SignUpStates(), "Texas");
    f.country = IndexOf(SignUpCountries(), "United States");
    f.language = IndexOf(SignUpLanguages(), "English");
    f.homepage = "example.org";
    return f;
}

class SignUp : public LobbyTest {};

TEST_F(SignUp, ListsStartWithChangeAndEndWithOther) {
    for (const auto* list : {&SignUpStates(), &SignUpCountries(), &SignUpLanguages()}) {
        ASSERT_GT(list->size(), 2u);
        EXPECT_EQ(list->front(), "(Change)");
    }
    EXPECT_EQ(SignUpStates().back(), "Other");
    EXPECT_EQ(SignUpCountries().back(), "Other");
}

TEST_F(SignUp, ChecksInOrder) {
    TSignUpForm f = Good();
    EXPECT_EQ(CheckSignUpForm(f), "");
    const std::pair<void (*)(TSignUpForm&), const char*> steps[] = {
        {[](TSignUpForm& x) { x.accountName = "bad name"; }, "Invalid nickname"},
        {[](TSignUpForm& x) { x.password = ""; }, "Invalid password"},
        {[](TSignUpForm& x) { x.passwordConfirm = "PW1"; },
         "The passwords entered do not match.  Please type them in again."},
        {[](TSignUpForm& x) { x.email = "a\tb"; }, "Invalid email"},
        {[](TSignUpForm& x) { x.language = 0; }, "Please select your language"},
        {[](TSignUpForm& x) { x.city = ""; }, "Invalid city"},
        {[](TSignUpForm& x) { x.state = 0; }, "Please select your state"},
        {[](TSignUpForm& x) { x.country = 0; }, "Please select your country"},
    };
    // Breaking every field from the last to the first: each time the earliest check speaks.
    for (std::size_t n = std::size(steps); n-- > 0;) {
        TSignUpForm broken = Good();
        for (std::size_t i = n; i < std::size(steps); ++i) {
            steps[i].first(broken);
        }
        EXPECT_EQ(CheckSignUpForm(broken), steps[n].second) << n;
    }
}

TEST_F(SignUp, MismatchEmptiesBothPasswords) {
    TSignUpForm f = Good();
    f.passwordConfirm = "other";
    CheckSignUpForm(f);
    EXPECT_TRUE(f.password.empty());
    EXPECT_TRUE(f.passwordConfirm.empty());
    EXPECT_EQ(f.city, "Austin");
}

TEST_F(SignUp, RequestLines) {
    TSignUpForm f = Good();
    f.firstName.clear();
    f.gender = "female";
    EXPECT_EQ(SignUpData(f),
              "name=bob\r\n"
              "pass=pw1\r\n"
              "email=bob@example.org\r\n"
              "fname=\r\n"
              "lname=Smith\r\n"
              "gender=f\r\n"
              "dob=0099-07-04\r\n"
              "lang=English\r\n"
              "loc=Austin, Texas, United States\r\n"
              "page=example.org\r\n");
    f.dobYear = "12345";
    f.dobMonth = "123";
    EXPECT_NE(SignUpData(f).find("dob=12345-123-04\r\n"), std::string::npos);
}

TEST_F(SignUp, UncheckedFieldsCannotAddLines) {
    TSignUpForm f = Good();
    f.lastName = "Smith\r\npass=evil";
    f.homepage = "x\npage=y";
    f.gender = "\nq";
    const std::string data = SignUpData(f);
    EXPECT_NE(data.find("lname=Smithpass=evil\r\n"), std::string::npos);
    EXPECT_NE(data.find("page=xpage=y\r\n"), std::string::npos);
    EXPECT_NE(data.find("gender=q\r\n"), std::string::npos);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 10);
}

TEST_F(SignUp, CreateAccountShowsRefusalsAndTheWarning) {
    TSignUpForm f = Good();
    f.state = 0;
    EXPECT_FALSE(SignUpCreateAccount(f));
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Please select your state"}));
    EXPECT_TRUE(host.confirms.empty());

    f = Good();
    ClientState.lobby.server.host.clear();  // the connect fails at once, without a lookup
    host.confirmAnswer = false;
    EXPECT_FALSE(SignUpCreateAccount(f));
    ASSERT_EQ(host.confirms.size(), 1u);
    EXPECT_EQ(host.confirms[0], SignUpEmailWarning);
    EXPECT_EQ(ClientState.lobby.LobbyLinkState, sbDown);

    host.confirmAnswer = true;
    EXPECT_TRUE(SignUpCreateAccount(f));
    EXPECT_EQ(ClientState.account.SignUpText, SignUpData(f));
    EXPECT_EQ(ClientState.lobby.LobbyConnectMode, 1);
    EXPECT_NE(ClientState.lobby.LobbyLinkState, sbDown);
    LobbyDisconnect(false);
}

TEST_F(SignUp, ClearEmptiesEverything) {
    TSignUpForm f = Good();
    ClearSignUpFields(f);
    EXPECT_TRUE(f.accountName.empty() && f.password.empty() && f.passwordConfirm.empty());
    EXPECT_TRUE(f.homepage.empty() && f.city.empty());
    EXPECT_EQ(f.state + f.country + f.language, 0);
}

}  // namespace
}  // namespace pk::test
