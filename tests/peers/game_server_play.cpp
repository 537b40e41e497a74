#include "peers/game_server_play.h"

#include <algorithm>
#include <vector>

#include "core/zrgameset.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrowngame.h"
#include "room/zrroomrules.h"

namespace pk::peers {

namespace {

// New tokens join as the client merges them: kind '2' after the last kind-2
// token (at the front when there is none), kind '1' at the end.
std::string MergeTokens(const std::string& list, const std::string& fresh) {
    std::vector<std::string> tokens;
    for (int i = 1; i <= PieceTokenCount(list); ++i) {
        tokens.push_back(PieceToken(list, i));
    }
    std::size_t kindTwo = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].empty() && tokens[i][0] == '2') {
            kindTwo = i + 1;
        }
    }
    for (int i = 1; i <= PieceTokenCount(fresh); ++i) {
        const std::string token = PieceToken(fresh, i);
        if (!token.empty() && token[0] == '2') {
            tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(kindTwo++), token);
        } else if (!token.empty() && token[0] == '1') {
            tokens.push_back(token);
        }
    }
    std::string out;
    for (const auto& token : tokens) {
        if (!out.empty()) {
            out += TokenSep;
        }
        out += token;
    }
    return out;
}

}  // namespace

std::string EncodeAcknowledgement(int level, const std::string& tokens,
                                  const std::string& inventory, int checksum, std::int32_t seedA,
                                  std::int32_t seedB) {
    std::string bits;
    int position = 0;
    const auto put = [&](std::uint32_t value, int count) {
        WriteBits(bits, position, value, count);
    };
    put(static_cast<std::uint32_t>(level) & 0xFF, 8);
    const int count = PieceTokenCount(tokens);
    put(static_cast<std::uint32_t>(count), 5);
    for (int i = 1; i <= count; ++i) {
        const std::string token = PieceToken(tokens, i);
        const std::string piece = TokenPiece(token);
        const int width = PieceWidth(piece);
        const int height = PieceHeight(piece);
        put(static_cast<std::uint32_t>(token[0] - '0'), 3);
        put(static_cast<std::uint32_t>(width), 4);
        put(static_cast<std::uint32_t>(height), 5);
        for (int c = 0; c < width * height; ++c) {
            put(static_cast<std::uint32_t>(piece[static_cast<std::size_t>(4 + c)] - '0') & 7u, 3);
        }
    }
    put(static_cast<std::uint32_t>(inventory.size()), 5);
    for (char letter : inventory) {
        put(static_cast<std::uint32_t>(SpecialAlphabet.find(letter) + 1), 5);
    }
    put(static_cast<std::uint32_t>(checksum) & 0xFFFF, 16);
    put(static_cast<std::uint32_t>(seedA) & 0xFFFF, 16);
    put(static_cast<std::uint32_t>(seedB) & 0xFFFF, 16);
    return bits;
}

std::string EncodeUsageConfirmation(int usageId, const std::string& inventory) {
    std::string bits;
    int position = 0;
    WriteBits(bits, position, 0, 1);
    WriteBits(bits, position, static_cast<std::uint32_t>(usageId) & 0xFF, 8);
    WriteBits(bits, position, static_cast<std::uint32_t>(inventory.size()), 5);
    for (char letter : inventory) {
        WriteBits(bits, position, static_cast<std::uint32_t>(SpecialAlphabet.find(letter) + 1), 5);
    }
    return bits;
}

std::string StartGamePayload(const std::string& tokens, std::int32_t seedA, std::int32_t seedB,
                             const std::string& stackData) {
    // Counted here rather than by the client's own routine; an empty list has no token field.
    const auto count = tokens.empty() ? 0 : 1 + std::count(tokens.begin(), tokens.end(), TokenSep);
    std::string payload = std::to_string(count) + TokenSep;
    if (!tokens.empty())
        payload += tokens + TokenSep;
    return payload + std::to_string(seedA) + TokenSep + std::to_string(seedB) + TokenSep +
           stackData;
}

tgamerules RoomRules(const std::string& compressedSet) {
    TGameSet set;
    if (!compressedSet.empty() && !set.LoadFromCompressed(compressedSet))
        set.Reset();
    return RulesFromGameSet(set);
}

void ServerOwnGame::Start(const std::string& tokens, std::int32_t a, std::int32_t b) {
    field = EmptyField();
    upcoming = tokens;
    inventory.clear();
    hold.clear();
    lines = 0;
    seedA = a;
    seedB = b;
    reports = 0;
}

bool ServerOwnGame::Acknowledge(const std::string& report, const std::string& newTokens, int level,
                                std::string& answer) {
    const auto holdUsed = ParseInt(TokenAt(1, report, TokenSep));
    const auto x = ParseInt(TokenAt(2, report, TokenSep));
    const auto y = ParseInt(TokenAt(3, report, TokenSep));
    const auto rotation = ParseInt(TokenAt(4, report, TokenSep));
    if (!holdUsed || !x || !y || !rotation) {
        return false;
    }
    ++reports;
    answer = EncodeAcknowledgement(level, newTokens, inventory, FieldChecksum(field), seedA, seedB);
    upcoming = MergeTokens(upcoming, newTokens);
    if (*holdUsed == 1 && *x == 0 && *y == 0 && *rotation == 0) {
        // Into the empty hold slot.
        if (hold.empty()) {
            hold = PieceToken(upcoming, 1);
            upcoming = DropFirstToken(upcoming);
        }
        return true;
    }
    if (*holdUsed != 0 && !hold.empty()) {
        upcoming = hold + TokenSep + upcoming;
        hold.clear();
    }
    const TPieceString piece = chpiece(TokenPiece(PieceToken(upcoming, 1)), *rotation);
    int px = *x;
    int py = *y;
    refitpiece(piece, px, py, true, field);
    stickpiece(piece, px, py, field);
    upcoming = DropFirstToken(upcoming);
    const std::string rows = FullRows(field);
    const int count = WordCount(rows);
    lines += count;
    AddToInventory(rules, seedA, count, CollectSpecials(field, rows), inventory);
    removelines(field, rows);
    std::string placed;
    AddSpecials(rules, seedA, seedB, lines, placed, field, count);
    return true;
}

}  // namespace pk::peers
