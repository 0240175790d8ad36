#include "graphics/artsheet.h"

#include <algorithm>
#include <memory>
#include <string>

#include "graphics/blocks.h"
#include "graphics/chunks.h"
#include "graphics/tiles.h"
#include "rom/levelformat.h"

namespace orvex {

namespace {

constexpr std::int32_t kTileIndices = 16;

// A sheet of `count` squares of `side` pixels, 16 a row.
IndexedImage emptySheet(std::int32_t count, std::int32_t side) {
    if (count <= 0) {
        return {};
    }
    const std::int32_t rows = (count + kArtSheetColumns - 1) / kArtSheetColumns;
    return IndexedImage(std::min(count, kArtSheetColumns) * side, rows * side);
}

// Copies square `index` (side pixels, rows from `pixelRow`) into its place in the sheet.
template <typename PixelAt>
void drawSquare(IndexedImage& sheet, std::int32_t index, std::int32_t side, PixelAt pixelAt) {
    const std::int32_t left = (index % kArtSheetColumns) * side;
    const std::int32_t top = (index / kArtSheetColumns) * side;
    for (std::int32_t y = 0; y < side; ++y) {
        std::uint8_t* row = sheet.row(top + y) + left;
        for (std::int32_t x = 0; x < side; ++x) {
            row[x] = pixelAt(x, y);
        }
    }
}

std::uint8_t tilePixel(ByteSpan art, std::int32_t tile, std::int32_t x, std::int32_t y) {
    const std::uint8_t byte = art[static_cast<std::size_t>(tile * kTileBytes + y * 4 + x / 2)];
    return static_cast<std::uint8_t>(x % 2 == 0 ? byte >> 4 : byte & 0x0F);
}

void decodeChunks(const LevelParts& parts, ChunkPixels& chunks) {
    auto tiles = std::make_unique<TilePixels>();
    extractTiles(parts.tiles.bytes, *tiles);
    extractChunks(parts.chunks.bytes, *tiles, chunks);
}

bool blankTile(ByteSpan tiles, std::size_t tile) {
    const auto from = tiles.begin() + static_cast<std::ptrdiff_t>(tile * kTileBytes);
    return std::all_of(from, from + kTileBytes, [](std::uint8_t byte) { return byte == 0; });
}

}  // namespace

IndexedImage tileSheet(ByteSpan art) {
    const auto count = static_cast<std::int32_t>(art.size() / kTileBytes);
    IndexedImage sheet = emptySheet(count, kTileSide);
    for (std::int32_t tile = 0; tile < count; ++tile) {
        drawSquare(sheet, tile, kTileSide,
                   [&](std::int32_t x, std::int32_t y) { return tilePixel(art, tile, x, y); });
    }
    return sheet;
}

IndexedImage chunkSheet(const LevelParts& parts) {
    const auto count = std::min<std::int32_t>(
        static_cast<std::int32_t>(parts.chunks.bytes.size() / (2 * kChunkMappingWords)),
        kBaseChunks);
    IndexedImage sheet = emptySheet(count, kChunkSide);
    auto chunks = std::make_unique<ChunkPixels>();
    decodeChunks(parts, *chunks);
    for (std::int32_t chunk = 0; chunk < count; ++chunk) {
        drawSquare(sheet, chunk, kChunkSide,
                   [&](std::int32_t x, std::int32_t y) { return chunks->at(chunk, x, y); });
    }
    return sheet;
}

IndexedImage blockSheet(const LevelParts& parts) {
    const auto count = std::min<std::int32_t>(
        static_cast<std::int32_t>(parts.blocks.bytes.size() / kBlockMappingBytes), kBlockCount);
    IndexedImage sheet = emptySheet(count, kBlockSize);
    auto chunks = std::make_unique<ChunkPixels>();
    decodeChunks(parts, *chunks);
    auto blocks = std::make_unique<BlockPictures>();
    drawBlocks(parts.blocks.bytes, *chunks, *blocks);
    for (std::int32_t block = 0; block < count; ++block) {
        drawSquare(sheet, block, kBlockSize,
                   [&](std::int32_t x, std::int32_t y) { return blocks->pixel(block, x, y); });
    }
    return sheet;
}

Result<std::vector<std::uint8_t>> sheetTiles(const IndexedImage& sheet) {
    if (sheet.isNull() || sheet.width() % kTileSide != 0 || sheet.height() % kTileSide != 0) {
        return makeError(ErrorCode::OutOfRange,
                         "the picture is " + std::to_string(sheet.width()) + " x " +
                             std::to_string(sheet.height()) +
                             " pixels; a sheet of tiles has sides that are multiples of 8");
    }
    for (std::int32_t y = 0; y < sheet.height(); ++y) {
        const std::uint8_t* row = sheet.row(y);
        const auto* bad = std::find_if(row, row + sheet.width(),
                                       [](std::uint8_t index) { return index >= kTileIndices; });
        if (bad != row + sheet.width()) {
            return makeError(ErrorCode::OutOfRange, "pixel (" + std::to_string(bad - row) + ", " +
                                                        std::to_string(y) + ") has index " +
                                                        std::to_string(*bad) +
                                                        "; tiles use indices 0 to 15");
        }
    }
    const std::int32_t columns = sheet.width() / kTileSide;
    const std::int32_t count = columns * (sheet.height() / kTileSide);
    std::vector<std::uint8_t> tiles(static_cast<std::size_t>(count) * kTileBytes);
    for (std::int32_t tile = 0; tile < count; ++tile) {
        const std::int32_t left = (tile % columns) * kTileSide;
        const std::int32_t top = (tile / columns) * kTileSide;
        for (std::int32_t y = 0; y < kTileSide; ++y) {
            const std::uint8_t* row = sheet.row(top + y) + left;
            for (std::int32_t x = 0; x < kTileSide; x += 2) {
                tiles[static_cast<std::size_t>(tile * kTileBytes + y * 4 + x / 2)] =
                    static_cast<std::uint8_t>(row[x] << 4 | row[x + 1]);
            }
        }
    }
    return tiles;
}

std::vector<std::uint8_t> placeTiles(ByteSpan art, std::int32_t first, ByteSpan tiles) {
    const std::size_t artTiles = art.size() / kTileBytes;
    std::size_t count = tiles.size() / kTileBytes;
    while (count > 0 && static_cast<std::size_t>(first) + count > artTiles &&
           blankTile(tiles, count - 1)) {
        --count;
    }
    std::vector<std::uint8_t> placed(art.begin(), art.end());
    const std::size_t at = static_cast<std::size_t>(first) * kTileBytes;
    placed.resize(std::max(placed.size(), at + count * kTileBytes), 0);
    std::copy_n(tiles.begin(), count * kTileBytes,
                placed.begin() + static_cast<std::ptrdiff_t>(at));
    return placed;
}

}  // namespace orvex
