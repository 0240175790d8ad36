#pragma once

#include <cstdint>
#include <vector>

#include "document/levelparts.h"
#include "graphics/videomemory.h"
#include "rom/levelstart.h"

// The level start (rom/levelstart.h) combined with the level's own streams as the document holds
// them: video memory, the chunk table and the palette as the game shows them.

namespace orvex {

// Video memory on video frame `videoFrame` of play: `art` (the level's tile art as stored) with
// everything `start` adds.
void composeVideo(const TileArt& art, const LevelStart& start, VideoMemory& video,
                  std::int64_t videoFrame = 0);

// The chunk table as the game leaves it: the zone's chunk mappings, then the extra chunks and
// the chunk record written over them (at most 1,024 chunks).
[[nodiscard]] std::vector<std::uint8_t> composeChunks(const MappingWords& chunks,
                                                      const LevelStart& start);

// The palette on video frame `videoFrame` of play: `stored` with every cycle's frame written.
[[nodiscard]] PaletteWords shownPalette(const PaletteWords& stored, const LevelStart& start,
                                        std::int64_t videoFrame = 0);

// The tiles whose pixels the animation scripts change from video frame `videoFrame` - 1 to
// `videoFrame`, with the new tiles written into `video`.
[[nodiscard]] std::vector<std::int32_t> stepAnimation(const LevelStart& start, VideoMemory& video,
                                                      std::int64_t videoFrame);

}  // namespace orvex
