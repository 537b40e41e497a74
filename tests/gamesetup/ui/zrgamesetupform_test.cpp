// The game-set editor window offscreen: every bound key of a set reaches its control and comes
// back from it, the header follows the mode, and every way of closing takes the Cancel path.
#include "gamesetup/ui/zrgamesetupform.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include "core/zrgameset.h"
#include "game/zrsb.h"
#include "gamesetup/gameset_fixture.h"
#include "platform/cp1252.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class SetupHost : public GameSetupHost {
public:
    std::vector<std::string> calls, messages;
    bool mainEnabled = true;
    void CreateGame(const std::string& name, std::int32_t region, const std::string&,
                    bool spectator) override {
        calls.push_back("create " + name + " " + std::to_string(region) + " " +
                        std::to_string(spectator));
    }
    void SendRoomGameSet(const std::string& name, const std::string& data) override {
        calls.push_back("room " + name);
        sent = data;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void EnableMainWindow(bool enabled) override { mainEnabled = enabled; }
    std::string sent;
};

class GameSetupFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        GameSetList.clear();
        ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
        SetGameSetupHost(&host);
    }
    void TearDown() override {
        SetGameSetupHost(nullptr);
        GameSetList.clear();
    }
    SetupHost host;
};

TEST_F(GameSetupFormTest, EveryBoundKeyRoundTripsThroughTheWidgets) {
    TGameSet set = test::GameSetAwayFromDefaults();
    set.SetValue("maxs", "3");
    set.SetValue("sbchance2", "aaabbm");
    const std::string data = set.SaveToCompressed();

    Tzrgamesetup form;
    form.SetMode(3, "Room", data, true, gsmRoomSet);
    for (const auto& b : GameSetCheckBindings) {
        auto* box = qobject_cast<QCheckBox*>(form.Control(std::string(b.control)));
        ASSERT_NE(box, nullptr) << b.control;
        EXPECT_EQ(box->isChecked(), set.GetBool(b.key) != 0) << b.key;
    }
    for (const auto& b : GameSetEditBindings) {
        auto* edit = qobject_cast<QLineEdit*>(form.Control(std::string(b.control)));
        ASSERT_NE(edit, nullptr) << b.control;
        EXPECT_EQ(QStringToCp1252(edit->text()), set.GetValue(b.key)) << b.key;
    }
    EXPECT_EQ(qobject_cast<QLineEdit*>(form.Control("gsstack6"))->text(), "6");
    EXPECT_EQ(qobject_cast<QLineEdit*>(form.Control("gsteam2"))->text(), "b");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(form.Control("gsdesc"))->toPlainText(),
              "Line one\nLine two");
    form.sbset()->setCurrentIndex(1);
    EXPECT_EQ(qobject_cast<QSlider*>(form.Control("gssb1"))->value(), 3);
    EXPECT_EQ(qobject_cast<QSlider*>(form.Control("gssb14"))->value(), 1);
    EXPECT_EQ(qobject_cast<QSlider*>(form.Control("gsp1"))->value(), 2);

    // A change through a widget goes into the set at once, and everything else stays.
    auto* maxp = qobject_cast<QLineEdit*>(form.Control("gsmaxplayers"));
    maxp->setText("5");
    emit maxp->textEdited("5");
    form.creategameb()->click();
    ASSERT_EQ(host.calls, std::vector<std::string>{"room Room"});
    TGameSet back;
    ASSERT_TRUE(back.LoadFromCompressed(host.sent));
    for (const auto& row : GameSetSchema) {
        if (row.key == "maxp" || row.key.substr(0, 8) == "sbchance" || row.key == "piecechance") {
            continue;
        }
        EXPECT_EQ(back.GetValue(row.key), set.GetValue(row.key)) << row.key;
    }
    EXPECT_EQ(back.GetValue("maxp"), "5");
    EXPECT_EQ(CountSpecialBlocks(back.GetValue("sbchance2")), CountSpecialBlocks("aaabbm"));
    EXPECT_EQ(CountPieces(back.GetValue("piecechance")), CountPieces("1122334567"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(host.mainEnabled);
}

TEST_F(GameSetupFormTest, HeaderFollowsTheModeAndClosingCancels) {
    Tzrgamesetup form;
    form.SetMode(-1, "", "", true, gsmCreate);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(host.mainEnabled);
    EXPECT_EQ(form.label1()->text(), "Game Set:");
    EXPECT_EQ(form.creategameb()->text(), "Create Game");
    EXPECT_TRUE(form.spectator()->isVisibleTo(&form));
    EXPECT_EQ(form.regiontext()->text(), "(Least busy server)");
    EXPECT_TRUE(form.presetlist()->currentText().startsWith("* "));
    EXPECT_FALSE(form.aadd()->isVisibleTo(&form));
    form.showsettingsClick();
    EXPECT_EQ(form.showsettings()->text(), "Hide Settings");
    EXPECT_TRUE(form.aadd()->isVisibleTo(&form));
    form.showsettingsClick();
    EXPECT_FALSE(form.aadd()->isVisibleTo(&form));
    // A built-in set: editing shows the message and leaves the set alone.
    auto* box = qobject_cast<QCheckBox*>(form.Control("gsholdpiece"));
    box->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], GameSetupBuiltInEditMessage);

    form.close();
    EXPECT_TRUE(host.mainEnabled);
    EXPECT_TRUE(host.calls.empty());

    // Read-only: the pages show the set but take no edits.
    form.SetMode(7, "Their game", "", false, gsmRoomSet);
    EXPECT_EQ(form.presetlist()->currentText(), "Their game");
    EXPECT_FALSE(form.presetlist()->isEnabled());
    EXPECT_FALSE(form.creategameb()->isEnabled());
    EXPECT_FALSE(form.Control("gsholdpiece")->isEnabled());
    EXPECT_EQ(form.regiontext()->text(), "(Private Game)");
    form.cancelButton()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(host.mainEnabled);
}

