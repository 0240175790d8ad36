#include <gtest/gtest.h>

#include "rom/placements.h"
#include "rom/romidentity.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

using Placements = ProfileTest;

// Every level's objects, rings, start position and boundaries read back as the demo builder
// placed them, through the tables the image's identification finds.
TEST_P(Placements, ReadBackAsPlacedThroughTheIdentifiedTables) {
    const DemoRom& demo = this->demo();
    const auto identity = identifyRom(demo.image);
    ASSERT_TRUE(identity.ok()) << identity.error().describe();
    const RomProfile& tables = identity->profile;
    ASSERT_TRUE(tables.objectDirectory && tables.ringDirectory && tables.startPositions &&
                tables.levelSizes);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct act = *levelZoneAct(demo.image, tables, level);
        const auto objectsAt = placementListAddress(demo.image, *tables.objectDirectory, act);
        EXPECT_EQ(*readObjectList(demo.image, *objectsAt), demo.objects[l]) << level;
        EXPECT_EQ(*readWord(demo.image, *objectsAt - 6), kListEnd) << "marker before " << level;
        const auto ringsAt = placementListAddress(demo.image, *tables.ringDirectory, act);
        EXPECT_EQ(*readRingList(demo.image, *ringsAt), demo.rings[l]) << level;
        const auto start = startPositionOffset(*tables.startPositions, act);
        EXPECT_EQ(*readWord(demo.image, start), demo.starts[l].x);
        const auto bounds = levelBoundsOffset(*tables.levelSizes, act);
        EXPECT_EQ(*readWord(demo.image, bounds + 2), demo.bounds[l].xMax);
        // Only Aquatic Ruin (zone 15) of the demo's zones has water; its acts' heights differ.
        const auto water = readWaterHeight(demo.image, tables, act);
        EXPECT_EQ(water.has_value(), act.zone == 15) << level;
        if (water) {
            EXPECT_EQ(*water, 0x370 + 0x80 * act.act) << level;
        }
    }
}

ORVEX_ALL_PROFILES(Placements);

TEST(PlacementLists, ObjectsAreSortedByXBetweenTwoMarkersAndRingsEndWithFFFF) {
    std::vector<ObjectPlacement> objects{{0x300, 0x123, 0x26, 4, true, false, true, false},
                                         {0x100, 0xFFF, 0x41, 0, false, true, false, true},
                                         {0x300, 0x010, 0x36, 1}};
    const auto bytes = objectListBytes(objects);
    ASSERT_EQ(bytes.size(), 6u * 5);
    const std::vector<std::uint8_t> marker{0xFF, 0xFF, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(marker.begin(), marker.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(marker.begin(), marker.end(), bytes.end() - 6));
    EXPECT_EQ(bytes[6 + 2], 0x5F);  // y flip and the two-player flag over y $FFF
    const auto read = readObjectList(bytes, 6);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read, (std::vector<ObjectPlacement>{objects[1], objects[0], objects[2]}));
    EXPECT_FALSE(readObjectList(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 6), 6).ok());

    const std::vector<RingGroup> rings{{0x100, 0x200, 8, true}, {0x7FFF, 0xFFF, 1, false}};
    const auto ringBytes = ringListBytes(rings);
    EXPECT_EQ(ringBytes, (std::vector<std::uint8_t>{0x01, 0x00, 0xF2, 0x00, 0x7F, 0xFF, 0x0F, 0xFF,
                                                    0xFF, 0xFF}));
    EXPECT_EQ(*readRingList(ringBytes, 0), rings);
}

}  // namespace
}  // namespace orvex::testing
