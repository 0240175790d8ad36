#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// Invented 4bpp tile art for the benchmarks: blank tiles, bands, dither and detail, with some
// tiles repeated, as a level's art has them.

namespace orvex::bench {

class Generator {
public:
    explicit Generator(std::uint32_t seed) : mRandom(seed) {}

    std::uint32_t below(std::uint32_t limit) {
        return std::uniform_int_distribution<std::uint32_t>(0, limit - 1)(mRandom);
    }
    bool chance(std::uint32_t percent) { return below(100) < percent; }

private:
    std::mt19937 mRandom;
};

// One 8x8 tile, 4 bits a pixel, two pixels a byte.
inline std::vector<std::uint8_t> makeTile(Generator& gen) {
    std::vector<std::uint8_t> tile(32, 0x00);
    const std::uint32_t kind = gen.below(100);
    if (kind < 15) {
        return tile;  // blank
    }
    const auto colour = [&](std::uint32_t base) {
        return static_cast<std::uint8_t>((base + gen.below(3)) & 0x0F);
    };
    const std::uint32_t base = gen.below(14) + 1;
    if (kind < 40) {  // bands
        for (std::size_t row = 0; row < 8; ++row) {
            const std::uint8_t c = row % 3 == 0 ? colour(base) : static_cast<std::uint8_t>(base);
            for (std::size_t i = 0; i < 4; ++i) {
                tile[row * 4 + i] = static_cast<std::uint8_t>(c << 4 | c);
            }
        }
        return tile;
    }
    if (kind < 55) {  // dither
        const std::uint8_t a = colour(base);
        const std::uint8_t b = colour(base);
        for (std::size_t row = 0; row < 8; ++row) {
            for (std::size_t i = 0; i < 4; ++i) {
                tile[row * 4 + i] = row % 2 == 0 ? static_cast<std::uint8_t>(a << 4 | b)
                                                 : static_cast<std::uint8_t>(b << 4 | a);
            }
        }
        return tile;
    }
    std::uint8_t pixel = colour(base);  // detail: pixels that mostly repeat their left neighbour
    for (std::size_t row = 0; row < 8; ++row) {
        for (std::size_t i = 0; i < 4; ++i) {
            std::uint8_t pair = 0;
            for (std::size_t half = 0; half < 2; ++half) {
                if (!gen.chance(60)) {
                    pixel = colour(base);
                }
                pair = static_cast<std::uint8_t>(pair << 4 | pixel);
            }
            tile[row * 4 + i] = pair;
        }
    }
    return tile;
}

inline std::vector<std::uint8_t> tileArt(std::size_t size, std::uint32_t seed) {
    Generator gen(seed);
    std::vector<std::vector<std::uint8_t>> tiles;
    std::vector<std::uint8_t> art;
    while (art.size() < size) {
        std::vector<std::uint8_t> tile =
            (!tiles.empty() && gen.chance(30))
                ? tiles[gen.below(static_cast<std::uint32_t>(tiles.size()))]
                : makeTile(gen);
        tiles.push_back(tile);
        art.insert(art.end(), tile.begin(), tile.end());
    }
    art.resize(size);
    return art;
}

}  // namespace orvex::bench
