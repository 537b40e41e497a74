#pragma once
// The user-database console without its widgets: the statements its forms build, the replies
// kept newest first with their tab captions, and the grid a reply shows.
#include <cstdint>
#include <string>
#include <vector>

namespace pk {

// A value for a quoted SQL string: backslashes first, then single quotes, get a backslash.
std::string EscapeSqlValue(const std::string& value);

// The forms' statements. Column and key names go out as typed; values are escaped.
std::string ListUsersStatement(const std::string& column, const std::string& key,
                               const std::string& value);
std::string ChangeFieldStatement(const std::string& key, const std::string& name,
                                 const std::string& value);
std::string DeleteUserStatement(const std::string& name);
std::string CreateUserStatement(const std::string& name, const std::string& password,
                                const std::string& email);
std::string SetPasswordStatement(const std::string& name, const std::string& password);
// Sends a statement as the lobby command "userdb".
void SendUserDbStatement(const std::string& statement);

// The statement line with its own history, walked as the lobby chat line walks its own.
struct TDbStatementEdit {
    std::string text;
    int itemIndex = -1;  // the history entry shown, -1 for a fresh line
    std::vector<std::string> history;
};
// Enter: only while the lobby link is connected the line goes out as "userdb" and into the
// history, and the line is cleared; true when sent.
bool DbStatementEnter(TDbStatementEdit& edit);
// Up (true) or Down (false) through the history; past either end an empty line.
void DbStatementWalk(TDbStatementEdit& edit, bool up);

// What a reply shows.
struct TDbResult {
    int columns = 0;
    std::vector<std::vector<std::string>> rows;  // [row][column], row 0 the header
    std::string forQuery;                        // "For query: ..."
    std::string error;                           // empty when there is none
    bool inflated = true;
};
// An empty payload gives an empty result; one that does not inflate too, with a log line.
TDbResult ShowDbResult(const std::string& payload);

class TDbConsoleModel {
public:
    // A reply arrives: a new tab at the front, selected.
    void AddDbResult(const std::string& payload);
    // The right button on the tab row removes the selected tab; true when one was removed.
    bool RemoveSelectedTab();
    void SelectTab(int index);
    // The selected tab's reply; an empty result with no tab.
    TDbResult Current() const;

    const std::vector<std::string>& Captions() const { return captions_; }
    int Selected() const { return selected_; }
    int Counter() const { return counter_; }

private:
    std::vector<std::string> replies_;  // newest first, beside the captions
    std::vector<std::string> captions_;
    int selected_ = -1;
    int counter_ = 0;
};

}  // namespace pk