TEST_F(GameSetupFormTest, WeightPageAndSetListKeys) {
    TGameSet set;
    set.SetValue("sbchance2", std::string(40, 'a') + "cc");
    Tzrgamesetup form;
    form.SetMode(3, "Room", set.SaveToCompressed(), true, gsmRoomSet);
    const auto bar = [&](const char* name) { return qobject_cast<QSlider*>(form.Control(name)); };
    const auto firstCase = form.Model().controls.ChanceWeights[0];
    // The case box picks the row the bars show; a bar changes only its kind in that row.
    form.sbset()->setCurrentIndex(1);
    EXPECT_EQ(bar("gssb1")->value(), 40);
    EXPECT_EQ(bar("gssb2")->value(), 2);
    bar("gssb3")->setValue(7);
    EXPECT_EQ(form.Model().controls.ChanceWeights[1][2], 7);
    EXPECT_EQ(form.Model().controls.ChanceWeights[0], firstCase);
    // ">>>" stops at 40, "<<<" at 0, and neither touches the other cases.
    form.shiftright()->click();
    EXPECT_EQ(bar("gssb1")->value(), 40);
    EXPECT_EQ(bar("gssb3")->value(), 8);
    for (int i = 0; i < 10; ++i) {
        form.shiftleft()->click();
    }
    EXPECT_EQ(bar("gssb2")->value(), 0);
    EXPECT_EQ(bar("gssb1")->value(), 30);
    EXPECT_EQ(form.Model().controls.ChanceWeights[0], firstCase);
    // A piece bar stores the set at once.
    bar("gsp7")->setValue(9);
    form.creategameb()->click();
    TGameSet back;
    ASSERT_TRUE(back.LoadFromCompressed(host.sent));
    EXPECT_EQ(CountPieces(back.GetValue("piecechance"))[6], 9);

    // Typing in the set list picks nothing; the arrow keys still reach it.
    form.SetMode(-1, "", "", true, gsmCreate);
    const int row = form.presetlist()->currentIndex();
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    QApplication::sendEvent(form.presetlist(), &typed);
    EXPECT_EQ(form.presetlist()->currentIndex(), row);
    EXPECT_TRUE(form.presetlistKeyPress(QStringLiteral("*")));
    EXPECT_FALSE(form.presetlistKeyPress(QString()));
    form.CancelClick();
}

