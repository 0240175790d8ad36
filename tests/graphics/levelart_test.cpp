#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "graphics/levelart.h"
#include "graphics/levelimage.h"
#include "graphics/palette.h"
#include "support/testrom.h"

// The level art from the palette through tiles, chunks and blocks to a whole level's pictures.

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint16_t>;
using testing::RecordingProgress;
using Report = RecordingProgress::Report;

// Mapping words as the ROM stores them, high byte first.
Bytes bytesOf(const Words& words) {
    Bytes bytes(2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        putWord(bytes, 2 * i, words[i]);
    }
    return bytes;
}

Bytes randomBytes(std::size_t count, std::uint32_t seed, std::uint32_t below = 256) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    std::ranges::generate(bytes, [&] { return static_cast<std::uint8_t>(random() % below); });
    return bytes;
}

TEST(Palette, ColourZeroOfEveryLineIsBlack) {
    EXPECT_EQ(colourOf(0x0246), 0xFF604020u);  // each 3-bit level n becomes 32 n
    EXPECT_EQ(colourOf(0xF111), 0xFF000000u);  // the other bits are ignored
    PaletteWords palette;
    palette.words.fill(0x0EEE);
    const ColourTable colours = levelColours(palette);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        EXPECT_EQ(colours[i], i % 16 == 0 ? 0xFF000000u : 0xFFE0E0E0u) << i;
    }
}

// --- tiles ---------------------------------------------------------------------------------

Bytes rowOf(const TilePixels& tiles, std::int32_t variant, std::int32_t y) {
    return {tiles.variant(variant) + 8 * y, tiles.variant(variant) + 8 * y + 8};
}

