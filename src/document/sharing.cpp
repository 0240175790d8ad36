#include "document/sharing.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"

namespace orvex {

namespace {

std::optional<std::int16_t> artIncrement(Part part) {
    switch (part) {
        case Part::TileArt:
            return kTileArtIncrement;
        case Part::ChunkMappings:
            return kChunkMappingsIncrement;
        case Part::BlockMappings:
            return kBlockMappingsIncrement;
        default:
            return std::nullopt;
    }
}

std::optional<std::int32_t> listPlace(ByteSpan image, const RomProfile& profile, std::int16_t level,
                                      Part part) {
    const auto& directory = part == Part::Objects ? profile.objectDirectory : profile.ringDirectory;
    auto act = levelZoneAct(image, profile, level);
    if (!directory || !act) {
        return std::nullopt;
    }
    auto start = placementListAddress(image, *directory, *act);
    return start ? std::optional<std::int32_t>(*start) : std::nullopt;
}

// Where the level reads `part` from, or nothing when it cannot be read or is the act's own.
std::optional<std::int32_t> placeOf(ByteSpan image, const RomProfile& profile, std::int16_t level,
                                    Part part) {
    if (const auto increment = artIncrement(part)) {
        auto entry = getDataAddr(image, profile, level, *increment);
        return entry ? std::optional<std::int32_t>(artOffset(*entry)) : std::nullopt;
    }
    if (part == Part::Layout) {
        auto at = layoutAddress(image, profile, level);
        return at ? std::optional<std::int32_t>(*at) : std::nullopt;
    }
    if (part == Part::Objects || part == Part::Rings) {
        return listPlace(image, profile, level, part);
    }
    return std::nullopt;
}

// The levels whose place, as `placeOfLevel` finds it, is `level`'s.
std::vector<std::int16_t> sameAs(std::int16_t level, const auto& placeOfLevel) {
    const auto own = placeOfLevel(level);
    if (!own) {
        return {level};
    }
    std::vector<std::int16_t> levels;
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        if (other == level || placeOfLevel(other) == own) {
            levels.push_back(other);
        }
    }
    return levels;
}

// Where the level reads its index on `path`.
std::optional<std::int32_t> indexPlace(ByteSpan image, const RomProfile& profile,
                                       std::int16_t level, std::int32_t path) {
    auto act = levelZoneAct(image, profile, level);
    if (!act) {
        return std::nullopt;
    }
    auto at = collisionIndexAddress(image, profile, path, act->zone);
    return at ? std::optional<std::int32_t>(*at) : std::nullopt;
}

// The levels reading the index of `level`'s path `path` on either path.
std::vector<std::int16_t> levelsSharingIndex(ByteSpan image, const RomProfile& profile,
                                             std::int16_t level, std::int32_t path) {
    std::vector<std::int16_t> levels;
    for (const LevelPath& reader : pathsSharing(image, profile, level, path)) {
        if (levels.empty() || levels.back() != reader.level) {
            levels.push_back(reader.level);
        }
    }
    return levels;
}

}  // namespace

std::vector<LevelPath> pathsSharing(ByteSpan image, const RomProfile& profile, std::int16_t level,
                                    std::int32_t path) {
    const auto own = indexPlace(image, profile, level, path);
    if (!own) {
        return {{level, path}};
    }
    std::vector<LevelPath> readers;
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        for (std::int32_t otherPath = 0; otherPath < kCollisionPaths; ++otherPath) {
            if (indexPlace(image, profile, other, otherPath) == own) {
                readers.push_back({other, otherPath});
            }
        }
    }
    return readers;
}

std::vector<std::int16_t> levelsSharing(ByteSpan image, const RomProfile& profile,
                                        std::int16_t level, Part part) {
    if (part == Part::CollisionPrimary || part == Part::CollisionSecondary) {
        return levelsSharingIndex(image, profile, level, part == Part::CollisionPrimary ? 0 : 1);
    }
    if (part == Part::Palette || part == Part::CollisionShapes) {
        std::vector<std::int16_t> all;
        for (std::int16_t other = 0; other < kLevelCount; ++other) {
            all.push_back(other);
        }
        return all;
    }
    return sameAs(level, [&](std::int16_t other) { return placeOf(image, profile, other, part); });
}

std::vector<std::int16_t> levelsSharingLines(ByteSpan image, const RomProfile& profile,
                                             std::int16_t level) {
    return sameAs(level, [&](std::int16_t other) {
        auto source = paletteAddress(image, profile, other);
        return source ? std::optional<std::int32_t>(*source) : std::nullopt;
    });
}

std::vector<std::int16_t> otherLevels(const std::vector<std::int16_t>& sharing,
                                      std::int16_t level) {
    std::vector<std::int16_t> others;
    std::copy_if(sharing.begin(), sharing.end(), std::back_inserter(others),
                 [level](std::int16_t other) { return other != level; });
    return others;
}

}  // namespace orvex
