#include "lobby/zrstatuslist.h"

#include <algorithm>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbylayout.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

namespace {

int OwnPrivilege() {
    const tSbUser* own = OwnUser();
    return own ? static_cast<int>(own->privilege) : static_cast<int>(privNormal);
}

}  // namespace

std::string StatusKindCaption(int kind) {
    static const char* const kCaptions[] = {"Operator", "Voiced", "Ban",
                                            "IP Ban",   "Allow",  "IP Allow"};
    kind &= 0x7F;
    return kind <= 5 ? kCaptions[kind] : "";
}

std::vector<StatusListRecord> ParseStatusList(const std::string& payload) {
    std::vector<StatusListRecord> rows;
    TXSettings record;
    if (!payload.empty() && !record.LoadFromCompressed(payload)) {
        AddLogLine("Status list: the payload does not inflate");
        return rows;
    }
    for (std::size_t i = 0; i < MaxStatusListRows; ++i) {
        const std::string value = record.GetValue(std::to_string(i));
        if (value.empty()) {
            break;
        }
        const TLobbyFields f(value, LobbyFieldSep);
        StatusListRecord row;
        constexpr auto& entry = lobbylayout::kStatusListEntry;
        row.entryId = f.Get(entry.entryId);
        row.kindText = std::string(f.Raw(entry.kind));
        const int kind = f.Get(entry.kind);
        const std::int32_t seconds = f.Get(entry.seconds);
        row.cells = {StatusKindCaption(kind), f.Get(entry.nickname), f.Get(entry.message),
                     seconds > 0 ? std::to_string(seconds) + "sec" : ""};
        rows.push_back(std::move(row));
    }
    return rows;
}

bool statuslistCompare(const StatusListRecord& a, const StatusListRecord& b, int column) {
    const auto& x = a.cells;
    const auto& y = b.cells;
    switch (column) {
        case 0:
            return x[0] != y[0] ? x[0] < y[0] : x[1] < y[1];
        case 1:
            return x[1] < y[1];
        case 2:
            return x[2] != y[2] ? x[2] < y[2] : x[1] < y[1];
        default:
            return false;
    }
}

void TStatusListModel::Fill(const std::string& payload, bool dialogVisible) {
    if (!dialogVisible) {
        sort_.Reset();
    }
    rows_ = ParseStatusList(payload);
    selected_ = -1;
    Sort();
}

void TStatusListModel::ColumnClick(int column) {
    sort_.Click(column, static_cast<int>(std::tuple_size_v<decltype(StatusListRecord::cells)>));
    Sort();
}

void TStatusListModel::Sort() {
    const StatusListRecord* keep = selected_ >= 0 ? &rows_[selected_] : nullptr;
    const std::int32_t keepId = keep ? keep->entryId : 0;
    std::stable_sort(rows_.begin(), rows_.end(), [this](const auto& a, const auto& b) {
        return sort_.ascending ? statuslistCompare(a, b, sort_.column)
                               : statuslistCompare(b, a, sort_.column);
    });
    if (keep) {
        selected_ = -1;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].entryId == keepId) {
                selected_ = static_cast<int>(i);
                break;
            }
        }
    }
}

void TStatusListModel::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

void TStatusListModel::Clear() {
    rows_.clear();
    selected_ = -1;
}

bool TStatusListModel::RemoveSelected() {
    if (selected_ < 0 || OwnPrivilege() >= privVoice) {
        return false;
    }
    const int count = static_cast<int>(rows_.size());
    int next = -1;
    if (count > 1) {
        next = selected_ < count - 1 ? selected_ + 1 : 0;
    }
    LobbySend(LobbyMsgSetNormal, std::to_string(rows_[selected_].entryId));
    rows_.erase(rows_.begin() + selected_);
    // The row after the removed one has moved up into its place.
    if (next > selected_) {
        next -= 1;
    }
    selected_ = next >= 0 ? next : (rows_.empty() ? -1 : 0);
    if (ClientState.lobby.LobbyLinkState == sbConnected && OwnPrivilege() < privVoice) {
        LobbySend(LobbyMsgPermanentList, "");
    }
    return true;
}

bool IsValidRoomKey(std::string_view key) {
    return IsValidText(key);
}

bool ApplyRoomDetails(const TRoomDetailsForm& form) {
    if (!form.applied) {
        return false;
    }
    if (form.keyChecked && !IsValidRoomKey(form.key)) {
        return false;
    }
    if (!form.topic.empty() && !IsValidText(form.topic)) {
        return false;
    }
    SendRoomProperties(form.topic, form.keyChecked ? form.key : "", form.moderated ? 1 : 0);
    return true;
}

bool OpenRoomDetails(TRoomDetailsForm& form, bool& applyEnabled) {
    form = {};
    applyEnabled = false;
    const tsbaroom* room = LobbyModel.currentRoom.get();
    if (!room) {
        return false;
    }
    const tSbUser* own = OwnUser();
    applyEnabled = own && own->privilege <= privOperator;
    form.topic = room->topic;
    form.keyChecked = !room->lockText.empty();
    form.key = room->lockText;
    form.moderated = room->moderated != 0;
    return true;
}

}  // namespace pk
