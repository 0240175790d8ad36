#include "graphics/blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/recordingprogress.h"
#include "graphics/tiles.h"

namespace orvex {
namespace {

using Words = std::vector<std::uint16_t>;
constexpr std::uint32_t kBlack = 0xFF000000u;

std::vector<std::uint8_t> bytesOf(const Words& words) {
    std::vector<std::uint8_t> bytes(2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        putWord(bytes, 2 * i, words[i]);
    }
    return bytes;
}

// A palette whose 60 non-zero colours all differ; colour 0 of every line is black.
LevelPalette distinctPalette() {
    LevelPalette palette;
    for (std::size_t line = 0; line < 4; ++line) {
        for (std::size_t index = 1; index < 16; ++index) {
            const auto red = static_cast<ColourValue>(16 * index);
            const auto green = static_cast<ColourValue>(0x30 * (line + 1));
            palette.colours[line][index] = red + 256u * green + 65536u * 0x40u;
        }
    }
    return palette;
}

// Chunk variant w carries a pattern of its own that uses every palette line.
ChunkPixel patternPixel(std::int32_t w, std::int32_t x, std::int32_t y) {
    return ChunkPixel{static_cast<std::uint8_t>((w + y) & 3),
                      static_cast<std::uint8_t>(1 + (w * 5 + x + 3 * y) % 15)};
}

std::unique_ptr<ChunkPixels> patternChunks() {
    auto chunks = std::make_unique<ChunkPixels>();
    for (std::int32_t w = 0; w < kChunkVariants; ++w) {
        for (std::int32_t y = 0; y < 16; ++y) {
            for (std::int32_t x = 0; x < 16; ++x) {
                chunks->set(w, x, y, patternPixel(w, x, y));
            }
        }
    }
    return chunks;
}

struct Fixture {
    LevelPalette palette = distinctPalette();
    std::unique_ptr<ChunkPixels> chunks = patternChunks();
    std::unique_ptr<BlockPictures> out = std::make_unique<BlockPictures>();

