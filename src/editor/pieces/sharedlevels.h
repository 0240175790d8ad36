#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "document/levelparts.h"
#include "rom/romprofile.h"

namespace orvex {

// The levels (of the first `levelCount`) whose `part` lies in the same stream as the one of
// `level`: for tile art, chunk and block mappings those whose level art table entry names the
// same offset; for the palette, those with the same palette number (lines 1 to 3). `level` is
// among them; a level whose entry cannot be read is left out. Line 0 of the palette, which
// every level shares, is not asked about here.
[[nodiscard]] std::vector<std::int16_t> levelsSharing(ByteSpan image, const RomProfile& profile,
                                                      std::int16_t level, Part part,
                                                      std::int16_t levelCount);

}  // namespace orvex
