#include "document/documentsaver.h"

#include <algorithm>
#include <string>

#include "compression/kosinski.h"
#include "document/artlimits.h"
#include "document/sharing.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/placementmove.h"
#include "rom/romidentity.h"
#include "rom/room.h"

namespace orvex {

namespace {

// A part ready to be written: its bytes at each of its places (one for a stream, two for the
// palette), in the order of the part's stored regions.
struct EncodedPart {
    Part part = Part::Layout;
    std::vector<std::vector<std::uint8_t>> regions;
};

std::vector<Part> partsToWrite(const LevelDocument& document, const SaveOptions& options) {
    std::vector<Part> parts;
    for (const Part part : kAllParts) {
        if ((part == Part::Layout && options.alwaysWriteLayout) || document.isModified(part)) {
            parts.push_back(part);
        }
    }
    return parts;
}

ByteSpan streamSource(const LevelParts& parts, Part part) {
    switch (part) {
        case Part::Layout:
            return parts.layout.bytes();
        case Part::TileArt:
            return parts.tiles.bytes;
        case Part::ChunkMappings:
            return parts.chunks.bytes;
        case Part::BlockMappings:
            return parts.blocks.bytes;
        case Part::CollisionPrimary:
            return parts.collision[0];
        case Part::CollisionSecondary:
            return parts.collision[1];
        case Part::Palette:
        case Part::Objects:
        case Part::Rings:
        case Part::StartPosition:
        case Part::Bounds:
        case Part::CollisionShapes:
            break;
    }
    return {};
}

bool isCollisionIndex(Part part) {
    return part == Part::CollisionPrimary || part == Part::CollisionSecondary;
}

std::int32_t pathOf(Part part) {
    return part == Part::CollisionPrimary ? 0 : 1;
}

// The parts written as Kosinski streams, with the one 0x00 a save pads them with.
bool isStream(Part part) {
    return part == Part::Layout || part == Part::TileArt || part == Part::ChunkMappings ||
           part == Part::BlockMappings || isCollisionIndex(part);
}

// Whether both paths read one index at one place: it is written once, as the primary.
bool indexWrittenOnce(const LevelDocument& document) {
    const StoredPart& primary = document.stored(Part::CollisionPrimary);
    const StoredPart& secondary = document.stored(Part::CollisionSecondary);
    return document.pathsShareIndex() && !primary.empty() && !secondary.empty() &&
           primary.front().offset == secondary.front().offset;
}

std::vector<std::uint8_t> wordBytes(std::initializer_list<std::uint16_t> words) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t word : words) {
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    }
    return bytes;
}

// The bytes of a placement part: a list with its markers, or the words of a table entry.
std::vector<std::uint8_t> placementBytes(const LevelParts& parts, Part part) {
    switch (part) {
        case Part::Objects:
            return objectListBytes(*parts.objects);
        case Part::Rings:
            return ringListBytes(*parts.rings);
        case Part::StartPosition:
            return wordBytes({parts.start->x, parts.start->y});
        case Part::Bounds:
            return wordBytes(
                {parts.bounds->xMin, parts.bounds->xMax, parts.bounds->yMin, parts.bounds->yMax});
        default:
            return {};
    }
}

// The game's limits on what one act may hold.
Status checkLimits(const LevelDocument& document) {
    const LevelParts& parts = document.parts();
    const std::string act = levelName(document.level()) + " (zone " +
                            std::to_string(document.zoneAct().zone) + ", act " +
                            std::to_string(document.zoneAct().act + 1) + ")";
    if (parts.objects) {
        const auto remembered = std::count_if(parts.objects->begin(), parts.objects->end(),
                                              [](const auto& o) { return o.rememberState; });
        if (remembered > kMaxRememberedObjects) {
            return makeError(ErrorCode::OutOfRange,
                             act + " has " + std::to_string(remembered) +
                                 " objects that remember their state; the game keeps at most " +
                                 std::to_string(kMaxRememberedObjects));
        }
    }
    if (parts.rings) {
        std::int32_t rings = 0;
        for (const RingGroup& group : *parts.rings) {
            rings += group.count;
        }
        if (rings > kMaxRings) {
            return makeError(ErrorCode::OutOfRange, act + " has " + std::to_string(rings) +
                                                        " rings; the game keeps at most " +
                                                        std::to_string(kMaxRings));
        }
    }
    return {};
}

