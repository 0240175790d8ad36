#pragma once

#include <cstdint>

// The sizes of a level's data as the game stores it: 8x8 tiles of 4-bit pixels, 16x16 chunks of
// four tiles, 128x128 blocks of 64 chunks, and layouts of 256-byte rows.

namespace orvex {

inline constexpr std::int32_t kTileSide = 8;
inline constexpr std::int32_t kTileBytes = 32;  // 4 bits a pixel
inline constexpr std::int32_t kBaseTiles = 2048;
inline constexpr std::int32_t kTileArtLimit = kBaseTiles * kTileBytes;  // 65,536

inline constexpr std::int32_t kChunkSide = 16;
inline constexpr std::int32_t kChunkMappingWords = 4;  // top-left, top-right, bottom-left, right
inline constexpr std::int32_t kBaseChunks = 1024;
inline constexpr std::int32_t kChunkMappingsLimit = kBaseChunks * kChunkMappingWords;  // words

inline constexpr std::int32_t kBlockCount = 256;
inline constexpr std::int32_t kBlockSize = 128;        // pixels a side
inline constexpr std::int32_t kChunksPerBlockRow = 8;  // 8 x 8 chunks a block
inline constexpr std::int32_t kBlockMappingWords = kChunksPerBlockRow * kChunksPerBlockRow;
inline constexpr std::int32_t kBlockMappingBytes = 2 * kBlockMappingWords;            // 128
inline constexpr std::int32_t kBlockMappingsSize = kBlockCount * kBlockMappingBytes;  // 32,768

inline constexpr std::int32_t kLayoutRowBytes = 256;  // one layout row: both planes' columns
inline constexpr std::int32_t kPlaneColumns = 128;    // columns of one plane in a layout row

inline constexpr std::int32_t kPaletteLines = 4;
inline constexpr std::int32_t kLineColours = 16;
inline constexpr std::int32_t kPaletteReadSize = 128;  // bytes read at each palette source

}  // namespace orvex
