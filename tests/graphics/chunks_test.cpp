#include "graphics/chunks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/recordingprogress.h"

namespace orvex {
namespace {

using Words = std::vector<std::uint16_t>;

std::vector<std::uint8_t> bytesOf(const Words& words) {
    std::vector<std::uint8_t> bytes(2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        putWord(bytes, 2 * i, words[i]);
    }
    return bytes;
}

// A non-zero colour index for pixel (x, y) that differs between neighbouring pixels.
std::uint8_t markOf(std::int32_t x, std::int32_t y) {
    return static_cast<std::uint8_t>(1 + (x + 3 * y) % 15);
}

// Tiles that are all zero except the given variant, which carries markOf.
TilePixels tilesMarking(std::int32_t variant) {
    TilePixels tiles;
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            tiles.set(variant, x, y, markOf(x, y));
        }
    }
    return tiles;
}

// Tiles whose every variant has its own pattern.
TilePixels patternTiles() {
    TilePixels tiles;
    for (std::int32_t v = 0; v < kTileVariants; ++v) {
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 8; ++x) {
                tiles.set(v, x, y, static_cast<std::uint8_t>((v * 7 + v / 16 + x + 5 * y) & 15));
            }
        }
    }
    return tiles;
}

// Checks the 8x8 quarter (q, r) of chunk k shows tile variant v with palette line p.
void expectQuarter(const ChunkPixels& chunks, std::int32_t k, std::int32_t q, std::int32_t r,
                   const TilePixels& tiles, std::int32_t v, std::uint8_t p) {
    for (std::int32_t y = 0; y < 8; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            ASSERT_EQ(chunks.at(k, 8 * q + x, 8 * r + y), (ChunkPixel{p, tiles.at(v, x, y)}))
                << "chunk " << k << " quarter " << q << "," << r << " pixel " << x << "," << y;
        }
    }
}

void expectMirrorsOfBase(const ChunkPixels& chunks) {
    for (std::int32_t c = 0; c < kBaseChunks; ++c) {
        for (std::int32_t y = 0; y < 16; ++y) {
            for (std::int32_t x = 0; x < 16; ++x) {
                const ChunkPixel base = chunks.at(c, x, y);
                ASSERT_EQ(chunks.at(c + 1024, 15 - x, y), base) << c;
                ASSERT_EQ(chunks.at(c + 2048, x, 15 - y), base) << c;
                ASSERT_EQ(chunks.at(c + 3072, 15 - x, 15 - y), base) << c;
            }
        }
    }
}

std::vector<ChunkPixel> chunkOf(const ChunkPixels& chunks, std::int32_t w) {
    const ChunkPixel* pixels = chunks.variant(w);
    return {pixels, pixels + 256};
}

// A previous level's chunks: every base chunk filled with its own pattern.
ChunkPixels previousLevel() {
    ChunkPixels chunks;
    for (std::int32_t c = 0; c < kBaseChunks; ++c) {
        for (std::int32_t y = 0; y < 16; ++y) {
            for (std::int32_t x = 0; x < 16; ++x) {
                const auto line = static_cast<std::uint8_t>((c + y) & 3);
                const auto index = static_cast<std::uint8_t>((c + x * 3 + y) & 15);
                chunks.set(c, x, y, ChunkPixel{line, index});
            }
        }
    }
    return chunks;
}

// --- pattern words -------------------------------------------------------------------------------

TEST(ExtractChunks, PriorityBitIsIgnoredAndLineThreeIsTaken) {
    const TilePixels tiles = tilesMarking(2047);
    ChunkPixels chunks;
    extractChunks(bytesOf({0xE7FF}), tiles, chunks);
    expectQuarter(chunks, 0, 0, 0, tiles, 2047, 3);
}

TEST(ExtractChunks, VerticalFlipBitSelectsTheUpsideDownVariant) {
    const TilePixels tiles = tilesMarking(6144);
    ChunkPixels chunks;
    extractChunks(bytesOf({0x9800}), tiles, chunks);
    expectQuarter(chunks, 0, 0, 0, tiles, 6144, 0);
}

