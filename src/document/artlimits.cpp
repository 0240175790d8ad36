#include "document/artlimits.h"

#include <algorithm>
#include <vector>

#include "compression/kosinski.h"
#include "document/sharing.h"
#include "rom/leveldirectory.h"
#include "rom/levelstart.h"
#include "rom/starttables.h"

namespace orvex {

namespace {

constexpr std::int64_t kTileSize = kTileBytes;

std::string hexNumber(std::int64_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value > 0);
    return "$" + text;
}

// The decoded size of the stream the file held for the part when it was read or last saved.
std::int64_t storedDecodedSize(const LevelDocument& document, Part part) {
    const StoredPart& stored = document.stored(part);
    if (stored.empty()) {
        return 0;
    }
    auto decoded = decompressKosinski(stored.front().bytes);
    return decoded ? static_cast<std::int64_t>(decoded->data.size()) : 0;
}

struct StreamLimit {
    std::int64_t itemBytes = 0;
    std::string_view items;
    std::int64_t limit = 0;
    std::string_view into;
};

StreamLimit limitOf(Part part) {
    switch (part) {
        case Part::TileArt:
            return {kTileSize, "tiles", kMaxTileArtBytes, "the game decodes art into"};
        case Part::ChunkMappings:
            return {kChunkBytes, "chunks", kMaxChunkMappingBytes, "of the game's chunk table"};
        case Part::BlockMappings:
            return {kBlockMappingBytes, "blocks", kMaxBlockMappingBytes,
                    "of the game's block table"};
        default:
            return {};
    }
}

ByteSpan decodedBytes(const LevelParts& parts, Part part) {
    switch (part) {
        case Part::TileArt:
            return parts.tiles.bytes;
        case Part::ChunkMappings:
            return parts.chunks.bytes;
        case Part::BlockMappings:
            return parts.blocks.bytes;
        default:
            return {};
    }
}

Status checkDecodedLimit(const LevelDocument& document, Part part) {
    const StreamLimit limit = limitOf(part);
    const auto size = static_cast<std::int64_t>(decodedBytes(document.parts(), part).size());
    std::int64_t allowed = limit.limit;
    std::string past = groupedNumber(limit.limit) + " (" + hexNumber(limit.limit) + ") bytes " +
                       std::string(limit.into);
    if (part == Part::ChunkMappings) {
        const std::int64_t stored = storedDecodedSize(document, part);
        if (stored > allowed) {
            allowed = stored;
            past = groupedNumber(stored) + " bytes the stream held in the file (longer than the " +
                   groupedNumber(limit.limit) + " (" + hexNumber(limit.limit) +
                   ") bytes of the game's chunk table)";
        }
    }
    if (size <= allowed) {
        return {};
    }
    return makeError(ErrorCode::OutOfRange,
                     std::string(partName(part)) + ": " + groupedNumber(size / limit.itemBytes) +
                         " " + std::string(limit.items) + " decode to " + groupedNumber(size) +
                         " bytes, past the " + past + "; nothing was saved");
}

// Where the start of an act writes video memory after the art, at or past tile `artEnd`.
void lowestWrite(const LevelStart& start, std::int32_t artEnd, VideoLimit& limit) {
    const auto consider = [&](std::int32_t tile, std::string_view writer) {
        if (tile >= artEnd && (!limit.firstWrittenTile || tile < *limit.firstWrittenTile)) {
            limit.firstWrittenTile = tile;
            limit.writer = writer;
        }
    };
    for (const VideoWrite& write : start.afterArt) {
        consider(write.address / static_cast<std::int32_t>(kTileSize), "a pattern load cue");
    }
    for (const AnimationScript& script : start.scripts) {
        consider(script.destination, "an animation script");
    }
}

VideoLimit videoLimitWith(ByteSpan image, const StartTables& tables, const LevelDocument& document,
                          std::int16_t level, std::int32_t artEnd) {
    VideoLimit limit;
    auto act = levelZoneAct(image, document.profile(), level);
    if (!act) {
        return limit;
    }
    const LevelStart start =
        readLevelStart(image, document.profile(), tables, *act, startCameraX(document.parts()));
    limit.copiedTiles = start.copiedTiles;
    lowestWrite(start, artEnd, limit);
    return limit;
}

}  // namespace

std::string groupedNumber(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(digits.begin() + at, ',');
    }
    return value < 0 ? "-" + digits : digits;
}

namespace {

Status checkCollisionIndex(const LevelDocument& document, Part part) {
    const std::int32_t path = part == Part::CollisionPrimary ? 0 : 1;
    const std::string what =
        "The " + std::string(partName(part)) + " index of " + levelName(document.level());
    if (!document.collisionLoaded(path)) {
        return makeError(ErrorCode::NotLoaded,
                         what + " was not loaded completely, so it cannot be saved");
    }
    const auto size = static_cast<std::int64_t>(
        document.parts().collision[static_cast<std::size_t>(path)].size());
    if (size != kCollisionIndexSize) {
        return makeError(ErrorCode::OutOfRange,
                         what + " holds " + groupedNumber(size) + " bytes, but the game reads " +
                             "exactly " + groupedNumber(kCollisionIndexSize) + " (" +
                             hexNumber(kCollisionIndexSize) +
                             ") bytes, a shape per chunk; nothing was saved");
    }
    return {};
}

}  // namespace

Status checkDecodedLimits(const LevelDocument& document, std::span<const Part> parts) {
    for (const Part part : parts) {
        if (part == Part::CollisionPrimary || part == Part::CollisionSecondary) {
            if (Status index = checkCollisionIndex(document, part); !index) {
                return index;
            }
            continue;
        }
        if (part != Part::TileArt && part != Part::ChunkMappings && part != Part::BlockMappings) {
            continue;
        }
        if (Status status = checkDecodedLimit(document, part); !status) {
            return status;
        }
    }
    return {};
}

VideoLimit videoLimit(ByteSpan image, const LevelDocument& document, std::int16_t level,
                      std::int32_t artEnd) {
    return videoLimitWith(image, locateStartTables(image, document.profile()).tables, document,
                          level, artEnd);
}

Status checkArtInVideo(ByteSpan image, const LevelDocument& document) {
    const auto tiles = static_cast<std::int32_t>(document.parts().tiles.bytes.size() / kTileSize);
    const auto storedTiles =
        static_cast<std::int32_t>(storedDecodedSize(document, Part::TileArt) / kTileSize);
    const StartTables tables = locateStartTables(image, document.profile()).tables;
    for (const std::int16_t level :
         levelsSharing(image, document.profile(), document.level(), Part::TileArt)) {
        const VideoLimit limit = videoLimitWith(image, tables, document, level, storedTiles);
        const std::int32_t copied = limit.copiedTiles.value_or(tiles);
        if (limit.copiedTiles || !limit.firstWrittenTile || copied <= *limit.firstWrittenTile) {
            continue;
        }
        return makeError(ErrorCode::OutOfRange,
                         "tile art: " + groupedNumber(copied) + " tiles reach tile " +
                             hexNumber(copied - 1) + " in video memory, but " + levelName(level) +
                             " fills tile " + hexNumber(*limit.firstWrittenTile) + " on with " +
                             limit.writer + " after its art; nothing was saved");
    }
    return {};
}

}  // namespace orvex
