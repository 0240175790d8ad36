#include "rom/romprofile.h"

namespace orvex {

namespace {

// The tables of the three releases (the facts behind them: offsets read from the disassembly
// and checked in images of each revision). The placement tables from the object directory on
// lie at the same offsets in all three.
constexpr RomProfile kRevision00{
    .kind = RomKind::Revision00,
    .name = "revision 00",
    .serial = "GM 00001051-00",
    .factoryChecksum = 0xDEB8,
    .factorySize = 0x100000,
    .header = {},
    .levelList = 0x9448,
    .levelArtTable = 0x42584,
    .palettePointerTable = 0x2776,
    .fixedPaletteLine = 0x29D6,
    .layoutDirectoryPointer = 0xE498,
    .factoryLayoutDirectory = 0x45A80,
    .objectDirectory = 0xE6800,
    .ringDirectory = 0xE4300,
    .startPositions = 0xC1C4,
    .levelSizes = 0xC048,
    .collisionPrimary = 0x49DC,
    .collisionSecondary = 0x4A20,
    .waterHeights = 0x4578,
    .patternLoadCues = 0x42650,
    .debugObjectLists = 0x41CFC,
};

constexpr RomProfile kRevision01{
    .kind = RomKind::Revision01,
    .name = "revision 01",
    .serial = "GM 00001051-01",
    .factoryChecksum = 0xD951,
    .factorySize = 0x100000,
    .header = {},
    .levelList = 0x9454,
    .levelArtTable = 0x42594,
    .palettePointerTable = 0x2782,
    .fixedPaletteLine = 0x29E2,
    .layoutDirectoryPointer = 0xE46E,
    .factoryLayoutDirectory = 0x45A80,
    .objectDirectory = 0xE6800,
    .ringDirectory = 0xE4300,
    .startPositions = 0xC1D0,
    .levelSizes = 0xC054,
    .collisionPrimary = 0x49E8,
    .collisionSecondary = 0x4A2C,
    .waterHeights = 0x4584,
    .patternLoadCues = 0x42660,
    .debugObjectLists = 0x41D0C,
};

constexpr RomProfile kRevision02{
    .kind = RomKind::Revision02,
    .name = "revision 02",
    .serial = "GM 00001051-02",
    .factoryChecksum = 0x89BF,
    .factorySize = 0x100000,
    .header = {},
    .levelList = 0x942C,
    .levelArtTable = 0x423C2,
    .palettePointerTable = 0x2778,
    .fixedPaletteLine = 0x29D8,
    .layoutDirectoryPointer = 0xE478,
    .factoryLayoutDirectory = 0x45A80,
    .objectDirectory = 0xE6800,
    .ringDirectory = 0xE4300,
    .startPositions = 0xC1EC,
    .levelSizes = 0xC070,
    .collisionPrimary = 0x49DC,
    .collisionSecondary = 0x4A20,
    .waterHeights = 0x457A,
    .patternLoadCues = 0x4248E,
    .debugObjectLists = 0x41B42,
};

}  // namespace

const RomProfile& revisionProfile(RomKind revision) {
    switch (revision) {
        case RomKind::Revision00:
            return kRevision00;
        case RomKind::Revision02:
            return kRevision02;
        case RomKind::Revision01:
        case RomKind::Disassembly:
            break;
    }
    return kRevision01;
}

const std::vector<const RomProfile*>& factoryProfiles() {
    static const std::vector<const RomProfile*> profiles = {&kRevision00, &kRevision01,
                                                            &kRevision02};
    return profiles;
}

const std::array<TableId, kTableCount>& allTables() {
    static constexpr std::array<TableId, kTableCount> kTables = {
        TableId::LevelList,
        TableId::LevelArt,
        TableId::PalettePointers,
        TableId::FixedPalette,
        TableId::LayoutDirectoryPointer,
        TableId::ObjectDirectory,
        TableId::RingDirectory,
        TableId::StartPositions,
        TableId::LevelSizes,
        TableId::CollisionPrimary,
        TableId::CollisionSecondary,
        TableId::WaterHeights,
        TableId::PatternLoadCues,
        TableId::DebugObjectLists,
    };
    return kTables;
}

std::string_view tableName(TableId table) {
    switch (table) {
        case TableId::LevelList:
            return "level list";
        case TableId::LevelArt:
            return "level art table";
        case TableId::PalettePointers:
            return "palette pointer table";
        case TableId::FixedPalette:
            return "fixed palette line";
        case TableId::LayoutDirectoryPointer:
            return "layout directory pointer";
        case TableId::ObjectDirectory:
            return "object directory";
        case TableId::RingDirectory:
            return "ring directory";
        case TableId::StartPositions:
            return "start positions";
        case TableId::LevelSizes:
            return "level sizes";
        case TableId::CollisionPrimary:
            return "primary collision index pointers";
        case TableId::CollisionSecondary:
            return "secondary collision index pointers";
        case TableId::WaterHeights:
            return "water heights";
        case TableId::PatternLoadCues:
            return "pattern load cues";
        case TableId::DebugObjectLists:
            return "debug object lists";
    }
    return "table";
}

namespace {

// The profile's field for a table that may be unknown; nullptr for the always-known ones.
template <typename Profile>
auto optionalField(Profile& profile, TableId table) -> decltype(&profile.objectDirectory) {
    switch (table) {
        case TableId::ObjectDirectory:
            return &profile.objectDirectory;
        case TableId::RingDirectory:
            return &profile.ringDirectory;
        case TableId::StartPositions:
            return &profile.startPositions;
        case TableId::LevelSizes:
            return &profile.levelSizes;
        case TableId::CollisionPrimary:
            return &profile.collisionPrimary;
        case TableId::CollisionSecondary:
            return &profile.collisionSecondary;
        case TableId::WaterHeights:
            return &profile.waterHeights;
        case TableId::PatternLoadCues:
            return &profile.patternLoadCues;
        case TableId::DebugObjectLists:
            return &profile.debugObjectLists;
        default:
            return nullptr;
    }
}

template <typename Profile>
auto requiredField(Profile& profile, TableId table) -> decltype(&profile.levelList) {
    switch (table) {
        case TableId::LevelList:
            return &profile.levelList;
        case TableId::LevelArt:
            return &profile.levelArtTable;
        case TableId::PalettePointers:
            return &profile.palettePointerTable;
        case TableId::FixedPalette:
            return &profile.fixedPaletteLine;
        case TableId::LayoutDirectoryPointer:
            return &profile.layoutDirectoryPointer;
        default:
            return nullptr;
    }
}

}  // namespace

std::optional<std::int32_t> tableOffset(const RomProfile& profile, TableId table) {
    if (const std::int32_t* field = requiredField(profile, table)) {
        return *field;
    }
    return *optionalField(profile, table);
}

void setTableOffset(RomProfile& profile, TableId table, std::int32_t offset) {
    if (std::int32_t* field = requiredField(profile, table)) {
        *field = offset;
    } else {
        *optionalField(profile, table) = offset;
    }
}

}  // namespace orvex
