// The master server's answers for the lobby's dialogs: the permanent status list, player
// details and statistics, and the small user table behind "userdb". Built from the server's
// own literals; only the record codec is shared with the client.
#include <algorithm>

#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "peers/master_server.h"

namespace pk::peers {

namespace {

constexpr char kField = '\x02';
constexpr char kCell = '\x01';

const MasterScript::Pairs* Lookup(const std::vector<std::pair<std::string, MasterScript::Pairs>>& m,
                                  const std::string& name) {
    for (const auto& [key, pairs] : m) {
        if (SameText(key, name)) {
            return &pairs;
        }
    }
    return nullptr;
}

std::string JoinCells(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out += (i ? std::string(1, kCell) : std::string()) + cells[i];
    }
    return out;
}

// The quoted value of a LIKE clause, its backslash escapes undone.
std::string QuotedValue(const std::string& statement) {
    const std::size_t open = statement.find('\'');
    std::string out;
    for (std::size_t i = open == std::string::npos ? statement.size() : open + 1;
         i < statement.size(); ++i) {
        if (statement[i] == '\\' && i + 1 < statement.size()) {
            out += statement[++i];
        } else if (statement[i] == '\'') {
            break;
        } else {
            out += statement[i];
        }
    }
    return out;
}

std::string UserDbReply(const MasterScript& s, const std::string& statement) {
    MasterScript::Pairs reply = {{"query", statement}};
    const std::vector<std::string> words = [&] {
        std::vector<std::string> w;
        for (int i = 1; i <= WordCount(statement); ++i) {
            w.push_back(WordAt(i, statement));
        }
        return w;
    }();
    if (words.size() >= 7 && SameText(words[0], "SELECT") && SameText(words[2], "FROM") &&
        SameText(words[6], "LIKE")) {
        const auto column = [&](const std::string& name) {
            const auto it = std::find(s.userColumns.begin(), s.userColumns.end(), name);
            return it == s.userColumns.end() ? -1 : static_cast<int>(it - s.userColumns.begin());
        };
        std::vector<std::string> wanted;
        for (int i = 1; i <= TokenCount(words[1], ','); ++i) {
            wanted.push_back(TokenAt(i, words[1], ','));
        }
        const int key = column(words[5]);
        if (key < 0) {
            reply.push_back({"errno", "1054"});
            reply.push_back({"err", "Unknown column '" + words[5] + "'"});
            return MasterRecord(reply);
        }
        reply.push_back({"keys", JoinCells(wanted)});
        const std::string value = QuotedValue(statement);
        int n = 0;
        for (const auto& row : s.userRows) {
            if (key < static_cast<int>(row.size()) && row[key] == value) {
                std::vector<std::string> cells;
                for (const std::string& w : wanted) {
                    const int c = column(w);
                    cells.push_back(c >= 0 && c < static_cast<int>(row.size()) ? row[c] : "");
                }
                reply.push_back({std::to_string(n++), JoinCells(cells)});
            }
        }
        return MasterRecord(reply);
    }
    reply.push_back({"affected", "1"});
    reply.push_back({"lastid", "77"});
    return MasterRecord(reply);
}

}  // namespace

std::string MasterStatusEntry(int id, int kind, const std::string& nickname,
                              const std::string& message, int seconds) {
    return std::to_string(id) + kField + std::to_string(kind) + kField + nickname + kField +
           message + kField + std::to_string(seconds);
}

std::string MasterRecord(const MasterScript::Pairs& pairs) {
    TXSettings record;
    for (const auto& [key, value] : pairs) {
        record.SetValue(key, value);
    }
    return record.SaveToCompressed();
}

bool MasterAnswerDialogRequest(MasterServerSession& session, const MasterScript& s,
                               const LobbyFrame& frame) {
    const std::string first = TokenAt(1, frame.payload, kField);
    switch (frame.code) {
        case LobbyMsgPermanentList: {  // the permanent status list
            MasterScript::Pairs entries;
            for (std::size_t i = 0; i < s.statusList.size(); ++i) {
                entries.push_back({std::to_string(i), s.statusList[i]});
            }
            session.SendFrame(LobbyMsgStatusList, MasterRecord(entries));
            return true;
        }
        case LobbyMsgAskDetails:
            if (const auto* pairs = Lookup(s.details, first)) {
                session.SendFrame(LobbyMsgPlayerDetails, MasterRecord(*pairs));
                return true;
            }
            return false;
        case LobbyMsgAskStats:  // player statistics: the nickname, then the tables
            if (const auto* pairs = Lookup(s.stats, first)) {
                session.SendFrame(LobbyMsgPlayerStats, first + kField + MasterRecord(*pairs));
                return true;
            }
            return false;
        case LobbyMsgProfileChanged:  // the profile changed: the server asks for it (32), the
                                      // client answers 23
            session.SendFrame(LobbyMsgQuery, "");
            return true;
        case LobbyMsgCommand:  // the user-database console
            if (first == "userdb") {
                session.SendFrame(LobbyMsgUserDb,
                                  UserDbReply(s, RestFromToken(2, frame.payload, kField)));
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace pk::peers
