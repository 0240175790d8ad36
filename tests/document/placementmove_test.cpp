#include <gtest/gtest.h>

#include <algorithm>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/documenttestsupport.h"
#include "rom/checksum.h"
#include "rom/placementmove.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "rom/room.h"

namespace orvex::testing {
namespace {

constexpr SaveOptions kInPlace{.alwaysWriteLayout = false};
constexpr SaveOptions kMoving{.alwaysWriteLayout = false, .movePlacementLists = true};

// `objects` and `extra` more, in descending x, so that a save has to sort them.
std::vector<ObjectPlacement> withMore(std::vector<ObjectPlacement> objects, int extra) {
    for (int i = extra; i > 0; --i) {
        objects.push_back({static_cast<std::uint16_t>(0x40 + 0x30 * i), 0x180, 0x41, 3});
    }
    return objects;
}

std::vector<ObjectPlacement> sortedByX(std::vector<ObjectPlacement> objects) {
    std::stable_sort(objects.begin(), objects.end(),
                     [](const auto& a, const auto& b) { return a.x < b.x; });
    return objects;
}

// A ROM file whose levels are read through the tables its identification finds now: they
// move with the lists.
struct ListFile {
    explicit ListFile(const Bytes& image) : file(image), rom(file.path()) {}

    TempRomFile file;
    RomImage rom;
    std::unique_ptr<LevelDocument> document;

    [[nodiscard]] Result<LoadedLevel> read(std::int16_t level) const {
        const Bytes image = file.contents();
        auto identity = identifyRom(image);
        if (!identity) {
            return identity.error();
        }
        return loadDocument(image, identity->profile, level);
    }
    void load(std::int16_t level) {
        auto loaded = read(level);
        ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
        document = std::move(loaded->document);
    }
    Result<SaveReport> save(const SaveOptions& options) {
        return saveDocument(rom, *document, nullptr, options);
    }
    // Level 7's object list grown past its place, saved with the move.
    void moveByGrowingLevel7() {
        load(6);
        document->setObjects(withMore(*document->parts().objects, 40));
        const auto moved = save(kMoving);
        ASSERT_TRUE(moved.ok()) << moved.error().describe();
        ASSERT_TRUE(moved->moved.has_value());
    }
};

using PlacementMove = ProfileTest;

// Refused without the move, writing nothing; with it every level's lists read back through the
// image's identification as before (the edited one as edited, sorted, between its markers),
// only the header and the two instructions' operands change in the old bytes, and the next
// save of the level writes in place.
TEST_P(PlacementMove, AGrownListMovesEveryListToTheEndOfTheFile) {
    const DemoRom& demo = this->demo();
    const HeaderFields header;
    ListFile f(demo.image);
    const std::int16_t level = 6;
    f.load(level);
    auto objects = withMore(*f.document->parts().objects, 40);
    f.document->setObjects(objects);
    const auto refused = f.save(kInPlace);
    ASSERT_TRUE(failsWith(refused, ErrorCode::ListsMustMove));
    const std::string bytes = std::to_string(kObjectBytes * (objects.size() + 2));
    EXPECT_NE(refused.error().message.find("The object list of level 7 is " + bytes +
                                           " bytes, but its place holds only"),
              std::string::npos)
        << refused.error().message;
    EXPECT_EQ(f.file.contents(), demo.image);

    const auto saved = f.save(kMoving);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    ASSERT_TRUE(saved->moved.has_value());
    const Bytes image = f.file.contents();
    const auto identity = identifyRom(image);
    ASSERT_TRUE(identity.ok()) << identity.error().describe();
    EXPECT_EQ(identity->profile.objectDirectory, saved->moved->objects);
    EXPECT_EQ(identity->profile.ringDirectory, saved->moved->rings);
    EXPECT_EQ(*readLong(image, header.romEnd), static_cast<std::int32_t>(image.size() - 1));
    EXPECT_EQ(*storedChecksum(image, header), *computeChecksum(image, header));

    objects = sortedByX(objects);
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        const auto o = static_cast<std::size_t>(other);
        auto loaded = loadDocument(image, identity->profile, other);
        ASSERT_TRUE(loaded.ok()) << other << ": " << loaded.error().describe();
        const LevelDocument& read = *loaded->document;
        const auto& expected = other == level ? objects : demo.objects[o];
        EXPECT_EQ(*read.parts().objects, expected) << other;
        EXPECT_EQ(*read.parts().rings, demo.rings[o]) << other;
        EXPECT_FALSE(read.isShared(Part::Objects)) << other;
        // Both markers around the list, as the game walks it both ways.
        EXPECT_EQ(read.stored(Part::Objects).front().bytes, objectListBytes(expected)) << other;
    }
    const auto operands = [&](TableId table) {
        return *identity->codeAt[static_cast<std::size_t>(table)] + 10;
    };
    for (std::size_t at = 0; at < demo.image.size(); ++at) {
        const auto in = [at](std::int64_t from, std::int64_t count) {
            return static_cast<std::int64_t>(at) >= from &&
                   static_cast<std::int64_t>(at) < from + count;
        };
        if (!in(header.checksum, 2) && !in(header.romEnd, 4) &&
            !in(operands(TableId::ObjectDirectory), 4) &&
            !in(operands(TableId::RingDirectory), 4)) {
            ASSERT_EQ(image[at], demo.image[at]) << "offset " << at;
        }
    }