// What the player reads for a control: a check box's own text, else the label that names it
// (its buddy), else the tab it fills.
QString LabelOf(const Tzrgamesetup& form, QWidget* control) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        return box->text();
    }
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            return label->text();
        }
    }
    const int tab = form.settingstablist()->indexOf(control);
    return tab >= 0 ? form.settingstablist()->tabText(tab) : QString();
}

TEST_F(GameSetupFormTest, EveryControlIsLabelledAndEveryBarShowsItsValue) {
    TGameSet set;
    set.SetValue("sbchance1", std::string(5, 'a'));
    set.SetValue("sbchance2", std::string(9, 'a'));
    set.SetValue("piecechance", "7777");
    Tzrgamesetup form;
    form.SetMode(3, "Room", set.SaveToCompressed(), true, gsmRoomSet);

    std::vector<std::string> controls = {"sbset", "Regiontext", "presetlist"};
    const std::vector<std::string> bound = test::BoundControlNames();
    controls.insert(controls.end(), bound.begin(), bound.end());
    std::vector<std::string> bars;
    for (int k = 1; k <= SpecialBlockKinds; ++k) {
        bars.push_back("gssb" + std::to_string(k));
    }
    for (int n = 1; n <= PieceKinds; ++n) {
        bars.push_back("gsp" + std::to_string(n));
    }
    controls.insert(controls.end(), bars.begin(), bars.end());
    for (const std::string& name : controls) {
        QWidget* control = form.Control(name);
        ASSERT_NE(control, nullptr) << name;
        const QString label = LabelOf(form, control).trimmed();
        EXPECT_FALSE(label.isEmpty()) << name;
        EXPECT_NE(label.compare(QString::fromStdString(name), Qt::CaseInsensitive), 0) << name;
        for (const auto& row : GameSetSchema) {
            EXPECT_NE(
                label.compare(QString::fromStdString(std::string(row.key)), Qt::CaseInsensitive), 0)
                << name;
        }
    }
    EXPECT_EQ(LabelOf(form, form.Control("gsaveragedlevels")), "Average the levels of all players");
    EXPECT_EQ(LabelOf(form, form.Control("gssb4")), "Random Blocks Clear");
    EXPECT_EQ(LabelOf(form, form.Control("gsp2")), "Square (O)");

    // Each bar shows its value, and the value follows the bar: moved by hand, by the weight
    // case, and by "<<<".
    const auto bar = [&](const std::string& name) {
        return qobject_cast<QSlider*>(form.Control(name));
    };
    const auto shown = [&](const std::string& name) {
        auto* value = form.findChild<QLabel*>(QString::fromStdString(name + "value"));
        return value ? value->text() : QStringLiteral("(none)");
    };
    for (const std::string& name : bars) {
        ASSERT_NE(bar(name), nullptr) << name;
        EXPECT_EQ(shown(name), QString::number(bar(name)->value())) << name;
    }
    EXPECT_EQ(shown("gssb1"), "5");
    EXPECT_EQ(shown("gsp7"), "4");
    bar("gsp7")->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(shown("gsp7"), QString::number(bar("gsp7")->value()));
    EXPECT_NE(shown("gsp7"), "4");
    bar("gssb2")->setSliderDown(true);
    bar("gssb2")->setSliderPosition(33);
    EXPECT_EQ(shown("gssb2"), "33");
    bar("gssb2")->setSliderDown(false);
    form.sbset()->setCurrentIndex(1);
    EXPECT_EQ(shown("gssb1"), "9");
    form.shiftleft()->click();
    EXPECT_EQ(shown("gssb1"), "8");
    form.CancelClick();
}

TEST_F(GameSetupFormTest, RoomWindowOpensTheFirstMode) {
    Tzrgamesetup form;
    OpenRoomGameSetup(2, "Room", "", true);
    EXPECT_EQ(form.Model().Mode(), gsmRoomSet);
    EXPECT_TRUE(form.presetlist()->currentText().startsWith("[CURRENT GAME SETTINGS] Room"));
    form.CancelClick();
    for (const auto& e : GameSetList) {
        EXPECT_EQ(e->editor, 0);
    }
}

}  // namespace
}  // namespace pk
