// The sign-up and query dialogs offscreen: the sign-up checks in their order with their
// messages up to the new-account connect, the verify and birth-date roads of the login through
// the real query dialog, and pictures of the dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "gamesetup/ui/zrgamesetupform.h"
#include "gfx/qtsurface.h"
#include "lobby/link_fixture.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/ui/zrquery.h"
#include "lobby/ui/zrsignupform.h"
#include "shell/zrconfig.h"
#include "support/golden.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

using Phase = MasterServerSession::Phase;

class DialogsTest : public LinkTest {
protected:
    void SetUp() override {
        EnsureWidgetApp();
        LinkTest::SetUp();
        query = std::make_unique<Tsbquery>();
        signup = std::make_unique<Tzrsignup>();
        windowHost =
            std::make_unique<TLobbyWindowHost>(nullptr, nullptr, query.get(), signup.get());
        SetLobbyHost(windowHost.get());
        LobbyBoxes().message = [this](const std::string& t) { messages.push_back(t); };
        LobbyBoxes().confirm = [this](const std::string& t) {
            confirms.push_back(t);
            return confirmAnswer;
        };
    }
    void TearDown() override {
        LobbyBoxes() = {};
        Tsbquery::SetAnswerer({});
        LinkTest::TearDown();
        SetLobbyHost(nullptr);
        signup.reset();
        query.reset();
    }
    void Fill(const char* name, const char* text) {
        signup->Edit(name)->setText(QString::fromLatin1(text));
    }
    void Click() {
        messages.clear();
        signup->findChild<QPushButton*>("createaccount")->click();
    }

    std::unique_ptr<Tsbquery> query;
    std::unique_ptr<Tzrsignup> signup;
    std::unique_ptr<TLobbyWindowHost> windowHost;
    std::vector<std::string> messages, confirms;
    bool confirmAnswer = true;
};

TEST_F(DialogsTest, SignUpChecksInOrderThenConnectsAsANewAccount) {
    signup->show();
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Invalid nickname"});
    Fill("accountname", "newbie");
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Invalid password"});
    Fill("accountpass", "pw1");
    Fill("accountpasscon", "pw2");
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{
                            "The passwords entered do not match.  Please type them in again."});
    EXPECT_TRUE(signup->Edit("accountpass")->text().isEmpty());
    EXPECT_TRUE(signup->Edit("accountpasscon")->text().isEmpty());
    Fill("accountpass", "pw1");
    Fill("accountpasscon", "pw1");
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Invalid email"});
    Fill("emailaddr", "n@example.org");
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Please select your language"});
    signup->List("lang")->setCurrentIndex(1);
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Invalid city"});
    Fill("city", "Springfield");
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Please select your state"});
    signup->List("state")->setCurrentIndex(signup->List("state")->count() - 1);
    Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Please select your country"});
    EXPECT_EQ(signup->List("state")->currentText(), "Other");
    signup->List("country")->setCurrentIndex(2);
    Fill("gender", "female");
    Fill("dobyear", "99");
    Fill("dobmonth", "7");
    Fill("dobday", "4");
    Fill("fname", "New\r\nx=1");  // control bytes go
    // Cancel at the e-mail warning keeps the dialog open and sends nothing.
    confirmAnswer = false;
    Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(confirms.back(), SignUpEmailWarning);
    EXPECT_TRUE(signup->isVisible());
    EXPECT_EQ(server.Accepted(), 0);

    confirmAnswer = true;
    Click();
    EXPECT_FALSE(signup->isVisible());
    const std::string& data = ClientState.account.SignUpText;
    EXPECT_NE(data.find("name=newbie\r\n"), std::string::npos);
    EXPECT_NE(data.find("gender=f\r\n"), std::string::npos);
    EXPECT_NE(data.find("dob=0099-07-04\r\n"), std::string::npos);
    EXPECT_NE(data.find("fname=Newx=1\r\n"), std::string::npos);
    EXPECT_EQ(ClientState.lobby.LobbyConnectMode, 1);
    ASSERT_TRUE(RunUntil([this] { return server.Last() != nullptr; }));

    signup->ClearSignupForm();
    EXPECT_TRUE(signup->Edit("accountname")->text().isEmpty());
    EXPECT_EQ(signup->List("state")->currentIndex(), 0);
    EXPECT_EQ(signup->List("state")->currentText(), "(Change)");
}