    EXPECT_EQ(f.document->profile().objectDirectory, saved->moved->objects);
    EXPECT_EQ(f.document->profile().ringDirectory, saved->moved->rings);
    EXPECT_FALSE(f.document->isModified());
    objects.erase(objects.begin() + 3);
    f.document->setObjects(objects);
    auto rings = *f.document->parts().rings;  // not written by the move, but moved by it
    rings.front().count = 8;
    f.document->setRings(rings);
    const auto again = f.save(kInPlace);
    ASSERT_TRUE(again.ok()) << again.error().describe();
    EXPECT_FALSE(again->moved.has_value());
    EXPECT_EQ(f.file.contents().size(), image.size());
    const auto reread = f.read(level);
    EXPECT_EQ(*reread->document->parts().objects, objects);
    EXPECT_EQ(*reread->document->parts().rings, rings);
}

// Two acts that share a list each get one of their own; the other act keeps its objects, and
// both can be saved in place afterwards.
TEST_P(PlacementMove, ASharedListIsSplit) {
    const DemoRom& demo = this->demo();
    const std::int16_t first = levelOfZone(demo, 4, 0);
    const std::int16_t second = levelOfZone(demo, 4, 1);
    ListFile f(demo.image);
    f.load(first);
    ASSERT_TRUE(f.document->isShared(Part::Objects));
    auto objects = *f.document->parts().objects;
    objects.pop_back();
    f.document->setObjects(objects);
    ASSERT_TRUE(
        failsWith(f.save(kInPlace), ErrorCode::ListsMustMove, "is shared with another act"));
    EXPECT_EQ(f.file.contents(), demo.image);

    const auto saved = f.save(kMoving);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_FALSE(f.document->isShared(Part::Objects));
    auto other = f.read(second);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(*other->document->parts().objects, demo.objects[static_cast<std::size_t>(second)]);
    EXPECT_FALSE(other->document->isShared(Part::Objects));

    f.load(second);
    auto more = withMore(*f.document->parts().objects, 1);
    f.document->setObjects(more);
    const auto inPlace = f.save(kInPlace);
    ASSERT_TRUE(inPlace.ok()) << inPlace.error().describe();
    EXPECT_EQ(*f.read(second)->document->parts().objects, sortedByX(more));
    EXPECT_EQ(*f.read(first)->document->parts().objects, objects);
}

// Every level's list, edited but as long as before and then one shorter, saves in place (the
// area's last list too, which nothing after it bounds); every other list reads back as it was.
TEST_P(PlacementMove, AListOfAsManyObjectsFitsWhereItLay) {
    const DemoRom& demo = this->demo();
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        ListFile f(demo.image);
        f.load(level);
        auto objects = *f.document->parts().objects;
        if (f.document->isShared(Part::Objects) || objects.empty()) {
            continue;
        }
        for (ObjectPlacement& object : objects) {
            object.subtype ^= 1;
        }
        f.document->setObjects(objects);
        ASSERT_TRUE(f.save(kInPlace).ok()) << level;
        objects.pop_back();
        f.document->setObjects(objects);
        ASSERT_TRUE(f.save(kInPlace).ok()) << level;
        const auto levels = everyLevel(f.file.contents(), profile());
        for (std::size_t other = 0; other < kLevelCount; ++other) {
            EXPECT_EQ(*levels[other].objects,
                      other == static_cast<std::size_t>(level) ? objects : demo.objects[other])
                << level << " " << other;
        }
    }
}

