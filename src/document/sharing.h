#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "document/levelparts.h"
#include "rom/romprofile.h"

// Which levels read a part from the same place in the image, so that writing it for one level
// changes all of them.

namespace orvex {

// The levels (level-list indices, ascending, `level` included) whose `part` is read from the
// same place as `level`'s: for tile art and chunk and block mappings the same stream (the low
// 24 bits of the art table long), for the palette every level (line 0 is shared by all; see
// levelsSharingLines for lines 1-3), for the layout the same stream, for object and ring lists
// the same list, for a collision index (either part) every level whose index for either path
// lies at the same place, for the collision shapes every level. The start position and the
// boundaries are the act's own. A level whose place
// cannot be read shares with nobody; when `level`'s own cannot be read, just `level`.
[[nodiscard]] std::vector<std::int16_t> levelsSharing(ByteSpan image, const RomProfile& profile,
                                                      std::int16_t level, Part part);

// A level and one of its collision paths (0 primary, 1 secondary).
struct LevelPath {
    std::int16_t level = 0;
    std::int32_t path = 0;
    friend bool operator==(const LevelPath&, const LevelPath&) = default;
};

// Every level and path (level ascending, then path) that reads the same collision index as
// `level` on `path`, that one included; just it when its pointer cannot be read.
[[nodiscard]] std::vector<LevelPath> pathsSharing(ByteSpan image, const RomProfile& profile,
                                                  std::int16_t level, std::int32_t path);

// The levels whose palette lines 1-3 come from the same source as `level`'s.
[[nodiscard]] std::vector<std::int16_t> levelsSharingLines(ByteSpan image,
                                                           const RomProfile& profile,
                                                           std::int16_t level);

// The levels of `sharing` other than `level`.
[[nodiscard]] std::vector<std::int16_t> otherLevels(const std::vector<std::int16_t>& sharing,
                                                    std::int16_t level);

}  // namespace orvex