std::vector<std::uint8_t> paletteBytes(const PaletteWords& palette, std::int32_t firstLine,
                                       std::int32_t lines) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t c = firstLine * kLineColours; c < (firstLine + lines) * kLineColours; ++c) {
        const std::uint16_t word = palette.words[static_cast<std::size_t>(c)];
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    }
    return bytes;
}

Result<EncodedPart> encodePart(const LevelDocument& document, Part part, ProgressSink* progress) {
    if (part == Part::CollisionShapes) {
        const auto bytes = shapeBytes(*document.parts().shapes);
        return EncodedPart{part, {std::vector<std::uint8_t>(bytes.begin(), bytes.end())}};
    }
    if (!isStream(part) && part != Part::Palette) {
        return EncodedPart{part, {placementBytes(document.parts(), part)}};
    }
    if (part == Part::Palette) {
        const PaletteWords& palette = document.parts().palette;
        return EncodedPart{part, {paletteBytes(palette, 0, 1), paletteBytes(palette, 1, 3)}};
    }
    auto packed = compressKosinskiOptimal(streamSource(document.parts(), part), progress);
    if (!packed) {
        return packed.error();
    }
    return EncodedPart{part, {std::move(*packed)}};
}

Result<std::vector<EncodedPart>> encodeParts(const LevelDocument& document,
                                             std::span<const Part> parts, ProgressSink* progress) {
    std::optional<ProgressScope> scope;
    if (progress != nullptr) {
        scope.emplace(*progress);
    }
    std::vector<EncodedPart> encoded;
    const bool once = indexWrittenOnce(document) &&
                      std::find(parts.begin(), parts.end(), Part::CollisionPrimary) != parts.end();
    for (const Part part : parts) {
        if (once && part == Part::CollisionSecondary) {
            continue;
        }
        auto one = encodePart(document, part, progress);
        if (!one) {
            return one.error();
        }
        encoded.push_back(std::move(*one));
    }
    return encoded;
}

// A place a part goes to in the image as it is now, with its room.
struct Place {
    std::int32_t offset = 0;
    std::int64_t room = 0;
};

// A placement list's place and room (see placementListPlace); the list that nothing of its
// directory follows keeps the length it has now, since what lies after it is unknown.
Result<std::vector<Place>> listPlace(ByteSpan image, const LevelDocument& document, Part part) {
    const RomProfile& profile = document.profile();
    const bool objects = part == Part::Objects;
    const std::int32_t directory = objects ? *profile.objectDirectory : *profile.ringDirectory;
    auto start = placementListAddress(image, directory, document.zoneAct());
    if (!start) {
        return start.error();
    }
    const auto kind = objects ? PlacementList::Objects : PlacementList::Rings;
    const ListPlace place = placementListPlace(image, directory, kind, *start);
    std::int64_t room = 0;
    if (place.room) {
        room = *place.room;
    } else if (const StoredPart& stored = document.stored(part); !stored.empty()) {
        room = static_cast<std::int64_t>(stored.front().bytes.size());
    }
    return std::vector<Place>{{place.from, room}};
}

Result<std::vector<Place>> placesOf(ByteSpan image, const LevelDocument& document, Part part) {
    const RomProfile& profile = document.profile();
    const std::int16_t level = document.level();
    if (part == Part::Objects || part == Part::Rings) {
        return listPlace(image, document, part);
    }
    if (part == Part::StartPosition) {
        return std::vector<Place>{
            {startPositionOffset(*profile.startPositions, document.zoneAct()), 4}};
    }
    if (part == Part::Bounds) {
        return std::vector<Place>{{levelBoundsOffset(*profile.levelSizes, document.zoneAct()), 8}};
    }
    if (part == Part::Layout) {
        auto at = layoutAddress(image, profile, level);
        auto room = at ? layoutRoom(image, profile, level) : Result<std::int64_t>(at.error());
        if (!room) {
            return room.error();
        }
        return std::vector<Place>{{*at, *room}};
    }
    if (part == Part::CollisionShapes) {
        return std::vector<Place>{{*profile.collisionShapes, kShapeTablesSize}};
    }
    if (isCollisionIndex(part)) {
        auto at = collisionIndexAddress(image, profile, pathOf(part), document.zoneAct().zone);
        auto room = at ? collisionIndexRoom(image, profile, *at) : Result<std::int64_t>(at.error());
        if (!room) {
            return room.error();
        }
        return std::vector<Place>{{*at, *room}};
    }
    if (part == Part::Palette) {
        auto own = paletteAddress(image, profile, level);
        if (!own) {
            return own.error();
        }
        return std::vector<Place>{{profile.fixedPaletteLine, kLineBytes}, {*own, 3 * kLineBytes}};
    }
    const std::int16_t increment = part == Part::TileArt         ? kTileArtIncrement
                                   : part == Part::ChunkMappings ? kChunkMappingsIncrement
                                                                 : kBlockMappingsIncrement;
    auto entry = getDataAddr(image, profile, level, increment);
    auto room =
        entry ? artRoom(image, profile, artOffset(*entry)) : Result<std::int64_t>(entry.error());
    if (!room) {
        return room.error();
    }
    return std::vector<Place>{{artOffset(*entry), *room}};
}