// A save that read the file before another program moved the lists finds the directories again
// under the write lock and refuses, rather than writing into the old places, which the game no
// longer reads.
TEST_P(PlacementMove, ASaveAfterAMoveByAnotherProgramIsRefused) {
    ListFile reader(demo().image);
    reader.load(0);
    auto objects = *reader.document->parts().objects;
    objects.front().subtype = 0x7F;
    reader.document->setObjects(objects);

    RomImage same(reader.file.path());
    auto loaded = reader.read(6);
    ASSERT_TRUE(loaded.ok());
    loaded->document->setObjects(withMore(*loaded->document->parts().objects, 40));
    ASSERT_TRUE(saveDocument(same, *loaded->document, nullptr, kMoving).ok());
    const Bytes moved = reader.file.contents();

    for (const SaveOptions& options :
         {kInPlace, SaveOptions{.overwriteChangesOnDisk = true, .alwaysWriteLayout = false}}) {
        ASSERT_TRUE(failsWith(reader.save(options), ErrorCode::Cancelled,
                              "The ROM file has changed on disk: its object "
                              "directory moved"));
        EXPECT_EQ(reader.file.contents(), moved);
    }
}

// The move goes where the data ends: into the padding of a padded image, and nowhere in an
// image whose data already fills 4 MiB.
TEST_P(PlacementMove, GoesWhereTheDataEndsAndNeverPast4MiB) {
    Bytes padded = demo().image;
    padded.resize(0x200000, 0xFF);
    ListFile f(padded);
    f.moveByGrowingLevel7();
    EXPECT_GT(f.document->profile().objectDirectory, 0x100000);  // the first rooms lie before it
    EXPECT_LT(f.document->profile().objectDirectory, 0x100000 + 0x8000);
    EXPECT_EQ(f.file.contents().size(), 0x200000u);
    // The ROM end field still says where the data ends, so the padding after it stays free:
    // the migration that follows lands there too, and the file keeps its size.
    const auto dataEnd = *readLong(f.file.contents(), 0x1A4);
    EXPECT_LT(dataEnd, 0x1FFFFF);
    EXPECT_GT(dataEnd, *f.document->profile().ringDirectory);
    ASSERT_TRUE(migrateLayouts(f.rom, f.document->profile()).ok());
    const Bytes migrated = f.file.contents();
    EXPECT_EQ(migrated.size(), 0x200000u);
    EXPECT_GT(*readLong(migrated, f.document->profile().layoutDirectoryPointer), dataEnd);
    EXPECT_LT(*readLong(migrated, 0x1A4), 0x1FFFFF);

    // Padding the ROM end field covers is free too (an earlier tool set the field to the
    // file's end); data up to 4 MiB leaves nowhere to go.
    Bytes covered = demo().image;
    covered.resize(0x400000, 0xFF);
    putLong(covered, 0x1A4, 0x3FFFFF);
    ListFile c(covered);
    c.moveByGrowingLevel7();
    EXPECT_LT(c.document->profile().objectDirectory, 0x100000 + 0x8000);
    EXPECT_EQ(c.file.contents().size(), 0x400000u);
    EXPECT_EQ(*readLong(c.file.contents(), 0x1A4), 0x3FFFFF);

    Bytes full = demo().image;
    full.resize(0x400000, 0x5A);
    putLong(full, 0x1A4, 0x3FFFFF);
    ListFile g(full);
    g.load(6);
    g.document->setObjects(withMore(*g.document->parts().objects, 40));
    const auto refused = g.save(kMoving);
    ASSERT_TRUE(failsWith(refused, ErrorCode::NoRoom, "4194304 bytes"));
    EXPECT_NE(refused.error().message.find("Nothing was written"), std::string::npos);
    EXPECT_EQ(g.file.contents(), full);
}

// Lists moved after the layouts were migrated lie behind the last layout slot: the migration
// wrote that slot whole, so the last layout keeps its 3200 bytes but may no longer grow over
// the lists.
TEST_P(PlacementMove, TheLastMigratedLayoutDoesNotGrowOverMovedLists) {
    TempRomFile migrated(demo().image);
    ASSERT_TRUE(migrateLayouts(RomImage(migrated.path()), profile()).ok());
    ListFile f(migrated.contents());
    f.moveByGrowingLevel7();
    const Bytes before = f.file.contents();
    f.load(kLevelCount - 1);
    EXPECT_EQ(*layoutRoom(before, f.document->profile(), kLevelCount - 1), kLayoutSlotSize);
    f.document->replaceLayout(Layout(noiseBytes(4096)));
    ASSERT_TRUE(failsWith(f.save({}), ErrorCode::NoRoom));
    EXPECT_EQ(f.file.contents(), before);
}

ORVEX_ALL_PROFILES(PlacementMove);

}  // namespace
}  // namespace orvex::testing
