#include "room/zrgextras.h"

#include <cstdio>

#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

// Nobody edits a room message of this size; a bigger file is not a text for this window.
constexpr std::size_t MaxTextFile = 4u << 20;

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += separator;
        out += lines[i];
    }
    return out;
}

std::optional<std::string> LoadTextFile(const std::string& path) {
    auto bytes = ReadFileBytes(path, MaxTextFile);
    if (!bytes)
        return std::nullopt;
    // A saved file ends every line with a break: the last break closes the last line and
    // opens none.
    if (!bytes->empty() && (bytes->back() == '\n' || bytes->back() == '\r')) {
        const bool crlf = bytes->size() >= 2 && bytes->compare(bytes->size() - 2, 2, "\r\n") == 0;
        bytes->resize(bytes->size() - (crlf ? 2 : 1));
    }
    return JoinLines(SplitLines(*bytes, LineBreaks::AnySeparates));
}

bool SaveTextFile(const std::string& path, const std::string& text) {
    std::string bytes;
    for (const auto& line : SplitLines(text, LineBreaks::AnySeparates)) bytes += line + "\r\n";
    return WriteFileAtomic(path, bytes, SaveTarget::UserFile);
}

void TExtrasModel::Load() {
    motd = JoinLines(SplitLines(Settings.rules.RoomMotd, LineBreaks::AnySeparates));
    banList = JoinLines(SplitLines(Settings.rules.BanList, LineBreaks::AnySeparates));
    loadedMotd_ = motd;
    loadedBan_ = banList;
}

std::string TExtrasModel::Problem() const {
    const std::string limit = " (at most " + std::to_string(MaxGamePayload) + " characters).";
    if (motd.size() > MaxGamePayload)
        return "The room message is too long to send" + limit;
    if (banList.size() > MaxGamePayload)
        return "The ban list is too long to send" + limit;
    return {};
}

bool TExtrasModel::Close() {
    if (!Problem().empty())
        return false;
    if (motd != loadedMotd_) {
        GameSender().SendGameMessage(MsgRoomMessageEdit, motd);
        Settings.rules.RoomMotd = motd;
        loadedMotd_ = motd;
    }
    if (banList != loadedBan_) {
        GameSender().SendGameMessage(MsgBanListEdit, banList);
        Settings.rules.BanList = banList;
        loadedBan_ = banList;
    }
    return true;
}

}  // namespace pk
