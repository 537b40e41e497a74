// The user-database console: statements with hostile values, the replies as tabs and grids.
#include "lobby/zrdbconsole.h"

#include "lobby_fixture.h"
#include "records_fixture.h"

namespace pk::test {
namespace {

class DbConsoleTest : public LobbyTest {};

TEST_F(DbConsoleTest, ValuesAreEscapedBackslashFirstAndNamesGoAsTyped) {
    EXPECT_EQ(ListUsersStatement("name,email", "email", "a'b\\"),
              "SELECT name,email FROM users WHERE email LIKE 'a\\'b\\\\' LIMIT 50");
    // A trailing backslash must not swallow the closing quote.
    EXPECT_EQ(ChangeFieldStatement("rank", "x\\", "' OR 1=1 --"),
              "UPDATE users SET rank='\\' OR 1=1 --' WHERE name='x\\\\' LIMIT 1");
    EXPECT_EQ(DeleteUserStatement("o'\\'"), "DELETE FROM users WHERE name='o\\'\\\\\\'' LIMIT 1");
    EXPECT_EQ(CreateUserStatement("bob", "pw", "b@x"), "newuser bob pw b@x");
    EXPECT_EQ(SetPasswordStatement("bob", "new"), "setpass bob new");
}

TEST_F(DbConsoleTest, AStatementGoesOutAsTheUserdbCommand) {
    Connected(0);
    SendUserDbStatement(DeleteUserStatement("eve"));
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{
                              // code 18: "userdb" 0x02 the statement
                              {18,
                               "userdb\x02"
                               "DELETE FROM users WHERE name='eve' LIMIT 1"},
                          }));
}

TEST_F(DbConsoleTest, ARowsReplyFillsTheGridUpToTheFirstEmptyRow) {
    const TDbResult r = ShowDbResult(Packed({{"keys",
                                              "name\x01"
                                              "rank"},
                                             {"0",
                                              "ada\x01"
                                              "1\x01"
                                              "extra"},
                                             {"1", "bob"},
                                             {"2", ""},
                                             {"3", "hidden"},
                                             {"query", "SELECT name,rank FROM users"}}));
    EXPECT_EQ(r.columns, 2);
    EXPECT_EQ(r.rows,
              (std::vector<std::vector<std::string>>{{"name", "rank"}, {"ada", "1"}, {"bob", ""}}));
    EXPECT_EQ(r.forQuery, "For query: SELECT name,rank FROM users");
    EXPECT_EQ(r.error, "");
}

TEST_F(DbConsoleTest, CountingStatementsShowRowsAffectedAndTheAddedId) {
    TDbResult r =
        ShowDbResult(Packed({{"query", "INSERT INTO users"}, {"affected", "1"}, {"lastid", "42"}}));
    EXPECT_EQ(r.columns, 2);  // room for both cells without "keys"
    EXPECT_EQ(r.rows,
              (std::vector<std::vector<std::string>>{{"RowsAffected", "IDAdded"}, {"1", "42"}}));
    r = ShowDbResult(Packed({{"query", "  Update users SET x=1"}, {"affected", "3"}}));
    EXPECT_EQ(r.columns, 1);
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"RowsAffected"}, {"3"}}));
    r = ShowDbResult(Packed({{"query", "bogus"}, {"errno", "1064"}, {"err", "syntax"}}));
    EXPECT_EQ(r.columns, 0);
    EXPECT_EQ(r.error, "Error: (1064) syntax");
}

TEST_F(DbConsoleTest, AReplyThatDoesNotInflateShowsAnEmptyResultAndIsLogged) {
    const TDbResult r = ShowDbResult("\x78\x9c\x01\x02");
    EXPECT_FALSE(r.inflated);
    EXPECT_EQ(r.columns, 0);
    EXPECT_EQ(r.forQuery, "For query: ");
    EXPECT_TRUE(LogHas("User database"));
}

TEST_F(DbConsoleTest, TabsAreNewestFirstWithCutCaptionsAndKeepCounting) {
    TDbConsoleModel console;
    EXPECT_FALSE(console.RemoveSelectedTab());
    console.AddDbResult(Packed({{"query", std::string(30, 'a')}}));
    console.AddDbResult(Packed({{"query", std::string(31, 'b')}}));
    EXPECT_EQ(console.Captions(), (std::vector<std::string>{"2. " + std::string(30, 'b') + "...",
                                                            "1. " + std::string(30, 'a')}));
    EXPECT_EQ(console.Selected(), 0);
    console.SelectTab(1);
    EXPECT_EQ(console.Current().forQuery, "For query: " + std::string(30, 'a'));
    ASSERT_TRUE(console.RemoveSelectedTab());
    EXPECT_EQ(console.Selected(), 0);
    console.AddDbResult(Packed({{"query", "q"}}));
    EXPECT_EQ(console.Captions()[0], "3. q");
    ASSERT_TRUE(console.RemoveSelectedTab());
    ASSERT_TRUE(console.RemoveSelectedTab());
    EXPECT_EQ(console.Selected(), -1);
    EXPECT_EQ(console.Current().columns, 0);
    EXPECT_EQ(console.Counter(), 3);
}

TEST_F(DbConsoleTest, TheStatementLineSendsOnlyWhileConnectedAndWalksItsHistory) {
    TDbStatementEdit edit;
    edit.text = "SELECT 1";
    EXPECT_FALSE(DbStatementEnter(edit));
    EXPECT_EQ(edit.text, "SELECT 1");
    EXPECT_TRUE(edit.history.empty());
    Connected(0);
    ASSERT_TRUE(DbStatementEnter(edit));
    edit.text = "SELECT 2";
    ASSERT_TRUE(DbStatementEnter(edit));
    EXPECT_EQ(TakeSent(),
              (std::vector<SentFrame>{{18, "userdb\x02SELECT 1"}, {18, "userdb\x02SELECT 2"}}));
    EXPECT_TRUE(edit.text.empty());
    DbStatementWalk(edit, true);  // Up from a fresh line: the newest
    EXPECT_EQ(edit.text, "SELECT 2");
    DbStatementWalk(edit, true);
    EXPECT_EQ(edit.text, "SELECT 1");
    DbStatementWalk(edit, true);  // past the oldest: an empty line
    EXPECT_EQ(edit.text, "");
    DbStatementWalk(edit, false);  // Down from a fresh line: the oldest
    EXPECT_EQ(edit.text, "SELECT 1");
    DbStatementWalk(edit, false);
    DbStatementWalk(edit, false);  // past the newest
    EXPECT_EQ(edit.text, "");
}

}  // namespace
}  // namespace pk::test
