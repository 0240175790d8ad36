#include "document/documentloader.h"

#include <algorithm>

#include "compression/kosinski.h"
#include "document/sharing.h"
#include "rom/cartridge.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"

namespace orvex {

namespace {

struct ReadStream {
    std::vector<std::uint8_t> data;
    StoredRegion stored;
    bool broken = false;
};

Result<ReadStream> readStream(ByteSpan image, std::int32_t offset) {
    auto decoded = decompressKosinski(image, offset);
    if (!decoded) {
        return decoded.error();
    }
    const auto start = image.begin() + offset;
    const auto length = static_cast<std::ptrdiff_t>(decoded->packedLastIndex + 1);
    return ReadStream{std::move(decoded->data),
                      StoredRegion{offset, std::vector<std::uint8_t>(start, start + length)},
                      decoded->weirdOffset};
}

Result<StoredRegion> readRaw(ByteSpan image, std::int32_t offset, std::int32_t length) {
    if (offset < 0 || !fitsIn(image.size(), offset, kPaletteReadSize)) {
        return readPastEnd(offset, kPaletteReadSize);
    }
    const auto start = image.begin() + offset;
    return StoredRegion{offset, std::vector<std::uint8_t>(start, start + length)};
}

// Lines 0 (the fixed line) and 1 to 3 (the level's) of the palette. Each source is read as the
// game's loader reads it, 128 bytes, so both must have 128 bytes inside the image.
Status readPalette(ByteSpan image, const RomProfile& profile, std::int16_t level, LevelParts& parts,
                   StoredPart& stored) {
    auto levelLines = paletteAddress(image, profile, level);
    if (!levelLines) {
        return levelLines.error();
    }
    auto fixed = readRaw(image, profile.fixedPaletteLine, kLineBytes);
    if (!fixed) {
        return fixed.error();
    }
    auto own = readRaw(image, *levelLines, 3 * kLineBytes);
    if (!own) {
        return own.error();
    }
    std::size_t word = 0;
    for (const StoredRegion* region : {&*fixed, &*own}) {
        for (std::size_t i = 0; i + 1 < region->bytes.size(); i += 2) {
            parts.palette.words[word++] =
                static_cast<std::uint16_t>((region->bytes[i] << 8) | region->bytes[i + 1]);
        }
    }
    stored = {std::move(*fixed), std::move(*own)};
    return {};
}

Result<ReadStream> readArt(ByteSpan image, const RomProfile& profile, std::int16_t level,
                           std::int16_t increment) {
    auto entry = getDataAddr(image, profile, level, increment);
    if (!entry) {
        return entry.error();
    }
    return readStream(image, artOffset(*entry));
}

Result<ReadStream> readLayout(ByteSpan image, const RomProfile& profile, std::int16_t level) {
    auto layoutAt = layoutAddress(image, profile, level);
    if (!layoutAt) {
        return layoutAt.error();
    }
    auto layout = readStream(image, *layoutAt);
    if (layout && layout->data.empty()) {
        return makeError(ErrorCode::CorruptStream,
                         "The layout of " + levelName(level) + " is empty", *layoutAt);
    }
    return layout;
}

std::string blockShortfallWarning(std::int16_t level, std::size_t mappingBytes) {
    const auto complete = static_cast<std::int32_t>(mappingBytes / kBlockMappingBytes);
    const std::int32_t missing = kBlockCount - std::min(complete, kBlockCount);
    return "The block mappings of " + levelName(level) + " hold only " +
           std::to_string(kBlockCount - missing) + " of 256 blocks; the other " +
           std::to_string(missing) + " are drawn black.";
}

// What a load gathers before the document is made.
struct LoadedPlacements {
    LevelParts& parts;
    StoredParts& stored;
    std::array<bool, kPartCount> shared{};
    std::vector<std::string> warnings;
};

// The 68000 reads words only at even addresses: the game stops with an address error at a list
// that begins at an odd one.
void warnIfOdd(std::int32_t start, const char* list, LoadedPlacements& out) {
    if (start % 2 != 0) {
        out.warnings.push_back("The " + std::string(list) + " list lies at the odd address " +
                               hexOffset(start) +
                               ", where the game stops with an address error; move it to an even "
                               "address before playing the level.");
    }
}

// Reads one stream into its part; the order is the game's: tiles, chunks, blocks, layout.
struct StreamPart {
    Part part;
    std::int16_t increment;  // of the level art table; -1 for the layout
};
constexpr std::array<StreamPart, 4> kStreamParts{{{Part::TileArt, kTileArtIncrement},
                                                  {Part::ChunkMappings, kChunkMappingsIncrement},
                                                  {Part::BlockMappings, kBlockMappingsIncrement},
                                                  {Part::Layout, -1}}};

void takeStream(ReadStream&& stream, Part part, LevelParts& parts) {
    switch (part) {
        case Part::TileArt:
            parts.tiles.bytes = std::move(stream.data);
            break;
        case Part::ChunkMappings:
            parts.chunks.bytes = std::move(stream.data);
            break;
        case Part::BlockMappings:
            parts.blocks.bytes = std::move(stream.data);
            break;
        case Part::Layout:
            parts.layout = Layout(std::move(stream.data));
            break;
        case Part::Palette:
        case Part::Objects:
        case Part::Rings:
        case Part::StartPosition:
        case Part::Bounds:
        case Part::CollisionPrimary:
        case Part::CollisionSecondary:
        case Part::CollisionShapes:
            break;
    }
}

StoredRegion regionOf(ByteSpan image, std::int64_t start, std::int64_t end) {
    return {static_cast<std::int32_t>(start),
            std::vector<std::uint8_t>(image.begin() + start, image.begin() + end)};
}

// Whether another act's directory word names the same list.
bool sharedList(ByteSpan image, std::int32_t directory, ZoneAct act) {
    const auto own = placementListAddress(image, directory, act);
    const std::vector<std::int32_t> lists = placementListAddresses(image, directory);
    return own && std::count(lists.begin(), lists.end(), *own) > 1;
}

// The objects with the marker before them and the one after: what a save replaces.
Status readObjects(ByteSpan image, std::int32_t directory, ZoneAct act, LoadedPlacements& out) {
    auto start = placementListAddress(image, directory, act);
    if (!start) {
        return start.error();
    }
    if (*start < kObjectBytes) {
        return makeError(ErrorCode::OutOfRange, "The object list lies before the image", *start);
    }
    warnIfOdd(*start, "object", out);
    auto objects = readObjectList(image, *start);
    if (!objects) {
        return objects.error();
    }
    const std::int64_t end = *start + kObjectBytes * (std::int64_t(objects->size()) + 1);
    out.stored[static_cast<std::size_t>(Part::Objects)] = {regionOf(image, *start - 6, end)};
    out.shared[static_cast<std::size_t>(Part::Objects)] = sharedList(image, directory, act);
    out.parts.objects = std::move(*objects);
    return {};
}

Status readRings(ByteSpan image, std::int32_t directory, ZoneAct act, LoadedPlacements& out) {
    auto start = placementListAddress(image, directory, act);
    if (!start) {
        return start.error();
    }
    warnIfOdd(*start, "ring", out);
    auto rings = readRingList(image, *start);
    if (!rings) {
        return rings.error();
    }
    const std::int64_t end = *start + kRingGroupBytes * std::int64_t(rings->size()) + 2;
    out.stored[static_cast<std::size_t>(Part::Rings)] = {regionOf(image, *start, end)};
    out.shared[static_cast<std::size_t>(Part::Rings)] = sharedList(image, directory, act);
    out.parts.rings = std::move(*rings);
    return {};
}

// A fixed run of words: the start position (2) or the boundaries (4).
Result<std::vector<std::uint16_t>> readWords(ByteSpan image, std::int32_t at, int count,
                                             StoredPart& stored) {
    if (!fitsIn(image.size(), at, 2 * count)) {
        return readPastEnd(at, 2 * count);
    }
    std::vector<std::uint16_t> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(*readWord(image, std::int64_t{at} + 2 * i));
    }
    stored = {regionOf(image, at, std::int64_t{at} + 2 * count)};
    return words;
}

Status readPlacements(ByteSpan image, const RomProfile& profile, ZoneAct act,
                      LoadedPlacements& out) {
    if (profile.objectDirectory) {
        if (Status objects = readObjects(image, *profile.objectDirectory, act, out); !objects) {
            return objects;
        }
    }
    if (profile.ringDirectory) {
        if (Status rings = readRings(image, *profile.ringDirectory, act, out); !rings) {
            return rings;
        }
    }
    if (profile.startPositions) {
        auto words = readWords(image, startPositionOffset(*profile.startPositions, act), 2,
                               out.stored[static_cast<std::size_t>(Part::StartPosition)]);
        if (!words) {
            return words.error();
        }
        out.parts.start = StartPosition{(*words)[0], (*words)[1]};
    }
    if (profile.levelSizes) {
        auto words = readWords(image, levelBoundsOffset(*profile.levelSizes, act), 4,
                               out.stored[static_cast<std::size_t>(Part::Bounds)]);
        if (!words) {
            return words.error();
        }
        out.parts.bounds = LevelBounds{(*words)[0], (*words)[1], (*words)[2], (*words)[3]};
    }
    return {};
}

// What a load gathers of the level's collision before the document is made.
struct LoadedCollision {
    std::array<bool, kCollisionPaths> loaded{false, false};
    bool shareIndex = false;
};

std::string pathName(std::int32_t path) {
    return path == 0 ? "primary" : "secondary";
}

// One path's index: its stream decoded into the part. A stream that does not decode to exactly
// the game's $300 bytes is kept as far as it decoded, with a warning, and marked unsavable.
bool readCollisionIndex(ByteSpan image, std::int16_t level, std::int32_t path, std::int32_t offset,
                        LevelParts& parts, StoredParts& stored, LoadedLevel& loaded) {
    const std::string what = "The " + pathName(path) + " collision index of " + levelName(level) +
                             " at " + hexOffset(offset);
    const Part part = collisionPart(path);
    auto stream = readStream(image, offset);
    if (!stream) {
        loaded.warnings.push_back(what + " does not decode (" + stream.error().describe() +
                                  "); its collision is shown empty and cannot be saved.");
        return false;
    }
    if (stream->broken) {
        const StoredRegion& read = stream->stored;
        loaded.brokenStreams.push_back(
            {part, read.offset, read.offset + static_cast<std::int32_t>(read.bytes.size()) - 1});
    }
    const bool complete =
        !stream->broken && stream->data.size() == static_cast<std::size_t>(kCollisionIndexSize);
    if (!complete) {
        loaded.warnings.push_back(what + " decodes to " + std::to_string(stream->data.size()) +
                                  " bytes" + (stream->broken ? " and breaks off" : "") +
                                  ", not the 768 ($300) the game reads; it cannot be saved.");
    }
    parts.collision[static_cast<std::size_t>(path)] = std::move(stream->data);
    stored[static_cast<std::size_t>(part)] = {std::move(stream->stored)};
    return complete;
}

// Both collision indexes of the zone and the shape tables, where the profile knows them. None
// of them stops a load: what is missing or broken is left out with a warning.
LoadedCollision readCollision(ByteSpan image, const RomProfile& profile, std::int16_t level,
                              ZoneAct act, LevelParts& parts, StoredParts& stored,
                              LoadedLevel& loaded) {
    LoadedCollision collision;
    std::array<std::optional<std::int32_t>, kCollisionPaths> offsets;
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        if (!collisionPointerTable(profile, path)) {
            continue;
        }
        auto offset = collisionIndexAddress(image, profile, path, act.zone);
        if (!offset) {
            loaded.warnings.push_back("The " + pathName(path) + " collision index pointer of " +
                                      levelName(level) + " cannot be read (" +
                                      offset.error().describe() + ").");
            continue;
        }
        offsets[static_cast<std::size_t>(path)] = *offset;
        if (path == 1 && offsets[0] == *offset) {
            // One index read by both paths: decoded once, held by both parts.
            parts.collision[1] = parts.collision[0];
            stored[static_cast<std::size_t>(Part::CollisionSecondary)] =
                stored[static_cast<std::size_t>(Part::CollisionPrimary)];
            collision.loaded[1] = collision.loaded[0];
            continue;
        }
        collision.loaded[static_cast<std::size_t>(path)] =
            readCollisionIndex(image, level, path, *offset, parts, stored, loaded);
    }
    collision.shareIndex = (offsets[0] && offsets[0] == offsets[1]) || zoneSharesIndex(act.zone);
    if (profile.collisionShapes) {
        parts.shapes = readShapes(image, *profile.collisionShapes);
        if (parts.shapes) {
            stored[static_cast<std::size_t>(Part::CollisionShapes)] = {regionOf(
                image, *profile.collisionShapes, *profile.collisionShapes + kShapeTablesSize)};
        } else {
            loaded.warnings.push_back("The collision shape tables at " +
                                      hexOffset(*profile.collisionShapes) +
                                      " reach past the end of the image; shapes are not shown.");
        }
    }
    return collision;
}

}  // namespace

