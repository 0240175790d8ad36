#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "tileart.h"

// Nemesis speed on invented tile art. The counters give the stream size next to the optimal
// Kosinski stream of the same tiles.

namespace {

using Bytes = std::vector<std::uint8_t>;

void reportSizes(benchmark::State& state, const Bytes& tiles, const Bytes& packed) {
    const auto kosinski = orvex::compressKosinskiOptimal(orvex::ByteSpan(tiles));
    state.counters["input"] = static_cast<double>(tiles.size());
    state.counters["packed"] = static_cast<double>(packed.size());
    state.counters["kosinski"] = kosinski.ok() ? static_cast<double>(kosinski->size()) : 0.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(tiles.size()));
}

void BM_NemesisDecodeTileArt16K(benchmark::State& state) {
    const Bytes tiles = orvex::bench::tileArt(16384, 1);
    const auto packed = orvex::compressNemesis(orvex::ByteSpan(tiles));
    if (!packed.ok()) {
        state.SkipWithError(packed.error().message.c_str());
        return;
    }
    for (auto _ : state) {
        auto decoded = orvex::decompressNemesis(orvex::ByteSpan(*packed));
        benchmark::DoNotOptimize(decoded);
    }
    reportSizes(state, tiles, *packed);
}

void BM_NemesisEncodeTileArt16K(benchmark::State& state) {
    const Bytes tiles = orvex::bench::tileArt(16384, 1);
    Bytes packed;
    for (auto _ : state) {
        auto result = orvex::compressNemesis(orvex::ByteSpan(tiles));
        benchmark::DoNotOptimize(result);
        packed = result.ok() ? *result : Bytes{};
    }
    reportSizes(state, tiles, packed);
}

}  // namespace

BENCHMARK(BM_NemesisDecodeTileArt16K);
BENCHMARK(BM_NemesisEncodeTileArt16K);
