#pragma once

#include <cstdint>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"

// How many bytes a stream may take at its place in the image without overwriting what follows.

namespace orvex {

// The room of level `level`'s layout: in a ROM whose layouts are migrated (see
// layoutsMigrated) the 3200-byte slot for level indices 0..18, and for 19 up to 4 MiB or to
// the first table the profile knows of after it (lists moved after the migration); otherwise,
// measured from the file, the distance to the next layout stream, art stream or table that follows
// it, or for the layout that comes last the length of the stream there now.
[[nodiscard]] Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile,
                                              std::int16_t level);

// The room of the art stream at `offset` (tile art, mappings or a collision index): up to the next
// stream or table the profile knows of, or for a stream that nothing known follows the length of
// the stream there now.
[[nodiscard]] Result<std::int64_t> artRoom(ByteSpan rom, const RomProfile& profile,
                                           std::int32_t offset);

// The room of the collision index at `offset`: its artRoom when another index follows it (the
// game's indexes lie back to back), else the length of the stream there now, since what
// follows the last index is not known.
[[nodiscard]] Result<std::int64_t> collisionIndexRoom(ByteSpan rom, const RomProfile& profile,
                                                      std::int32_t offset);

}  // namespace orvex