    BlockRenderReport render(ByteSpan data, ProgressSink* progress = nullptr) {
        return extractBlocks(data, palette, *chunks, *out, progress);
    }
    [[nodiscard]] const Image& block(std::size_t b) const { return (*out)[b]; }
};

// Checks the 16x16 area (q, r) of a picture shows chunk variant w.
void expectChunkAt(const Image& picture, std::int32_t q, std::int32_t r, const ChunkPixels& chunks,
                   const LevelPalette& palette, std::int32_t w) {
    for (std::int32_t y = 0; y < 16; ++y) {
        for (std::int32_t x = 0; x < 16; ++x) {
            const ChunkPixel pixel = chunks.at(w, x, y);
            const std::uint32_t expected = toArgb(palette.at(pixel.paletteLine, pixel.colourIndex));
            ASSERT_EQ(picture.pixel(16 * q + x, 16 * r + y), expected)
                << "area " << q << "," << r << " pixel " << x << "," << y;
        }
    }
}

void expectBlackAt(const Image& picture, std::int32_t q, std::int32_t r) {
    for (std::int32_t y = 0; y < 16; ++y) {
        for (std::int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(picture.pixel(16 * q + x, 16 * r + y), kBlack) << x << "," << y;
        }
    }
}

// --- mapping words -------------------------------------------------------------------------------

TEST(ExtractBlocks, HighFourBitsAreIgnored) {
    Fixture f;
    (void)f.render(bytesOf({0xF005}));
    expectChunkAt(f.block(0), 0, 0, *f.chunks, f.palette, 5);
}

TEST(ExtractBlocks, FlipBitsSelectTheChunkVariant) {
    Fixture f;
    (void)f.render(bytesOf({0x0405, 0x0805, 0x0C05, 0x0005}));
    expectChunkAt(f.block(0), 0, 0, *f.chunks, f.palette, 1029);
    expectChunkAt(f.block(0), 1, 0, *f.chunks, f.palette, 2053);
    expectChunkAt(f.block(0), 2, 0, *f.chunks, f.palette, 3077);
    expectChunkAt(f.block(0), 3, 0, *f.chunks, f.palette, 5);
}

TEST(ExtractBlocks, WordsGoAlongRowsThenDownThenToTheNextBlock) {
    Fixture f;
    Words words(65, 0);
    words[0] = 0x0011;
    words[1] = 0x0012;
    words[8] = 0x0013;
    words[63] = 0x0014;
    words[64] = 0x0015;
    (void)f.render(bytesOf(words));
    expectChunkAt(f.block(0), 0, 0, *f.chunks, f.palette, 0x11);
    expectChunkAt(f.block(0), 1, 0, *f.chunks, f.palette, 0x12);
    expectChunkAt(f.block(0), 0, 1, *f.chunks, f.palette, 0x13);
    expectChunkAt(f.block(0), 7, 7, *f.chunks, f.palette, 0x14);
    expectChunkAt(f.block(1), 0, 0, *f.chunks, f.palette, 0x15);
    expectBlackAt(f.block(1), 1, 0);
}

TEST(ExtractBlocks, EveryBlockOfAFullMappingTable) {
    Fixture f;
    Words words(16384);
    for (std::size_t j = 0; j < words.size(); ++j) {
        words[j] = static_cast<std::uint16_t>(j * 2654435761u >> 7);
    }
    const BlockRenderReport report = f.render(bytesOf(words));
    EXPECT_EQ(report.blocksWithoutData, 0);
    for (std::int32_t j = 0; j < 16384; ++j) {
        const Image& picture = f.block(static_cast<std::size_t>(j / 64));
        const std::int32_t w = words[static_cast<std::size_t>(j)] & 0x0FFF;
        expectChunkAt(picture, j % 8, (j / 8) % 8, *f.chunks, f.palette, w);
    }
}

TEST(ExtractBlocks, EveryPaletteLineIsUsed) {
    Fixture f;
    for (std::int32_t x = 0; x < 4; ++x) {
        f.chunks->set(7, x, 0, ChunkPixel{static_cast<std::uint8_t>(x), 9});
    }
    (void)f.render(bytesOf({0x0007}));
    for (std::int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(f.block(0).pixel(x, 0), toArgb(f.palette.at(static_cast<std::size_t>(x), 9)));
    }
}

TEST(ExtractBlocks, ColourIndexZeroIsBlackOnEveryLine) {
    // The palette as it comes from a ROM, where colour 0's word is white on every line.
    std::vector<std::uint8_t> rom(0x4000, 0xEE);
    LevelPalette palette;
    ASSERT_TRUE(convertPalette(rom, 0x3000, palette).ok());
    ChunkPixels chunks;
    for (std::int32_t x = 0; x < 4; ++x) {
        chunks.set(0, x, 0, ChunkPixel{static_cast<std::uint8_t>(x), 0});
        chunks.set(0, x, 1, ChunkPixel{static_cast<std::uint8_t>(x), 1});
    }
    auto out = std::make_unique<BlockPictures>();
    (void)extractBlocks(bytesOf({0x0000}), palette, chunks, *out, nullptr);
    for (std::int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ((*out)[0].pixel(x, 0), kBlack);
        EXPECT_EQ((*out)[0].pixel(x, 1), 0xFFE0E0E0u);
    }
}

// --- short mappings ------------------------------------------------------------------------------

TEST(ExtractBlocksShortData, EmptyMappingsDrawEveryBlockBlack) {
    Fixture f;
    const BlockRenderReport report = f.render(ByteSpan{});
    EXPECT_EQ(report.blocksWithoutData, 256);
    const Image black(kBlockSize, kBlockSize);
    for (std::size_t b = 0; b < 256; ++b) {
        ASSERT_EQ(f.block(b), black) << b;
    }
}

TEST(ExtractBlocksShortData, IncompleteWordsLeaveTheirAreasBlack) {
    Fixture f;
    std::vector<std::uint8_t> bytes = bytesOf({0x0021, 0x0022});
    bytes.pop_back();  // 3 bytes: the second word is incomplete
    const BlockRenderReport report = f.render(bytes);
    EXPECT_EQ(report.blocksWithoutData, 256);
    expectChunkAt(f.block(0), 0, 0, *f.chunks, f.palette, 0x21);
    for (std::int32_t j = 1; j < 64; ++j) {
        expectBlackAt(f.block(0), j % 8, j / 8);
    }
}

TEST(ExtractBlocksShortData, OnlyBlocksWithAllTheirBytesCountAsHavingData) {
    Fixture f;
    EXPECT_EQ(f.render(std::vector<std::uint8_t>(128, 0)).blocksWithoutData, 255);
    EXPECT_EQ(f.render(std::vector<std::uint8_t>(129, 0)).blocksWithoutData, 255);
    EXPECT_EQ(f.render(std::vector<std::uint8_t>(32767, 0)).blocksWithoutData, 1);
    EXPECT_EQ(f.render(std::vector<std::uint8_t>(32768, 0)).blocksWithoutData, 0);
    EXPECT_EQ(f.render(std::vector<std::uint8_t>(40000, 0)).blocksWithoutData, 0);
}

TEST(ExtractBlocksShortData, TheLastWordOfThePictureIsDrawnFromTheLastTwoBytes) {
    Fixture f;
    Words words(16384, 0x0001);
    words.back() = 0x0002;
    std::vector<std::uint8_t> bytes = bytesOf(words);
    (void)f.render(bytes);
    expectChunkAt(f.block(255), 7, 7, *f.chunks, f.palette, 2);
    bytes.pop_back();
    EXPECT_EQ(f.render(bytes).blocksWithoutData, 1);
    expectBlackAt(f.block(255), 7, 7);
    expectChunkAt(f.block(255), 6, 7, *f.chunks, f.palette, 1);
}

TEST(ExtractBlocksShortData, NothingPastTheMappingsIsRead) {
    Fixture f;
    const std::vector<std::uint8_t> buffer = bytesOf({0x0031, 0x0032, 0x0033});
    (void)f.render(ByteSpan(buffer).first(3));
    expectChunkAt(f.block(0), 0, 0, *f.chunks, f.palette, 0x31);
    expectBlackAt(f.block(0), 1, 0);
    expectBlackAt(f.block(0), 2, 0);
}

TEST(ExtractBlocksShortData, EveryPictureIsReplaced) {
    Fixture f;
    for (auto& picture : *f.out) {
        picture = Image(3, 5);
        picture.setPixel(1, 1, 0xFF123456u);
    }
    (*f.out)[1] = Image(kBlockSize, kBlockSize);
    (*f.out)[1].setPixel(20, 3, 0xFF654321u);
    (void)f.render(bytesOf({0x0001}));
    for (std::size_t b = 0; b < 256; ++b) {
        ASSERT_EQ(f.block(b).width(), kBlockSize);
        ASSERT_EQ(f.block(b).height(), kBlockSize);
    }
    EXPECT_EQ(f.block(1), Image(kBlockSize, kBlockSize));
    EXPECT_EQ(f.block(2), Image(kBlockSize, kBlockSize));
}

// --- progress ------------------------------------------------------------------------------------

TEST(ExtractBlocksProgress, CaptionFirstThenOneWidthPerBlock) {
    Fixture f;
    test::RecordingProgress progress;
    (void)f.render(std::vector<std::uint8_t>(kBlockMappingsSize, 0), &progress);
    ASSERT_EQ(progress.captions, std::vector<std::string>{"Extracting 128x128 Tiles ..."});
    EXPECT_TRUE(progress.captionBeforeFirstWidth);
    ASSERT_EQ(progress.widths.size(), 256u);
    EXPECT_TRUE(progress.nonDecreasing());
    EXPECT_EQ(progress.widths[0], 0.0);
    EXPECT_EQ(progress.widths[1], 1.0);
    EXPECT_EQ(progress.widths[128], 153.0);
    EXPECT_EQ(progress.widths[255], 305.0);
}

TEST(ExtractBlocksProgress, BlocksWithoutDataAreReportedToo) {
    Fixture f;
    test::RecordingProgress progress;
    (void)f.render(ByteSpan{}, &progress);
    EXPECT_EQ(progress.widths.size(), 256u);
    EXPECT_EQ(progress.widths.back(), 305.0);
}

// --- all the art together ------------------------------------------------------------------------

TEST(LevelArt, ATilePixelReachesTheBlockPictureThroughBothFlips) {
    std::vector<std::uint8_t> art(32, 0);
    art[0] = 0x70;  // tile 0, pixel (0, 0) = colour 7
    auto tiles = std::make_unique<TilePixels>();
    extractTiles(art, *tiles);
    auto chunks = std::make_unique<ChunkPixels>();
    // Chunk 0: blank tile 1, but its bottom-right quarter is tile 0 mirrored both ways on line 2.
    extractChunks(bytesOf({0x0001, 0x0001, 0x0001, 0x5800}), *tiles, *chunks);
    LevelPalette palette = distinctPalette();
    auto out = std::make_unique<BlockPictures>();
    // Block 0, area (1, 0): chunk 0 mirrored both ways.
    (void)extractBlocks(bytesOf({0x0000, 0x0C00}), palette, *chunks, *out);
    const std::uint32_t colour = toArgb(palette.at(2, 7));
    EXPECT_EQ((*out)[0].pixel(15, 15), colour);
    EXPECT_EQ((*out)[0].pixel(16, 0), colour);
    EXPECT_EQ((*out)[0].pixel(8, 8), kBlack);
    EXPECT_EQ((*out)[0].pixel(0, 0), kBlack);
}

}  // namespace
}  // namespace orvex
