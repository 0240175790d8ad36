#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

// The tables that say how objects look: pattern load cue lists (which compressed art goes where
// in video memory), debug object lists (the frame and art tile of each object type in a zone)
// and sprite mappings (frames made of pieces of tiles).

namespace orvex {

inline constexpr std::int32_t kArtCueListCount = 67;
inline constexpr std::int32_t kArtCueBytes = 6;
inline constexpr std::int32_t kDebugEntryBytes = 8;
inline constexpr std::int32_t kSpritePieceBytes = 8;
// The most entries each kind of list is read with; a count word that claims more is cut there,
// so that no crafted count makes a load read, allocate or draw without end.
// The video chip shows at most 80 sprites (40-cell mode), so a frame's pieces past the 80th never
// show.
inline constexpr std::int32_t kMaxSpritePieces = 80;
// Chosen limits, far above what the game uses: its 11 debug lists hold 340 entries in all, and
// the standard cue lists of common art hold three or four cues each.
inline constexpr std::int32_t kMaxDebugEntries = 256;
inline constexpr std::int32_t kMaxArtCues = 256;
// The lists every level loads besides its own two (the art every zone shares: rings, monitors,
// springs, the signpost and the like).
inline constexpr std::uint8_t kStandardCueLists[] = {0, 1};

// One entry of a pattern load cue list: Nemesis art at `source`, to be decoded into video
// memory at byte address `videoAddress` (tile x 32).
struct ArtCue {
    std::int32_t source = 0;
    std::uint16_t videoAddress = 0;
    friend bool operator==(const ArtCue&, const ArtCue&) = default;
};

// The entries of a list that has a count word, read as far as they can be: up to the list's
// limit and up to the image's end. `cut` says why fewer than the count word claims were read:
// ValueTooLarge when it claims more than the limit, FileRead when the list runs past the image.
template <typename Entry>
struct CountedList {
    std::vector<Entry> entries;
    std::optional<Error> cut;
};

// List `list` of the table at `table`: a word offset per list from the table; a list is a word
// count - 1 (negative: empty), then 6-byte entries (long source, word address), at most
// kMaxArtCues of them. OutOfRange for a list past the 67; FileRead when the list's offset or
// count lies past the image.
[[nodiscard]] Result<CountedList<ArtCue>> readArtCues(ByteSpan image, std::int32_t table,
                                                      std::uint8_t list);

// One object type of a zone's debug list: long id << 24 | mappings, byte subtype, byte frame,
// word art tile (priority bit 15, palette line bits 13-14, first tile bits 0-10).
struct DebugEntry {
    std::uint8_t id = 0;
    std::int32_t mappings = 0;
    std::uint8_t subtype = 0;
    std::uint8_t frame = 0;
    std::uint16_t artTile = 0;
    friend bool operator==(const DebugEntry&, const DebugEntry&) = default;
};

// The debug list of `zone`: a word offset per zone from the table, then a word count and the
// 8-byte entries, at most kMaxDebugEntries of them. FileRead when the offset or count lies past
// the image.
[[nodiscard]] Result<CountedList<DebugEntry>> readDebugList(ByteSpan image, std::int32_t table,
                                                            std::uint8_t zone);

// One piece of a sprite frame: a rectangle of 1 to 4 by 1 to 4 tiles, whose tiles run down each
// column first.
struct SpritePiece {
    std::int16_t x = 0;  // from the object's point, in pixels
    std::int16_t y = 0;
    std::uint8_t widthTiles = 1;
    std::uint8_t heightTiles = 1;
    // Bit 15 priority, bits 13-14 palette line, bit 12 Y flip, bit 11 X flip, bits 0-10 the first
    // tile, counted from the object's art tile.
    std::uint16_t pattern = 0;
    friend bool operator==(const SpritePiece&, const SpritePiece&) = default;
};

// Frame `frame` of the mappings at `mappings`: a word offset per frame from the mappings, then
// a word piece count and 8-byte pieces (signed byte y, size byte with width - 1 in bits 2-3 and
// height - 1 in bits 0-1, pattern word, the two-player pattern word, signed word x), at most
// kMaxSpritePieces of them. FileRead when the offset or count lies past the image.
[[nodiscard]] Result<CountedList<SpritePiece>> readSpriteFrame(ByteSpan image,
                                                               std::int32_t mappings,
                                                               std::int32_t frame);

// The bytes of mappings holding `frames`, in the format readSpriteFrame reads (the two-player
// pattern word equal to the pattern). For images made by code.
[[nodiscard]] std::vector<std::uint8_t> spriteMappingBytes(
    const std::vector<std::vector<SpritePiece>>& frames);

}  // namespace orvex
