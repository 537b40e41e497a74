// Speed of the helpers that run on every message and every game set.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include "core/zrgameset.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"

namespace {

std::string Payload() {
    std::string s;
    for (int i = 0; i < 40; ++i) {
        s += "field" + std::to_string(i) + '\x02';
    }
    return s;
}

void BM_TokenAtMiddle(benchmark::State& state) {
    std::string payload = Payload();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pk::TokenAt(20, payload, '\x02'));
    }
}
BENCHMARK(BM_TokenAtMiddle);

void BM_StringCrc32(benchmark::State& state) {
    std::string data(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        benchmark::DoNotOptimize(pk::StringCrc32(data));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StringCrc32)->Arg(264)->Arg(1 << 20);

// zlib's own on the same bytes, the baseline of the one above.
void BM_ZlibCrc32(benchmark::State& state) {
    std::string data(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ZlibCrc32)->Arg(264)->Arg(1 << 20);

// A starting stack as the room sends it: 264 cells of 4 bits each.
void BM_ReadBitsField(benchmark::State& state) {
    std::string bits;
    int end = 0;
    for (int i = 0; i < 264; ++i) {
        pk::WriteBits(bits, end, static_cast<std::uint32_t>(i % 10), 4);
    }
    for (auto _ : state) {
        int pos = 0;
        std::uint32_t sum = 0;
        for (int i = 0; i < 264; ++i) {
            sum += pk::ReadBits(bits, pos, 4);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadBitsField);

void BM_GameSetCompressedRoundTrip(benchmark::State& state) {
    pk::TGameSet set;
    std::string blob = set.SaveToCompressed();
    for (auto _ : state) {
        pk::TGameSet loaded;
        benchmark::DoNotOptimize(loaded.LoadFromCompressed(blob));
    }
}
BENCHMARK(BM_GameSetCompressedRoundTrip);

// A received set as the room gets it: every key given, a long description,
// all four special chances and the piece chance, built fresh and loaded.
std::string ReceivedGameSet() {
    pk::TGameSet set;
    for (const pk::GameSetRow& row : pk::GameSetSchema) {
        set.SetValue(row.key, row.def);
    }
    set.SetValue("desc", std::string(2000, 'd'));
    for (int i = 1; i <= 4; ++i) {
        set.SetValue("sbchance" + std::to_string(i), std::string(100, 'a') + std::string(100, 'n'));
    }
    set.SetValue("piecechance", "11122233344455566677");
    set.SetValue("stacks",
                 "1\x02"
                 "2\x02"
                 "3\x02"
                 "4\x02"
                 "5\x02"
                 "6");
    return set.SaveToString();
}

void BM_GameSetLoad(benchmark::State& state) {
    const std::string serial = ReceivedGameSet();
    for (auto _ : state) {
        pk::TGameSet loaded;
        benchmark::DoNotOptimize(loaded.LoadFromString(serial));
    }
}
BENCHMARK(BM_GameSetLoad);

void BM_XSettingsLoad(benchmark::State& state) {
    pk::TXSettings s;
    for (int i = 0; i < 300; ++i) {
        s.SetInt("key" + std::to_string(i), i);
    }
    std::string serial = s.SaveToString();
    for (auto _ : state) {
        pk::TXSettings loaded;
        benchmark::DoNotOptimize(loaded.LoadFromString(serial));
    }
}
BENCHMARK(BM_XSettingsLoad);

}  // namespace
