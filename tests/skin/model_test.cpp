#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "skin/skin_fixture.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"

namespace pk {
namespace {

using test::FakeForm;
using test::Lines;
using test::SkinTest;

TEST(ElementParams, ValuesAndFlagsAreWholeLinesComparedExactly) {
    TSkinElementRec e;
    e.source.SkinFlagList = Lines({"shell", "border=4,4,4,4", "Border=9", "hide", "spacing="});
    EXPECT_EQ(GetElementParam(e, "border"), "4,4,4,4");
    EXPECT_EQ(GetElementParam(e, "Border"), "9");
    EXPECT_EQ(GetElementParam(e, "bord"), "");
    EXPECT_EQ(GetElementParam(e, "spacing"), "");
    EXPECT_EQ(GetElementParam(e, "shell"), "");  // a word, not a parameter
    EXPECT_TRUE(HasElementFlag(e, "hide"));
    EXPECT_TRUE(HasElementFlag(e, "shell"));
    EXPECT_FALSE(HasElementFlag(e, "border"));
    EXPECT_FALSE(HasElementFlag(e, "Hide"));
    EXPECT_FALSE(TextHasFlag("", "x"));
    EXPECT_TRUE(TextHasFlag("", ""));
}

TEST(ParseColor, ThreeNumbersRedGreenBlueEachWithinAByte) {
    EXPECT_EQ(ParseColor("255 0 0", 7), 0x0000FF);
    EXPECT_EQ(ParseColor("0 128 255", 7), 0xFF8000);
    EXPECT_EQ(ParseColor("abc", 7), 0);
    EXPECT_EQ(ParseColor("", 7), 7);
    EXPECT_EQ(ParseColor("  1   2  3 ", 7), 0x030201);
    // A channel past 255 would leak into its neighbour: it is kept at 255.
    EXPECT_EQ(ParseColor("300 -4 70000", 7), 0xFF00FF);
    EXPECT_EQ(ParseColor("12", 7), 12);
}

TEST(SkinKindTable, NamesKindsAndClasses) {
    EXPECT_EQ(SkinKindTable().size(), 38u);
    EXPECT_EQ(FindSkinKind("accountpassword")->kind, skAccountPassword);
    EXPECT_EQ(FindSkinKind("con_setcontrol")->kindClass, SkinClass::Container);
    EXPECT_EQ(FindSkinKind("player6")->kind, 28);
    EXPECT_EQ(FindSkinKind("name6")->kind, 34);
    EXPECT_EQ(FindSkinKind("motdpage")->kind, 38);
    EXPECT_EQ(FindSkinKind("sbtext")->kindClass, SkinClass::GameDisplay);
    EXPECT_EQ(FindSkinKind("Chatbox"), nullptr);  // names compare exactly
    EXPECT_EQ(FindSkinKind("player7"), nullptr);
    EXPECT_EQ(ClassEvents(SkinClass::Control), 1u << 6);
    EXPECT_EQ(ClassEvents(SkinClass::Container), 0x3Du);
    EXPECT_EQ(ClassEvents(SkinClass::GameDisplay), 1u << 1);
    EXPECT_EQ(ContainerSkinName("con_game"), "game");
    EXPECT_EQ(ContainerSkinName("con_shell"), "");
    for (const SkinKindRow& row : SkinKindTable()) EXPECT_EQ(SkinKindRowOf(row.kind), &row);
    const SkinKindRow* chat = FindSkinKind("con_chat");
    ASSERT_EQ(chat->colours.size(), 4u);
    EXPECT_EQ(chat->colours[0].name, "toolbartextfg");
    EXPECT_EQ(chat->colours[0].defaultColour, kColourNavy);
}

class SkinModelTest : public SkinTest {};

TEST_F(SkinModelTest, RegistrationIsOncePerFormAndFindsIgnoreCase) {
    auto& form = Form("shell", 100, 50);
    EXPECT_EQ(RegisterSkin(&form, "other"), SkinList[0].get());
    EXPECT_EQ(SkinList.size(), 1u);
    const tskinf& s = *SkinList[0];
    EXPECT_EQ(s.designWidth, 100);
    EXPECT_EQ(s.currentHeight, 50);
    EXPECT_EQ(FindSkinByName("SHELL"), SkinList[0].get());
    AddSkinEntry(theme, {"logo", Lines({"shell"}), {0, 0, 1, 1}});
    BuildSkinElements(theme);
    EXPECT_NE(FindElement(&form, "LOGO"), nullptr);
    EXPECT_EQ(FindElement(&form, "log"), nullptr);
    UnregisterSkin(&form);
    EXPECT_TRUE(SkinList.empty());
    EXPECT_EQ(FindElementAnywhere("logo"), nullptr);
}

TEST_F(SkinModelTest, EntriesGoToEverySkinThatListsThemAndTheFirstOfANameWins) {
    Form("shell", 100, 100);
    Form("login", 100, 100);
    AddSkinEntry(theme, {"logo", Lines({"shell", "login"}), {1, 2, 3, 4}});
    AddSkinEntry(theme, {"logo", Lines({"shell"}), {9, 9, 9, 9}});
    AddSkinEntry(theme, {"Logo", Lines({"login"}), {8, 8, 8, 8}});
    AddSkinEntry(theme, {"only", Lines({"shellx", "xshell"}), {0, 0, 1, 1}});
    BuildSkinElements(theme);
    ASSERT_EQ(SkinList[0]->elements.size(), 1u);
    ASSERT_EQ(SkinList[1]->elements.size(), 1u);
    EXPECT_EQ(SkinList[0]->elements[0]->source.left, 1);
    EXPECT_EQ(SkinList[1]->elements[0]->source.left, 1);
}

TEST_F(SkinModelTest, ParentsKindsKeywordsAndStartEvents) {
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"con_game", Lines({"shell", "hide", "maxboth"}), {0, 0, 5, 5}});
    AddSkinEntry(theme, {"con_chat", Lines({"shell", "inactive"}), {0, 0, 5, 5}});
    AddSkinEntry(theme, {"con_login", Lines({"shell"}), {0, 0, 5, 5}, -1, "", "nowhere"});
    AddSkinEntry(theme, {"chatbox", Lines({"shell"}), {0, 0, 5, 5}, -1, "", "con_login"});
    AddSkinEntry(theme, {"picture", Lines({"shell"}), {0, 0, 5, 5}});
    BuildSkinElements(theme);
    EXPECT_EQ(El("con_login").parent, nullptr);  // names no element of the skin
    EXPECT_EQ(El("chatbox").parent, &El("con_login"));
    EXPECT_EQ(El("con_game").kind, skConGame);
    EXPECT_EQ(El("con_game").layout, 1u << lkMaxBoth);
    EXPECT_EQ(El("picture").kind, 0);
    EXPECT_EQ(El("picture").handledEvents, 0);
    EXPECT_EQ(El("chatbox").handledEvents, 1u << 6);
    EXPECT_EQ(events.bound,
              (std::vector<std::string>{"con_game", "con_chat", "con_login", "chatbox"}));
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"con_game:5", "con_chat:3", "con_login:2", "chatbox:6"}));
    EXPECT_EQ(El("con_game").visible, 0);
    EXPECT_EQ(El("con_chat").active, 0);
    EXPECT_EQ(El("con_login").laidOutWidth, -1);
}

