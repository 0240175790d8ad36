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
    MovedActLists tooMany = level7;
    tooMany.objects = std::vector<ObjectPlacement>(257, {0x100, 0x100, 0x41, 0});
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
            {"257 objects", [](Bytes&) {}, tooMany, ErrorCode::NoRoom,
             "The object list of level 7 has 257 objects; a moved list holds at most 256"},
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

// Words that are not the move's shape are not taken for moved rooms.
TEST_P(ListMove, MovedRoomsAreRecognisedOnlyInAMovedDirectory) {
    const DemoRom& demo = this->demo();
    const ZoneAct act{demo.levelZone[19], demo.levelAct[19]};
    const auto moved = movePlacementLists(demo.image, profile(), {act, std::nullopt, std::nullopt});
    ASSERT_TRUE(moved.ok()) << moved.error().describe();
    const std::int32_t objects = moved->directories.objects;
    const std::int32_t last = *placementListAddress(moved->image, objects, act);
    EXPECT_EQ(last, moved->objects.offset + kObjectBytes);
    EXPECT_EQ(movedListRoom(moved->image, objects, PlacementList::Objects, last), kObjectRoomSize);
    const std::int32_t rings = moved->directories.rings;
    EXPECT_EQ(movedListRoom(moved->image, rings, PlacementList::Rings,
                            *placementListAddress(moved->image, rings, act)),
              kRingRoomSize);
    const std::int32_t factory = *profile().objectDirectory;
    EXPECT_FALSE(movedListRoom(demo.image, factory, PlacementList::Objects,
                               *placementListAddress(demo.image, factory, act)));
    Bytes bent = moved->image;
    putWord(bent, static_cast<std::size_t>(objects) + 2, 0x7000);  // an act pointing elsewhere
    EXPECT_FALSE(movedListRoom(bent, objects, PlacementList::Objects, last));
}

ORVEX_ALL_PROFILES(ListMove);

// A revision's image whose code names no usable place for a directory keeps the revision's.
TEST(ListMoveIdentity, ARevisionFallsBackToItsOwnDirectories) {
    for (const RomProfile* revision : factoryProfiles()) {
        Bytes image = demoRom(*revision).image;
        const auto operands = operandsOf(image);
        putLong(image, operands[0], 0x100001);                                  // odd
        putLong(image, operands[1], static_cast<std::uint32_t>(image.size()));  // past the end
        const auto identity = identifyRom(image);
        ASSERT_TRUE(identity.ok()) << identity.error().describe();
        EXPECT_EQ(identity->profile.objectDirectory, revision->objectDirectory);
        EXPECT_EQ(identity->profile.ringDirectory, revision->ringDirectory);
    }
}

}  // namespace
}  // namespace orvex::testing
