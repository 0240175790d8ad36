#pragma once

#include <cstdint>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"

// How many bytes a stream may take at its place in the image without overwriting what follows.
//
// A stream owns its own bytes (its length now, end marker included), the byte that makes its end
// even, and the $00 or $FF filler after that when the filler runs right up to the start of
// something Orvex reads: a level stream, a collision index, a table of the profile, a table or
// stream the level start reads (see starttables.h), an object or ring list, Nemesis art a pattern
// load cue names. Bytes Orvex does not know are never part of a room, even filler in front of
// them: what they are is not known.

namespace orvex {

// The room of level `level`'s layout: in a ROM whose layouts are migrated (see
// layoutsMigrated) the 3200-byte slot for level indices 0..18; for 19 its slot and, when only
// padding follows it, up to 4 MiB or to the first thing Orvex reads after it (lists moved after
// the migration). Otherwise what the stream owns (see above).
[[nodiscard]] Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile,
                                              std::int16_t level);

// The room of the stream at `offset` (tile art, mappings or a collision index): what it owns
// (see above). An error when the stream there does not decode.
[[nodiscard]] Result<std::int64_t> artRoom(ByteSpan rom, const RomProfile& profile,
                                           std::int32_t offset);

// The room of the collision index at `offset`, as for art.
[[nodiscard]] Result<std::int64_t> collisionIndexRoom(ByteSpan rom, const RomProfile& profile,
                                                      std::int32_t offset);

// The length of the stream at `offset` as it is now, end marker included.
[[nodiscard]] Result<std::int64_t> streamLength(ByteSpan rom, std::int32_t offset);

}  // namespace orvex
