#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "graphics/png.h"

// PNG encoding of a whole plane picture: 128 x 16 blocks of 128 pixels, as the editor exports
// it. The blocks are invented the way level art is built: 8x8 tiles of one palette line,
// repeated and flipped, with empty sky above uneven ground.

namespace {

using namespace orvex;

constexpr std::int32_t kTile = 8;
constexpr std::int32_t kBlock = 128;
constexpr std::int32_t kPoolTiles = 384;
constexpr std::int32_t kPlaneWidth = 16384;
constexpr std::int32_t kPlaneHeight = 2048;

using Tile = std::array<std::uint8_t, kTile * kTile>;

class Generator {
public:
    explicit Generator(std::uint32_t seed) : mRandom(seed) {}

    // The raw engine output is the same with every standard library; distributions are not.
    std::int32_t below(std::int32_t limit) {
        return static_cast<std::int32_t>(mRandom() % static_cast<std::uint32_t>(limit));
    }

private:
    std::mt19937 mRandom;
};

// Shade 0-3 of pattern `kind` at (x, y): specks, ramp, stripes, bricks, grit.
std::int32_t shadeAt(std::int32_t kind, std::int32_t x, std::int32_t y, Generator& random) {
    switch (kind) {
        case 0:
            return random.below(16) == 0 ? 2 : 0;
        case 1:
            return (x + y) / 4;
        case 2:
            return (y / 2) % 2;
        case 3:
            return (y % 4 == 0 || (x + (y / 4) * 4) % kTile == 0) ? 3 : 1;
        default:
            return random.below(3);
    }
}

// A pattern in shades of a few neighbouring colours of one palette line, never colour 0.
Tile makeTile(Generator& random) {
    const std::int32_t line = 16 * random.below(4);
    const std::int32_t base = 1 + random.below(12);
    const std::int32_t kind = random.below(5);
    Tile tile{};
    for (std::int32_t y = 0; y < kTile; ++y) {
        for (std::int32_t x = 0; x < kTile; ++x) {
            tile[static_cast<std::size_t>(y * kTile + x)] =
                static_cast<std::uint8_t>(line + std::min(base + shadeAt(kind, x, y, random), 15));
        }
    }
    return tile;
}

void drawTile(IndexedImage& block, const Tile& tile, std::int32_t left, std::int32_t top,
              std::int32_t flip) {
    for (std::int32_t y = 0; y < kTile; ++y) {
        for (std::int32_t x = 0; x < kTile; ++x) {
            const std::int32_t sx = (flip & 1) != 0 ? kTile - 1 - x : x;
            const std::int32_t sy = (flip & 2) != 0 ? kTile - 1 - y : y;
            block.setPixel(left + x, top + y, tile[static_cast<std::size_t>(sy * kTile + sx)]);
        }
    }
}

// Sky (colour 0) above a ground line that wanders from column to column; below it, runs of
// the same pool tile, as block mappings repeat their chunks.
IndexedImage makeBlock(const std::vector<Tile>& pool, Generator& random) {
    IndexedImage block(kBlock, kBlock);
    std::int32_t ground = random.below(kBlock / kTile);
    for (std::int32_t column = 0; column < kBlock / kTile; ++column) {
        ground = std::clamp(ground + random.below(3) - 1, 0, kBlock / kTile - 1);
        std::int32_t tile = random.below(kPoolTiles);
        for (std::int32_t row = ground; row < kBlock / kTile; ++row) {
            if (random.below(4) == 0) {
                tile = random.below(kPoolTiles);
            }
            drawTile(block, pool[static_cast<std::size_t>(tile)], column * kTile, row * kTile,
                     random.below(4));
        }
    }
    return block;
}

// 256 blocks laid out at random, each cell repeating its left neighbour half the time.
IndexedImage makePlane() {
    Generator random(20240611);
    std::vector<Tile> pool;
    for (std::int32_t i = 0; i < kPoolTiles; ++i) {
        pool.push_back(makeTile(random));
    }
    std::vector<IndexedImage> blocks;
    for (std::int32_t i = 0; i < 256; ++i) {
        blocks.push_back(makeBlock(pool, random));
    }
    IndexedImage plane(kPlaneWidth, kPlaneHeight);
    for (std::int32_t top = 0; top < kPlaneHeight; top += kBlock) {
        std::int32_t number = random.below(256);
        for (std::int32_t left = 0; left < kPlaneWidth; left += kBlock) {
            if (random.below(2) == 0) {
                number = random.below(256);
            }
            const IndexedImage& block = blocks[static_cast<std::size_t>(number)];
            for (std::int32_t y = 0; y < kBlock; ++y) {
                std::copy_n(block.row(y), kBlock, plane.row(top + y) + left);
            }
        }
    }
    return plane;
}

ColourTable makeColours() {
    ColourTable colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x030507u);
    }
    return colours;
}

void BM_EncodeIndexedPng(benchmark::State& state) {
    const IndexedImage plane = makePlane();
    const ColourTable colours = makeColours();
    std::size_t size = 0;
    for (auto _ : state) {
        auto png = encodeIndexedPng(plane, colours);
        if (!png.ok()) {
            state.SkipWithError("encoding failed");
            break;
        }
        size = png->size();
        benchmark::DoNotOptimize(png->data());
    }
    state.counters["bytes"] = static_cast<double>(size);
    state.SetBytesProcessed(state.iterations() * kPlaneWidth * kPlaneHeight);
}
BENCHMARK(BM_EncodeIndexedPng)->Unit(benchmark::kMillisecond);

}  // namespace
