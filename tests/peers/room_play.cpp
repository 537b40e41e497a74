// The scripted room during a game: the players' fields shown to the others, specials dealt out,
// losses and the end, and the bots' play. Payloads are written here in the server's own words.
#include <QTimer>
#include <algorithm>

#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrowngame.h"
#include "peers/game_server_play.h"
#include "peers/room_script.h"
#include "peers/room_server.h"

namespace pk::peers {

namespace {

constexpr char Sep = '\x02';

// The specials whose field change the room works out itself; others change no field here.
constexpr std::string_view DealtLetters = "acn";

std::string N(int value) {
    return std::to_string(value);
}

// A bot's specials: the room's pool for the rows it cleared, of the letters the room deals in.
std::string BotPool(const tgamerules& rules, int cleared) {
    std::string pool;
    for (char letter : rules.sbchance[static_cast<std::size_t>(std::min(cleared, 4))])
        if (DealtLetters.find(letter) != std::string_view::npos)
            pool += letter;
    return pool;
}

}  // namespace

ScriptedRoom::~ScriptedRoom() = default;

bool ScriptedRoom::InPlay(const Member& m) const {
    if (!running || !m.playing || m.slot <= 0)
        return false;
    // A player whose connection has gone is out of it too.
    return m.session == nullptr ||
           (m.session->Connection().IsOpen() && !m.session->Connection().PeerClosed());
}

void ScriptedRoom::StartPlay() {
    random_ = TRandomGen(botSeed + static_cast<std::uint32_t>(gamesPlayed_));
    nextBot_ = 0;
    int bots = 0;
    for (Member& m : members_) {
        m.playing = m.slot > 0 &&
                    (m.session == nullptr || m.session->phase() == GameServerSession::Phase::Room);
        m.seen = EmptyBotField();
        if (m.playing && m.session == nullptr) {
            m.bot.Start();
            ++bots;
        }
    }
    if (!botPlay || bots == 0 || botPieceMs <= 0)
        return;
    if (!botTimer_) {
        botTimer_ = std::make_unique<QTimer>();
        QObject::connect(botTimer_.get(), &QTimer::timeout, [this] { BotTurn(); });
    }
    // Each bot about once every botPieceMs, in turn.
    botTimer_->start(std::max(botPieceMs / bots, 20));
}

void ScriptedRoom::StopPlay() {
    if (botTimer_)
        botTimer_->stop();
}

void ScriptedRoom::ShowField(Member& m, const std::string& field, const GameServerSession* except) {
    if (field == m.seen)
        return;
    Broadcast(0x08, N(m.slot) + Sep + EncodeFieldChanges(m.seen, field), except);
    m.seen = field;
}

void ScriptedRoom::BotTurn() {
    if (!running || paused || !botPlay)
        return;
    for (std::size_t k = 0; k < members_.size(); ++k) {
        const std::size_t at = (nextBot_ + k) % members_.size();
        if (members_[at].session != nullptr || !InPlay(members_[at]))
            continue;
        nextBot_ = at + 1;
        Member& bot = members_[at];
        const int cleared = bot.bot.PlacePiece(random_);
        ShowField(bot, bot.bot.field);
        const std::string pool = BotPool(rules_, cleared);
        if (cleared > 0 && !pool.empty() && random_.draw(2) == 0) {
            std::vector<Member*> targets;
            for (Member& m : members_)
                if (&m != &bot && InPlay(m))
                    targets.push_back(&m);
            if (!targets.empty()) {
                Member& to = *targets[static_cast<std::size_t>(
                    random_.draw(static_cast<int>(targets.size())))];
                DealSpecial(
                    bot, to,
                    pool[static_cast<std::size_t>(random_.draw(static_cast<int>(pool.size())))]);
            }
        }
        if (bot.bot.Out())
            Lose(bot.name);
        return;
    }
}

void ScriptedRoom::DealSpecial(Member& from, Member& to, char letter) {
    const std::string data = letter == 'a' ? GarbageRow(random_) : std::string();
    const auto change = [&](const std::string& field) {
        switch (letter) {
            case 'a':
                return AddRowAtBottom(field, data);
            case 'c':
                return ClearBottomRow(field);
            case 'n':
                return NukeRows(field, rules_.sbnlines);
            default:
                return field;
        }
    };
    const std::string letters(1, letter);
    const std::string fromSlot = N(from.slot);
    const std::string toSlot = N(to.slot);
    const bool dealt = DealtLetters.find(letter) != std::string_view::npos;
    GameServerSession* target = to.session;
    if (target != nullptr) {
        // Against the field the target's client has acknowledged, which the server holds. A
        // letter the room does not work out leaves the target's own field alone.
        ServerOwnGame& game = target->Game;
        game.field = change(game.field);
        if (dealt)
            target->SendFrame(
                0x16, letters + Sep + fromSlot + Sep + N(FieldChecksum(game.field)) + Sep + data);
    } else {
        to.bot.field = change(to.bot.field);
    }
    if (from.session != nullptr && from.session != target) {
        // The sender's own field stays as it is.
        from.session->SendFrame(0x15, letters + Sep + toSlot + Sep +
                                          N(FieldChecksum(from.session->Game.field)) + Sep + data);
    }
    // Everyone else sees it happen to the target's field.
    for (const Member& m : members_)
        if (m.session != nullptr && m.session != target && m.session != from.session &&
            m.session->phase() == GameServerSession::Phase::Room)
            m.session->SendFrame(0x11, letters + Sep + fromSlot + Sep + toSlot + Sep + data);
    const std::string field = target != nullptr ? target->Game.field : to.bot.field;
    if (from.session == nullptr && dealt) {
        to.seen = change(to.seen);
    } else {
        // A player's own echo does not change the target's field on the player's screen, and a
        // letter the room does not work out changes it on the others' screens: everyone is
        // given the target's whole field again.
        Broadcast(0x08, toSlot + Sep + EncodeFieldDiff(field), target);
        to.seen = field;
    }
}

void ScriptedRoom::SpecialUsed(GameServerSession& s, Member& me, const std::string& payload) {
    const std::string target = TokenAt(1, payload, Sep);
    const std::string usage = RestFromToken(2, payload, Sep);
    ServerOwnGame& game = s.Game;
    if (usage.empty() || game.inventory.empty())
        return;
    const char letter = game.inventory[0];
    if (target == "s") {
        ShuffleInventory(game.seedA, game.inventory);
    } else {
        game.inventory.erase(0, 1);
    }
    s.SendFrame(0x26,
                EncodeUsageConfirmation(static_cast<unsigned char>(usage[0]), game.inventory));
    const auto slot = ParseInt(target);
    if (!slot)
        return;
    for (Member& to : members_)
        if (to.slot == *slot && InPlay(to)) {
            DealSpecial(me, to, letter);
            return;
        }
}

void ScriptedRoom::Lose(const std::string& name) {
    Member* out = Find(name);
    if (out == nullptr || !InPlay(*out))
        return;
    out->playing = false;
    if (out->session != nullptr)
        SendOwnLoss(*out->session);
    Broadcast(0x09, N(out->slot), out->session);
    std::vector<const Member*> left;
    for (const Member& m : members_)
        if (InPlay(m))
            left.push_back(&m);
    if (left.size() <= 1)
        EndGame(left.empty() ? std::string() : N(left.front()->slot));
}

}  // namespace pk::peers
