#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "common/byteorder.h"
#include "rom/codepatterns.h"
#include "rom/placementmove.h"
#include "rom/romidentity.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

using ListMove = ProfileTest;

constexpr std::array kDirectories{TableId::ObjectDirectory, TableId::RingDirectory};

// Where the code that names each directory keeps its address.
std::array<std::size_t, 2> operandsOf(const Bytes& image) {
    const auto codes = locateTableCode(image, kDirectories);
    EXPECT_TRUE(codes[0] && codes[1]);
    return {static_cast<std::size_t>(codes[0] ? codes[0]->references.front() : 0),
            static_cast<std::size_t>(codes[1] ? codes[1]->references.front() : 0)};
}

// What the move cannot do is refused with a reason, before anything is built.
TEST_P(ListMove, RefusesWhatItCannotMove) {
    const DemoRom& demo = this->demo();
    const auto list = static_cast<std::size_t>(profile().levelList);
    const auto operands = operandsOf(demo.image);
    const MovedActLists level7{{demo.levelZone[6], demo.levelAct[6]}, std::nullopt, std::nullopt};
    const std::vector<
        std::tuple<const char*, std::function<void(Bytes&)>, MovedActLists, ErrorCode, const char*>>
        cases = {
            {"object code gone", [&](Bytes& rom) { rom[operands[0] - 10] ^= 0xFF; }, level7,
             ErrorCode::NotARom,
             "The code that names the object directory was not found, so its lists cannot be "
             "moved"},
            {"ring code elsewhere",
             [&](Bytes& rom) {
                 putLong(rom, operands[1],
                         static_cast<std::uint32_t>(*profile().ringDirectory + 2));
             },
             level7, ErrorCode::NotARom, "so they cannot be moved"},
            {"act 2", [&](Bytes& rom) { putWord(rom, list + 2 * 7, 0x0502); }, level7,
             ErrorCode::OutOfRange, "for level 8, which a moved placement directory cannot hold"},
            {"one act twice", [&](Bytes& rom) { putWord(rom, list + 2 * 7, *readWord(rom, list)); },
             level7, ErrorCode::OutOfRange, "level 1 and level 8 name the same zone and act"},
            {"act not in the level list", [](Bytes&) {}, MovedActLists{{1, 0}, {}, {}},
             ErrorCode::OutOfRange, "No level of the level list is zone 1 act 0"},
        };
    for (const auto& [what, damage, replaced, code, message] : cases) {
        Bytes image = demo.image;
        damage(image);
        const auto moved = movePlacementLists(image, profile(), replaced);
        ASSERT_FALSE(moved.ok()) << what;
        EXPECT_EQ(moved.error().code, code) << what;
        EXPECT_NE(moved.error().message.find(message), std::string::npos)
            << what << ": " << moved.error().message;
    }
}

// In the game's own layout a list of N objects fits where N objects lay: its end marker is the
// next list's lead marker. Lists that begin at the same place do not bound each other; the last
// list of the area has no room of its own.
TEST_P(ListMove, ListsBackToBackShareTheirMarkers) {
    const DemoRom& demo = this->demo();
    const std::int32_t directory = *profile().objectDirectory;
    std::int32_t furthest = 0;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct act{demo.levelZone[l], demo.levelAct[l]};
        furthest = std::max(furthest, *placementListAddress(demo.image, directory, act));
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct act{demo.levelZone[l], demo.levelAct[l]};
        const std::int32_t start = *placementListAddress(demo.image, directory, act);
        const ListPlace place =
            placementListPlace(demo.image, directory, PlacementList::Objects, start);
        EXPECT_EQ(place.from, start - kObjectBytes) << level;
        if (start == furthest) {
            EXPECT_FALSE(place.room) << level;
        } else {
            EXPECT_EQ(place.room, std::int64_t{kObjectBytes} * (demo.objects[l].size() + 2))
                << level;
        }
    }
}

