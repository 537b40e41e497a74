#pragma once
// The permanent status list (operators, voiced users, bans, allows of the current room) and the
// room details form, without their widgets: the rows read from the server's payload, their
// sort, the removal with what it sends, and the properties the details form sends.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/zrcolumnsort.h"

namespace pk {

struct StatusListRecord {
    std::int32_t entryId = 0;
    std::string kindText;              // the kind field as received
    std::array<std::string, 4> cells;  // Status, Nickname, Message, Remove in
};

// The rows of message 22's payload (a compressed record of "0", "1", ... up to the first empty
// value). A payload that does not inflate gives no rows and a log line. At most
// MaxStatusListRows rows are read.
std::vector<StatusListRecord> ParseStatusList(const std::string& payload);
// The Status caption of a kind (low 7 bits); empty above 5.
std::string StatusKindCaption(int kind);

class TStatusListModel {
public:
    // Refills from a payload; the sort resets to Status ascending unless the dialog is shown.
    void Fill(const std::string& payload, bool dialogVisible);
    // A click on the current column flips the direction, another column sorts ascending.
    void ColumnClick(int column);
    void Sort();
    // The selected entry's removal: 14 with its id, then 16 to ask for the list again while
    // connected. Only with a selection and an own privilege below 2. True when sent.
    bool RemoveSelected();
    void Clear();

    const std::vector<StatusListRecord>& Rows() const { return rows_; }
    int Selected() const { return selected_; }
    void Select(int row);
    int SortColumn() const { return sort_.column; }
    bool Ascending() const { return sort_.ascending; }

private:
    std::vector<StatusListRecord> rows_;
    int selected_ = -1;
    TColumnSort sort_;
};

// Status list order for a column (0 Status, 1 Nickname, 2 Message, 3 Remove in), ascending;
// a strict weak order, byte-wise.
bool statuslistCompare(const StatusListRecord& a, const StatusListRecord& b, int column);

// The room details form as it closes.
struct TRoomDetailsForm {
    std::string topic;
    bool keyChecked = false;
    std::string key;
    bool moderated = false;
    bool applied = false;  // closed with Apply
};
// A room key as the room details form sets it and as every join accepts it: one rule for both.
bool IsValidRoomKey(std::string_view key);
// Sends 13 when the form was applied and its texts are valid; true when sent.
bool ApplyRoomDetails(const TRoomDetailsForm& form);
// The form as it opens over the current room (topic, key, moderated mode); false outside a
// room. Only administrators and operators may apply it.
bool OpenRoomDetails(TRoomDetailsForm& form, bool& applyEnabled);

}  // namespace pk