Result<LoadedLevel> loadDocument(ByteSpan image, const RomProfile& profile, std::int16_t level) {
    if (Status cartridge = checkCartridge(image, profile.header); !cartridge) {
        return cartridge.error();
    }
    auto zoneAct = levelZoneAct(image, profile, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    LevelParts parts;
    StoredParts stored;
    LoadedLevel loaded;
    if (Status palette = readPalette(image, profile, level, parts,
                                     stored[static_cast<std::size_t>(Part::Palette)]);
        !palette) {
        return palette.error();
    }
    for (const StreamPart& source : kStreamParts) {
        auto stream = source.part == Part::Layout
                          ? readLayout(image, profile, level)
                          : readArt(image, profile, level, source.increment);
        if (!stream) {
            return stream.error();
        }
        if (stream->broken) {
            const StoredRegion& read = stream->stored;
            loaded.brokenStreams.push_back(
                {source.part, read.offset,
                 read.offset + static_cast<std::int32_t>(read.bytes.size()) - 1});
        }
        stored[static_cast<std::size_t>(source.part)] = {std::move(stream->stored)};
        takeStream(std::move(*stream), source.part, parts);
    }
    if (parts.blocks.bytes.size() < static_cast<std::size_t>(kBlockMappingsSize)) {
        loaded.warnings.push_back(blockShortfallWarning(level, parts.blocks.bytes.size()));
    }
    LoadedPlacements placements{parts, stored, {}, {}};
    if (Status placed = readPlacements(image, profile, *zoneAct, placements); !placed) {
        return placed.error();
    }
    loaded.warnings.insert(loaded.warnings.end(), placements.warnings.begin(),
                           placements.warnings.end());
    const LoadedCollision collision =
        readCollision(image, profile, level, *zoneAct, parts, stored, loaded);
    const bool layoutComplete =
        std::none_of(loaded.brokenStreams.begin(), loaded.brokenStreams.end(),
                     [](const BrokenStream& broken) { return broken.part == Part::Layout; });
    loaded.document = std::make_unique<LevelDocument>(profile, level, *zoneAct, std::move(parts),
                                                      std::move(stored), layoutComplete);
    // A list counts as shared only when another level of the level list plays it: act slots
    // the game never starts may name it too.
    for (const Part part : kAllParts) {
        loaded.document->setShared(part, placements.shared[static_cast<std::size_t>(part)] &&
                                             levelsSharing(image, profile, level, part).size() > 1);
    }
    loaded.document->setPathsShareIndex(collision.shareIndex);
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        loaded.document->setCollisionLoaded(path, collision.loaded[static_cast<std::size_t>(path)]);
    }
    return loaded;
}

Result<Layout> loadLayout(ByteSpan image, const RomProfile& profile, std::int16_t level) {
    auto stream = readLayout(image, profile, level);
    if (!stream) {
        return stream.error();
    }
    if (stream->broken) {
        return makeError(ErrorCode::CorruptStream,
                         "The layout of " + levelName(level) + " breaks off",
                         stream->stored.offset);
    }
    return Layout(std::move(stream->data));
}

}  // namespace orvex