TEST_F(SkinModelTest, ParentChainsThatComeBackAreCut) {
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"a", Lines({"shell", "maxright"}), {1, 1, 5, 5}, -1, "", "b"});
    AddSkinEntry(theme, {"b", Lines({"shell"}), {1, 1, 5, 5}, -1, "", "a"});
    AddSkinEntry(theme, {"self", Lines({"shell"}), {1, 1, 5, 5}, -1, "", "self"});
    AddSkinEntry(theme, {"c", Lines({"shell"}), {1, 1, 5, 5}, -1, "", "b"});
    Build();
    EXPECT_EQ(El("a").parent, nullptr);  // cut where the chain came back
    EXPECT_EQ(El("b").parent, &El("a"));
    EXPECT_EQ(El("self").parent, nullptr);
    EXPECT_EQ(El("c").parent, &El("b"));
    EXPECT_NE(ClientLog().find("is its own parent"), std::string::npos);
}

TEST_F(SkinModelTest, ResetEmptiesEverySkinAndTheVariables) {
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"a", Lines({"shell"}), {1, 1, 5, 5}});
    BuildSkinElements(theme);
    SetSkinVar("x", "1");
    ResetSkins();
    EXPECT_TRUE(SkinList[0]->elements.empty());
    EXPECT_TRUE(SkinVars.empty());
}

