// Arbitrary special-block events, as a game server could send them, applied to the own field
// and to the other players' fields: either through the engine (messages 0x15, 0x16 and 0x11
// into the event queue and the room handler) or straight to the effects with any field size.
// Whatever the letters, slots, rules and data, every field keeps exactly width x height cells.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <string>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/specials_env.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"
#include "game/zrsb.h"
#include "room/zrsbgame.h"

namespace {

constexpr const char* kLetters[] = {"a", "c", "n", "r", "s", "b",  "g", "q",  "o",
                                    "v", "i", "d", "f", "m", "aa", "",  "zz", "A"};

struct Input {
    const uint8_t* data;
    size_t size;
    uint8_t Take() {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
};

std::string TakeText(Input& in) {
    const size_t length = size_t{in.Take()} * 2;
    std::string text(reinterpret_cast<const char*>(in.data), std::min(length, in.size));
    in.data += text.size();
    in.size -= text.size();
    return text;
}

// The engine's own game with six players, messages decoded as the room dispatcher does.
void ThroughTheEngine(Input& in) {
    using namespace pk;
    FieldWidth = 12;
    FieldHeight = 22;
    ClearEventQueue();
    FreePendingHistory();
    FreePlayerSlots();
    InitPlayerSlots();
    ClearClientLog();
    ResetGame();
    InstallSpecialBlocks();
    const uint8_t rules = in.Take();
    Settings.rules.deadsb = rules & 1;
    Settings.rules.sbglines = rules & 2;
    Settings.rules.sbgcollect = rules & 4;
    Settings.rules.sbnlines = in.Take() % 120;
    Settings.rules.sbrblocks = in.Take() % 120;
    Settings.rules.sbosize = in.Take() % 16;
    Settings.rules.invcap = 17;
    tmegame& g = ClientState.game;
    g.GameRunning = 1;
    g.Spectating = (rules & 8) ? 1 : 0;
    g.OwnSlot = 1 + in.Take() % MaxSlots;
    for (int slot = 1; slot <= MaxSlots; ++slot) {
        tclient* c = AddPlayer("P" + std::to_string(slot));
        c->slot = slot;
        SlotPlayers[static_cast<size_t>(slot)] = c;
        ResetPlayerField(*c);
        c->plr->PlayerState = (in.Take() & 1) ? psLost : psPlaying;
        for (size_t i = 0; i < c->plr->field.size(); i += 1 + in.Take() % 7) {
            c->plr->field[i] = "12345bno"[i % 8];
        }
        if (slot == g.OwnSlot)
            g.OwnPlayer = c;
    }
    const uint8_t events = 1 + in.Take() % 8;
    for (uint8_t e = 0; e < events; ++e) {
        const uint8_t which = in.Take();
        const std::string payload = TakeText(in);
        try {
            if (which % 3 == 2) {
                RoomMsgOtherSpecial(payload);
            } else {
                // 0x15 / 0x16: letters, slot, then the event text (checksum, data).
                QueueServerSpecial(which % 3 == 0 ? 0x15 : 0x16, TokenAt(1, payload, '\x02'),
                                   std::atoi(TokenAt(2, payload, '\x02').c_str()),
                                   RestFromToken(3, payload, '\x02'));
            }
        } catch (const std::exception&) {
            // A result that differs from the server's is reported and stalls the queue.
            ClearEventQueue();
        }
        for (int slot = 1; slot <= MaxSlots; ++slot) {
            if (SlotPlayers[static_cast<size_t>(slot)]->plr->field.size() != 12u * 22u) {
                std::abort();
            }
        }
        if (TimedSpecials)
            TimedSpecials->TickTimedSpecials(which & 1);
    }
    ClearEventQueue();
    FreePlayerSlots();
    UninstallSpecialBlocks();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    if (in.Take() & 1) {
        ThroughTheEngine(in);
        return 0;
    }
    pk::testing::FakeSpecialEnv env;
    // Mostly the real geometry, sometimes a small or odd one.
    const uint8_t shape = in.Take();
    if (shape & 1) {
        env.width = 1 + (shape >> 1) % 16;
        env.height = 1 + in.Take() % 32;
    }
    const uint8_t rules = in.Take();
    env.rules.sbnlines = in.Take() % 120;
    env.rules.sbrblocks = in.Take() % 120;
    env.rules.sbosize = in.Take() % 16;
    env.rules.deadsb = rules & 1;
    env.rules.sbglines = rules & 2;
    env.rules.sbgcollect = rules & 4;
    env.rules.sbitimed = rules & 8;
    env.rules.sbdstack = rules & 16;
    env.spectating = rules & 32;
    env.SetOwn(1 + in.Take() % pk::MaxSlots);
    for (int slot = 1; slot <= pk::MaxSlots; ++slot) {
        const uint8_t fill = in.Take();
        if (fill & 1) {
            env.players[slot].reset();
            continue;
        }
        pk::testing::FakePlayer player;
        player.name = "P" + std::to_string(slot);
        player.state = (fill & 2) ? pk::psLost : pk::psPlaying;
        player.field.assign(static_cast<size_t>(env.width * env.height),
                            "0123456789onbaq"[fill % 15]);
        for (size_t i = 0; i < player.field.size(); ++i) {
            if ((i * 7 + fill) % 5 == 0)
                player.field[i] = '0';
        }
        env.players[slot] = player;
    }
    const uint8_t events = 1 + in.Take() % 8;
    for (uint8_t e = 0; e < events; ++e) {
        const uint8_t which = in.Take();
        const std::string letters = kLetters[(which >> 2) % std::size(kLetters)];
        const int from = static_cast<int8_t>(in.Take()) % 9;
        const int to = static_cast<int8_t>(in.Take()) % 9;
        const std::string payload = TakeText(in);
        switch (which % 3) {
            case 0:
                pk::destsb(env, letters, payload, from, to);
                break;
            case 1:
                pk::OwnSpecialEcho(env, letters, payload, from, to);
                break;
            default:
                pk::otherperformsb(env, letters, payload, from, to);
                break;
        }
        env.timedHost.clock += which;
        env.timed.TickTimedSpecials(which & 1);
        for (int slot = 1; slot <= pk::MaxSlots; ++slot) {
            if (!env.players[slot])
                continue;
            if (env.players[slot]->field.size() != static_cast<size_t>(env.width * env.height)) {
                std::abort();
            }
        }
    }
    return 0;
}
