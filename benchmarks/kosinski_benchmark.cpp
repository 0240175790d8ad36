#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "compression/kosinski.h"
#include "tileart.h"

// Kosinski speed on invented data shaped like a level's: 4bpp tile art, a layout, block and
// chunk mappings, and a game-sized set of all of them. The counters give the stream sizes of
// both encoders next to each other.

namespace {

using Bytes = std::vector<std::uint8_t>;
using orvex::bench::Generator;
using orvex::bench::tileArt;

// 128 x 32 chunk indices: sky above, ground below, platforms and loops in between.
Bytes layout(std::uint32_t seed) {
    Generator gen(seed);
    Bytes rows(4096, 0x00);
    const std::uint32_t ground = 18 + gen.below(6);
    for (std::size_t row = 0; row < 32; ++row) {
        for (std::size_t col = 0; col < 128; ++col) {
            std::uint8_t chunk = 0x00;
            if (row == ground) {
                chunk = static_cast<std::uint8_t>(0x01 + (col % 4 == 3 ? 1 : 0));
            } else if (row > ground) {
                chunk = 0x03;
            }
            rows[row * 128 + col] = chunk;
        }
    }
    for (std::uint32_t i = 0; i < 60; ++i) {
        const std::size_t row = gen.below(ground);
        const std::size_t col = gen.below(120);
        const std::uint32_t length = 1 + gen.below(8);
        const auto chunk = static_cast<std::uint8_t>(0x04 + gen.below(0x60));
        for (std::uint32_t j = 0; j < length; ++j) {
            rows[row * 128 + col + j] = static_cast<std::uint8_t>(chunk + (j % 2));
        }
    }
    return rows;
}

void putWord(Bytes& out, std::uint32_t word) {
    out.push_back(static_cast<std::uint8_t>(word >> 8));
    out.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

// 16x16 blocks: four tile words each, mostly consecutive tiles, some flipped or re-paletted.
Bytes blockMappings(std::size_t size, std::uint32_t seed) {
    Generator gen(seed);
    Bytes out;
    std::uint32_t tile = 0;
    while (out.size() < size) {
        if (gen.chance(10)) {
            for (std::size_t i = 0; i < 4; ++i) {
                putWord(out, 0x0000);
            }
            continue;
        }
        const std::uint32_t attributes =
            (gen.chance(20) ? 0x2000U : 0U) | (gen.chance(10) ? 0x8000U : 0U);
        const std::uint32_t flip = gen.chance(15) ? 0x0800U : 0U;
        std::uint32_t first = tile;
        if (gen.chance(25)) {
            first = tile - std::min<std::uint32_t>(tile, 4 * gen.below(8));
        } else {
            tile = (tile + 4) & 0x7FF;
        }
        for (std::uint32_t i = 0; i < 4; ++i) {
            const std::uint32_t index = flip != 0 ? first + (i ^ 1) : first + i;
            putWord(out, (attributes | flip | (index & 0x7FF)) & 0xFFFF);
        }
    }
    out.resize(size);
    return out;
}

// 128x128 chunks: 8 x 8 block words with solidity bits; empty space and ground repeat a lot.
Bytes chunkMappings(std::size_t size, std::uint32_t seed) {
    Generator gen(seed);
    Bytes out;
    while (out.size() < size) {
        const std::uint32_t fill = gen.chance(30) ? 0x0000U : 0x6000U | gen.below(0x300);
        const std::uint32_t top = 0x6000U | gen.below(0x300);
        const std::uint32_t split = gen.below(9);
        for (std::uint32_t row = 0; row < 8; ++row) {
            for (std::uint32_t col = 0; col < 8; ++col) {
                std::uint32_t word = row < split ? 0x0000U : (row == split ? top + col % 2 : fill);
                if (gen.chance(8)) {
                    word = 0x6000U | gen.below(0x300);
                }
                putWord(out, word);
            }
        }
    }
    out.resize(size);
    return out;
}

std::vector<Bytes> gameSet() {
    std::vector<Bytes> files;
    for (std::uint32_t i = 0; i < 20; ++i) {
        files.push_back(layout(100 + i));
    }
    for (std::uint32_t i = 0; i < 12; ++i) {
        files.push_back(tileArt(28 * 1024, 200 + i));
    }
    for (std::uint32_t i = 0; i < 8; ++i) {
        files.push_back(chunkMappings(16 * 1024, 300 + i));
        files.push_back(blockMappings(8 * 1024, 400 + i));
    }
    return files;
}

std::size_t packedSize(const orvex::Result<Bytes>& packed) {
    return packed.ok() ? packed->size() : 0;
}

// Stream sizes of both encoders. The run-length encoder refuses 32 KB or more, so larger
// inputs are given to it in pieces of 32,767 bytes ("rle_pieces").
void reportSizes(benchmark::State& state, const Bytes& input) {
    constexpr std::size_t kRleLargest = 32767;
    state.counters["input"] = static_cast<double>(input.size());
    const auto best = orvex::compressKosinskiOptimal(orvex::ByteSpan(input));
    state.counters["optimal"] = static_cast<double>(packedSize(best));
    const orvex::ByteSpan all(input);
    std::size_t rle = 0;
    for (std::size_t at = 0; at < all.size(); at += kRleLargest) {
        const auto piece = all.subspan(at, std::min(kRleLargest, all.size() - at));
        rle += packedSize(orvex::compressKosinski(piece));
    }
    state.counters[input.size() <= kRleLargest ? "rle" : "rle_pieces"] = static_cast<double>(rle);
}

void decompress(benchmark::State& state, const Bytes& input) {
    const auto packed = orvex::compressKosinskiOptimal(orvex::ByteSpan(input));
    if (!packed.ok()) {
        state.SkipWithError(packed.error().message.c_str());
        return;
    }
    for (auto _ : state) {
        auto decoded = orvex::decompressKosinski(orvex::ByteSpan(*packed));
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input.size()));
    state.counters["packed"] = static_cast<double>(packed->size());
}

template <typename Encode>
void encode(benchmark::State& state, const Bytes& input, Encode encoder) {
    for (auto _ : state) {
        auto packed = encoder(orvex::ByteSpan(input), nullptr);
        benchmark::DoNotOptimize(packed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input.size()));
    reportSizes(state, input);
}

void BM_DecompressTileArt16K(benchmark::State& state) {
    decompress(state, tileArt(16384, 1));
}
void BM_DecompressTileArt64K(benchmark::State& state) {
    decompress(state, tileArt(65536, 2));
}
void BM_DecompressLayout4K(benchmark::State& state) {
    decompress(state, layout(3));
}

void BM_RleLayout4K(benchmark::State& state) {
    encode(state, layout(3), orvex::compressKosinski);
}
void BM_OptimalLayout4K(benchmark::State& state) {
    encode(state, layout(3), orvex::compressKosinskiOptimal);
}
void BM_RleBlockMappings32K(benchmark::State& state) {
    encode(state, blockMappings(32767, 4), orvex::compressKosinski);
}
void BM_OptimalBlockMappings32K(benchmark::State& state) {
    encode(state, blockMappings(32768, 4), orvex::compressKosinskiOptimal);
}
void BM_OptimalTileArt32K(benchmark::State& state) {
    encode(state, tileArt(32768, 5), orvex::compressKosinskiOptimal);
}
void BM_OptimalTileArt64K(benchmark::State& state) {
    encode(state, tileArt(65536, 6), orvex::compressKosinskiOptimal);
}

template <typename Encode>
void encodeSet(benchmark::State& state, Encode encoder) {
    const std::vector<Bytes> files = gameSet();
    std::int64_t total = 0;
    double packed = 0;
    double rle = 0;
    for (const Bytes& file : files) {
        total += static_cast<std::int64_t>(file.size());
        packed += static_cast<double>(packedSize(encoder(orvex::ByteSpan(file), nullptr)));
        rle += static_cast<double>(packedSize(orvex::compressKosinski(orvex::ByteSpan(file))));
    }
    for (auto _ : state) {
        for (const Bytes& file : files) {
            auto result = encoder(orvex::ByteSpan(file), nullptr);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * total);
    state.counters["input"] = static_cast<double>(total);
    state.counters["packed"] = packed;
    state.counters["rle"] = rle;
}

void BM_RleGameSet(benchmark::State& state) {
    encodeSet(state, orvex::compressKosinski);
}
void BM_OptimalGameSet(benchmark::State& state) {
    encodeSet(state, orvex::compressKosinskiOptimal);
}

}  // namespace

BENCHMARK(BM_DecompressTileArt16K);
BENCHMARK(BM_DecompressTileArt64K);
BENCHMARK(BM_DecompressLayout4K);
BENCHMARK(BM_RleLayout4K);
BENCHMARK(BM_OptimalLayout4K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RleBlockMappings32K);
BENCHMARK(BM_OptimalBlockMappings32K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimalTileArt32K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimalTileArt64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RleGameSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimalGameSet)->Unit(benchmark::kMillisecond);
