#include "editor/pieces/sharedlevels.h"

#include <optional>

#include "rom/leveldirectory.h"

namespace orvex {

namespace {

// What names the stream of `part` in the level art table: the entry's offset, or for the
// palette the entry's palette number.
std::optional<std::int32_t> streamKey(ByteSpan image, const RomProfile& profile, std::int16_t level,
                                      Part part) {
    std::int16_t increment = 0;
    switch (part) {
        case Part::TileArt:
            increment = 0;
            break;
        case Part::ChunkMappings:
            increment = 4;
            break;
        case Part::BlockMappings:
        case Part::Palette:
            increment = 8;
            break;
        default:
            return std::nullopt;
    }
    const auto entry = getDataAddr(image, profile, level, increment);
    if (!entry) {
        return std::nullopt;
    }
    return part == Part::Palette ? std::int32_t{paletteNumber(*entry)} : artOffset(*entry);
}

}  // namespace

std::vector<std::int16_t> levelsSharing(ByteSpan image, const RomProfile& profile,
                                        std::int16_t level, Part part, std::int16_t levelCount) {
    std::vector<std::int16_t> sharing;
    const auto own = streamKey(image, profile, level, part);
    if (!own) {
        return sharing;
    }
    for (std::int16_t other = 0; other < levelCount; ++other) {
        if (streamKey(image, profile, other, part) == own) {
            sharing.push_back(other);
        }
    }
    return sharing;
}

}  // namespace orvex
