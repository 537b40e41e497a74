#pragma once
// The room's message of the day and ban list as the extra game settings window edits them.
// The window is a thin view over this model; the model decides what is sent.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrlines.h"

namespace pk {

inline constexpr uint8_t MsgRoomMessageEdit = 0x0f;
inline constexpr uint8_t MsgBanListEdit = 0x11;
// A frame's 16-bit length counts the type byte and the payload, so one message carries at
// most this many payload bytes.
inline constexpr std::size_t MaxGamePayload = 65534;

// The lines of SplitLines (LineBreaks::AnySeparates: every break opens a line) joined again,
// so the text comes back with its breaks as CR LF.
std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator = "\r\n");

// The lines of a text file joined by CR LF (the file's final break ends its last line);
// nothing when it cannot be read. Whatever SaveTextFile wrote loads as the very text saved.
std::optional<std::string> LoadTextFile(const std::string& path);
// Every line followed by CR LF, written to a temporary file beside the target and renamed.
bool SaveTextFile(const std::string& path, const std::string& text);

class TExtrasModel {
public:
    // The texts of the room now in force, as the edits show them.
    void Load();

    std::string motd;     // lines joined by CR LF
    std::string banList;  // lines joined by CR LF

    // Empty when both texts can be sent, else the message to show.
    std::string Problem() const;
    // Sends each changed text and stores both as the room's. False, with nothing sent or
    // stored, when a text is too long for one message.
    bool Close();

private:
    std::string loadedMotd_;
    std::string loadedBan_;
};

}  // namespace pk
