#include <gtest/gtest.h>

#include "skin/skin_fixture.h"
#include "skin/zrskininput.h"

namespace pk {
namespace {

using test::Lines;
using test::Script;
using test::SkinTest;

// Each mouse script appends its element and event to the variable "trace".
std::string Tracing(const std::string& name) {
    std::string text;
    for (const char* event :
         {"onmousedown", "onmouseover", "onmouseup", "onmousedownleave", "onmouseoverleave"}) {
        if (!text.empty())
            text += '\r';
        text += std::string(event) + "\n@trace\n%trace%" + name + "." + event + " ";
    }
    return text;
}

class MouseTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        form = &Form("shell", 100, 100);
        AddSkinEntry(theme, {"back", Lines({"shell"}), {0, 0, 100, 100}, -1, ""});
        AddSkinEntry(theme, {"button", Lines({"shell"}), {10, 10, 20, 20}, -1, Tracing("button")});
        AddSkinEntry(theme, {"label", Lines({"shell"}), {15, 15, 30, 10}, -1, Tracing("label")});
        Build();
    }
    std::string Trace() {
        std::string t = GetSkinVar("trace");
        SetSkinVar("trace", "");
        return t;
    }
    void Mouse(int kind, int x, int y) { SkinMouseEvent(form, kind, x, y); }
    test::FakeForm* form = nullptr;
};

TEST_F(MouseTest, OverAndLeave) {
    Mouse(smMove, 12, 12);
    EXPECT_EQ(Trace(), "button.onmouseover ");
    Mouse(smMove, 13, 12);
    EXPECT_EQ(Trace(), "button.onmouseover ");  // every move over it
    Mouse(smMove, 20, 18);
    EXPECT_EQ(Trace(), "button.onmouseover label.onmouseover ");
    Mouse(smMove, 50, 50);
    EXPECT_EQ(Trace(), "button.onmouseoverleave label.onmouseoverleave ");
    Mouse(smMove, 60, 60);
    EXPECT_EQ(Trace(), "");
}

TEST_F(MouseTest, APressTakenByOneElementPressesEveryElementUnderThePoint) {
    Mouse(smDown, 20, 18);
    EXPECT_EQ(Trace(), "button.onmousedown label.onmousedown ");
    EXPECT_EQ(El("button").pressed, 1);
    EXPECT_EQ(El("label").pressed, 1);
    EXPECT_EQ(El("back").pressed, 1);  // no script of its own, pressed all the same
    EXPECT_EQ(form->captures, 1);
    Mouse(smUp, 20, 18);
    EXPECT_EQ(Trace(), "button.onmouseup label.onmouseup ");
    EXPECT_EQ(El("button").pressed, 0);
    EXPECT_EQ(form->releases, 1);
}

TEST_F(MouseTest, DraggingOffAndBackWhileHeld) {
    Mouse(smDown, 12, 12);
    EXPECT_EQ(Trace(), "button.onmousedown ");
    Mouse(smDrag, 13, 13);
    EXPECT_EQ(Trace(), "");  // still over it
    Mouse(smDrag, 60, 60);
    EXPECT_EQ(Trace(), "button.onmousedownleave ");
    Mouse(smDrag, 12, 12);
    EXPECT_EQ(Trace(), "button.onmousedown ");
    Mouse(smDrag, 60, 60);
    EXPECT_EQ(Trace(), "button.onmousedownleave ");
    Mouse(smUp, 60, 60);
    EXPECT_EQ(Trace(), "");
    EXPECT_EQ(El("button").pressed, 1);  // released elsewhere: kept until the next move
    Mouse(smMove, 61, 61);
    EXPECT_EQ(El("button").pressed, 0);
    Mouse(smMove, 12, 12);
    EXPECT_EQ(Trace(), "button.onmouseover ");
}

TEST_F(MouseTest, APressWithoutAnyScriptUnderItPressesNothing) {
    Mouse(smDown, 80, 80);
    EXPECT_EQ(El("back").pressed, 0);
    Mouse(smUp, 80, 80);
    EXPECT_EQ(Trace(), "");
}