// Every level's room holds at least 512 objects or twice its list and 256 ring groups, the
// rooms lie on both sides of the object directory within reach of its signed words, and the acts
// no level names share the empty list that ends each area (the lists read back in
// document/placementmove_test).
TEST_P(ListMove, RoomsHoldTwiceTheLargestListsWithinReachOfTheirWords) {
    const DemoRom& demo = this->demo();
    const ZoneAct act{demo.levelZone[6], demo.levelAct[6]};
    const auto moved = movePlacementLists(demo.image, profile(), {act, std::nullopt, std::nullopt});
    ASSERT_TRUE(moved.ok()) << moved.error().describe();
    const PlacementDirectories& at = moved->directories;
    const std::int32_t end = static_cast<std::int32_t>(demo.image.size());
    EXPECT_GT(at.objects, end) << "no room lies before the object directory";
    bool before = false;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct own{demo.levelZone[l], demo.levelAct[l]};
        const std::int32_t objects = *placementListAddress(moved->image, at.objects, own);
        const std::int32_t rings = *placementListAddress(moved->image, at.rings, own);
        before = before || objects < at.objects;
        EXPECT_GE(objects, end) << level;
        const auto objectRoom =
            placementListPlace(moved->image, at.objects, PlacementList::Objects, objects).room;
        const auto ringRoom =
            placementListPlace(moved->image, at.rings, PlacementList::Rings, rings).room;
        const std::size_t fits = std::max<std::size_t>(512, 2 * demo.objects[l].size());
        EXPECT_GE(objectRoom, std::int64_t{kObjectBytes} * (fits + 2)) << level;
        EXPECT_GE(ringRoom, std::int64_t{kRingGroupBytes} * 256 + 2) << level;
    }
    EXPECT_TRUE(before);
    const std::int32_t empty = *placementListAddress(moved->image, at.objects, {1, 0});
    EXPECT_EQ(*readObjectList(moved->image, empty), std::vector<ObjectPlacement>{});
    EXPECT_EQ(*readWord(moved->image, empty - kObjectBytes), kListEnd);
    EXPECT_EQ(moved->objects.room,
              placementListPlace(moved->image, at.objects, PlacementList::Objects,
                                 moved->objects.offset + kObjectBytes)
                  .room);
}

// Rooms that cannot all lie within a signed word of their directory are refused with the sizes.
TEST_P(ListMove, RoomsOutOfReachAreRefused) {
    const DemoRom& demo = this->demo();
    MovedActLists huge{{demo.levelZone[6], demo.levelAct[6]}, std::nullopt, std::nullopt};
    huge.objects = std::vector<ObjectPlacement>(5000, {0x100, 0x100, 0x41, 0});
    ASSERT_TRUE(failsWith(movePlacementLists(demo.image, profile(), huge), ErrorCode::NoRoom,
                          "but a directory word reaches only 32768 bytes before"));
}

ORVEX_ALL_PROFILES(ListMove);

// A directory named by the code at a place that cannot hold one is reported, not read, and
// every write is refused, rather than falling back to a place the game no longer reads or
// writing over the game's code.
TEST(ListMoveIdentity, ACodeNamingAnUnusablePlaceIsReportedAndRefused) {
    for (const RomProfile* revision : factoryProfiles()) {
        const Bytes original = demoRom(*revision).image;
        const auto operands = operandsOf(original);
        const std::vector<std::tuple<const char*, std::size_t, std::uint32_t>> cases = {
            {"an odd address", operands[0], 0xE6801},
            {"do not lie inside the image", operands[1],
             static_cast<std::uint32_t>(original.size() - 4)},
            {"inside the code that names it", operands[0],
             static_cast<std::uint32_t>(operands[0] - 10)},
        };
        for (const auto& [why, operand, address] : cases) {
            Bytes image = original;
            putLong(image, operand, address);
            const auto identity = identifyRom(image);
            ASSERT_TRUE(identity.ok()) << identity.error().describe();
            const TableId table =
                operand == operands[0] ? TableId::ObjectDirectory : TableId::RingDirectory;
            EXPECT_FALSE(tableOffset(identity->profile, table)) << why;
            EXPECT_NE(describeTableSource(*identity, table).find(why), std::string::npos)
                << describeTableSource(*identity, table);
            const Status write = checkPlacementCode(image, *revision);
            ASSERT_TRUE(failsWith(write, ErrorCode::NotARom)) << why;
        }
    }
}

}  // namespace
}  // namespace orvex::testing
