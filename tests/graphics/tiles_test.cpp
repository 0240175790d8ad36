#include "graphics/tiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/progressmath.h"
#include "graphics/recordingprogress.h"

namespace orvex {
namespace {

constexpr std::size_t kFullArt = static_cast<std::size_t>(kBaseTiles) * kTileBytes;  // 65,536

// Art whose bytes follow a simple pseudo-random sequence, so every tile differs.
std::vector<std::uint8_t> patternArt(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> art(size);
    std::uint32_t state = seed;
    for (auto& byte : art) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return art;
}

// The colour index art byte i gives pixel (x, y) of base tile t.
std::uint8_t nibbleAt(const std::vector<std::uint8_t>& art, std::int32_t t, std::int32_t x,
                      std::int32_t y) {
    const std::uint8_t byte = art[static_cast<std::size_t>(t * 32 + y * 4 + x / 2)];
    return static_cast<std::uint8_t>(x % 2 == 0 ? byte >> 4 : byte & 0x0F);
}

void expectMirrorsOfBase(const TilePixels& tiles) {
    for (std::int32_t t = 0; t < kBaseTiles; ++t) {
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 8; ++x) {
                const std::uint8_t base = tiles.at(t, x, y);
                ASSERT_EQ(tiles.at(t + 2048, 7 - x, y), base) << t;
                ASSERT_EQ(tiles.at(t + 4096, x, 7 - y), base) << t;
                ASSERT_EQ(tiles.at(t + 6144, 7 - x, 7 - y), base) << t;
            }
        }
    }
}

std::vector<std::uint8_t> rowOf(const TilePixels& tiles, std::int32_t variant, std::int32_t y) {
    const std::uint8_t* row = tiles.variant(variant) + 8 * y;
    return {row, row + 8};
}

std::vector<std::uint8_t> tileOf(const TilePixels& tiles, std::int32_t variant) {
    const std::uint8_t* pixels = tiles.variant(variant);
    return {pixels, pixels + 64};
}

using Row = std::vector<std::uint8_t>;

// --- decoding ------------------------------------------------------------------------------------

TEST(ExtractTiles, HighNibbleIsTheLeftPixel) {
    TilePixels tiles;
    const std::vector<std::uint8_t> art = {0x1F};
    extractTiles(art, tiles);
    EXPECT_EQ(tiles.at(0, 0, 0), 1);
    EXPECT_EQ(tiles.at(0, 1, 0), 15);
}

