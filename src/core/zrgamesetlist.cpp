#include "core/zrgamesetlist.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "core/bytestream.h"
#include "core/zrgameset.h"
#include "core/zrlog.h"

namespace pk {

std::vector<std::unique_ptr<tcbgameset>> GameSetList;
std::vector<UnreadGameSetEntry> UnreadGameSetEntries;

namespace {

// Each letter of "acnrsbgqovidfm" repeated by its weight: line changes and clearing are common,
// the field-wrecking specials and the timed ones rare.
constexpr std::string_view AllSpecials = "aaacccnrrsbbgqqoovidfm";
// Without the timed specials (immunity, darkness, confusion, mirror) and "v".
constexpr std::string_view OldSpecials = "aaacccnrrsbbgqqoo";
constexpr std::string_view EvenPieces = "1234567";
// Piece 1, the bar, at a quarter of the weight of each other piece.
constexpr std::string_view FewBars = "1222233334444555566667777";

struct BuiltInSet {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> values;
};

std::vector<std::pair<std::string_view, std::string_view>> Specials(std::string_view letters) {
    return {{"sbchance1", letters},
            {"sbchance2", letters},
            {"sbchance3", letters},
            {"sbchance4", letters}};
}

std::vector<BuiltInSet> BuiltInSets() {
    auto with = [](std::vector<std::pair<std::string_view, std::string_view>> a,
                   const std::vector<std::pair<std::string_view, std::string_view>>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    return {
        {"Classic Game",
         {{"classic", "1"},
          {"piecechance", EvenPieces},
          {"desc", "Lines you clear are added to the other players' fields. No special blocks."}}},
        {"Classic Game (Win by lines)",
         {{"classic", "1"},
          {"winbylines", "1"},
          {"winlines", "100"},
          {"piecechance", EvenPieces},
          {"desc", "Classic rules; the first to clear 100 lines wins."}}},
        {"Special Block Game",
         with({{"piecechance", EvenPieces},
               {"desc", "Cleared lines bring special blocks to use on the other players."}},
              Specials(AllSpecials))},
        {"Classic Game (1 on 1)",
         {{"classic", "1"},
          {"maxp", "2"},
          {"piecechance", EvenPieces},
          {"desc", "Classic rules for two players."}}},
        {"Pelkorin 1.13 Game",
         with({{"holdpiece", "0"},
               {"pshadow", "0"},
               {"piecechance", EvenPieces},
               {"desc", "Special blocks as in version 1.13: no timed specials, no hold piece."}},
              Specials(OldSpecials))},
        {"Classic + Special Game",
         with({{"classic", "1"},
               {"piecechance", EvenPieces},
               {"desc", "Cleared lines go to the others and bring special blocks too."}},
              Specials(AllSpecials))},
        {"Skill Game",
         {{"linesforlvl", "1"},
          {"lvlinc", "2"},
          {"speedupmin", "2"},
          {"piecechance", EvenPieces},
          {"desc", "No special blocks and no lines sent: the levels climb fast."}}},
        {"Earn Your Sticks",
         with({{"piecechance", FewBars},
               {"desc", "Special blocks, and the long bar comes rarely: earn it."}},
              Specials(AllSpecials))},
    };
}

std::string BuildBlock() {
    ByteWriter w;
    w.u8(static_cast<uint8_t>(GameSetFileMarker));
    w.u16(static_cast<uint16_t>(GameSetFileVersion));
    for (const BuiltInSet& set : BuiltInSets()) {
        TGameSet g;
        for (const auto& [key, value] : set.values) g.SetValue(key, value);
        w.u8(1);
        w.lenString(set.name);
        w.lenString(g.SaveToCompressed());
    }
    return std::move(w.out());
}

}  // namespace

const std::vector<std::string_view> BuiltInGameSetNames = {
    "Classic Game",       "Classic Game (Win by lines)",
    "Special Block Game", "Classic Game (1 on 1)",
    "Pelkorin 1.13 Game", "Classic + Special Game",
    "Skill Game",         "Earn Your Sticks"};

const std::string& BuiltInGameSetBlock() {
    static const std::string block = BuildBlock();
    return block;
}

bool GameSetFileVersionOf(std::string_view bytes, int& version) {
    if (bytes.size() < static_cast<std::size_t>(GameSetFileHeaderSize))
        return false;
    if (bytes[0] != GameSetFileMarker) {
        version = 0;
        return true;
    }
    ByteReader r(bytes);
    r.skip(1);
    version = r.u16();
    return true;
}

namespace {

// The sets SaveGameSets writes.
bool WrittenSet(const std::unique_ptr<tcbgameset>& set) {
    return set && !set->builtin && !set->editor;
}

// The data of an entry as the compressed form; nothing when it is no game set.
std::optional<std::string> ReadEntryData(std::string data, int version) {
    TGameSet set;
    if (version == 0) {
        if (!set.LoadFromCoded(data))
            return std::nullopt;
        return set.SaveToCompressed();
    }
    if (!set.LoadFromCompressed(data))
        return std::nullopt;
    return data;
}

}  // namespace

bool LoadGameSets(std::string_view bytes, int version, GameSetSource source,
                  GameSetLoadReport* report) {
    GameSetLoadReport found;
    if (version != 0 && version != GameSetFileVersion) {
        found.other = true;
        if (report)
            *report = found;
        return true;
    }
    ByteReader r(bytes);
    if (version == GameSetFileVersion)
        r.skip(GameSetFileHeaderSize);
    while (r.ok() && !r.atEnd()) {
        const std::size_t start = r.pos();
        const uint8_t builtin = r.u8();
        std::string name = r.lenString();
        std::string data = r.lenString();
        if (!r.ok()) {
            AddLogLine("Game sets: an entry is cut short; the sets before it are kept");
            found.cut = true;
            break;
        }
        std::optional<std::string> set = ReadEntryData(std::move(data), version);
        if (!set) {
            // One damaged entry costs neither the sets after it nor its own bytes, which the
            // next save writes back as they are.
            AddLogLine("Game sets: \"" + name + "\" is damaged; it is skipped and kept as it is");
            const std::size_t after = static_cast<std::size_t>(
                std::count_if(GameSetList.begin(), GameSetList.end(), WrittenSet));
            UnreadGameSetEntries.push_back(
                {after, std::string(bytes.substr(start, r.pos() - start))});
            ++found.unread;
            continue;
        }
        auto entry = std::make_unique<tcbgameset>();
        entry->name = std::move(name);
        entry->data = std::move(*set);
        // A set in the player's file is the player's own, whatever its flag says: a set taken
        // for built in would be dropped by the next save.
        entry->builtin = source == GameSetSource::Program && builtin != 0 ? 1 : 0;
        GameSetList.push_back(std::move(entry));
        ++found.loaded;
    }
    if (report)
        *report = found;
    return r.ok() && found.unread == 0;
}

std::string SaveGameSets() {
    ByteWriter w;
    w.u8(static_cast<uint8_t>(GameSetFileMarker));
    w.u16(static_cast<uint16_t>(GameSetFileVersion));
    auto unread = UnreadGameSetEntries.begin();
    std::size_t written = 0;
    const auto writeUnread = [&] {
        for (; unread != UnreadGameSetEntries.end() && unread->after <= written; ++unread)
            w.bytes(unread->bytes);
    };
    for (const auto& set : GameSetList) {
        if (!WrittenSet(set))
            continue;
        writeUnread();
        w.u8(0);
        w.lenString(set->name);
        w.lenString(set->data);
        ++written;
    }
    written = SIZE_MAX;
    writeUnread();
    return std::move(w.out());
}

void ClearGameSets() {
    GameSetList.clear();
    UnreadGameSetEntries.clear();
}

}  // namespace pk