TEST(ExtractChunks, HorizontalFlipBitSelectsTheMirroredVariant) {
    const TilePixels tiles = tilesMarking(2049);
    ChunkPixels chunks;
    extractChunks(bytesOf({0x2801}), tiles, chunks);
    expectQuarter(chunks, 0, 0, 0, tiles, 2049, 1);
}

TEST(ExtractChunks, QuartersGoTopLeftTopRightBottomLeftBottomRight) {
    const TilePixels tiles = tilesMarking(0);
    ChunkPixels chunks;
    extractChunks(bytesOf({0x0000, 0x2000, 0x4000, 0x6000}), tiles, chunks);
    expectQuarter(chunks, 0, 0, 0, tiles, 0, 0);
    expectQuarter(chunks, 0, 1, 0, tiles, 0, 1);
    expectQuarter(chunks, 0, 0, 1, tiles, 0, 2);
    expectQuarter(chunks, 0, 1, 1, tiles, 0, 3);
}

TEST(ExtractChunks, EveryChunkOfAFullMappingTable) {
    const TilePixels tiles = patternTiles();
    Words words(4096);
    for (std::size_t j = 0; j < words.size(); ++j) {
        words[j] = static_cast<std::uint16_t>(j * 40503u + 17u);
    }
    ChunkPixels chunks;
    extractChunks(bytesOf(words), tiles, chunks);
    for (std::int32_t j = 0; j < 4096; ++j) {
        const std::uint16_t word = words[static_cast<std::size_t>(j)];
        const auto line = static_cast<std::uint8_t>((word >> 13) & 3);
        expectQuarter(chunks, j / 4, j % 2, (j / 2) % 2, tiles, word & 0x1FFF, line);
    }
    expectMirrorsOfBase(chunks);
}

TEST(ExtractChunks, MirrorsOfOnePixel) {
    ChunkPixels chunks;
    chunks.set(0, 0, 0, ChunkPixel{2, 5});
    extractChunks(ByteSpan{}, TilePixels{}, chunks);
    EXPECT_EQ(chunks.at(1024, 15, 0), (ChunkPixel{2, 5}));
    EXPECT_EQ(chunks.at(2048, 0, 15), (ChunkPixel{2, 5}));
    EXPECT_EQ(chunks.at(3072, 15, 15), (ChunkPixel{2, 5}));
    EXPECT_EQ(chunks.at(1024, 0, 0), (ChunkPixel{}));
}

TEST(ExtractChunks, BytesBeyondTheLastChunkAreIgnored) {
    const TilePixels tiles = patternTiles();
    Words words(4096, 0x2345);
    ChunkPixels exact;
    extractChunks(bytesOf(words), tiles, exact);
    words.resize(4200, 0x7FFF);
    ChunkPixels longer;
    extractChunks(bytesOf(words), tiles, longer);
    EXPECT_EQ(longer, exact);
}

// --- short mappings and the previous level's chunks -------------------------------------------

TEST(ExtractChunksShortData, EmptyMappingsKeepTheBaseChunksAndRebuildTheMirrors) {
    ChunkPixels chunks = previousLevel();
    const ChunkPixels before = chunks;
    extractChunks(ByteSpan{}, patternTiles(), chunks);
    for (std::int32_t c = 0; c < kBaseChunks; ++c) {
        ASSERT_EQ(chunkOf(chunks, c), chunkOf(before, c)) << c;
    }
    expectMirrorsOfBase(chunks);
}

