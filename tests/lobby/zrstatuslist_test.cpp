// The permanent status list and the room details form: rows from the server's record, the
// sort, the removal and what each sends.
#include "lobby/zrstatuslist.h"

#include "lobby_fixture.h"
#include "records_fixture.h"

namespace pk::test {
namespace {

class StatusListTest : public LobbyTest {};

std::string Entry(const std::string& id, const std::string& kind, const std::string& nick,
                  const std::string& message, const std::string& seconds) {
    return F({id, kind, nick, message, seconds});
}

TEST_F(StatusListTest, RowsStopAtTheFirstMissingKeyAndShowEveryKind) {
    const auto rows = ParseStatusList(Packed({{"0", Entry("11", "0", "op", "hi", "0")},
                                              {"1", Entry("12", "135", "odd", "m", "60")},
                                              {"3", Entry("13", "2", "late", "", "")}}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].entryId, 11);
    EXPECT_EQ(rows[0].cells, (std::array<std::string, 4>{"Operator", "op", "hi", ""}));
    // 135 & 0x7F = 7: no caption, the other cells stay.
    EXPECT_EQ(rows[1].kindText, "135");
    EXPECT_EQ(rows[1].cells, (std::array<std::string, 4>{"", "odd", "m", "60sec"}));
}

TEST_F(StatusListTest, MissingFieldsTakeTheirDefaults) {
    const auto rows = ParseStatusList(Packed({{"0", "x"}, {"1", Entry("5", "4", "a", "", "-3")}}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].entryId, 0);
    EXPECT_EQ(rows[0].cells[0], "IP Ban");  // kind absent: 3
    EXPECT_EQ(rows[1].cells[0], "Allow");
    EXPECT_EQ(rows[1].cells[3], "");
}

TEST_F(StatusListTest, APayloadThatDoesNotInflateGivesNoRowsAndALogLine) {
    EXPECT_TRUE(ParseStatusList("\x78\x9c garbage").empty());
    EXPECT_TRUE(LogHas("Status list"));
}

TEST_F(StatusListTest, ColumnsSortWithTiesByNicknameAndFlipOnASecondClick) {
    TStatusListModel model;
    model.Fill(Packed({{"0", Entry("1", "2", "zed", "b", "")},
                       {"1", Entry("2", "2", "amy", "a", "")},
                       {"2", Entry("3", "0", "bob", "b", "")}}),
               false);
    auto nicks = [&] {
        std::string out;
        for (const auto& r : model.Rows()) {
            out += r.cells[1] + " ";
        }
        return out;
    };
    EXPECT_EQ(nicks(), "amy zed bob ");  // Ban, Ban, Operator
    model.ColumnClick(2);
    EXPECT_EQ(nicks(), "amy bob zed ");
    model.ColumnClick(2);
    EXPECT_EQ(nicks(), "zed bob amy ");
    model.ColumnClick(3);  // rows compare equal: the order stays
    EXPECT_EQ(nicks(), "zed bob amy ");
    // A refill while the dialog shows keeps the sort.
    model.ColumnClick(1);
    model.Fill(
        Packed({{"0", Entry("1", "2", "zed", "", "")}, {"1", Entry("2", "2", "amy", "", "")}}),
        true);
    EXPECT_EQ(nicks(), "amy zed ");
    EXPECT_EQ(model.SortColumn(), 1);
}

TEST_F(StatusListTest, RemovalSendsTheEntryAndAsksForTheListAgain) {
    Connected(1);
    TStatusListModel model;
    model.Fill(Packed({{"0", Entry("41", "0", "a", "", "")},
                       {"1", Entry("42", "0", "b", "", "")},
                       {"2", Entry("43", "0", "c", "", "")}}),
               false);
    EXPECT_FALSE(model.RemoveSelected());  // nothing selected
    model.Select(1);
    ASSERT_TRUE(model.RemoveSelected());
    EXPECT_EQ(model.Selected(), 1);  // the next row, "c"
    EXPECT_EQ(model.Rows()[1].cells[1], "c");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              {14, "42"},  // code 14, the entry id in decimal
                              {16, ""},    // code 16, empty: the list again
                          }));
    ASSERT_TRUE(model.RemoveSelected());  // the last of two: the first is selected
    EXPECT_EQ(model.Selected(), 0);
    ASSERT_TRUE(model.RemoveSelected());  // the only row: nothing selected
    EXPECT_EQ(model.Selected(), -1);
    EXPECT_TRUE(model.Rows().empty());
}

TEST_F(StatusListTest, VoicedAndNormalUsersCannotRemove) {
    Connected(2);
    TStatusListModel model;
    model.Fill(Packed({{"0", Entry("41", "0", "a", "", "")}}), false);
    model.Select(0);
    EXPECT_FALSE(model.RemoveSelected());
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(StatusListTest, RoomDetailsSendTopicKeyAndModeratedOnlyWhenApplied) {
    Connected(1);
    TRoomDetailsForm form{"New topic", true, "open sesame", true, true};
    ASSERT_TRUE(ApplyRoomDetails(form));
    form.keyChecked = false;
    form.moderated = false;
    ASSERT_TRUE(ApplyRoomDetails(form));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              // code 13: topic 0x02 key 0x02 moderated
                              {13,
                               "New topic\x02open sesame\x02"
                               "1"},
                              // an unticked key goes out empty
                              {13,
                               "New topic\x02\x02"
                               "0"},
                          }));
    form.applied = false;
    EXPECT_FALSE(ApplyRoomDetails(form));
    form = {"bad\ttopic", false, "", false, true};
    EXPECT_FALSE(ApplyRoomDetails(form));
    form = {"", true, "", false, true};  // a ticked empty key
    EXPECT_FALSE(ApplyRoomDetails(form));
    form = {"", false, "", false, true};  // an empty topic is allowed
    EXPECT_TRUE(ApplyRoomDetails(form));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{13,
                                                   "\x02\x02"
                                                   "0"}}));
}

TEST_F(StatusListTest, ARoomKeyIsAcceptedAtJoinByTheRuleThatSetsIt) {
    for (const std::string key : {"with space", "1starts with a digit", "sesame"}) {
        EXPECT_TRUE(IsValidRoomKey(key)) << key;
        EXPECT_TRUE(ApplyRoomDetails({"", true, key, false, true}));
    }
    EXPECT_FALSE(IsValidRoomKey(""));
    EXPECT_FALSE(IsValidRoomKey("tab\there"));
}

TEST_F(StatusListTest, RoomDetailsOpenOverTheCurrentRoomForItsModerators) {
    TRoomDetailsForm form;
    bool applyEnabled = true;
    EXPECT_FALSE(OpenRoomDetails(form, applyEnabled));
    Connected(1);
    LobbyModel.currentRoom->topic = "Welcome";
    LobbyModel.currentRoom->lockText = "sesame";
    LobbyModel.currentRoom->moderated = 1;
    ASSERT_TRUE(OpenRoomDetails(form, applyEnabled));
    EXPECT_TRUE(applyEnabled);
    EXPECT_EQ(form.topic, "Welcome");
    EXPECT_TRUE(form.keyChecked);
    EXPECT_EQ(form.key, "sesame");
    EXPECT_TRUE(form.moderated);
    EXPECT_FALSE(form.applied);
    OwnUser()->privilege = privVoice;
    LobbyModel.currentRoom->lockText.clear();
    ASSERT_TRUE(OpenRoomDetails(form, applyEnabled));
    EXPECT_FALSE(applyEnabled);
    EXPECT_FALSE(form.keyChecked);
}

}  // namespace
}  // namespace pk::test
