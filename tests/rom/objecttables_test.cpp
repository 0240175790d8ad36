#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "rom/codepatterns.h"
#include "rom/objecttables.h"
#include "support/testrom.h"

// The object tables the debug lists do not reach, found through the code that names them.

namespace orvex::testing {
namespace {

class ObjectTablesTest : public ProfileTest {};

TEST_P(ObjectTablesTest, EveryTableIsFoundWhereTheBuilderPutIt) {
    const DemoRom& rom = demo();
    const ObjectTables found = locateObjectTables(rom.image);
    EXPECT_EQ(found, rom.objectArt.tables);
    EXPECT_TRUE(found.scenery && found.subObjects && found.bridgeLogMappings);
}

Bytes withoutCode(const DemoRom& rom, const char* pattern) {
    Bytes image = rom.image;
    const auto matches = findPattern(image, parsePattern(pattern));
    EXPECT_EQ(matches.size(), 1u);
    for (const std::int32_t match : matches) {
        image[static_cast<std::size_t>(match)] ^= 0xFF;
    }
    return image;
}

// A table whose code is gone, or whose code appears twice, is not found; the others still are.
TEST_P(ObjectTablesTest, ATableWhoseCodeIsMissingOrTwiceIsLeftEmpty) {
    const DemoRom& rom = demo();
    const ObjectTables gone = locateObjectTables(withoutCode(rom, objectTableCode().scenery));
    EXPECT_FALSE(gone.scenery);
    ObjectTables expected = rom.objectArt.tables;
    expected.scenery.reset();
    EXPECT_EQ(gone, expected);

    Bytes twice = rom.image;
    const auto match = findPattern(twice, parsePattern(objectTableCode().yellowSpring));
    ASSERT_EQ(match.size(), 1u);
    std::copy_n(twice.begin() + match.front(), 14, twice.begin() + 0x800);
    EXPECT_FALSE(locateObjectTables(twice).yellowSpringMappings);
}

ORVEX_ALL_PROFILES(ObjectTablesTest);

// Records are found through word offsets from the table; the subtype is a byte offset into them.
TEST(ObjectTables, SubObjectRecordsAreReachedThroughTheirOffsets) {
    Bytes image(64, 0);
    putWord(image, 2, 0x0010);  // subtype 2 -> table + $10
    putLong(image, 0x10, 0x12345678);
    putWord(image, 0x14, 0xA509);
    auto record = readSubObject(image, 0, 2);
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(*record, (ObjectPicture{0x345678, 0, 0xA509}));
    EXPECT_FALSE(readSubObject(Bytes(image.begin(), image.begin() + 0x19), 0, 2).ok());
    EXPECT_FALSE(readSubObject(image, 0, 63).ok());
}

TEST(ObjectTables, SceneryEntriesHoldTheirFrameInTheTopByte) {
    Bytes image(3 * kSceneryEntryBytes, 0);
    putLong(image, 16, 0x02011552);  // frame 2 of the mappings at $11552
    putWord(image, 20, 0x23FD);
    auto entry = readSceneryEntry(image, 0, 2);
    ASSERT_TRUE(entry.ok());
    EXPECT_EQ(*entry, (ObjectPicture{0x11552, 2, 0x23FD}));
    EXPECT_FALSE(readSceneryEntry(image, 0, 3).ok());
}

TEST(ObjectTables, CupListsAreReadToTheirCountAndNoFurther) {
    Bytes image(32, 0);
    putWord(image, 0, 2);       // list 0 at +2
    putWord(image, 2, 1);       // two cups
    putWord(image, 4, 0xFFE0);  // -$20, $3A
    putWord(image, 6, 0x003A);
    putWord(image, 10, 0x0020);
    putWord(image, 12, 0x0100);
    auto cups = readLavaCups(image, 0, 0);
    ASSERT_TRUE(cups.ok());
    EXPECT_EQ(*cups, (std::vector<CupPlace>{{-0x20, 0x3A}, {0x20, 0x100}}));
    putWord(image, 2, 0x7FFF);  // more cups than the image holds
    EXPECT_FALSE(readLavaCups(image, 0, 0).ok());
}

}  // namespace
}  // namespace orvex::testing
