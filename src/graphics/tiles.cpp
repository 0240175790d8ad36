#include "graphics/tiles.h"

#include <algorithm>

#include "graphics/mirroring.h"

namespace orvex {
namespace {

void reportTile(ProgressSink* progress, std::int32_t variant) {
    if (progress != nullptr) {
        progress->progress(Stage::Tiles, variant + 1, kTileVariants);
    }
}

// Byte i of the art holds pixels 2i and 2i + 1 of the base tiles' pixel rows, which follow each
// other exactly as the art's tiles do. Reports after every tile that was read completely.
void decodeBaseTiles(ByteSpan data, TilePixels& tiles, ProgressSink* progress) {
    constexpr auto kBytes = static_cast<std::size_t>(kTileBytes);
    const std::size_t size = std::min(data.size(), static_cast<std::size_t>(kTileArtLimit));
    std::uint8_t* pixels = tiles.variant(0);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        pixels[2 * i] = static_cast<std::uint8_t>(byte >> 4);
        pixels[2 * i + 1] = static_cast<std::uint8_t>(byte & 0x0F);
        if (i % kBytes == kBytes - 1) {
            reportTile(progress, static_cast<std::int32_t>(i / kBytes));
        }
    }
}

}  // namespace

void extractTiles(ByteSpan data, TilePixels& tiles, ProgressSink* progress) {
    if (progress != nullptr) {
        progress->progress(Stage::Tiles, 0, kTileVariants);
    }
    decodeBaseTiles(data, tiles, progress);
    buildMirroredVariants<8>(tiles, kBaseTiles,
                             [progress](std::int32_t v) { reportTile(progress, v); });
}

void extractTile(ByteSpan data, std::int32_t tile, TilePixels& tiles) {
    const std::size_t at = static_cast<std::size_t>(tile) * kTileBytes;
    if (tile < 0 || tile >= kBaseTiles || at + kTileBytes > data.size()) {
        return;
    }
    std::uint8_t* pixels = tiles.variant(tile);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kTileBytes); ++i) {
        pixels[2 * i] = static_cast<std::uint8_t>(data[at + i] >> 4);
        pixels[2 * i + 1] = static_cast<std::uint8_t>(data[at + i] & 0x0F);
    }
    buildMirroredVariantsOf<8>(tiles, kBaseTiles, tile);
}

}  // namespace orvex