// Whether the file still holds, at the part's places, what was read or last saved there.
bool unchangedOnDisk(ByteSpan image, const StoredPart& stored, const std::vector<Place>& places) {
    if (stored.size() != places.size()) {
        return false;
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        const StoredRegion& region = stored[i];
        if (region.offset != places[i].offset ||
            !fitsIn(image.size(), region.offset, static_cast<std::int64_t>(region.bytes.size())) ||
            !std::equal(region.bytes.begin(), region.bytes.end(), image.begin() + region.offset)) {
            return false;
        }
    }
    return true;
}

Error noRoom(const LevelDocument& document, Part part, std::size_t size, const Place& place) {
    return makeError(ErrorCode::NoRoom,
                     "The compressed " + std::string(partName(part)) + " of " +
                         levelName(document.level()) + " is " + std::to_string(size) +
                         " bytes, but its place in the ROM holds only " +
                         std::to_string(place.room) + " bytes",
                     place.offset);
}

void patch(std::vector<std::uint8_t>& image, std::int32_t offset, ByteSpan bytes) {
    const auto at = static_cast<std::size_t>(offset);
    image.resize(std::max(image.size(), at + bytes.size()), 0x00);
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

// The file as it is now must still be an image whose tables lie where they lay when it was
// opened.
Status checkSameRom(ByteSpan image, const RomProfile& profile) {
    if (Status cartridge = checkCartridge(image, profile.header); !cartridge) {
        return cartridge;
    }
    if (Status tables = checkLevelTables(image, profile); !tables) {
        return makeError(ErrorCode::Cancelled,
                         "The ROM file has changed on disk: " + tables.error().message +
                             ". Open it again before saving; nothing was saved");
    }
    // Lists moved by another program leave their old places behind, unread by the game but
    // unchanged: the directories are found again so that nothing is written into them.
    return checkPlacementCode(image, profile);
}

// Every written stream must decode from the new image to exactly its part.
Status checkWritten(ByteSpan image, const LevelDocument& document,
                    const std::vector<PartWrite>& writes) {
    for (const PartWrite& write : writes) {
        if (write.part == Part::Objects || write.part == Part::Rings) {
            const auto expected = placementBytes(document.parts(), write.part);
            if (!std::equal(expected.begin(), expected.end(), image.begin() + write.offset)) {
                return makeError(ErrorCode::CorruptStream,
                                 "The " + std::string(partName(write.part)) +
                                     " would not read back as written; nothing was saved",
                                 write.offset);
            }
            continue;
        }
        if (write.part == Part::CollisionShapes) {
            const auto expected = shapeBytes(*document.parts().shapes);
            if (!std::equal(expected.begin(), expected.end(), image.begin() + write.offset)) {
                return makeError(ErrorCode::CorruptStream,
                                 "The collision shapes would not read back as written; nothing "
                                 "was saved",
                                 write.offset);
            }
            continue;
        }
        if (!isStream(write.part)) {
            continue;
        }
        auto decoded = decompressKosinski(image, write.offset);
        const ByteSpan expected = streamSource(document.parts(), write.part);
        if (!decoded || decoded->weirdOffset ||
            !std::equal(decoded->data.begin(), decoded->data.end(), expected.begin(),
                        expected.end())) {
            return makeError(ErrorCode::CorruptStream,
                             "The " + std::string(partName(write.part)) +
                                 " would not read back as written; nothing was saved",
                             write.offset);
        }
    }
    return {};
}

bool isList(Part part) {
    return part == Part::Objects || part == Part::Rings;
}

// Why a list cannot be written in place, or nothing when it can.
Result<std::optional<std::string>> listProblem(ByteSpan image, const LevelDocument& document,
                                               const EncodedPart& part) {
    const std::string list =
        "The " + std::string(partName(part.part)) + " of " + levelName(document.level());
    if (document.isShared(part.part)) {
        return std::optional<std::string>(list + " is shared with another act");
    }
    auto places = listPlace(image, document, part.part);
    if (!places) {
        return places.error();
    }
    const auto size = static_cast<std::int64_t>(part.regions.front().size());
    if (size > places->front().room) {
        return std::optional<std::string>(list + " is " + std::to_string(size) +
                                          " bytes, but its place holds only " +
                                          std::to_string(places->front().room) + " bytes");
    }
    return std::optional<std::string>();
}

Error listsMustMove(const std::string& problem) {
    return makeError(ErrorCode::ListsMustMove,
                     problem +
                         "; all object and ring lists can be moved to the end of the file, "
                         "where each level has room for at least " +
                         std::to_string(kMovedObjectRoom) + " objects and " +
                         std::to_string(kMovedRingRoom) + " ring groups");
}

// What the file holds at a place of the moved image.
StoredRegion regionAt(ByteSpan image, const ImageSpan& span) {
    const auto from = image.begin() + span.offset;
    return {span.offset, std::vector<std::uint8_t>(from, from + span.bytes)};
}

bool isArt(Part part) {
    return part == Part::TileArt || part == Part::ChunkMappings || part == Part::BlockMappings;
}

// The streams a save may move when they grow: the art and mappings, the collision indexes.
bool isMovable(Part part) {
    return isArt(part) || isCollisionIndex(part);
}

std::int16_t artIncrementOf(Part part) {
    return part == Part::TileArt         ? kTileArtIncrement
           : part == Part::ChunkMappings ? kChunkMappingsIncrement
                                         : kBlockMappingsIncrement;
}

Error artMustMove(const LevelDocument& document, Part part, std::size_t size, const Place& place) {
    return makeError(
        ErrorCode::ArtMustMove,
        "The compressed " + std::string(partName(part)) + " of " + levelName(document.level()) +
            " is " + std::to_string(size) + " bytes, but its place in the ROM holds only " +
            std::to_string(place.room) + " bytes; it can be moved to the end of the file",
        place.offset);
}

// Points every long of both collision pointer tables that holds `from` at `to`, whole longs: an
// index may be read by several zones and by both paths.
void repointCollision(std::vector<std::uint8_t>& image, const RomProfile& profile,
                      std::int32_t from, std::int32_t to) {
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
            auto at = collisionPointerOffset(profile, path, zone);
            auto entry = at ? readLong(image, *at) : Result<std::int32_t>(at.error());
            if (entry && *entry == from) {
                putLong(image, static_cast<std::size_t>(*at), static_cast<std::uint32_t>(to));
            }
        }
    }
}