TEST_F(SkinModelTest, RebuildsWaitWhileADispatchRuns) {
    auto& form = Form("shell", 100, 100);
    AddSkinEntry(theme, {"a", Lines({"shell"}), {1, 1, 5, 5}});
    BuildSkinElements(theme);
    TSkinElementRec* before = &El("a");
    {
        SkinDispatchGuard guard;
        EXPECT_TRUE(SkinsBusy());
        ResetSkins();
        ApplySkinTheme(theme, "shell", 100, 100);
        EXPECT_EQ(FindElementAnywhere("a"), before);  // still there while the guard holds
        UnregisterSkin(&form);
        EXPECT_EQ(SkinList.size(), 1u);  // kept without its form
        EXPECT_EQ(FindSkin(&form), nullptr);
    }
    EXPECT_FALSE(SkinsBusy());
    EXPECT_TRUE(SkinList.empty());
}

TEST_F(SkinModelTest, DeferredBuildRunsOnceTheLastGuardEnds) {
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"a", Lines({"shell"}), {1, 1, 5, 5}});
    {
        SkinDispatchGuard outer;
        {
            SkinDispatchGuard inner;
            BuildSkinElements(theme);
        }
        EXPECT_TRUE(SkinList[0]->elements.empty());
    }
    EXPECT_EQ(SkinList[0]->elements.size(), 1u);
}

TEST_F(SkinModelTest, FreeingTheThemeLeavesTheElementsTheirOwnCopy) {
    auto& form = Form("shell", 50, 50);
    AddSkinEntry(theme, {"a", Lines({"shell"}), {1, 1, 5, 5}, 0xFF, test::Script({"onx hide"})});
    Build();
    FreeTheme(theme);
    RunElementEvent("onx", El("a"));
    PaintSkinRect(&form, {0, 0, 50, 50});
    EXPECT_EQ(El("a").visible, 0);
}

TEST_F(SkinModelTest, FreeFormSkinBitmapsDropsImagesAndWorkBitmaps) {
    auto& form = Form("shell", 50, 50);
    AddSkinEntry(theme, {"nextpiece", Lines({"shell"}), {1, 1, 5, 5}});
    Build();
    SetImage(El("nextpiece"), Surface16(2, 2));
    PrepareElementBuffers(El("nextpiece"), false);
    FreeFormSkinBitmaps(&form);
    EXPECT_FALSE(El("nextpiece").image.has_value());
    EXPECT_FALSE(El("nextpiece").bitmapsLoaded);
    EXPECT_FALSE(SkinList[0]->imageBuffer.has_value());
    EXPECT_FALSE(SkinList[0]->maskBuffer.has_value());
}

TEST_F(SkinModelTest, TheBackBufferGrowsToTheLargestForm) {
    EXPECT_EQ(SkinBuffer.width(), 640);
    auto& form = Form("shell", 900, 100);
    ResizeSkin(&form);
    EXPECT_EQ(SkinBuffer.width(), 900);
    EXPECT_EQ(SkinBuffer.height(), 480);
    EnsureSkinBuffer(100000, 5);
    EXPECT_EQ(SkinBuffer.width(), Surface16::kMaxSide);
}

TEST_F(SkinModelTest, AHandlerThatThrowsIsLoggedAndTheEventDropped) {
    class Throwing : public SkinEvents {
        void ElementEvent(uint8_t, TSkinElementRec&) override { throw std::runtime_error("x"); }
    } throwing;
    SetSkinEvents(&throwing);
    Form("login", 50, 50);
    AddSkinEntry(theme, {"con_game", Lines({"login"}), {1, 1, 5, 5}});
    EXPECT_NO_THROW(Build());
    EXPECT_NE(ClientLog().find("Error in skinevent: 2 login"), std::string::npos);
}

}  // namespace
}  // namespace pk
