#pragma once

#include <cstdint>

// Fixed locations of the game's tables in a Sonic 2 cartridge image. All offsets are 0-based
// byte offsets into the file; every multi-byte field is big-endian.

namespace orvex {

inline constexpr std::int16_t kLevelCount = 20;
inline constexpr std::int32_t kZoneCount = 17;  // zone numbers 0..16

inline constexpr std::int32_t kHeaderConsoleName = 0x100;  // "SEGA" in a cartridge image
inline constexpr std::int32_t kChecksumField = 0x18E;      // word: sum the game verifies at boot
inline constexpr std::int32_t kRomEndField = 0x1A4;        // long: offset of the file's last byte
inline constexpr std::int32_t kChecksumStart = 0x200;      // the boot check sums from here

inline constexpr std::int32_t kPalettePointerTable = 0x2782;  // 8 bytes a palette number
inline constexpr std::int32_t kPalettePointerEntrySize = 8;
inline constexpr std::int32_t kMaxPaletteOffset = 0x7FFF;  // palettes lie in the first 32 KiB

inline constexpr std::int32_t kLevelList = 0x9454;  // 2 bytes a level: zone, act
inline constexpr std::int32_t kLevelListEntrySize = 2;

inline constexpr std::int32_t kLayoutDirectoryPointer = 0xE46E;  // long: offset of the directory
inline constexpr std::int32_t kLevelArtTable = 0x42594;  // 12 bytes a zone: tiles, chunks, blocks
inline constexpr std::int32_t kLevelArtEntrySize = 12;
inline constexpr std::int32_t kFactoryLayoutDirectory = 0x45A80;  // 4 bytes a zone: 2 act words

// Art table increments: which long of a zone's entry to read.
inline constexpr std::int16_t kTileArtIncrement = 0;
inline constexpr std::int16_t kChunkMappingsIncrement = 4;
inline constexpr std::int16_t kBlockMappingsIncrement = 8;

// The layout directory written by the migration: 17 zones of 2 act words, then one 3200-byte
// slot per level index.
inline constexpr std::int32_t kMigratedDirectorySize = 68;
inline constexpr std::int32_t kMigratedZoneCount = kZoneCount;
inline constexpr std::int32_t kLayoutSlotSize = 3200;

}  // namespace orvex