// Points every art table long of `part` that points at `from` at `to`, keeping its top byte.
void repointArt(std::vector<std::uint8_t>& image, const RomProfile& profile, Part part,
                std::int32_t from, std::int32_t to) {
    if (isCollisionIndex(part)) {
        repointCollision(image, profile, from, to);
        return;
    }
    const std::int16_t increment = artIncrementOf(part);
    for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
        const auto at =
            static_cast<std::size_t>(profile.levelArtTable + zone * kLevelArtEntrySize + increment);
        auto entry = readLong(image, static_cast<std::int64_t>(at));
        if (!entry || artOffset(*entry) != from) {
            continue;
        }
        const std::uint32_t moved =
            (static_cast<std::uint32_t>(*entry) & 0xFF000000U) | static_cast<std::uint32_t>(to);
        for (std::size_t i = 0; i < 4; ++i) {
            image[at + i] = static_cast<std::uint8_t>(moved >> (24 - 8 * i));
        }
    }
}

class ImagePatcher {
public:
    ImagePatcher(const LevelDocument& document, const std::vector<EncodedPart>& encoded,
                 const SaveOptions& options)
        : mDocument(document), mEncoded(encoded), mOptions(options) {}

    // Where the lists went when the save moved them.
    struct MovedLists {
        PlacementDirectories directories;
        StoredRegion objects;
        StoredRegion rings;
    };

