#include "lobby/zrdbconsole.h"

#include <algorithm>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "game/zrgame.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbylink.h"

namespace pk {

namespace {

constexpr std::size_t kCaptionQueryLength = 30;

std::string FirstWordLower(const std::string& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) {
        return "";
    }
    const std::size_t end = text.find(' ', start);
    return LowerCase(text.substr(start, end == std::string::npos ? end : end - start));
}

}  // namespace

std::string EscapeSqlValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\\' || c == '\'') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

std::string ListUsersStatement(const std::string& column, const std::string& key,
                               const std::string& value) {
    return "SELECT " + column + " FROM users WHERE " + key + " LIKE '" + EscapeSqlValue(value) +
           "' LIMIT 50";
}

std::string ChangeFieldStatement(const std::string& key, const std::string& name,
                                 const std::string& value) {
    return "UPDATE users SET " + key + "='" + EscapeSqlValue(value) + "' WHERE name='" +
           EscapeSqlValue(name) + "' LIMIT 1";
}

std::string DeleteUserStatement(const std::string& name) {
    return "DELETE FROM users WHERE name='" + EscapeSqlValue(name) + "' LIMIT 1";
}

std::string CreateUserStatement(const std::string& name, const std::string& password,
                                const std::string& email) {
    return "newuser " + name + " " + password + " " + email;
}

std::string SetPasswordStatement(const std::string& name, const std::string& password) {
    return "setpass " + name + " " + password;
}

void SendUserDbStatement(const std::string& statement) {
    SendLobbyCommand("userdb", statement);
}

TDbResult ShowDbResult(const std::string& payload) {
    TDbResult result;
    TXSettings record;
    if (!payload.empty() && !record.LoadFromCompressed(payload)) {
        AddLogLine("User database: the reply does not inflate");
        result.inflated = false;
    }
    const std::vector<std::string> keys =
        RecordCells(record.GetValue("keys"), static_cast<std::size_t>(MaxTableHeadings));
    std::vector<std::vector<std::string>> data;
    for (int r = 0; r < MaxDbResultRows; ++r) {
        const std::string line = record.GetValue(std::to_string(r));
        if (line.empty()) {
            break;
        }
        data.push_back(RecordCells(line, keys.size()));
    }
    const std::string query = record.GetValue("query");
    const std::string verb = FirstWordLower(query);
    const bool counts = verb == "update" || verb == "delete" || verb == "insert";
    // The grid has room for whatever its statement writes into it.
    result.columns = static_cast<int>(keys.size());
    if (counts) {
        result.columns = std::max(result.columns, verb == "insert" ? 2 : 1);
    }
    const std::size_t rowCount = 1 + std::max<std::size_t>(1, data.size());
    result.rows.assign(rowCount, std::vector<std::string>(result.columns));
    for (std::size_t c = 0; c < keys.size(); ++c) {
        result.rows[0][c] = keys[c];
    }
    for (std::size_t r = 0; r < data.size(); ++r) {
        for (std::size_t c = 0; c < data[r].size(); ++c) {
            result.rows[r + 1][c] = data[r][c];
        }
    }
    if (counts) {
        result.rows[0][0] = "RowsAffected";
        result.rows[1][0] = record.GetValue("affected");
        if (verb == "insert") {
            result.rows[0][1] = "IDAdded";
            result.rows[1][1] = record.GetValue("lastid");
        }
    }
    result.forQuery = "For query: " + query;
    const std::int32_t errorNumber = record.GetInt("errno", 0);
    if (errorNumber > 0) {
        result.error = "Error: (" + std::to_string(errorNumber) + ") " + record.GetValue("err");
    }
    return result;
}

void TDbConsoleModel::AddDbResult(const std::string& payload) {
    counter_ += 1;
    TXSettings record;
    if (!payload.empty()) {
        record.LoadFromCompressed(payload);
    }
    std::string query = record.GetValue("query");
    if (query.size() > kCaptionQueryLength) {
        query = query.substr(0, kCaptionQueryLength) + "...";
    }
    replies_.insert(replies_.begin(), payload);
    captions_.insert(captions_.begin(), std::to_string(counter_) + ". " + query);
    selected_ = 0;
}

bool TDbConsoleModel::RemoveSelectedTab() {
    if (selected_ < 0 || selected_ >= static_cast<int>(replies_.size())) {
        return false;
    }
    replies_.erase(replies_.begin() + selected_);
    captions_.erase(captions_.begin() + selected_);
    selected_ = std::min(selected_, static_cast<int>(replies_.size()) - 1);
    return true;
}

void TDbConsoleModel::SelectTab(int index) {
    selected_ = index >= 0 && index < static_cast<int>(replies_.size()) ? index : -1;
}

TDbResult TDbConsoleModel::Current() const {
    return ShowDbResult(selected_ >= 0 ? replies_[selected_] : std::string());
}

bool DbStatementEnter(TDbStatementEdit& edit) {
    if (ClientState.lobby.LobbyLinkState != sbConnected) {
        return false;
    }
    SendUserDbStatement(edit.text);
    edit.history.push_back(edit.text);
    edit.itemIndex = -1;
    edit.text.clear();
    return true;
}

void DbStatementWalk(TDbStatementEdit& edit, bool up) {
    const int count = static_cast<int>(edit.history.size());
    if (edit.itemIndex >= count) {
        edit.itemIndex = -1;
    }
    if (up) {
        edit.itemIndex = edit.itemIndex != -1 ? edit.itemIndex - 1 : count - 1;
    } else if (count == 0) {
        return;
    } else if (edit.itemIndex == -1) {
        edit.itemIndex = 0;
    } else if (edit.itemIndex == count - 1) {
        edit.itemIndex = -1;
    } else {
        ++edit.itemIndex;
    }
    edit.text = edit.itemIndex >= 0 ? edit.history[static_cast<std::size_t>(edit.itemIndex)]
                                    : std::string();
}

}  // namespace pk