TEST_F(MouseTest, HiddenOrInactiveElementsRunNoMouseScripts) {
    ApplyAction("hide", El("button"), false);
    ApplyAction("deactivate", El("label"), false);
    Mouse(smMove, 20, 18);
    Mouse(smDown, 20, 18);
    Mouse(smUp, 20, 18);
    Mouse(smMove, 90, 90);
    EXPECT_EQ(Trace(), "");
    EXPECT_EQ(El("button").pressed, 0);  // the press was not taken
}

TEST_F(MouseTest, ScriptsThatShowElementsPaintTheForm) {
    AddSkinEntry(theme, {"hover",
                         Lines({"shell", "hide"}),
                         {50, 50, 10, 10},
                         0xFF0000,
                         Script({"onmouseover show", "onmouseoverleave hide"})});
    AddSkinEntry(theme, {"zone",
                         Lines({"shell"}),
                         {50, 50, 10, 10},
                         -1,
                         Script({"onmouseover show hover", "onmouseoverleave hide hover"})});
    Build();
    form->presented.clear();
    Mouse(smMove, 55, 55);
    EXPECT_EQ(El("hover").visible, 1);
    EXPECT_EQ(form->screen.pixel(55, 55), ColorRefTo555(0xFF0000));
    Mouse(smMove, 5, 5);
    EXPECT_EQ(El("hover").visible, 0);
    EXPECT_FALSE(form->presented.empty());
}

TEST_F(MouseTest, AFormWithoutSkinIsIgnored) {
    test::FakeForm stranger(10, 10);
    SkinMouseEvent(&stranger, smDown, 1, 1);
    EXPECT_EQ(stranger.captures, 0);
}

TEST(SkinKeyEventName, ModifiersInOrderThenTheKeyName) {
    EXPECT_EQ(SkinKeyEventName('A', {true, true, true}), "onkeycontrolaltshifta");
    EXPECT_EQ(SkinKeyEventName(112, {false, false, true}), "onkeycontrolf1");
    EXPECT_EQ(SkinKeyEventName(37, {true, false, false}), "onkeyshiftleft");
    EXPECT_EQ(SkinKeyEventName(17, {false, false, true}), "onkeycontrol");
    EXPECT_EQ(SkinKeyEventName(16, {true, false, true}), "onkeycontrolshift");
    EXPECT_EQ(SkinKeyEventName(18, {false, true, false}), "onkeyalt");
}

class KeyScriptTest : public SkinTest {};

TEST_F(KeyScriptTest, KeyScriptsRunOnShownElementsOfVisibleForms) {
    auto& shell = Form("shell", 50, 50);
    auto& login = Form("login", 50, 50);
    AddSkinEntry(theme, {"a", Lines({"shell"}), {0, 0, 5, 5}, -1, Script({"onkeycontrolx @a 1"})});
    AddSkinEntry(theme,
                 {"b", Lines({"shell", "hide"}), {0, 0, 5, 5}, -1, Script({"onkeycontrolx @b 1"})});
    AddSkinEntry(theme, {"c", Lines({"login"}), {0, 0, 5, 5}, -1, Script({"onkeycontrolx @c 1"})});
    AddSkinEntry(theme, {"d", Lines({"shell"}), {0, 0, 5, 5}, -1, Script({"onkeycontrolx hide"})});
    Build();
    login.visible = false;
    SkinKeyEvent('X', {false, false, true});
    EXPECT_EQ(GetSkinVar("a"), "1");
    EXPECT_EQ(GetSkinVar("b"), "");
    EXPECT_EQ(GetSkinVar("c"), "");
    EXPECT_EQ(El("d").visible, 0);
    EXPECT_EQ(SkinList[0]->dirty, 0);  // painted
    EXPECT_FALSE(shell.presented.empty());
}

}  // namespace
}  // namespace pk
