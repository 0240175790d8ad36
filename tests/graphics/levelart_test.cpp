#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/blocks.h"
#include "graphics/levelimage.h"
#include "graphics/progressmath.h"

// The level art from the palette through 8x8 tiles, 16x16 chunks and 128x128 blocks to the
// pictures of a whole level.

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint16_t>;
using Place = std::array<std::int32_t, 3>;
constexpr std::uint32_t kBlack = 0xFF000000u;

struct RecordingProgress : ProgressSink {
    void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void setBarWidth(double pixels) override { widths.push_back(pixels); }
    std::vector<std::string> captions;
    std::vector<double> widths;
};

// Checks the one caption, the number of widths and the width at each (index, width) landmark.
void expectBar(const RecordingProgress& progress, std::string_view caption, std::size_t count,
               std::initializer_list<std::pair<std::size_t, double>> landmarks) {
    EXPECT_EQ(progress.captions, std::vector<std::string>{std::string(caption)});
    ASSERT_EQ(progress.widths.size(), count);
    for (const auto& [index, width] : landmarks) {
        EXPECT_EQ(progress.widths[index], width) << "width " << index;
    }
}

// Mapping words as the ROM stores them, high byte first.
Bytes bytesOf(const Words& words) {
    Bytes bytes(2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        putWord(bytes, 2 * i, words[i]);
    }
    return bytes;
}

// --- palette -------------------------------------------------------------------------------