TEST(ExtractChunksShortData, TwelveBytesReplaceChunkZeroAndTheTopHalfOfChunkOne) {
    const TilePixels tiles = patternTiles();
    ChunkPixels chunks = previousLevel();
    const ChunkPixels before = chunks;
    extractChunks(bytesOf({0x0001, 0x0002, 0x0003, 0x0004, 0x2005, 0x4006}), tiles, chunks);
    expectQuarter(chunks, 0, 0, 0, tiles, 1, 0);
    expectQuarter(chunks, 0, 1, 0, tiles, 2, 0);
    expectQuarter(chunks, 0, 0, 1, tiles, 3, 0);
    expectQuarter(chunks, 0, 1, 1, tiles, 4, 0);
    expectQuarter(chunks, 1, 0, 0, tiles, 5, 1);
    expectQuarter(chunks, 1, 1, 0, tiles, 6, 2);
    for (std::int32_t y = 8; y < 16; ++y) {
        for (std::int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(chunks.at(1, x, y), before.at(1, x, y));
        }
    }
    EXPECT_EQ(chunkOf(chunks, 2), chunkOf(before, 2));
    expectMirrorsOfBase(chunks);
}

TEST(ExtractChunksShortData, AnOddByteCountLeavesTheHalfWordAlone) {
    const TilePixels tiles = patternTiles();
    ChunkPixels chunks = previousLevel();
    const ChunkPixels before = chunks;
    std::vector<std::uint8_t> bytes = bytesOf({0x0001, 0x0002, 0x0003, 0x0004, 0x2005, 0x4006});
    bytes.pop_back();  // 11 bytes
    extractChunks(bytes, tiles, chunks);
    expectQuarter(chunks, 1, 0, 0, tiles, 5, 1);
    for (std::int32_t y = 0; y < 16; ++y) {
        for (std::int32_t x = 8 * (y < 8 ? 1 : 0); x < 16; ++x) {
            ASSERT_EQ(chunks.at(1, x, y), before.at(1, x, y)) << x << "," << y;
        }
    }
}

TEST(ExtractChunksShortData, NothingPastTheMappingsIsRead) {
    const TilePixels tiles = tilesMarking(1);
    std::vector<std::uint8_t> buffer = bytesOf({0x0000, 0x0000, 0x0001, 0x0001});
    ChunkPixels chunks;
    extractChunks(ByteSpan(buffer).first(4), tiles, chunks);
    for (std::int32_t y = 0; y < 16; ++y) {
        for (std::int32_t x = 0; x < 16; ++x) {
            ASSERT_EQ(chunks.at(0, x, y), ChunkPixel{}) << x << "," << y;
        }
    }
}

// --- progress ------------------------------------------------------------------------------------

TEST(ExtractChunksProgress, CaptionFirstThenOneWidthPerVariant) {
    test::RecordingProgress progress;
    ChunkPixels chunks;
    extractChunks(std::vector<std::uint8_t>(8192, 0), TilePixels{}, chunks, &progress);
    ASSERT_EQ(progress.captions, std::vector<std::string>{"Extracting 16x16 Tiles ..."});
    EXPECT_TRUE(progress.captionBeforeFirstWidth);
    ASSERT_EQ(progress.widths.size(), 4096u);
    EXPECT_TRUE(progress.nonDecreasing());
    EXPECT_EQ(progress.widths[0], 0.0);
    EXPECT_EQ(progress.widths[1023], 76.0);
    EXPECT_EQ(progress.widths[2047], 152.0);
    EXPECT_EQ(progress.widths[2048], 152.0);  // 152.5 rounds to the even neighbour
    EXPECT_EQ(progress.widths[3071], 229.0);
    EXPECT_EQ(progress.widths[4095], 305.0);
}

TEST(ExtractChunksProgress, ShortMappingsReportTheirCompleteChunksThenEveryMirror) {
    test::RecordingProgress progress;
    ChunkPixels chunks;
    extractChunks(std::vector<std::uint8_t>(12, 0), TilePixels{}, chunks, &progress);
    ASSERT_EQ(progress.widths.size(), 1u + 3072u);
    EXPECT_EQ(progress.widths[0], 0.0);
    EXPECT_EQ(progress.widths[1], 76.0);  // variant 1024: 76.25
    EXPECT_EQ(progress.widths.back(), 305.0);
}

}  // namespace
}  // namespace orvex
