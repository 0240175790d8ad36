#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

// Nemesis, the format of the game's compressed tile art: a prefix code over runs of pixels.
//
//   header    a word: bit 15 set = XOR mode, bits 0-14 = the tile count; the output is
//             count x 32 bytes (8x8 pixels, 4 bits each).
//   code      0x80 | P selects pixel value P (low nibble); one or more entries follow, each two
//   table     bytes: (R - 1) << 4 | L, then a code of L bits (1..8), right-aligned. The code
//             stands for pixel P repeated R times (1..8). 0xFF ends the table.
//   data      a bit stream, most significant bit first. 111111 is an escape: 7 bits follow,
//             (R - 1) << 4 | P. Any other bits must start with a code of the table.
//
// Pixels fill each 32-bit row (eight pixels, four bytes) from its high nibble down; a run goes
// on into the next row. In XOR mode each finished row is XORed with the row before it as
// output (the first with zero). Decoding stops when the last row is full, even inside a run.
// No code of the table may be a prefix of another, nor of the escape, nor start with it.

namespace orvex {

inline constexpr std::int32_t kNemesisTileBytes = 32;
inline constexpr std::int32_t kNemesisMaxTiles = 0x7FFF;

enum class NemesisMode : std::uint8_t {
    Auto,   // both of the others; the shorter stream wins (Plain when they tie)
    Plain,  // rows as they are
    Xor,    // each row XORed with the one above it: good for art with vertical repeats
};

struct NemesisDecoded {
    std::vector<std::uint8_t> tiles;  // tile count x 32 bytes (at most maxTiles x 32)
    // Bytes of the stream holding what was read: header, code table and every byte that holds
    // a bit of a code used (the last one rounded up).
    std::int32_t packedLength = 0;
};

// Decodes the stream that starts at byte `offset` of `data`, which may go on past the stream:
// its first `maxTiles` tiles at most (a negative count counts as 0), so that a caller with room
// for fewer than the header's count decodes no more than it can use; the checks below then
// cover only what is decoded. Never reads outside `data`. Error offsets are indices into `data`:
//   OutOfRange     `offset` lies outside `data`;
//   CorruptStream  the stream runs past the end of `data` (offset: the byte that could not be
//                  read), the code table breaks the rules above (offset: its selector or entry),
//                  or the data holds bits that start no code (offset: the byte of their first
//                  bit).
// A tile count of 0 reads the header and the code table and yields no tiles.
[[nodiscard]] Result<NemesisDecoded> decompressNemesis(ByteSpan data, std::int64_t offset = 0,
                                                       std::int32_t maxTiles = kNemesisMaxTiles);

// The tile count in the header of the stream at byte `offset` of `data`: 0 to kNemesisMaxTiles.
// FileRead when the header lies outside `data`.
[[nodiscard]] Result<std::int32_t> nemesisTileCount(ByteSpan data, std::int64_t offset);

// A stream for `tiles`, which must be whole tiles (a multiple of 32 bytes) and at most
// kNemesisMaxTiles of them; other inputs fail with InputTooLarge. The stream ends with its last
// data byte (zero-padded). Deterministic.
[[nodiscard]] Result<std::vector<std::uint8_t>> compressNemesis(
    ByteSpan tiles, NemesisMode mode = NemesisMode::Auto);

}  // namespace orvex
