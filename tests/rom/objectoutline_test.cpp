#include <gtest/gtest.h>

#include "rom/objectoutline.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

std::optional<ObjectOutline> outline(std::uint8_t id, std::uint8_t subtype, bool xFlip = false) {
    return objectOutline({0, 0}, placed(id, subtype, xFlip));
}

// One case for each rule and each bit a rule reads; the subtypes that have no area have none.
TEST(ObjectOutline, EachTypeFollowsItsSubtypeBits) {
    // Plane and pinball switches: radius ($20, $40, $80, $100)[sub & 3], bit 2 horizontal; the
    // X flip swaps the modes only.
    EXPECT_EQ(outline(0x03, 0x00), (ObjectOutline{0, -0x20, 0, 0x20}));
    EXPECT_EQ(outline(0x03, 0xFA), (ObjectOutline{0, -0x80, 0, 0x80}));
    EXPECT_EQ(outline(0x84, 0x05), (ObjectOutline{-0x40, 0, 0x40, 0}));
    EXPECT_EQ(outline(0x84, 0x01, true), outline(0x84, 0x01));
    // Invisible blocks: eighths less one, the high nibble across.
    EXPECT_EQ(outline(0x74, 0x31), (ObjectOutline{-32, -16, 32, 16}));
    EXPECT_FALSE(outline(0x74, 0x31)->isLine());
    // Touch areas know subtypes 0 to 2.
    EXPECT_EQ(outline(0x2C, 1), (ObjectOutline{-0x40, -0x20, 0x40, 0x20}));
    EXPECT_FALSE(outline(0x31, 3));
    // Spring walls: only bits 4-6 count.
    EXPECT_EQ(outline(0x66, 0x80), (ObjectOutline{-8, -0x40, 8, 0x40}));
    EXPECT_EQ(outline(0x66, 0x10), (ObjectOutline{-8, -0x80, 8, 0x80}));
    EXPECT_EQ(outline(0x06, 0x00), (ObjectOutline{-0xD0, -0x25, 0xD0, 0x40}));
    EXPECT_EQ(outline(0x1E, 0x02), (ObjectOutline{0, 0, 0x120, 0x80}));
    EXPECT_FALSE(outline(0x1E, 0x03));
    EXPECT_EQ(outline(0x67, 0, true), (ObjectOutline{-13, -0x20, 3, 0x20}));
    // Conveyors lie above the point, taller with bit 7; a width of 0 is a line.
    EXPECT_EQ(outline(0x72, 0x8F), (ObjectOutline{-0xF0, -0x70, 0xF0, 0}));
    EXPECT_EQ(outline(0x72, 0x04), (ObjectOutline{-0x40, -0x30, 0x40, 0}));
    EXPECT_TRUE(outline(0x72, 0x90)->isLine());
    // Rising lava: boxes for even subtypes up to 8.
    EXPECT_EQ(outline(0x30, 2), (ObjectOutline{-0xC0, -0x80, 0xC0, 0x80}));
    EXPECT_EQ(outline(0x30, 8), (ObjectOutline{-0xC0, -0x2E, 0xC0, 0x2E}));
    EXPECT_FALSE(outline(0x30, 1));
    EXPECT_FALSE(outline(0x30, 10));
}

TEST(ObjectOutline, DrawnTypesHaveNone) {
    for (const std::uint8_t id : {0x01, 0x26, 0x41, 0x36, 0x0D, 0x11, 0xDC, 0x00, 0xFF}) {
        EXPECT_FALSE(neverDrawn(id)) << int{id};
        EXPECT_FALSE(outline(id, 0)) << int{id};
    }
    for (const std::uint8_t id :
         {0x03, 0x06, 0x1E, 0x2C, 0x30, 0x31, 0x66, 0x67, 0x72, 0x74, 0x84}) {
        EXPECT_TRUE(neverDrawn(id)) << int{id};
    }
}

}  // namespace
}  // namespace orvex::testing