ColourValue colourOf(std::uint32_t word) {
    return convertColour(static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
}

// Colour c of line l: blue level l, green c / 2, red c % 8, so that all 60 differ.
std::uint16_t wordFor(std::size_t l, std::size_t c) {
    return static_cast<std::uint16_t>(l << 9 | (c >> 1) << 5 | (c & 7) << 1);
}

constexpr std::int32_t kFixedLine = 0x29E2;  // anywhere before the level's lines

// A ROM with the level's lines at 0x3000, at its very end. Every other byte is 0xEE, colour 0's
// words included.
LevelPalette romPalette() {
    Bytes rom(0x3000 + kPaletteReadSize, 0xEE);
    for (std::size_t c = 1; c < 16; ++c) {
        putWord(rom, kFixedLine + 2 * c, wordFor(0, c));
        for (std::size_t line = 1; line < 4; ++line) {
            putWord(rom, 0x3000 + 32 * (line - 1) + 2 * c, wordFor(line, c));
        }
    }
    LevelPalette palette;
    EXPECT_TRUE(convertPalette(rom, kFixedLine, 0x3000, palette).ok());
    return palette;
}

TEST(Palette, ConvertsColourWords) {
    // Word, colour, pixel: each 3-bit level n becomes 32 n, and the other bits are ignored.
    const std::array<std::array<std::uint32_t, 3>, 6> cases{{{0x0EEE, 0xE0E0E0, 0xFFE0E0E0},
                                                             {0x000E, 224, 0xFFE00000},
                                                             {0x00E0, 224 * 256, 0xFF00E000},
                                                             {0x0E00, 224 * 65536, 0xFF0000E0},
                                                             {0x0246, 2113632, 0xFF604020},
                                                             {0xF111, 0, kBlack}}};
    for (const auto& [word, value, argb] : cases) {
        EXPECT_EQ(colourOf(word), value) << std::hex << word;
        EXPECT_EQ(toArgb(colourOf(word)), argb) << std::hex << word;
    }
}

TEST(Palette, ReadsTheFixedLineAndTheLevelsThreeLines) {
    const LevelPalette palette = romPalette();
    for (std::size_t line = 0; line < 4; ++line) {
        for (std::size_t c = 0; c < 16; ++c) {
            EXPECT_EQ(palette.at(line, c), c == 0 ? 0 : colourOf(wordFor(line, c))) << line << c;
        }
    }
}

TEST(Palette, ReadsOutsideTheRomFailAndChangeNothing) {
    // ROM size, address, error offset: the fixed line cut short, 96 bytes where 128 are read,
    // the level's lines running past the end, a negative address.
    const std::array<Place, 4> cases{{{kFixedLine + 127, 0x100, kFixedLine},
                                      {0x3000 + 96, 0x3000, 0x3000},
                                      {0x4000, 0x4000 - 127, 0x4000 - 127},
                                      {0x4000, -2, -2}}};
    for (const auto& [size, address, offset] : cases) {
        LevelPalette palette;
        const Status status = convertPalette(Bytes(size, 0x22), kFixedLine, address, palette);
        ASSERT_FALSE(status.ok()) << address;
        EXPECT_EQ(status.error().code, ErrorCode::FileRead);
        EXPECT_EQ(status.error().offset, offset);
        EXPECT_EQ(palette, LevelPalette{});
    }
}

// --- tiles ---------------------------------------------------------------------------------

Bytes rowOf(const TilePixels& tiles, std::int32_t variant, std::int32_t y) {
    return {tiles.variant(variant) + 8 * y, tiles.variant(variant) + 8 * y + 8};
}

// 65,536 bytes of art in which every tile differs.
Bytes fullArt() {
    Bytes art(65536);
    for (std::size_t i = 0; i < art.size(); ++i) {
        art[i] = static_cast<std::uint8_t>(i * 37 + i / 251);
    }
    return art;
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

TEST(Tiles, FullArtFillsEveryTileAndReportsEveryVariant) {
    Bytes art = fullArt();
    art.resize(65536 + 100, 0xFF);  // bytes beyond 65,536 are ignored: no more tiles reported
    RecordingProgress progress;
    TilePixels tiles;
    extractTiles(art, tiles, &progress);
    // The last pixel of the last tile, and where its mirror both ways shows it.
    EXPECT_EQ(tiles.at(2047, 7, 7), art[65535] & 0x0F);
    EXPECT_EQ(tiles.at(8191, 0, 0), art[65535] & 0x0F);
    // 305 n / 8192; a tie goes to the even neighbour: 152.5 to 152, as 1.5 to 2.
    expectBar(progress, "Extracting 8x8 Tiles ...", 8192,
              {{0, 0}, {2047, 76}, {4095, 152}, {4096, 152}, {6143, 229}, {8191, 305}});
    EXPECT_EQ(barWidthHalfEven(3, 2, 1), 2.0);
}

TEST(Tiles, ShortArtReplacesOnlyWhatItCoversAndRebuildsEveryMirror) {
    TilePixels previous;
    extractTiles(fullArt(), previous);
    previous.set(2048 + 9, 0, 0, 3);  // a mirror that no longer matches its tile
    for (const std::size_t size : {32U, 33U}) {
        TilePixels tiles = previous;
        Bytes art(size, 0x00);
        art[size - 1] = 0xAB;
        RecordingProgress progress;
        extractTiles(art, tiles, &progress);
        EXPECT_EQ(rowOf(tiles, 0, 0), Bytes(8, 0));
        EXPECT_EQ(tiles.at(0, 7, 7), size == 32 ? 0xB : 0);
        EXPECT_EQ(tiles.at(1, 0, 0), size == 33 ? 0xA : previous.at(1, 0, 0));
        EXPECT_EQ(tiles.at(1, 1, 0), size == 33 ? 0xB : previous.at(1, 1, 0));
        EXPECT_TRUE(std::equal(tiles.variant(1) + 2, tiles.variant(2048), previous.variant(1) + 2));
        EXPECT_EQ(tiles.at(2048 + 9, 0, 0), tiles.at(9, 7, 0));
        EXPECT_EQ(tiles.at(6144 + 1, 7, 7), tiles.at(1, 0, 0));
        // Only the complete tile is reported before the 6144 mirrors; 2048 / 8192 gives 76.25.
        expectBar(progress, "Extracting 8x8 Tiles ...", 1 + 6144, {{0, 0}, {1, 76}});
    }
}

// --- chunks --------------------------------------------------------------------------------

// Tiles whose every variant has its own random pixels.
TilePixels patternTiles() {
    TilePixels tiles;
    std::mt19937 random(1);
    std::generate(tiles.variant(0), tiles.variant(0) + kTileVariants * 64,
                  [&] { return static_cast<std::uint8_t>(random() >> 28); });
    return tiles;
}

// Checks the 8x8 quarter (q, r) of chunk k shows tile variant v with palette line p.
void expectQuarter(const ChunkPixels& chunks, std::int32_t k, std::int32_t q, std::int32_t r,
                   const TilePixels& tiles, std::int32_t v, std::uint8_t p) {
    for (std::int32_t i = 0; i < 64; ++i) {
        ASSERT_EQ(chunks.at(k, 8 * q + i % 8, 8 * r + i / 8),
                  (ChunkPixel{p, tiles.at(v, i % 8, i / 8)}))
            << "chunk " << k << " quarter " << q << "," << r << " pixel " << i;
    }
}

TEST(Chunks, WordsFillQuartersAndShortMappingsKeepThePreviousChunks) {
    const TilePixels tiles = patternTiles();
    Words words(4096 + 100, 0x2345);
    std::fill(words.begin() + 4096, words.end(), 0x7FFF);  // beyond 8,192 bytes: ignored
    RecordingProgress full;
    ChunkPixels previous;
    extractChunks(bytesOf(words), tiles, previous, &full);
    expectBar(full, "Extracting 16x16 Tiles ...", 4096,
              {{1023, 76}, {2047, 152}, {2048, 152}, {4095, 305}});  // 152.5 goes to 152
    previous.set(1023, 3, 1, ChunkPixel{2, 5});
    // Bit 15 is ignored, bits 14-13 are the line, bits 12-0 the tile variant.
    const Bytes mapping = bytesOf({0xE7FF, 0x9800, 0x2801, 0x4005, 0x2001, 0x4006});
    for (const std::size_t size : {11U, 12U}) {
        ChunkPixels chunks = previous;
        RecordingProgress progress;
        extractChunks(ByteSpan(mapping).first(size), tiles, chunks, &progress);
        expectQuarter(chunks, 0, 0, 0, tiles, 2047, 3);
        expectQuarter(chunks, 0, 1, 0, tiles, 6144, 0);
        expectQuarter(chunks, 0, 0, 1, tiles, 2049, 1);
        expectQuarter(chunks, 0, 1, 1, tiles, 5, 2);
        expectQuarter(chunks, 1, 0, 0, tiles, 1, 1);
        // With 11 bytes the half word leaves the previous quarter alone.
        expectQuarter(chunks, 1, 1, 0, tiles, size == 12 ? 6 : 0x0345, size == 12 ? 2 : 1);
        EXPECT_TRUE(
            std::equal(chunks.variant(1) + 128, chunks.variant(1024), previous.variant(1) + 128));
        EXPECT_EQ(chunks.at(1023 + 1024, 12, 1), (ChunkPixel{2, 5}));  // chunk 1023's (3, 1)
        EXPECT_EQ(chunks.at(1023 + 2048, 3, 14), (ChunkPixel{2, 5}));
        EXPECT_EQ(chunks.at(1023 + 3072, 12, 14), (ChunkPixel{2, 5}));
        EXPECT_EQ(chunks.at(1 + 1024, 15, 0), chunks.at(1, 0, 0));
        // The one complete chunk, then the 3072 mirrors; 1024 / 4096 gives 76.25.
        expectBar(progress, "Extracting 16x16 Tiles ...", 1 + 3072, {{0, 0}, {1, 76}});
    }
}

// --- blocks --------------------------------------------------------------------------------

// The ROM's palette, chunk variants with random pixels of their own, and 256 pictures.
struct Blocks {
    Blocks() {
        std::mt19937 random(2);
        std::generate(chunks->variant(0), chunks->variant(0) + kChunkVariants * 256, [&] {
            const auto r = static_cast<std::uint32_t>(random());
            return ChunkPixel{static_cast<std::uint8_t>(r >> 30),
                              static_cast<std::uint8_t>(r & 15)};
        });
        chunks->set(0, 0, 3, ChunkPixel{3, 0});  // chunk 0's (0, 3): colour 0 of line 3
    }
    BlockRenderReport render(ByteSpan data, ProgressSink* progress = nullptr) {
        return extractBlocks(data, palette, *chunks, *out, progress);
    }
    // Checks the 16x16 area (q, r) of block b shows chunk variant w, or black for w < 0.
    void expectArea(std::size_t b, std::int32_t q, std::int32_t r, std::int32_t w) const {
        for (std::int32_t i = 0; i < 256; ++i) {
            const ChunkPixel pixel = w < 0 ? ChunkPixel{} : chunks->at(w, i % 16, i / 16);
            ASSERT_EQ((*out)[b].pixel(16 * q + i % 16, 16 * r + i / 16),
                      w < 0 ? kBlack : toArgb(palette.at(pixel.paletteLine, pixel.colourIndex)))
                << "block " << b << " area " << q << "," << r << " pixel " << i;
        }
    }

    LevelPalette palette = romPalette();
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
    EXPECT_EQ(f.render(bytesOf(words)).blocksWithoutData, 255);
    f.expectArea(0, 0, 0, 5);
    f.expectArea(0, 1, 0, 1029);
    f.expectArea(0, 2, 0, 2053);
    f.expectArea(0, 3, 0, 3077);
    f.expectArea(0, 4, 0, 0);
    f.expectArea(0, 0, 1, 0x13);
    f.expectArea(0, 7, 7, 0x14);
    f.expectArea(1, 0, 0, 0x15);
    f.expectArea(1, 1, 0, -1);
    EXPECT_EQ((*f.out)[0].pixel(64, 3), kBlack);  // colour 0 of line 3 from chunk 0
}

TEST(Blocks, ShortMappingsAreDrawnBlackAndCounted) {
    Blocks f;
    const Bytes data = bytesOf(Words(16384, 0x0001));
    for (const std::size_t size : {3U, 32767U, 32768U}) {
        for (std::size_t b = 0; b < 256; ++b) {  // stale pictures: the wrong size, or old pixels
            (*f.out)[b] = Image(b < 128 ? 3 : kBlockSize, kBlockSize);
            (*f.out)[b].setPixel(1, 1, 0xFF123456u);
        }
        RecordingProgress progress;
        const BlockRenderReport report = f.render(ByteSpan(data).first(size), &progress);
        EXPECT_EQ(report.blocksWithoutData, size == 3 ? 256 : size == 32767 ? 1 : 0);
        expectBar(progress, "Extracting 128x128 Tiles ...", 256,
                  {{0, 0}, {1, 1}, {128, 153}, {255, 305}});
        f.expectArea(0, 0, 0, 1);
        f.expectArea(255, 6, 7, size == 3 ? -1 : 1);
        f.expectArea(255, 7, 7, size == 32768 ? 1 : -1);
        if (size == 3) {
            f.expectArea(0, 1, 0, -1);
            EXPECT_EQ((*f.out)[1], Image(kBlockSize, kBlockSize));
            EXPECT_EQ((*f.out)[200], Image(kBlockSize, kBlockSize));
        }
    }
}

// --- level pictures ------------------------------------------------------------------------

// Block b's pixel (x, y): a colour that names the block and the place inside it.
std::uint32_t blockPixel(std::int32_t b, std::int32_t x, std::int32_t y) {
    return kBlack | static_cast<std::uint32_t>(b << 16 | x << 8 | y);
}

std::unique_ptr<BlockPictures> numberedBlocks() {
    auto blocks = std::make_unique<BlockPictures>();
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        (*blocks)[b] = Image(kBlockSize, kBlockSize);
        for (std::int32_t i = 0; i < kBlockSize * kBlockSize; ++i) {
            (*blocks)[b].setPixel(i % 128, i / 128, blockPixel(b, i % 128, i / 128));
        }
    }
    return blocks;
}

TEST(LevelImage, PlanesShowTheirHalfOfEveryCompleteLayoutRow) {
    auto blocks = numberedBlocks();
    Bytes layout(16 * 256);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        layout[i] = static_cast<std::uint8_t>(i / 256 * 7 + i % 256);
    }
    for (const Plane plane : {Plane::Foreground, Plane::Background}) {
        const Image image = renderPlane(*blocks, layout, plane);
        ASSERT_EQ(std::pair(image.width(), image.height()), std::pair(16384, 2048));
        for (const int cell : {0, 9 * 256 + 100, 15 * 256 + 127}) {
            const int block = layout[cell + (plane == Plane::Background ? 128 : 0)];
            EXPECT_EQ(image.pixel(cell % 256 * 128 + 77, cell / 256 * 128 + 3),
                      blockPixel(block, 77, 3));
        }
    }
    // A partial last row is left out, a null picture is black, the bar follows the rows.
    (*blocks)[layout[0]] = Image();
    RecordingProgress progress;
    const Image four =
        renderPlane(*blocks, ByteSpan(layout).first(4 * 256 + 100), Plane::Foreground, &progress);
    EXPECT_EQ(four.height(), 4 * 128);
    EXPECT_EQ(four.pixel(5, 5), kBlack);
    expectBar(progress, kDrawingCaption, 4, {{0, 76}, {1, 153}, {2, 229}, {3, 305}});
    EXPECT_TRUE(renderPlane(*blocks, ByteSpan(layout).first(255), Plane::Background).isNull());
}

TEST(LevelImage, BlockSheetHasSixteenBlocksToARow) {
    const Image sheet = renderBlockSheet(*numberedBlocks());
    ASSERT_EQ(std::pair(sheet.width(), sheet.height()), std::pair(2048, 2048));
    for (const int b : {0, 1, 15, 16, 200, 255}) {
        EXPECT_EQ(sheet.pixel(b % 16 * 128 + 90, b / 16 * 128 + 127), blockPixel(b, 90, 127)) << b;
    }
}

}  // namespace
}  // namespace orvex
