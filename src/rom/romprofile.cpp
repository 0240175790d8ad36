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
    .collisionShapes = 0x42D50,
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
    .collisionShapes = 0x42D50,
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
    .collisionShapes = 0x42D50,
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

namespace {

// One row per table: its name and the profile's field that holds it (`level` for the five
// tables every profile has, `further` for those a build may lack).
struct TableField {
    TableId id;
    std::string_view name;
    std::int32_t RomProfile::*level = nullptr;
    std::optional<std::int32_t> RomProfile::*further = nullptr;
};

constexpr std::array<TableField, kTableCount> kTableFields = {{
    {TableId::LevelList, "level list", &RomProfile::levelList},
    {TableId::LevelArt, "level art table", &RomProfile::levelArtTable},
    {TableId::PalettePointers, "palette pointer table", &RomProfile::palettePointerTable},
    {TableId::FixedPalette, "fixed palette line", &RomProfile::fixedPaletteLine},
    {TableId::LayoutDirectoryPointer, "layout directory pointer",
     &RomProfile::layoutDirectoryPointer},
    {TableId::ObjectDirectory, "object directory", nullptr, &RomProfile::objectDirectory},
    {TableId::RingDirectory, "ring directory", nullptr, &RomProfile::ringDirectory},
    {TableId::StartPositions, "start positions", nullptr, &RomProfile::startPositions},
    {TableId::LevelSizes, "level sizes", nullptr, &RomProfile::levelSizes},
    {TableId::CollisionPrimary, "primary collision index pointers", nullptr,
     &RomProfile::collisionPrimary},
    {TableId::CollisionSecondary, "secondary collision index pointers", nullptr,
     &RomProfile::collisionSecondary},
    {TableId::CollisionShapes, "collision shapes", nullptr, &RomProfile::collisionShapes},
    {TableId::WaterHeights, "water heights", nullptr, &RomProfile::waterHeights},
    {TableId::PatternLoadCues, "pattern load cues", nullptr, &RomProfile::patternLoadCues},
    {TableId::DebugObjectLists, "debug object lists", nullptr, &RomProfile::debugObjectLists},
}};

constexpr bool rowsInIdOrder() {
    for (std::size_t i = 0; i < kTableCount; ++i) {
        if (static_cast<std::size_t>(kTableFields[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInIdOrder(), "kTableFields must list the tables in TableId order");

constexpr std::array<TableId, kTableCount> tableIds() {
    std::array<TableId, kTableCount> ids{};
    for (std::size_t i = 0; i < kTableCount; ++i) {
        ids[i] = kTableFields[i].id;
    }
    return ids;
}

// The rows are in TableId order, so a table's row is found by its number.
const TableField& fieldOf(TableId table) {
    return kTableFields[static_cast<std::size_t>(table)];
}

}  // namespace

const std::array<TableId, kTableCount>& allTables() {
    static constexpr std::array<TableId, kTableCount> kTables = tableIds();
    return kTables;
}

std::string_view tableName(TableId table) {
    return fieldOf(table).name;
}

bool isLevelTable(TableId table) {
    return fieldOf(table).level != nullptr;
}

std::optional<std::int32_t> tableOffset(const RomProfile& profile, TableId table) {
    const TableField& field = fieldOf(table);
    return field.level != nullptr ? std::optional<std::int32_t>(profile.*field.level)
                                  : profile.*field.further;
}

void setTableOffset(RomProfile& profile, TableId table, std::int32_t offset) {
    const TableField& field = fieldOf(table);
    if (field.level != nullptr) {
        profile.*field.level = offset;
    } else {
        profile.*field.further = offset;
    }
}

}  // namespace orvex