    Result<std::vector<std::uint8_t>> operator()(ByteSpan current) {
        mWrites.clear();
        mMoved.reset();
        mMovedArt.clear();
        if (Status same = checkSameRom(current, mDocument.profile()); !same) {
            return same.error();
        }
        auto move = mustMoveLists(current);
        if (!move) {
            return move.error();
        }
        if (writes(Part::TileArt)) {
            if (Status video = checkArtInVideo(current, mDocument); !video) {
                return video.error();
            }
        }
        std::vector<std::uint8_t> image(current.begin(), current.end());
        for (const EncodedPart& part : mEncoded) {
            Status placed = *move && isList(part.part) ? checkUnchanged(current, part.part)
                                                       : place(current, part, image);
            if (!placed) {
                return placed.error();
            }
        }
        if (*move) {
            if (Status moved = moveLists(image); !moved) {
                return moved.error();
            }
        }
        if (Status written = checkWritten(image, mDocument, mWrites); !written) {
            return written.error();
        }
        if (Status header = finishHeader(image, mDocument.profile().header); !header) {
            return header.error();
        }
        return image;
    }

    [[nodiscard]] const std::vector<PartWrite>& writes() const { return mWrites; }
    [[nodiscard]] const std::vector<Place>& placesOf(Part part) const {
        return mPlaces[static_cast<std::size_t>(part)];
    }
    [[nodiscard]] const std::optional<MovedLists>& moved() const { return mMoved; }
    [[nodiscard]] const std::vector<MovedStream>& movedArt() const { return mMovedArt; }

private:
    [[nodiscard]] bool writes(Part part) const {
        return std::any_of(mEncoded.begin(), mEncoded.end(),
                           [part](const EncodedPart& one) { return one.part == part; });
    }
    // True when a list to write cannot be written in place and the options allow the move.
    Result<bool> mustMoveLists(ByteSpan current) const {
        for (const EncodedPart& part : mEncoded) {
            if (!isList(part.part)) {
                continue;
            }
            auto problem = listProblem(current, mDocument, part);
            if (!problem) {
                return problem.error();
            }
            if (*problem && !mOptions.movePlacementLists) {
                return listsMustMove(**problem);
            }
            if (*problem) {
                return true;
            }
        }
        return false;
    }

    Status unchanged(ByteSpan current, Part part, const std::vector<Place>& places) const {
        if (!mOptions.overwriteChangesOnDisk &&
            !unchangedOnDisk(current, mDocument.stored(part), places)) {
            return makeError(ErrorCode::ChangedOnDisk, "The ROM file has changed on disk since " +
                                                           levelName(mDocument.level()) +
                                                           " was loaded");
        }
        return {};
    }

    // For a list the move writes elsewhere: what the file holds at its place now.
    Status checkUnchanged(ByteSpan current, Part part) const {
        auto places = orvex::placesOf(current, mDocument, part);
        if (!places) {
            return places.error();
        }
        return unchanged(current, part, *places);
    }

    // The part's places and rooms. A stream's room is what it owns as the document read it, so
    // that a stream another program changed at its place is named as changed on disk, and one
    // written over it anyway stays in that room.
    Result<std::vector<Place>> streamPlaces(ByteSpan current, Part part) const {
        if (!isStream(part)) {
            return orvex::placesOf(current, mDocument, part);
        }
        std::vector<std::uint8_t> asRead(current.begin(), current.end());
        for (const StoredRegion& region : mDocument.stored(part)) {
            if (fitsIn(asRead.size(), region.offset,
                       static_cast<std::int64_t>(region.bytes.size()))) {
                std::copy(region.bytes.begin(), region.bytes.end(), asRead.begin() + region.offset);
            }
        }
        return orvex::placesOf(asRead, mDocument, part);
    }

    Status place(ByteSpan current, const EncodedPart& part, std::vector<std::uint8_t>& image) {
        auto places = streamPlaces(current, part.part);
        if (!places) {
            return places.error();
        }
        const bool grown = static_cast<std::int64_t>(writtenBytes(part, 0, places->front())) >
                           places->front().room;
        if (isMovable(part.part) && grown) {
            if (!mOptions.moveGrownArt) {
                return artMustMove(mDocument, part.part, part.regions.front().size(),
                                   places->front());
            }
            if (Status same = unchanged(current, part.part, *places); !same) {
                return same;
            }
            return moveArt(current, part, places->front(), image);
        }
        if (Status same = unchanged(current, part.part, *places); !same) {
            return same;
        }
        for (std::size_t i = 0; i < places->size(); ++i) {
            if (static_cast<std::int64_t>(writtenBytes(part, i, (*places)[i])) >
                (*places)[i].room) {
                return noRoom(mDocument, part.part, part.regions[i].size(), (*places)[i]);
            }
        }
        std::size_t written = 0;
        for (std::size_t i = 0; i < places->size(); ++i) {
            written = writtenBytes(part, i, (*places)[i]);
            if (isStream(part.part)) {
                clearOldTail(current, (*places)[i], written, image);
            }
            patch(image, (*places)[i].offset, ByteSpan(part.regions[i]).first(written));
            coverData(image, mDocument.profile().header,
                      static_cast<std::size_t>((*places)[i].offset) + written);
        }
        record(part, std::move(*places), written);
        return {};
    }

