#include "project/levelfiles.h"

#include "rom/collision.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romimage.h"

namespace orvex {

namespace {

class Collector {
public:
    Collector(const Listing& listing, LevelFiles& files) : mListing(listing), mFiles(files) {}

    void add(Part part, const Result<std::int32_t>& address) {
        if (!address) {
            mFiles.notes.push_back(std::string(partName(part)) + ": " + address.error().message);
            return;
        }
        add(part, std::int64_t{*address});
    }

    void add(Part part, std::int64_t address) {
        const PlacedFile* file = mListing.fileAt(address);
        if (file == nullptr) {
            mFiles.notes.push_back(std::string(partName(part)) +
                                   ": no file of the listing starts at " + hexOffset(address));
            return;
        }
        mFiles.files.push_back({part, address, file->length, file->path});
    }

    void missingTable(Part part) {
        mFiles.notes.push_back(std::string(partName(part)) + ": the image has no table for it");
    }

private:
    const Listing& mListing;
    LevelFiles& mFiles;
};

Result<std::int32_t> artStream(ByteSpan image, const RomProfile& profile, std::int16_t level,
                               std::int16_t increment) {
    auto entry = getDataAddr(image, profile, level, increment);
    if (!entry) {
        return entry.error();
    }
    return artOffset(*entry);
}

void addPlacements(Collector& collect, ByteSpan image, const RomProfile& profile, ZoneAct act) {
    const auto list = [&](Part part, const std::optional<std::int32_t>& directory) {
        if (!directory) {
            collect.missingTable(part);
            return;
        }
        collect.add(part, placementListAddress(image, *directory, act));
    };
    list(Part::Objects, profile.objectDirectory);
    list(Part::Rings, profile.ringDirectory);
    if (profile.startPositions) {
        collect.add(Part::StartPosition,
                    std::int64_t{startPositionOffset(*profile.startPositions, act)});
    } else {
        collect.missingTable(Part::StartPosition);
    }
}

void addCollision(Collector& collect, ByteSpan image, const RomProfile& profile, ZoneAct act) {
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        if (collisionPointerTable(profile, path)) {
            collect.add(collisionPart(path), collisionIndexAddress(image, profile, path, act.zone));
        } else {
            collect.missingTable(collisionPart(path));
        }
    }
    if (!profile.collisionShapes) {
        collect.missingTable(Part::CollisionShapes);
        return;
    }
    const std::int64_t shapes = *profile.collisionShapes;
    collect.add(Part::CollisionShapes, shapes);
    collect.add(Part::CollisionShapes, shapes + kShapeAnglesSize);
    collect.add(Part::CollisionShapes, shapes + kShapeAnglesSize + kShapeHeightsSize);
}

}  // namespace

const PartFile* LevelFiles::find(Part part) const {
    for (const PartFile& file : files) {
        if (file.part == part) {
            return &file;
        }
    }
    return nullptr;
}

Result<LevelFiles> levelFiles(const Listing& listing, ByteSpan image, const RomProfile& profile,
                              std::int16_t level) {
    auto act = levelZoneAct(image, profile, level);
    if (!act) {
        return act.error();
    }
    LevelFiles files;
    Collector collect(listing, files);
    collect.add(Part::Layout, layoutAddress(image, profile, level));
    collect.add(Part::TileArt, artStream(image, profile, level, kTileArtIncrement));
    collect.add(Part::ChunkMappings, artStream(image, profile, level, kChunkMappingsIncrement));
    collect.add(Part::BlockMappings, artStream(image, profile, level, kBlockMappingsIncrement));
    collect.add(Part::Palette, paletteAddress(image, profile, level));
    collect.add(Part::Palette, std::int64_t{profile.fixedPaletteLine});
    addPlacements(collect, image, profile, *act);
    addCollision(collect, image, profile, *act);
    if (profile.levelSizes) {
        if (const InlineEntry* entry =
                listing.entryAt(levelBoundsOffset(*profile.levelSizes, *act))) {
            files.bounds = *entry;
        } else {
            files.notes.push_back("boundaries: no zoneTableEntry.w line of the listing stands at " +
                                  hexOffset(levelBoundsOffset(*profile.levelSizes, *act)));
        }
    } else {
        files.notes.push_back("boundaries: the image has no level size table");
    }
    return files;
}

Result<std::vector<std::uint8_t>> readPartFile(const ProjectFolder& project, const PartFile& file) {
    auto bytes = readRegularFile(project.file(file.path));
    if (!bytes) {
        return makeError(ErrorCode::FileOpen, file.path + ", which the listing names for the " +
                                                  std::string(partName(file.part)) +
                                                  ", cannot be read: " + bytes.error().message);
    }
    if (static_cast<std::int64_t>(bytes->size()) != file.length) {
        return makeError(ErrorCode::ChangedOnDisk,
                         file.path + " holds " + std::to_string(bytes->size()) +
                             " bytes, but the last build placed " + std::to_string(file.length) +
                             ": it changed since; build the project again");
    }
    return bytes;
}

}  // namespace orvex
