// Reading a placement JSON file: one object with as many keys as an 8 MiB file holds, the case
// that took minutes while keys were looked up one by one.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tooljson.h"

namespace {

std::vector<std::uint8_t> manyKeys(std::size_t bytes) {
    std::string json = "{\"objects\": []";
    for (int key = 0; json.size() < bytes - 32; ++key) {
        json += ", \"k" + std::to_string(key) + "\": 0";
    }
    json += "}";
    return {json.begin(), json.end()};
}

void BM_JsonManyKeys(benchmark::State& state) {
    const auto text = manyKeys(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto parsed = orvex::parseJson(text);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_JsonManyKeys)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
