#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/objectlook.h"
#include "support/testrom.h"

// The start-up rules: what the game shows of a placement, from its id, subtype and flips.

namespace orvex::testing {
namespace {

class ObjectLookTest : public ProfileTest {
protected:
    // The rules over the demo's tables, for zone 0 (its debug list knows the badnik).
    ObjectLook look(const ObjectPlacement& object, ZoneAct act = {0, 0}) {
        const DemoRom& rom = demo();
        if (mDebug.empty()) {
            auto list = readDebugList(rom.image, *profile().debugObjectLists, act.zone);
            EXPECT_TRUE(list.ok());
            mDebug = list->entries;
        }
        return objectLook({act, mTables ? *mTables : rom.objectArt.tables, mDebug, rom.image},
                          object);
    }
    const DemoObjectArt& art() { return demo().objectArt; }

    std::optional<ObjectTables> mTables;
    std::vector<DebugEntry> mDebug;
};

std::vector<LookPart> parts(const ObjectLook& look) {
    EXPECT_EQ(look.kind, LookKind::Drawn);
    return look.parts;
}

// Red springs use the debug list's mappings, yellow ones their own with palette line 1; the
// direction picks frame and art; down springs are drawn upside down whatever the Y flip.
TEST_P(ObjectLookTest, SpringsFollowTheirDirectionAndColour) {
    const std::int32_t red = art().springMappings;
    const std::int32_t yellow = *art().tables.yellowSpringMappings;
    EXPECT_EQ(parts(look(placed(0x41, 0x00))),
              (std::vector<LookPart>{{red, 0, 0x045C, 0, 0, false, false}}));
    EXPECT_EQ(parts(look(placed(0x41, 0x12, true))),
              (std::vector<LookPart>{{yellow, 3, 0x2470, 0, 0, true, false}}));
    EXPECT_EQ(parts(look(placed(0x41, 0x20))),
              (std::vector<LookPart>{{red, 0, 0x045C, 0, 0, false, true}}));
    EXPECT_EQ(parts(look(placed(0x41, 0x42, false, true))),
              (std::vector<LookPart>{{yellow, 7, 0x243C, 0, 0, false, true}}));
    EXPECT_EQ(look(placed(0x41, 0x50)).kind, LookKind::NotCovered);
}

TEST_P(ObjectLookTest, MonitorsShowTheirContentsAndSpikesTheirSide) {
    const std::int32_t monitors = art().monitorMappings;
    const std::int32_t spikes = art().spikeMappings;
    EXPECT_EQ(parts(look(placed(0x26, 0x04, true))),
              (std::vector<LookPart>{{monitors, 5, 0x0680, 0, 0, true, false}}));
    EXPECT_EQ(parts(look(placed(0x26, 0x00))).front().frame, 0);
    EXPECT_EQ(parts(look(placed(0x26, 0x0A))).front().frame, 0x0B);
    EXPECT_EQ(look(placed(0x26, 0x0B)).kind, LookKind::NotCovered);
    EXPECT_EQ(parts(look(placed(0x36, 0x00, false, true))),
              (std::vector<LookPart>{{spikes, 0, 0x2434, 0, 0, false, true}}));
    EXPECT_EQ(parts(look(placed(0x36, 0x40, true))),
              (std::vector<LookPart>{{spikes, 4, 0x242C, 0, 0, true, false}}));
}

// max(8, subtype) logs centred on the placement; flips are not drawn.
TEST_P(ObjectLookTest, ABridgeIsItsLogs) {
    const auto logs = parts(look(placed(0x11, 0x0A, true, true)));
    ASSERT_EQ(logs.size(), 10u);
    for (std::size_t i = 0; i < logs.size(); ++i) {
        EXPECT_EQ(logs[i], (LookPart{*art().tables.bridgeLogMappings, 0, 0x43B6,
                                     -80 + 16 * static_cast<std::int32_t>(i), 0, false, false}));
    }
    EXPECT_EQ(parts(look(placed(0x11, 0x04))).size(), 8u);
    EXPECT_EQ(parts(look(placed(0x11, 0x04)))[0].dx, -32);
}

TEST_P(ObjectLookTest, InvisibleTypesAndActTwoSignpostsAreHidden) {
    EXPECT_EQ(look(placed(0x03, 0x05)).kind, LookKind::Hidden);
    EXPECT_EQ(look(placed(0x74, 0x11)).kind, LookKind::Hidden);
    EXPECT_EQ(look(placed(0x0D, 0), {0, 1}).kind, LookKind::Hidden);
    const LookPart sign{
        *art().tables.signpostMappings, 2, 0x0434, 0, 0, false, false, PartArt::Signpost};
    EXPECT_EQ(parts(look(placed(0x0D, 0, true), {4, 1})), std::vector<LookPart>{sign});
    EXPECT_EQ(parts(look(placed(0x0D, 0), {0, 0})), std::vector<LookPart>{sign});
}

// Sub-object types read their record through the subtype; the Spiker turns round, the Grounder
// in a wall has four wall pieces in front and never hangs upside down.
TEST_P(ObjectLookTest, SubObjectsFollowTheirRecords) {
    const std::int32_t badnik = art().badnikMappings;
    EXPECT_EQ(parts(look(placed(0x8C, 0x02, true, true))),
              (std::vector<LookPart>{{art().monitorMappings, 0, 0x0680, 0, 0, true, true}}));
    EXPECT_EQ(parts(look(placed(0x92, 0x00, true))),
              (std::vector<LookPart>{{badnik, 0, 0x03D2, 0, 0, false, false}}));
    const auto grounder = parts(look(placed(0x8D, 0x00, true, true)));
    ASSERT_EQ(grounder.size(), 5u);
    EXPECT_EQ(grounder[0], (LookPart{art().springMappings, 0, 0, 0, -0x14, false, false}));
    EXPECT_EQ(grounder[3], (LookPart{art().springMappings, 0, 0, -0x10, -4, false, false}));
    EXPECT_EQ(grounder[4], (LookPart{badnik, 0, 0x03D2, 0, 0, true, false}));
    EXPECT_EQ(parts(look(placed(0xAC, 0x00))).front().frame, 1);
}

TEST_P(ObjectLookTest, SceneryAndCupsComeFromTheirTables) {
    EXPECT_EQ(parts(look(placed(0x1C, 0x0E, true))),
              (std::vector<LookPart>{{art().monitorMappings, 0x0E % 12, 0x0680, 0, 0, true}}));
    EXPECT_EQ(look(placed(0x1C, 0x15)).kind, LookKind::NotCovered);
    const auto cups = parts(look(placed(0x6C, 0x81)));
    ASSERT_EQ(cups.size(), 8u);
    EXPECT_EQ(cups[4], (LookPart{*art().tables.lavaCupMappings, 0, 0x63F9, 0, 0x180}));
    EXPECT_EQ(cups[7].dx, 0x20);
    EXPECT_EQ(cups[7].dy, 0x5A);
    EXPECT_EQ(look(placed(0x6C, 0x01)).kind, LookKind::NotCovered);
}

// Where a table was not found, or the debug list lacks the type, the rules step aside.
TEST_P(ObjectLookTest, AMissingTableLeavesTheTypeToTheDebugList) {
    mTables = demo().objectArt.tables;
    mTables->yellowSpringMappings.reset();
    mTables->bridgeLogMappings.reset();
    mTables->subObjects.reset();
    EXPECT_EQ(look(placed(0x41, 0x02)).kind, LookKind::NotCovered);
    EXPECT_EQ(look(placed(0x41, 0x00)).kind, LookKind::Drawn);
    EXPECT_EQ(look(placed(0x11, 0x08)).kind, LookKind::NotCovered);
    EXPECT_EQ(look(placed(0x8C, 0x00)).kind, LookKind::NotCovered);
    EXPECT_EQ(look(placed(0x79, 0x00)).kind, LookKind::NotCovered);  // no debug entry
}

// Where platforms, blocks and hooks start: a long platform with a cog in the wall behind it,
// zone platforms turned about the placement, circling platforms off their circle's centre.
TEST(ObjectLookRules, MovingTypesStartWhereTheirMovementPutsThem) {
    const std::vector<DebugEntry> debug{{0x65, 0x1000, 0, 0, 0}, {0x18, 0x2000, 0, 0, 0},
                                        {0x6B, 0x3000, 0, 0, 0}, {0x19, 0x1000, 0, 0, 0},
                                        {0x6E, 0x2000, 0, 0, 0}, {0xD4, 0x3000, 0, 0, 0},
                                        {0x80, 0x4000, 0, 0, 0}, {0x48, 0x5000, 0, 0, 0},
                                        {0x4B, 0x6000, 0, 0, 0}, {0x2D, 0x7000, 0, 0, 0}};
    ObjectTables tables;
    tables.cogMappings = 0x4000;
    const Bytes image;
    const auto lookAt = [&](ObjectPlacement object, std::uint8_t zone) {
        return parts(objectLook({{zone, 0}, tables, debug, image}, object));
    };
    using Parts = std::vector<LookPart>;
    EXPECT_EQ(lookAt(placed(0x65, 0x80, true), 4),
              (Parts{{0x1000, 0, 0x6000, -0x80, 0, true, false},
                     {0x4000, 0, 0x655F, -0x4C, 0x14, false, false}}));
    EXPECT_EQ(lookAt(placed(0x65, 0xB0), 4),
              (Parts{{0x1000, 3, 0x6000, -0x80, 0, false, false},
                     {0x4000, 0, 0x655F, -0x34, 0x14, true, false}}));
    EXPECT_EQ(lookAt(placed(0x18, 0x1C, true), 0),
              (Parts{{0x2000, 1, 0x4000, 0, -0x30, false, false}}));
    EXPECT_EQ(lookAt(placed(0x6B, 0x18, true, true), 13),
              (Parts{{0x3000, 0, 0x6418, -0x10, 0, false, false}}));
    EXPECT_EQ(objectLook({{13, 0}, tables, debug, image}, placed(0x6B, 0x08)).kind,
              LookKind::NotCovered);  // CPZ has no frame 1
    EXPECT_EQ(lookAt(placed(0x19, 0x23, true), 10), (Parts{{0x1000, 2, 0x62F4, 0, -0xC0}}));
    EXPECT_EQ(lookAt(placed(0x19, 0x38), 6), (Parts{{0x1000, 3, 0xA46D, -0x40, 0}}));
    EXPECT_EQ(lookAt(placed(0x19, 0x3D), 6), (Parts{{0x1000, 3, 0xA46D, 0, 0x40}}));
    EXPECT_EQ(lookAt(placed(0x6E, 0x31, true), 4),
              (Parts{{0x2000, 3, 0x63F0, 0x1C, 0, true, false}}));
    EXPECT_EQ(lookAt(placed(0x6E, 0x02), 4), (Parts{{0x2000, 0, 0x6000, 0, 0x38}}));
    EXPECT_EQ(lookAt(placed(0xD4, 0x00, true), 12), (Parts{{0x3000, 0, 0x436C, 0x60, 0}}));
    EXPECT_EQ(lookAt(placed(0xD4, 0x01, false, true), 12), (Parts{{0x3000, 0, 0x436C, 0, 0x60}}));
    EXPECT_EQ(lookAt(placed(0x80, 0x10), 6), (Parts{{0x4000, 0x0B, 0x23FE, 0, 0xA0}}));
    EXPECT_EQ(lookAt(placed(0x80, 0x10), 11), (Parts{{0x4000, 6, 0x641E, 0, 0xB0}}));
    // The launcher ball's own table decides its flips; the placed Y flip is ignored.
    EXPECT_EQ(lookAt(placed(0x48, 0x01, true, true), 10), (Parts{{0x5000, 7, 0x6368}}));
    EXPECT_EQ(lookAt(placed(0x48, 0x02), 10), (Parts{{0x5000, 0, 0x6368, 0, 0, true, true}}));
    // The Buzzer's exhaust behind its body; CPZ's barrier with the construction stripes.
    EXPECT_EQ(lookAt(placed(0x4B, 0, true), 0),
              (Parts{{0x6000, 0, 0x03D2, 0, 0, true}, {0x6000, 3, 0x03D2, 0, 0, true}}));
    EXPECT_EQ(lookAt(placed(0x2D, 0, false, true), 13),
              (Parts{{0x7000, 0, 0x2394, 0, 0, false, true}}));
}

// The rules read the tables the builder recorded; objecttables_test locates them on every layout.
ORVEX_ONE_PROFILE(ObjectLookTest);

}  // namespace
}  // namespace orvex::testing
