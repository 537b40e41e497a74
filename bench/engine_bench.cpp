// Cost of the piece cycle: the pure field operations one piece goes through, and the whole
// engine path of a placed piece (lock, report, history snapshot, line clear, acknowledgement).
#include <benchmark/benchmark.h>

#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"

namespace pk {
namespace {

// A field with a ragged stack and one column free, so most bars clear lines.
TFieldString StackedField() {
    TFieldString f = EmptyField();
    for (int r = FieldHeight - 7; r <= FieldHeight; ++r) {
        for (int c = 1; c < FieldWidth; ++c) {
            if ((r + c) % 5 != 0 || c < FieldWidth - 1)
                f[static_cast<size_t>((r - 1) * FieldWidth + c - 1)] = '1' + (c % 5);
        }
    }
    f[static_cast<size_t>((FieldHeight - 1) * FieldWidth + 2)] = 'a';
    return f;
}

void BM_PureCycle(benchmark::State& state) {
    const TFieldString base = StackedField();
    const TPieceString bar = "04011111";
    for (auto _ : state) {
        TFieldString f = base;
        const int r = newpiececollision(bar, f);
        const TPieceString p = chpiece(bar, r == 0 ? 1 : 2);
        int x = FieldWidth, y = 1;
        refitpiece(p, x, y, true, f);
        stickpiece(p, x, y, f);
        const std::string rows = FullRows(f);
        benchmark::DoNotOptimize(CollectSpecials(f, rows));
        removelines(f, rows);
        benchmark::DoNotOptimize(FieldChecksum(f));
    }
}
BENCHMARK(BM_PureCycle);

void BM_Checksum(benchmark::State& state) {
    const TFieldString f = StackedField();
    for (auto _ : state) benchmark::DoNotOptimize(FieldChecksum(f));
}
BENCHMARK(BM_Checksum);

// An acknowledgement of `range(0)` tokens of `range(1)` x `range(1)` cells, with an inventory
// of five letters: level 8 bits; count 5; per token kind 3, width 4, height 5, cells 3 each;
// inventory count 5, letters 5 each; checksum and seeds 16 each.
void BM_DecodeAcknowledgement(benchmark::State& state) {
    const auto tokens = static_cast<std::uint32_t>(state.range(0));
    const auto side = static_cast<std::uint32_t>(state.range(1));
    std::string bits;
    int pos = 0;
    WriteBits(bits, pos, 3, 8);
    WriteBits(bits, pos, tokens, 5);
    for (std::uint32_t t = 0; t < tokens; ++t) {
        WriteBits(bits, pos, 1, 3);
        WriteBits(bits, pos, side, 4);
        WriteBits(bits, pos, side, 5);
        for (std::uint32_t c = 0; c < side * side; ++c) WriteBits(bits, pos, (c + t) % 8, 3);
    }
    WriteBits(bits, pos, 5, 5);
    for (std::uint32_t i = 1; i <= 5; ++i) WriteBits(bits, pos, i, 5);
    for (int i = 0; i < 3; ++i) WriteBits(bits, pos, 0x1234, 16);
    for (auto _ : state) benchmark::DoNotOptimize(DecodeAcknowledgement(bits));
}
BENCHMARK(BM_DecodeAcknowledgement)->Args({2, 4})->Args({31, 15});

// The engine path with `pending` unacknowledged pieces in front, which every acknowledgement
// replays.
void BM_EngineCycle(benchmark::State& state) {
    const int pending = static_cast<int>(state.range(0));
    InitPlayerSlots();
    ResetGame();
    tclient* own = AddPlayer("bench");
    SeatPlayer(*own, 1);
    tmegame& g = ClientState.game;
    g.OwnPlayer = own;
    Settings.rules.sbchance[1] = "acn";
    Settings.rules.sbchance[2] = "rsb";
    g.PendingLimit = 1000;
    const std::string token = "104011111";
    for (auto _ : state) {
        state.PauseTiming();
        FreePendingHistory();
        OwnField() = StackedField();
        g.UpcomingPieces.clear();
        for (int i = 0; i < pending + 4; ++i) g.UpcomingPieces += (i ? "\x02" : "") + token;
        state.ResumeTiming();
        for (int i = 0; i <= pending; ++i) {
            g.CurrentPiece = chpiece("04011111", 2);
            g.PieceRotation = 2;
            g.PieceX = 1 + (i * 3) % FieldWidth;
            g.PieceY = 1;
            QueueEndPiece(true);
        }
        const thistoryclientstate& s = PendingHistory.front()->snapshot;
        tqpa a;
        a.level = 1;
        a.inventory = s.inventory;
        a.checksum = FieldChecksum(s.field);
        a.seedA = s.seedA & 0xFFFF;
        a.seedB = s.seedB & 0xFFFF;
        a.tokens = token;
        QueueAcknowledgement(false, a);
    }
    FreePendingHistory();
    ClearEventQueue();
    FreePlayerSlots();
}
BENCHMARK(BM_EngineCycle)->Arg(0)->Arg(4)->Arg(12);

}  // namespace
}  // namespace pk
