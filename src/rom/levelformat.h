#pragma once

#include <array>
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
inline constexpr std::int32_t kChunkBytes = 2 * kChunkMappingWords;                    // 8
inline constexpr std::int32_t kChunkTableBytes = kBaseChunks * kChunkBytes;            // 8,192

inline constexpr std::int32_t kBlockCount = 256;
inline constexpr std::int32_t kBlockSize = 128;        // pixels a side
inline constexpr std::int32_t kChunksPerBlockRow = 8;  // 8 x 8 chunks a block
inline constexpr std::int32_t kBlockMappingWords = kChunksPerBlockRow * kChunksPerBlockRow;
inline constexpr std::int32_t kBlockMappingBytes = 2 * kBlockMappingWords;            // 128
inline constexpr std::int32_t kBlockMappingsSize = kBlockCount * kBlockMappingBytes;  // 32,768

// A block mapping word: bits 0-9 the chunk, bit 10 X flip, bit 11 Y flip, then for each
// collision path a top-solid bit and a left-right-bottom-solid bit (12/13 for the primary path,
// 14/15 for the secondary).
inline constexpr std::uint16_t kBlockChunkBits = 0x03FF;
inline constexpr std::uint16_t kBlockFlipX = 0x0400;
inline constexpr std::uint16_t kBlockFlipY = 0x0800;
// The solidity bits of `path` (0 or 1) in a block mapping word: 1 top only, 2 left, right and
// bottom only, 3 all.
[[nodiscard]] constexpr std::uint8_t blockSolidity(std::uint16_t word, std::int32_t path) {
    const auto shift = static_cast<unsigned>(12 + 2 * path);
    return static_cast<std::uint8_t>((unsigned{word} >> shift) & 3u);
}

inline constexpr std::int32_t kLayoutRowBytes = 256;  // one layout row: both planes' columns
inline constexpr std::int32_t kPlaneColumns = 128;    // columns of one plane in a layout row

inline constexpr std::int32_t kPaletteLines = 4;
inline constexpr std::int32_t kLineColours = 16;
inline constexpr std::int32_t kLineBytes = 2 * kLineColours;  // one colour word each
inline constexpr std::int32_t kPaletteReadSize = 128;         // bytes read at each palette source

// The level's 64 colour words, 16 a palette line: line 0 is the fixed line every level shares,
// lines 1 to 3 the level's own. A word holds blue in bits 9-11, green in 5-7, red in 1-3.
struct PaletteWords {
    std::array<std::uint16_t, kPaletteLines * kLineColours> words{};

    [[nodiscard]] std::uint16_t at(std::int32_t line, std::int32_t colour) const {
        return words[static_cast<std::size_t>(kLineColours * line + colour)];
    }
    friend bool operator==(const PaletteWords&, const PaletteWords&) = default;
};

inline constexpr std::int32_t kVideoMemoryBytes = 0x10000;  // 2,048 tiles

}  // namespace orvex