    // The bytes of region `i` written at `place`: a stream without the 0x00 a save pads it with
    // when only the pad would not fit its room.
    static std::size_t writtenBytes(const EncodedPart& part, std::size_t i, const Place& place) {
        const std::size_t size = part.regions[i].size();
        const bool padOnly =
            isStream(part.part) && size > 0 && static_cast<std::int64_t>(size) == place.room + 1;
        return padOnly ? size - 1 : size;
    }

    // A stream shorter than the one it replaces leaves the rest of the old one as 0x00, so that
    // the place keeps reading as the stream's own room (filler) when it grows again.
    static void clearOldTail(ByteSpan current, const Place& place, std::size_t written,
                             std::vector<std::uint8_t>& image) {
        auto old = streamLength(current, place.offset);
        if (!old) {
            return;
        }
        const std::int64_t from = std::int64_t{place.offset} + static_cast<std::int64_t>(written);
        const std::int64_t to = std::int64_t{place.offset} + std::min(*old + 1, place.room);
        for (std::int64_t at = from; at < to && at < static_cast<std::int64_t>(image.size());
             ++at) {
            image[static_cast<std::size_t>(at)] = 0x00;
        }
    }

    // A grown art stream to the end of the data, every art table long that pointed at its old
    // place repointed.
    Status moveArt(ByteSpan current, const EncodedPart& part, const Place& old,
                   std::vector<std::uint8_t>& image) {
        const std::size_t at = moveOffset(image, mDocument.profile());
        const std::size_t size = part.regions.front().size();
        if (static_cast<std::int64_t>(at + size) > kCartridgeSpace) {
            return makeError(ErrorCode::NoRoom,
                             "The moved " + std::string(partName(part.part)) + " (" +
                                 std::to_string(size) + " bytes) would end at " +
                                 std::to_string(at + size) + " bytes, past the 4 MiB (" +
                                 std::to_string(kCartridgeSpace) +
                                 " bytes) a Mega Drive cartridge can address; nothing was saved");
        }
        const auto to = static_cast<std::int32_t>(at);
        MovedStream moved{
            part.part, old.offset, to,
            levelsSharing(current, mDocument.profile(), mDocument.level(), part.part)};
        patch(image, to, part.regions.front());
        coverData(image, mDocument.profile().header, at + size);
        repointArt(image, mDocument.profile(), part.part, old.offset, to);
        mMovedArt.push_back(std::move(moved));
        record(part, {{to, kCartridgeSpace - to}});
        return {};
    }

    // The write of a part at its places; the last is the one the report names.
    void record(const EncodedPart& part, std::vector<Place> places, std::size_t written = 0) {
        const std::size_t bytes = written > 0 ? written : part.regions.back().size();
        mWrites.push_back({part.part, places.back().offset, static_cast<std::int32_t>(bytes),
                           places.back().room});
        mPlaces[static_cast<std::size_t>(part.part)] = std::move(places);
    }

    // Every object and ring list to the end of the image, the level's own written ones from the
    // document.
    Status moveLists(std::vector<std::uint8_t>& image) {
        MovedActLists lists{mDocument.zoneAct(), std::nullopt, std::nullopt};
        for (const EncodedPart& part : mEncoded) {
            if (part.part == Part::Objects) {
                lists.objects = *mDocument.parts().objects;
            } else if (part.part == Part::Rings) {
                lists.rings = *mDocument.parts().rings;
            }
        }
        auto moved = movePlacementLists(image, mDocument.profile(), lists);
        if (!moved) {
            return moved.error();
        }
        image = std::move(moved->image);
        mMoved = MovedLists{moved->directories, regionAt(image, moved->objects),
                            regionAt(image, moved->rings)};
        for (const EncodedPart& part : mEncoded) {
            if (isList(part.part)) {
                const bool objects = part.part == Part::Objects;
                const ImageSpan& span = objects ? moved->objects : moved->rings;
                record(part, {{span.offset, span.room}});
            }
        }
        return {};
    }

