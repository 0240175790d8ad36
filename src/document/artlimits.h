#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/leveldocument.h"

// The limits the game's loader sets on a level's art and mapping streams: how much it decodes
// into RAM, and how many tiles it copies into video memory before the tiles its pattern load
// cues and animation scripts write there.

namespace orvex {

// Bytes of RAM the loader decodes tile art into before the cue loader's buffer ($AA00).
inline constexpr std::int64_t kMaxTileArtBytes = 0xAA00;
// The chunk table: 768 chunks of 8 bytes ($1800).
inline constexpr std::int64_t kMaxChunkMappingBytes = 0x1800;
// The block table: 256 blocks of $80 bytes ($8000).
inline constexpr std::int64_t kMaxBlockMappingBytes = 0x8000;

// "44,800": a count with its thousands grouped, as messages show it.
[[nodiscard]] std::string groupedNumber(std::int64_t value);

// Checks the decoded size of each of `parts` that is an art or mapping stream against what the
// game decodes it into. A chunk stream the file already held longer than the chunk table may
// stay as long as it was. OutOfRange naming the part, its size and the limit. A collision index
// must hold exactly kCollisionIndexSize bytes (OutOfRange naming it and the size), and one that
// was not loaded completely is refused with NotLoaded.
[[nodiscard]] Status checkDecodedLimits(const LevelDocument& document, std::span<const Part> parts);

// The lowest video-memory tile that the start of `act` in `image` fills after the level's art
// (pattern load cues, pictures made by code, animation scripts), at or past tile `artEnd` (the
// tiles the art as stored reaches), and how many tiles the loader copies when its count is
// fixed; nothing when no such tile is written.
struct VideoLimit {
    std::optional<std::int32_t> firstWrittenTile;
    std::optional<std::int32_t> copiedTiles;
    std::string writer;  // "a pattern load cue", "an animation script"
};
[[nodiscard]] VideoLimit videoLimit(ByteSpan image, const LevelDocument& document,
                                    std::int16_t level, std::int32_t artEnd);

// Checks that the document's tile art, copied into video memory, stays below the tiles every
// level sharing it fills after the art. OutOfRange naming the level and both tiles.
[[nodiscard]] Status checkArtInVideo(ByteSpan image, const LevelDocument& document);

}  // namespace orvex