TEST(Tiles, HighNibbleIsTheLeftPixelAndRowsAreMirrored) {
    TilePixels tiles;
    extractTiles(Bytes{0x12, 0x34, 0x56, 0x78, 0x1F}, tiles);
    EXPECT_EQ(rowOf(tiles, 0, 0), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rowOf(tiles, 2048, 0), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(rowOf(tiles, 4096, 7), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rowOf(tiles, 6144, 7), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(rowOf(tiles, 0, 1), (Bytes{1, 15, 0, 0, 0, 0, 0, 0}));  // 0x1F
}

TEST(Tiles, FullArtFillsEveryTileAndEveryMirror) {
    Bytes art = randomBytes(65536, 1);
    art.resize(65536 + 100, 0xFF);  // bytes beyond 65,536 are ignored: no more tiles reported
    TilePixels tiles;
    extractTiles(art, tiles);
    // The last pixel of the last tile, and where its mirror both ways shows it.
    EXPECT_EQ(tiles.at(2047, 7, 7), art[65535] & 0x0F);
    EXPECT_EQ(tiles.at(8191, 0, 0), art[65535] & 0x0F);
}

TEST(Tiles, ShortArtReplacesOnlyWhatItCoversAndRebuildsEveryMirror) {
    TilePixels previous;
    extractTiles(randomBytes(65536, 2), previous);
    previous.set(2048 + 9, 0, 0, 3);  // a mirror that no longer matches its tile
    for (const std::size_t size : {32U, 33U}) {
        TilePixels tiles = previous;
        Bytes art(size, 0x00);
        art[size - 1] = 0xAB;
        extractTiles(art, tiles);
        EXPECT_EQ(rowOf(tiles, 0, 0), Bytes(8, 0));
        EXPECT_EQ(tiles.at(0, 7, 7), size == 32 ? 0xB : 0);
        EXPECT_EQ(tiles.at(1, 0, 0), size == 33 ? 0xA : previous.at(1, 0, 0));
        EXPECT_EQ(tiles.at(1, 1, 0), size == 33 ? 0xB : previous.at(1, 1, 0));
        EXPECT_TRUE(std::equal(tiles.variant(1) + 2, tiles.variant(2048), previous.variant(1) + 2));
        EXPECT_EQ(tiles.at(2048 + 9, 0, 0), tiles.at(9, 7, 0));
        EXPECT_EQ(tiles.at(6144 + 1, 7, 7), tiles.at(1, 0, 0));
    }
}

// --- chunks --------------------------------------------------------------------------------

// Tiles whose every variant has its own random pixels.
TilePixels patternTiles() {
    TilePixels tiles;
    const Bytes pixels = randomBytes(kTileVariants * 64, 3, 16);
    std::ranges::copy(pixels, tiles.variant(0));
    return tiles;
}

// Checks the 8x8 quarter (q, r) of chunk k shows tile variant v in palette line p.
void expectQuarter(const ChunkPixels& chunks, std::int32_t k, std::int32_t q, std::int32_t r,
                   const TilePixels& tiles, std::int32_t v, std::int32_t p) {
    for (std::int32_t i = 0; i < 64; ++i) {
        ASSERT_EQ(chunks.at(k, 8 * q + i % 8, 8 * r + i / 8), 16 * p + tiles.at(v, i % 8, i / 8))
            << "chunk " << k << " quarter " << q << "," << r << " pixel " << i;
    }
}

TEST(Chunks, WordsFillQuartersAndShortMappingsKeepThePreviousChunks) {
    const TilePixels tiles = patternTiles();
    Words words(4096 + 100, 0x2345);
    std::fill(words.begin() + 4096, words.end(), 0x7FFF);  // beyond 8,192 bytes: ignored
    ChunkPixels previous;
    extractChunks(bytesOf(words), tiles, previous);
    expectQuarter(previous, 1023, 1, 1, tiles, 0x0345, 1);
    previous.variant(1023)[16 * 1 + 3] = 2 * 16 + 5;  // (3, 1), no longer what the mirrors show
    // Bit 15 is ignored, bits 14-13 are the line, bits 12-0 the tile variant.
    const Bytes mapping = bytesOf({0xE7FF, 0x9800, 0x2801, 0x4005, 0x2001, 0x4006});
    for (const std::size_t size : {11U, 12U}) {
        ChunkPixels chunks = previous;
        extractChunks(ByteSpan(mapping).first(size), tiles, chunks);
        expectQuarter(chunks, 0, 0, 0, tiles, 2047, 3);
        expectQuarter(chunks, 0, 1, 0, tiles, 6144, 0);
        expectQuarter(chunks, 0, 0, 1, tiles, 2049, 1);
        expectQuarter(chunks, 0, 1, 1, tiles, 5, 2);
        expectQuarter(chunks, 1, 0, 0, tiles, 1, 1);
        // With 11 bytes the half word leaves the previous quarter alone.
        expectQuarter(chunks, 1, 1, 0, tiles, size == 12 ? 6 : 0x0345, size == 12 ? 2 : 1);
        EXPECT_TRUE(
            std::equal(chunks.variant(1) + 128, chunks.variant(1024), previous.variant(1) + 128));
        EXPECT_EQ(chunks.at(1023 + 1024, 12, 1), 2 * 16 + 5);  // chunk 1023's (3, 1)
        EXPECT_EQ(chunks.at(1023 + 2048, 3, 14), 2 * 16 + 5);
        EXPECT_EQ(chunks.at(1023 + 3072, 12, 14), 2 * 16 + 5);
        EXPECT_EQ(chunks.at(1 + 1024, 15, 0), chunks.at(1, 0, 0));
    }
}

// --- blocks --------------------------------------------------------------------------------

// Chunk variants with random pixels of their own, and 256 pictures to draw them into.
struct Blocks {
    Blocks() {
        const Bytes pixels = randomBytes(static_cast<std::size_t>(kChunkVariants) * 256, 4, 64);
        std::ranges::copy(pixels, chunks->variant(0));
    }
    // Checks the 16x16 area (q, r) of block b shows chunk variant w, or colour 0 for w < 0.
    void expectArea(std::int32_t b, std::int32_t q, std::int32_t r, std::int32_t w) const {
        for (std::int32_t i = 0; i < 256; ++i) {
            ASSERT_EQ(out->pixel(b, 16 * q + i % 16, 16 * r + i / 16),
                      w < 0 ? 0 : chunks->at(w, i % 16, i / 16))
                << "block " << b << " area " << q << "," << r << " pixel " << i;
        }
    }

    std::unique_ptr<ChunkPixels> chunks = std::make_unique<ChunkPixels>();
    std::unique_ptr<BlockPictures> out = std::make_unique<BlockPictures>();
};

TEST(Blocks, WordsPickChunkVariantsAlongRowsThenDown) {
    Blocks f;
    // Bits 15-12 are ignored; 0x0400 mirrors left-right, 0x0800 top-bottom.
    Words words{0xF005, 0x0405, 0x0805, 0x0C05, 0, 0, 0, 0, 0x13};
    words.resize(65, 0);
    words[63] = 0x14;
    words[64] = 0x15;
    drawBlocks(bytesOf(words), *f.chunks, *f.out);
    // Block, area column and row, chunk variant (-1: colour 0).
    const std::int32_t areas[] = {0, 0, 0, 5,    0, 1, 0, 1029, 0, 2, 0, 2053,
                                  0, 3, 0, 3077, 0, 4, 0, 0,    0, 0, 1, 0x13,
                                  0, 7, 7, 0x14, 1, 0, 0, 0x15, 1, 1, 0, -1};
    for (std::size_t i = 0; i < std::size(areas); i += 4) {
        f.expectArea(areas[i], areas[i + 1], areas[i + 2], areas[i + 3]);
    }
}

// Blocks past the end of the mappings are drawn in colour 0; each block is told of before progress
// moves past it.
TEST(Blocks, ShortMappingsAreDrawnInColourZero) {
    Blocks f;
    const Bytes data = bytesOf(Words(16384, 0x0001));
    for (const std::size_t size : {3U, 32767U, 32768U}) {
        for (std::int32_t b = 0; b < kBlockCount; ++b) {  // stale pictures
            std::memset(f.out->row(b, 0), 0x3F, 16 * kBlockSize);
        }
        RecordingProgress progress;
        std::vector<std::size_t> reportsWhenDrawn;
        drawBlocks(ByteSpan(data).first(size), *f.chunks, *f.out, &progress, [&](std::int32_t b) {
            EXPECT_EQ(b, static_cast<std::int32_t>(reportsWhenDrawn.size()));
            reportsWhenDrawn.push_back(progress.reports.size());
        });
        ASSERT_EQ(progress.reports.size(), 1U + 256);
        EXPECT_EQ(progress.reports.back(), (Report{Stage::Blocks, 256, 256}));
        ASSERT_EQ(reportsWhenDrawn.size(), 256U);
        EXPECT_EQ(reportsWhenDrawn.back(), 256U);
        f.expectArea(0, 0, 0, 1);
        f.expectArea(0, 1, 0, size == 3 ? -1 : 1);
        f.expectArea(200, 3, 0, size == 3 ? -1 : 1);
        f.expectArea(255, 6, 7, size == 3 ? -1 : 1);
        f.expectArea(255, 7, 7, size == 32768 ? 1 : -1);
    }
}

// --- the level's art -----------------------------------------------------------------------

// A level whose chunks use tiles 0..tiles-1 and whose blocks use chunks 0..chunks-1, with
// mappings that also reach past both.
LevelParts levelParts(std::int32_t tiles, std::int32_t chunks, std::uint32_t seed) {
    LevelParts parts;
    parts.tiles.bytes = randomBytes(static_cast<std::size_t>(tiles) * kTileBytes, seed);
    std::mt19937 random(seed);
    Words chunkWords(static_cast<std::size_t>(chunks) * 4);
    for (auto& word : chunkWords) {
        word = static_cast<std::uint16_t>((random() & 0x7800) | random() % (tiles + 40));
    }
    parts.chunks.bytes = bytesOf(chunkWords);
    Words blockWords(64 * 200);
    for (auto& word : blockWords) {
        word = static_cast<std::uint16_t>((random() & 0x0C00) |
                                          random() % std::min(chunks + 40, 1024));
    }
    parts.blocks.bytes = bytesOf(blockWords);
    return parts;
}

TEST(LevelArt, PicturesDependOnTheLevelsPartsAlone) {
    const LevelParts big = levelParts(2000, 1000, 5);
    const LevelParts small = levelParts(6, 20, 6);
    auto reused = std::make_unique<LevelArt>();
    auto fresh = std::make_unique<LevelArt>();
    drawLevelArt(big, *reused);
    RecordingProgress progress;
    drawLevelArt(small, *reused, &progress);
    drawLevelArt(small, *fresh);
    EXPECT_TRUE(reused->tiles == fresh->tiles);
    EXPECT_TRUE(reused->chunks == fresh->chunks);
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        ASSERT_EQ(reused->blocks.picture(b), fresh->blocks.picture(b)) << "block " << b;
    }
    // Tiles (all of video memory), chunks and blocks, in that order.
    const auto& reports = progress.reports;
    ASSERT_EQ(reports.size(), 3U + 2048 + 6144 + 20 + 3072 + 256);
    EXPECT_EQ(reports[0], (Report{Stage::Tiles, 0, 8192}));
    EXPECT_EQ(reports[1 + 2048 + 6144], (Report{Stage::Chunks, 0, 4096}));
    EXPECT_EQ(reports.back(), (Report{Stage::Blocks, 256, 256}));
    std::map<Stage, Report> last;  // each stage counts up to its total
    for (const Report& report : reports) {
        EXPECT_GE(report.done, last[report.stage].done);
        last[report.stage] = report;
    }
    for (const auto& [stage, report] : last) {
        EXPECT_EQ(report.done, report.total) << static_cast<int>(stage);
    }
}

// An edited chunk or block drawn into the art alone gives the pictures a full redraw gives, and
// names exactly the blocks whose pictures changed.
TEST(LevelArt, ChunkAndBlockEditsRedrawWhatAFullDrawDraws) {
    LevelParts parts = levelParts(500, 300, 9);
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(parts, *art);
    std::vector<IndexedImage> before;
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        before.push_back(art->blocks.picture(b));
    }
    parts.chunks.setWord(7 * 4 + 1,
                         static_cast<std::uint16_t>(parts.chunks.word(7 * 4 + 1) ^ 0x0801));
    art->chunkTable = parts.chunks.bytes;
    const std::vector<std::int32_t> fromChunk = redrawChunks(parts.blocks, std::vector{7}, *art);
    parts.blocks.setWord(3 * 64 + 10, 7);
    const std::vector<std::int32_t> fromBlock = redrawBlocks(parts.blocks, std::vector{3}, *art);
    EXPECT_EQ(fromBlock, (std::vector<std::int32_t>{3}));
    auto fresh = std::make_unique<LevelArt>();
    drawLevelArt(parts, *fresh);
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        ASSERT_EQ(art->blocks.picture(b), fresh->blocks.picture(b)) << "block " << b;
        const bool redrawn = std::ranges::find(fromChunk, b) != fromChunk.end() || b == 3;
        if (!redrawn) {
            EXPECT_EQ(before[static_cast<std::size_t>(b)], fresh->blocks.picture(b))
                << "block " << b;
        }
    }
    EXPECT_FALSE(fromChunk.empty());
}