TEST_F(DialogsTest, NeedVerifyOpensTheVerifyPanelAndReconnectsInModeTwo) {
    server.OnSession = [this](MasterServerSession&) {
        server.options.loginReply = server.Accepted() == 1 ? "needverify" : "";
    };
    query->SetText("verifynumber", "old");
    Tsbquery::SetAnswerer([](Tsbquery& q, Tsbquery::Panel panel) {
        EXPECT_EQ(panel, Tsbquery::verifypanel);
        EXPECT_EQ(q.Text("verifynumber"), "");  // emptied first
        q.SetText("verifynumber", "ABC123");
        return true;
    });
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil(
        [this] { return server.Accepted() == 2 && server.Last()->phase() == Phase::AwaitReply; }));
    EXPECT_EQ(ClientState.lobby.LobbyConnectMode, 2);
    EXPECT_EQ(server.Last()->LoginLine(), "verify alice " + HexMaskString("secret") + " ABC123");
}

TEST_F(DialogsTest, AErrorAsksThenOpensTheBirthDatePanelAndReconnectsInModeThree) {
    server.OnSession = [this](MasterServerSession&) {
        server.options.loginReply = server.Accepted() == 1 ? "aerror" : "";
    };
    Tsbquery::SetAnswerer([](Tsbquery& q, Tsbquery::Panel panel) {
        EXPECT_EQ(panel, Tsbquery::getpasspanel);
        q.SetText("dobyear", "1987");
        q.SetText("dobmonth", "3");
        q.SetText("dobday", "9");
        return true;
    });
    LobbyConnect(0);
    ASSERT_TRUE(RunUntil(
        [this] { return server.Accepted() == 2 && server.Last()->phase() == Phase::AwaitReply; }));
    ASSERT_EQ(confirms.size(), 1u);
    EXPECT_EQ(ClientState.lobby.LobbyConnectMode, 3);
    EXPECT_EQ(server.Last()->LoginLine(), "needpass alice 1987-03-09");
}

TEST_F(DialogsTest, QueryResultIsFalseAgainOnEveryShow) {
    query->show();
    query->okClick();
    EXPECT_TRUE(SbQueryResult);
    query->show();
    EXPECT_FALSE(SbQueryResult);
    query->close();
    EXPECT_FALSE(SbQueryResult);
}

// A person types in a panel's edit and presses a key: Enter (either key) answers OK and Escape
// cancels, from every edit of every panel, with the dialog run modal as its callers run it.
TEST_F(DialogsTest, EnterConfirmsAndEscapeCancelsOnEveryPanel) {
    const std::vector<std::pair<Tsbquery::Panel, std::vector<const char*>>> panels = {
        {Tsbquery::verifypanel, {"verifynumber"}},
        {Tsbquery::getpasspanel, {"dobmonth", "dobday", "dobyear"}},
        {Tsbquery::joinpasspanel, {"joinpasswordeb"}},
        {Tsbquery::newkeypanel, {"newkeyedit"}},
        {Tsbquery::topicpanel, {"topiceb"}},
        {Tsbquery::newgameset, {"newset"}},
        {Tsbquery::newroompanel, {"newroomeb"}},
        {Tsbquery::kbpanel, {"kbmessage"}},
    };
    ASSERT_EQ(panels.size(), static_cast<std::size_t>(Tsbquery::PanelCount));
    // Asks modal and presses the key in the edit once the loop runs; a key that leaves the
    // dialog open is reported and the dialog cancelled, so the test cannot hang.
    const auto press = [this](Tsbquery::Panel panel, const char* edit, Qt::Key key) {
        bool stayedOpen = false;
        QTimer::singleShot(0, query.get(), [&, edit, key] {
            QLineEdit* target = query->Edit(edit);
            target->setText(QStringLiteral("typed"));
            target->setFocus();
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(target, &down);
            QApplication::sendEvent(target, &up);
            if (query->isVisible()) {
                stayedOpen = true;
                query->cancelClick();
            }
        });
        const bool answer = query->Ask(panel);
        EXPECT_FALSE(stayedOpen) << edit << " key " << key;
        return answer;
    };
    for (const auto& [panel, edits] : panels) {
        for (const char* edit : edits) {
            EXPECT_TRUE(press(panel, edit, Qt::Key_Return)) << edit;
            EXPECT_EQ(query->Text(edit), "typed");
            EXPECT_TRUE(press(panel, edit, Qt::Key_Enter)) << edit;
            EXPECT_FALSE(press(panel, edit, Qt::Key_Escape)) << edit;
        }
    }
}