TEST(ExtractTiles, TopRowAndItsThreeMirrors) {
    TilePixels tiles;
    const std::vector<std::uint8_t> art = {0x12, 0x34, 0x56, 0x78};
    extractTiles(art, tiles);
    EXPECT_EQ(rowOf(tiles, 0, 0), (Row{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rowOf(tiles, 2048, 0), (Row{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(rowOf(tiles, 4096, 7), (Row{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rowOf(tiles, 6144, 7), (Row{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(rowOf(tiles, 4096, 0), Row(8, 0));
}

TEST(ExtractTiles, RowsGoTopToBottom) {
    TilePixels tiles;
    std::vector<std::uint8_t> art(32, 0);
    for (std::size_t y = 0; y < 8; ++y) {
        art[4 * y] = static_cast<std::uint8_t>(y << 4);
    }
    extractTiles(art, tiles);
    for (std::int32_t y = 0; y < 8; ++y) {
        EXPECT_EQ(tiles.at(0, 0, y), y);
        EXPECT_EQ(tiles.at(4096, 0, 7 - y), y);
    }
}

TEST(ExtractTiles, FullArtFillsEveryBaseTile) {
    const std::vector<std::uint8_t> art = patternArt(kFullArt, 7);
    TilePixels tiles;
    extractTiles(art, tiles);
    for (std::int32_t t = 0; t < kBaseTiles; ++t) {
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 8; ++x) {
                ASSERT_EQ(tiles.at(t, x, y), nibbleAt(art, t, x, y)) << t;
            }
        }
    }
}

TEST(ExtractTiles, AllThreeMirrorsOfEveryTile) {
    TilePixels tiles;
    extractTiles(patternArt(kFullArt, 11), tiles);
    expectMirrorsOfBase(tiles);
}

TEST(ExtractTiles, BytesBeyondTheLastTileAreIgnored) {
    std::vector<std::uint8_t> art = patternArt(kFullArt, 3);
    TilePixels exact;
    extractTiles(art, exact);
    art.resize(kFullArt + 100, 0xFF);
    TilePixels longer;
    extractTiles(art, longer);
    EXPECT_EQ(longer, exact);
}

// --- short art and the previous level's tiles ------------------------------------------------

TilePixels previousLevel() {
    TilePixels tiles;
    extractTiles(patternArt(kFullArt, 99), tiles);
    return tiles;
}

TEST(ExtractTilesShortArt, EmptyArtKeepsTheBaseTilesAndRebuildsTheMirrors) {
    TilePixels tiles = previousLevel();
    tiles.set(5, 3, 4, 12);    // a base pixel no mirror has yet
    tiles.set(2048, 0, 0, 9);  // a stale mirror pixel
    const TilePixels before = tiles;
    extractTiles(ByteSpan{}, tiles);
    for (std::int32_t t = 0; t < kBaseTiles; ++t) {
        ASSERT_EQ(tileOf(tiles, t), tileOf(before, t)) << t;
    }
    EXPECT_EQ(tiles.at(5 + 2048, 4, 4), 12);
    EXPECT_EQ(tiles.at(2048, 0, 0), tiles.at(0, 7, 0));
    expectMirrorsOfBase(tiles);
}

TEST(ExtractTilesShortArt, ThirtyTwoBytesReplaceTileZeroOnly) {
    TilePixels tiles = previousLevel();
    const TilePixels before = tiles;
    const std::vector<std::uint8_t> art(32, 0x00);
    extractTiles(art, tiles);
    EXPECT_EQ(tileOf(tiles, 0), Row(64, 0));
    for (std::int32_t t = 1; t < kBaseTiles; ++t) {
        ASSERT_EQ(tileOf(tiles, t), tileOf(before, t)) << t;
    }
    expectMirrorsOfBase(tiles);
}

TEST(ExtractTilesShortArt, APartialTileKeepsItsOtherPixels) {
    TilePixels tiles = previousLevel();
    const TilePixels before = tiles;
    std::vector<std::uint8_t> art(33, 0x00);
    art[32] = 0xAB;
    extractTiles(art, tiles);
    EXPECT_EQ(tiles.at(1, 0, 0), 0xA);
    EXPECT_EQ(tiles.at(1, 1, 0), 0xB);
    for (std::int32_t x = 2; x < 8; ++x) {
        EXPECT_EQ(tiles.at(1, x, 0), before.at(1, x, 0));
    }
    for (std::int32_t y = 1; y < 8; ++y) {
        EXPECT_EQ(rowOf(tiles, 1, y), rowOf(before, 1, y));
    }
    EXPECT_EQ(tiles.at(1 + 2048, 7, 0), 0xA);
    EXPECT_EQ(tiles.at(1 + 6144, 6, 7), 0xB);
    expectMirrorsOfBase(tiles);
}

TEST(ExtractTilesShortArt, ASecondShorterArtLeavesTheFirstArtsTilesBeyondIt) {
    const std::vector<std::uint8_t> first = patternArt(kFullArt, 1);
    const std::vector<std::uint8_t> second = patternArt(100, 2);
    TilePixels tiles;
    extractTiles(first, tiles);
    extractTiles(second, tiles);
    for (std::int32_t t = 0; t < 8; ++t) {
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 8; ++x) {
                const std::int32_t byte = t * 32 + y * 4 + x / 2;
                const auto& from = byte < 100 ? second : first;
                ASSERT_EQ(tiles.at(t, x, y), nibbleAt(from, t, x, y)) << t << x << y;
            }
        }
    }
    expectMirrorsOfBase(tiles);
}

TEST(ExtractTilesShortArt, NothingPastTheArtIsRead) {
    // The art is the front of a larger buffer; the bytes after it must not show up.
    std::vector<std::uint8_t> buffer(64, 0xFF);
    std::fill(buffer.begin(), buffer.begin() + 40, 0x11);
    TilePixels tiles;
    extractTiles(ByteSpan(buffer).first(40), tiles);
    EXPECT_EQ(tiles.at(1, 7, 1), 1);
    EXPECT_EQ(tiles.at(1, 0, 2), 0);
    EXPECT_EQ(tiles.at(1, 7, 7), 0);
}

// --- progress ------------------------------------------------------------------------------------

TEST(ExtractTilesProgress, CaptionFirstThenOneWidthPerVariant) {
    test::RecordingProgress progress;
    TilePixels tiles;
    extractTiles(patternArt(kFullArt, 5), tiles, &progress);
    ASSERT_EQ(progress.captions, std::vector<std::string>{"Extracting 8x8 Tiles ..."});
    EXPECT_TRUE(progress.captionBeforeFirstWidth);
    ASSERT_EQ(progress.widths.size(), 8192u);
    EXPECT_TRUE(progress.nonDecreasing());
    EXPECT_EQ(progress.widths[0], 0.0);
    EXPECT_EQ(progress.widths[2047], 76.0);
    EXPECT_EQ(progress.widths[4095], 152.0);
    EXPECT_EQ(progress.widths[4096], 152.0);  // 152.5 rounds to the even neighbour
    EXPECT_EQ(progress.widths[6143], 229.0);
    EXPECT_EQ(progress.widths[8191], 305.0);
}

TEST(ExtractTilesProgress, ShortArtReportsItsCompleteTilesThenEveryMirror) {
    test::RecordingProgress progress;
    TilePixels tiles;
    extractTiles(std::vector<std::uint8_t>(33, 0), tiles, &progress);
    ASSERT_EQ(progress.widths.size(), 1u + 6144u);
    EXPECT_EQ(progress.widths[0], 0.0);
    EXPECT_EQ(progress.widths[1], 76.0);  // variant 2048: 76.25
    EXPECT_EQ(progress.widths.back(), 305.0);
}

TEST(ExtractTilesProgress, EmptyArtStillReportsTheMirrors) {
    test::RecordingProgress progress;
    TilePixels tiles;
    extractTiles(ByteSpan{}, tiles, &progress);
    EXPECT_EQ(progress.captions.size(), 1u);
    ASSERT_EQ(progress.widths.size(), 6144u);
    EXPECT_EQ(progress.widths.front(), 76.0);
    EXPECT_EQ(progress.widths.back(), 305.0);
}

TEST(ProgressMath, HalfEvenRounding) {
    EXPECT_EQ(barWidthHalfEven(4096, 8192), 152.0);
    EXPECT_EQ(barWidthHalfEven(2048, 4096), 152.0);
    EXPECT_EQ(barWidthHalfEven(1, 2, 1), 0.0);
    EXPECT_EQ(barWidthHalfEven(3, 2, 1), 2.0);
    EXPECT_EQ(barWidthHalfEven(5, 2, 1), 2.0);
    EXPECT_EQ(barWidthHalfEven(6, 10, 1), 1.0);
    EXPECT_EQ(barWidthHalfEven(4, 10, 1), 0.0);
}

TEST(ProgressMath, NearestRounding) {
    EXPECT_EQ(barWidthRounded(0, 255), 0.0);
    EXPECT_EQ(barWidthRounded(1, 255), 1.0);
    EXPECT_EQ(barWidthRounded(128, 255), 153.0);
    EXPECT_EQ(barWidthRounded(255, 255), 305.0);
    EXPECT_EQ(barWidthRounded(1, 2, 1), 1.0);
}

}  // namespace
}  // namespace orvex
