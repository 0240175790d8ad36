#include <gtest/gtest.h>

#include "rom/objectmeaning.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

constexpr ZoneAct kEhz1{0, 0};

std::string meaning(std::uint8_t id, std::uint8_t subtype, bool xFlip = false, bool yFlip = false) {
    return subtypeMeaning(kEhz1, placed(id, subtype, xFlip, yFlip));
}

TEST(SubtypeMeaning, SpringsSayColourDirectionAndTheirOtherBits) {
    EXPECT_EQ(meaning(0x41, 0x00), "Red spring, up");
    EXPECT_EQ(meaning(0x41, 0x12, true), "Yellow spring, pointing left");
    EXPECT_EQ(meaning(0x41, 0x32), "Yellow spring, diagonal up");
    EXPECT_EQ(meaning(0x41, 0x81),
              "Red spring, up; makes the player twirl; stops the player's "
              "x speed");
    EXPECT_EQ(meaning(0x41, 0x08), "Red spring, up; plane switching 2 (bits 2-3)");
    EXPECT_EQ(meaning(0x41, 0x50), "");  // no direction 5
}

TEST(SubtypeMeaning, MonitorsSayTheirContents) {
    EXPECT_EQ(meaning(0x26, 1), "1-up");
    EXPECT_EQ(meaning(0x26, 0x0A), "Broken monitor");
    EXPECT_EQ(meaning(0x26, 0x0B), "");
}

TEST(SubtypeMeaning, SpikesSayCountOrientationAndMotion) {
    EXPECT_EQ(meaning(0x36, 0x31), "8 spikes upright; moves down");
    EXPECT_EQ(meaning(0x36, 0x10, false, true), "4 spikes hanging, pointing down; still");
    EXPECT_EQ(meaning(0x36, 0x50, true), "4 spikes sideways, mirrored; still");
    EXPECT_EQ(meaning(0x36, 0x03), "2 spikes upright");
    EXPECT_EQ(meaning(0x36, 0x80), "");
}

TEST(SubtypeMeaning, PlaneSwitchersSaySizeAndTheirSidesPaths) {
    EXPECT_EQ(meaning(0x03, 0x00), "Vertical, 64 px tall; right: path 1; left: path 1");
    EXPECT_EQ(meaning(0x03, 0x29), "Vertical, 128 px tall; right: path 2, in front; left: path 1");
    EXPECT_EQ(meaning(0x03, 0xD7),
              "Horizontal, 512 px wide; below: path 1; above: path 2, in front; on the ground "
              "only");
    EXPECT_EQ(meaning(0x84, 0x04, true),
              "Horizontal, 64 px wide; crossing up starts forced rolling, crossing back ends it");
}

TEST(SubtypeMeaning, OtherTypesInAShortPhrase) {
    EXPECT_EQ(meaning(0x11, 0x0C), "12 logs");
    EXPECT_EQ(meaning(0x74, 0x31), "Solid box 64 x 32 px");
    EXPECT_EQ(meaning(0xD8, 0x45, true), "Diagonal, mirrored");
    EXPECT_EQ(meaning(0x18, 0x01), "Small platform; starts 64 px left");
    EXPECT_EQ(meaning(0x18, 0x9B), "Tall block, solid on all sides; starts 32 px down");
    EXPECT_EQ(meaning(0x3F, 0x82), "Blows up; always on");
    EXPECT_EQ(meaning(0x2F, 0x84), "48 px of blocks");
    EXPECT_EQ(meaning(0x6E, 0x31), "starts 28 px right");
    EXPECT_EQ(meaning(0xD4, 0x00, true), "starts 96 px right");
    EXPECT_EQ(meaning(0x72, 0x90), "Inactive: no width");
    EXPECT_EQ(meaning(0x6C, 0x81), "8 cups on a loop 384 px tall");
    EXPECT_EQ(meaning(0x86, 0x01, true), "Horizontal, mirrored (the other side's)");
    EXPECT_EQ(meaning(0x44, 0x7F), "Not read by the game");
    EXPECT_EQ(meaning(0x79, 0x83), "Starpost number 3");
    EXPECT_EQ(meaning(0x66, 0x10), "Spring wall 256 px tall");
    EXPECT_EQ(meaning(0x1E, 0x15), "Entry 256 x 128 px, path 5");
    EXPECT_EQ(meaning(0x30, 0x06),
              "Solid lava 448 x 240 px, removed at once while camera y < $380");
    EXPECT_EQ(meaning(0x65, 0x80), "128 px platform; with a cog in the wall");
    EXPECT_EQ(meaning(0x69, 0x2C), "Travel distance $2C");
    EXPECT_EQ(meaning(0x01, 0x00), "");
}

// The X-flipped OOZ $23 platforms start $C0 above their point (objectlook_test has the rest).
TEST(SubtypeMeaning, MovingPlatformStartsFollowTheirFlips) {
    EXPECT_EQ(meaning(0x19, 0x23, true), "Platform frame 2; starts 192 px up");
    EXPECT_EQ(meaning(0x19, 0x00), "Platform frame 0; starts at its point");
}

TEST(SubtypeMeaning, ZoneAndActMatterWhereTheGameReadsThem) {
    const ObjectPlacement sign = placed(0x0D, 0);
    EXPECT_EQ(subtypeMeaning({0, 0}, sign), "Shown in this act");
    EXPECT_EQ(subtypeMeaning({0, 1}, sign), "Not shown: the game removes act 2's signpost");
    EXPECT_EQ(subtypeMeaning({4, 1}, sign), "Shown in this act");  // MTZ act 2
    const ObjectPlacement vine = placed(0x80, 0x11);
    EXPECT_EQ(subtypeMeaning({0x0B, 0}, vine), "starts pulled down 176 px");
    EXPECT_EQ(subtypeMeaning({6, 0}, vine), "starts pulled down 96 px");
    EXPECT_EQ(subtypeMeaning({0x0B, 0}, placed(0x80, 0x01)), "starts up");
}

}  // namespace
}  // namespace orvex::testing