TEST_F(DialogsTest, TheKickMessageIsAskedByTheKickAndBanPanel) {
    std::vector<Tsbquery::Panel> asked;
    bool answer = true;
    Tsbquery::SetAnswerer([&](Tsbquery& q, Tsbquery::Panel panel) {
        asked.push_back(panel);
        q.SetText("kbmessage", "calm down");
        return answer;
    });
    const auto prompt = KickMessagePrompt(*query);
    std::string message;
    EXPECT_TRUE(prompt(message));
    EXPECT_EQ(message, "calm down");
    answer = false;
    message.clear();
    EXPECT_FALSE(prompt(message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(asked, (std::vector<Tsbquery::Panel>{Tsbquery::kbpanel, Tsbquery::kbpanel}));
}

TEST_F(DialogsTest, DialogPictures) {
    signup->resize(360, 520);
    signup->show();
    query->resize(320, 160);
    query->show();
    query->SetPanel(Tsbquery::kbpanel);
    Tzrgamesetup setup;
    GameSetList.clear();
    ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
    setup.SetMode(-1, "", "", true, gsmCreate);
    setup.showsettingsClick();
    DrainEvents();
    EXPECT_TRUE(MatchesGoldenWithin(SurfaceFromQImage(signup->grab().toImage()),
                                    "lobby/ui/golden/signup.png", 1500));
    EXPECT_TRUE(MatchesGoldenWithin(SurfaceFromQImage(query->grab().toImage()),
                                    "lobby/ui/golden/query.png", 600));
    EXPECT_TRUE(MatchesGoldenWithin(SurfaceFromQImage(setup.grab().toImage()),
                                    "lobby/ui/golden/gamesetup.png", 1500));
    setup.CancelClick();
    GameSetList.clear();
}

TEST(LobbyWindowConfig, PanelSizesColumnsAndFontRoundTrip) {
    EnsureWidgetApp();
    TConfig in;
    in.btopleftheight = 200;
    in.brightwidth = 250;
    in.btoprightheight = 150;
    in.bgamelistw = GetColumnWidths({150, 50, 40, 40, 60, 80, 40, 70});
    in.broomlistw = GetColumnWidths({90, 30, 80});
    in.fbrowserchat.name = "Liberation Serif";
    in.fbrowserchat.size = 11;
    in.fbrowserchat.bold = true;
    Tzrbrowser browser;
    browser.resize(960, 634);
    browser.show();
    browser.ApplyConfig(in);
    QApplication::processEvents();
    TConfig out;
    browser.GatherConfig(out);
    EXPECT_EQ(out.bgamelistw, in.bgamelistw);
    EXPECT_EQ(out.broomlistw, in.broomlistw);
    EXPECT_EQ(out.brightwidth, 250);
    EXPECT_EQ(out.btopleftheight, 200);
    EXPECT_EQ(out.btoprightheight, 150);
    EXPECT_EQ(out.fbrowserchat.name, "Liberation Serif");
    EXPECT_EQ(out.fbrowserchat.size, 11);
    EXPECT_TRUE(out.fbrowserchat.bold);
}

}  // namespace
}  // namespace pk::test