    const LevelDocument& mDocument;
    const std::vector<EncodedPart>& mEncoded;
    const SaveOptions& mOptions;
    std::vector<PartWrite> mWrites;
    std::array<std::vector<Place>, kPartCount> mPlaces;
    std::optional<MovedLists> mMoved;
    std::vector<MovedStream> mMovedArt;
};

// What the file holds at each written part's places after the save: streams without the 0x00
// the save pads with, palette lines as written. An index both paths read is both parts' place.
StoredParts storedAfterSave(const ImagePatcher& patcher, const std::vector<EncodedPart>& encoded,
                            bool indexOnce) {
    StoredParts stored;
    for (const EncodedPart& part : encoded) {
        const std::vector<Place>& places = patcher.placesOf(part.part);
        StoredPart& regions = stored[static_cast<std::size_t>(part.part)];
        for (std::size_t i = 0; i < places.size(); ++i) {
            std::vector<std::uint8_t> bytes = part.regions[i];
            if (isStream(part.part) && !bytes.empty()) {
                bytes.pop_back();
            }
            regions.push_back({places[i].offset, std::move(bytes)});
        }
    }
    const auto primary = static_cast<std::size_t>(Part::CollisionPrimary);
    if (indexOnce && !stored[primary].empty()) {
        stored[static_cast<std::size_t>(Part::CollisionSecondary)] = stored[primary];
    }
    return stored;
}

// The checks before a save, then its parts encoded.
Result<std::vector<EncodedPart>> prepareParts(const LevelDocument& document,
                                              std::span<const Part> parts, ProgressSink* progress) {
    if (Status limits = checkSaveLimits(document, parts); !limits) {
        return limits.error();
    }
    return encodeParts(document, parts, progress);
}

}  // namespace

Status checkSaveLimits(const LevelDocument& document, std::span<const Part> parts) {
    if (!document.layoutComplete()) {
        return makeError(ErrorCode::NotLoaded,
                         "The layout of " + levelName(document.level()) +
                             " was not loaded completely, so it cannot be saved");
    }
    if (Status limits = checkLimits(document); !limits) {
        return limits.error();
    }
    return checkDecodedLimits(document, parts);
}

std::vector<Part> partsToSave(const LevelDocument& document, const SaveOptions& options) {
    return partsToWrite(document, options);
}

const PartWrite* SaveReport::find(Part part) const {
    const auto found = std::find_if(parts.begin(), parts.end(),
                                    [part](const PartWrite& write) { return write.part == part; });
    return found == parts.end() ? nullptr : &*found;
}

Result<std::vector<std::uint8_t>> documentImage(ByteSpan image, const LevelDocument& document,
                                                ProgressSink* progress,
                                                const SaveOptions& options) {
    SaveOptions copy = options;
    copy.overwriteChangesOnDisk = true;
    const std::vector<Part> parts = partsToWrite(document, copy);
    auto encoded = prepareParts(document, parts, progress);
    if (!encoded) {
        return encoded.error();
    }
    ImagePatcher patcher(document, *encoded, copy);
    return patcher(image);
}

Result<SaveReport> saveDocument(const RomImage& rom, LevelDocument& document,
                                ProgressSink* progress, const SaveOptions& options) {
    const std::vector<Part> parts = partsToWrite(document, options);
    if (parts.empty()) {
        return SaveReport{};  // nothing to save: the file and its copies stay as they are
    }
    auto encoded = prepareParts(document, parts, progress);
    if (!encoded) {
        return encoded.error();
    }
    ImagePatcher patcher(document, *encoded, options);
    auto written = rom.rewrite(std::ref(patcher));
    if (!written) {
        return written.error();
    }
    document.acceptSave(parts, storedAfterSave(patcher, *encoded, indexWrittenOnce(document)));
    SaveReport report;
    report.parts = patcher.writes();
    report.written = *written;
    report.movedArt = patcher.movedArt();
    if (const auto& moved = patcher.moved()) {
        document.placementsMoved(moved->directories, moved->objects, moved->rings);
        report.moved = moved->directories;
    }
    return report;
}

}  // namespace orvex