// --- level pictures ------------------------------------------------------------------------

// Blocks of random colour indices, so that every block differs from every other.
std::unique_ptr<BlockPictures> randomBlocks() {
    auto blocks = std::make_unique<BlockPictures>();
    const Bytes pixels = randomBytes(static_cast<std::size_t>(kBlockCount) * 128 * 128, 7, 64);
    std::ranges::copy(pixels, blocks->row(0, 0));
    return blocks;
}

TEST(LevelImage, PlanesShowTheirHalfOfEveryCompleteLayoutRow) {
    const auto blocks = randomBlocks();
    Bytes bytes(16 * 256);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i / 256 * 7 + i % 256);
    }
    const Layout layout(bytes);
    for (const Plane plane : {Plane::Foreground, Plane::Background}) {
        const IndexedImage image = renderPlane(*blocks, layout, plane);
        ASSERT_EQ(std::pair(image.width(), image.height()), std::pair(16384, 2048));
        for (const int cell : {0, 9 * 256 + 100, 15 * 256 + 127}) {
            const int block = bytes[cell + (plane == Plane::Background ? 128 : 0)];
            for (const auto& [x, y] : {std::pair(0, 0), std::pair(77, 3), std::pair(127, 127)}) {
                EXPECT_EQ(image.pixel(cell % 256 * 128 + x, cell / 256 * 128 + y),
                          blocks->pixel(block, x, y));
            }
        }
    }
    // A partial last row is left out; progress follows the rows.
    RecordingProgress progress;
    const IndexedImage four =
        renderPlane(*blocks, Layout(Bytes(bytes.begin(), bytes.begin() + 4 * 256 + 100)),
                    Plane::Foreground, &progress);
    EXPECT_EQ(four.height(), 4 * 128);
    EXPECT_EQ(four.pixel(200, 3 * 128 + 5), blocks->pixel(bytes[3 * 256 + 1], 72, 5));
    EXPECT_EQ(progress.reports, (std::vector<Report>{{Stage::Drawing, 0, 4},
                                                     {Stage::Drawing, 1, 4},
                                                     {Stage::Drawing, 2, 4},
                                                     {Stage::Drawing, 3, 4},
                                                     {Stage::Drawing, 4, 4}}));
    EXPECT_TRUE(renderPlane(*blocks, Layout(Bytes(255)), Plane::Background).isNull());
}

