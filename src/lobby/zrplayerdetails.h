#pragma once
// The player details without their widgets: what the server reports about a player (or what
// the client knows about the own user) turned into the texts and buttons the dialog shows, the
// profile's fields, the joins it offers, and what it sends when the own details are applied.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pk {

// The profile's fields by their controls' names, in the dialog's order. A field's key in the
// profile record is its control's name without the first letter; "pother" is a memo.
inline constexpr std::array<const char*, 12> ProfileFields = {
    "pfirstname", "plastname", "pgender", "page", "pcity", "pstate",
    "pcountry",   "pother",    "pyahoo",  "paim", "pmsn",  "picq"};
using TProfile = std::array<std::string, ProfileFields.size()>;
inline std::string_view ProfileKey(std::size_t field) {
    return std::string_view(ProfileFields[field]).substr(1);
}

// A compressed profile record read into the fields (absent keys empty; a record that does not
// inflate gives empty fields), and the fields written back.
TProfile LoadProfile(const std::string& compressed);
std::string SaveProfile(const TProfile& profile);

// Message 33 as read.
struct TPlayerDetailsReply {
    bool online = false;
    std::string nickname;
    std::int32_t state = 0;
    std::int32_t roomId = 0;
    std::int32_t gameId = 0;
    std::string gameName;
    std::string creator;
    std::string awayMessage;
    std::string profile;  // compressed
};
// False for a payload that does not inflate (logged); the reply is then empty.
bool ParsePlayerDetails(const std::string& payload, TPlayerDetailsReply& reply);

// What the dialog shows.
struct TPlayerDetailsView {
    bool own = false;  // the own details: editable, with Apply
    std::string caption;
    // None for a state the client has no text for: the label keeps what it showed, since a
    // newer server's state says nothing against it.
    std::optional<std::string> awayLabel = std::string();
    std::string awayMessage;
    std::string roomLabel;
    bool joinRoomVisible = false;
    std::string gameLabel;
    std::string gameCreator;
    bool joinGameVisible = false;
    TProfile profile;
};

// Another player's details: also remembers the player, its room and game for the joins.
TPlayerDetailsView ShowPlayerDetails(const TPlayerDetailsReply& reply);
// The own details (only with a current room; false without).
bool ShowOwnDetails(TPlayerDetailsView& view);
// "Player is active" and the others by status; none for other values.
std::optional<std::string> PlayerStateText(std::int32_t state);

// The join buttons. The room is looked up again by its id; a keyed room asks `askKey` (true
// with a key typed) unless the own user is an administrator. True when something was sent.
template <class AskKey>
bool JoinDetailsRoom(AskKey&& askKey);
bool JoinDetailsRoomWithKey(bool asked, const std::string& key);
bool DetailsRoomNeedsKey();
// Joins the shown game when it is still in the current room; true when asked for.
bool JoinDetailsGame();

// The dialog closes: forgets the player; the own details, when applied, store and send a
// changed profile (25) and away message (24, also when cleared).
void ClosePlayerDetails(bool own, bool applied, const TProfile& profile,
                        const std::string& awayMessage);

template <class AskKey>
bool JoinDetailsRoom(AskKey&& askKey) {
    if (!DetailsRoomNeedsKey()) {
        return JoinDetailsRoomWithKey(false, "");
    }
    std::string key;
    const bool typed = askKey(key);
    return typed && JoinDetailsRoomWithKey(true, key);
}

}  // namespace pk
