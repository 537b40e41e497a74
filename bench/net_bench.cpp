// Speed of the receive path: scrambled frames arriving in socket-sized reads, taken apart and
// unscrambled, beside a plain copy of the same bytes in the same reads.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "core/zrconst.h"
#include "net/zrscramble.h"

namespace {

constexpr std::uint32_t kStartState = 0x0badf00du;
// A socket read takes at most this much (TZRSock::getstring).
constexpr std::size_t kReadSize = 4096;
constexpr std::size_t kStreamSize = 1 << 20;

// About a megabyte of frames whose payload is `payload` bytes, scrambled as a server sends them.
std::string ScrambledStream(std::size_t payload) {
    std::mt19937 random(1u);
    std::string plain;
    while (plain.size() < kStreamSize) {
        std::string body(payload, '\0');
        for (char& c : body) {
            c = static_cast<char>(random());
        }
        plain += *pk::BuildGameFrame(0x14, body);
    }
    pk::TScrambleKey key{kStartState, true, pk::ScrambleMulA, pk::ScrambleAddA};
    key.Scramble(plain);
    return plain;
}

void BM_ReceiveAndUnscramble(benchmark::State& state) {
    const std::string stream = ScrambledStream(static_cast<std::size_t>(state.range(0)));
    std::string body;
    for (auto _ : state) {
        pk::TScrambleKey key{kStartState, true, pk::ScrambleMulA, pk::ScrambleAddA};
        pk::TFrameReader reader;
        pk::ReceiveBuffer buffer;
        for (std::size_t at = 0; at < stream.size(); at += kReadSize) {
            buffer.Append(std::string_view(stream).substr(at, kReadSize));
            while (reader.Next(buffer, key, body) == pk::TFrameReader::Result::Frame) {
                benchmark::DoNotOptimize(body.data());
            }
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveAndUnscramble)->Arg(20)->Arg(200)->Arg(4000);

// The reader over a plain string, whose front is erased frame by frame.
void BM_ReceiveAndUnscrambleStringBuffer(benchmark::State& state) {
    const std::string stream = ScrambledStream(static_cast<std::size_t>(state.range(0)));
    std::string body;
    for (auto _ : state) {
        pk::TScrambleKey key{kStartState, true, pk::ScrambleMulA, pk::ScrambleAddA};
        pk::TFrameReader reader;
        std::string buffer;
        for (std::size_t at = 0; at < stream.size(); at += kReadSize) {
            buffer.append(stream, at, kReadSize);
            while (reader.Next(buffer, key, body) == pk::TFrameReader::Result::Frame) {
                benchmark::DoNotOptimize(body.data());
            }
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveAndUnscrambleStringBuffer)->Arg(20)->Arg(200)->Arg(4000);

// The baseline: the same bytes copied in the same reads.
void BM_MemcpySameBytes(benchmark::State& state) {
    const std::string stream = ScrambledStream(static_cast<std::size_t>(state.range(0)));
    std::string copy(stream.size(), '\0');
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += kReadSize) {
            const std::size_t n = std::min(kReadSize, stream.size() - at);
            std::memcpy(copy.data() + at, stream.data() + at, n);
        }
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_MemcpySameBytes)->Arg(200);

// The key step alone over a megabyte.
void BM_Unscramble(benchmark::State& state) {
    std::string bytes = ScrambledStream(200);
    for (auto _ : state) {
        pk::TScrambleKey key{kStartState, true, pk::ScrambleMulA, pk::ScrambleAddA};
        key.Unscramble(bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Unscramble);

}  // namespace