TEST(LevelImage, RowsFromTheWaterLineDownIndexTheUnderwaterColours) {
    IndexedImage picture(3, 4);
    for (std::int32_t y = 0; y < 4; ++y) {
        picture.setPixel(1, y, static_cast<std::uint8_t>(17 + y));
    }
    markUnderwater(picture, 2);
    markUnderwater(picture, 9);  // below the picture: nothing changes
    EXPECT_EQ(
        (Bytes{picture.pixel(1, 1), picture.pixel(1, 2), picture.pixel(0, 3), picture.pixel(1, 3)}),
        (Bytes{18, 19 + 64, 64, 20 + 64}));
}

TEST(LevelImage, BlockSheetHasSixteenBlocksToARow) {
    const auto blocks = randomBlocks();
    const IndexedImage sheet = renderBlockSheet(*blocks);
    ASSERT_EQ(std::pair(sheet.width(), sheet.height()), std::pair(2048, 2048));
    for (const int b : {0, 1, 15, 16, 200, 255}) {
        EXPECT_EQ(sheet.pixel(b % 16 * 128 + 90, b / 16 * 128 + 127), blocks->pixel(b, 90, 127))
            << b;
        EXPECT_EQ(sheet.pixel(b % 16 * 128, b / 16 * 128), blocks->pixel(b, 0, 0)) << b;
    }
}

}  // namespace
}  // namespace orvex
