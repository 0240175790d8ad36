#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/documentcommands.h"
#include "document/documenttestsupport.h"
#include "document/sharing.h"
#include "rom/collisiontables.h"

namespace orvex::testing {
namespace {

// Level indices of the demo: EHZ acts 0 and 1, MTZ 4 and 5 (one index for both paths), HTZ 10
// and 11 (EHZ's pair), OOZ 14 and MCZ 15 (MTZ's index), CNZ 16 (its own pair).
constexpr std::int16_t kHillLevel = 0;
constexpr std::int16_t kMetropolisLevel = 4;
constexpr std::int16_t kCasinoLevel = 16;

// An index whose shapes do not repeat: it packs into far more than the demo's place for one.
Bytes grownIndex() {
    return noiseBytes(kCollisionIndexSize);
}

std::int32_t pointerAt(const Bytes& image, const RomProfile& profile, std::int32_t path,
                       std::int32_t zone) {
    return collisionIndexAddress(image, profile, path, zone).value();
}

// What a document's listeners hear: part, first and count of each change.
using Heard = std::vector<std::tuple<Part, std::int32_t, std::int32_t>>;

void listen(LevelDocument& document, Heard& heard) {
    document.addListener([&heard](const DocumentChange& change) {
        heard.emplace_back(change.part, change.first, change.count);
    });
}

using CollisionLoad = ProfileTest;

// An index that does not decode to $300 bytes loads with a warning that names it and cannot
// be saved; the level's other parts still can.
TEST_P(CollisionLoad, ShortIndexLoadsButIsNotSaved) {
    Bytes image = demo().image;
    const std::int32_t at = pointerAt(image, profile(), 0, demo().levelZone[kCasinoLevel]);
    auto packed = compressKosinskiOptimal(Bytes(0x2F0, 1));
    ASSERT_TRUE(packed.ok());
    std::copy(packed->begin(), packed->end(), image.begin() + at);
    DocumentFile f(image, profile());
    auto loaded = f.read(kCasinoLevel);
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    ASSERT_FALSE(loaded->warnings.empty());
    EXPECT_NE(loaded->warnings.front().find("primary collision index"), std::string::npos);
    EXPECT_NE(loaded->warnings.front().find("752 bytes"), std::string::npos);
    f.document = std::move(loaded->document);
    EXPECT_FALSE(f.document->collisionLoaded(0));
    EXPECT_TRUE(f.document->collisionLoaded(1));

    f.document->setChunkShape(0, 1, 3);
    ASSERT_TRUE(failsWith(f.save(), ErrorCode::NotLoaded));
    EXPECT_EQ(f.file.contents(), image);
    f.document->setChunkShape(0, 1, 1);
    f.document->setStart({0x100, 0x200});
    EXPECT_TRUE(f.save().ok());
}

// An index that breaks off with a copy from before its start is listed with the broken streams
// and is not loaded.
TEST_P(CollisionLoad, BrokenIndexIsListedAndNotLoaded) {
    Bytes image = demo().image;
    const std::int32_t at = pointerAt(image, profile(), 1, demo().levelZone[kCasinoLevel]);
    // Field bits 1 1 1 0 1: three literals, then a copy of 3 bytes from 8192 before.
    const Bytes weird = {0x17, 0x00, 0x41, 0x42, 0x43, 0x00, 0x01};
    std::copy(weird.begin(), weird.end(), image.begin() + at);
    auto loaded = loadDocument(image, profile(), kCasinoLevel);
    ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
    ASSERT_EQ(loaded->brokenStreams.size(), 1u);
    EXPECT_EQ(loaded->brokenStreams[0].part, Part::CollisionSecondary);
    EXPECT_EQ(loaded->brokenStreams[0].start, at);
    EXPECT_TRUE(loaded->document->collisionLoaded(0));
    EXPECT_FALSE(loaded->document->collisionLoaded(1));
    EXPECT_TRUE(loaded->document->layoutComplete());
}

ORVEX_ALL_PROFILES(CollisionLoad);

TEST(CollisionEdits, OneChunkOnOnePathWhereThePathsHaveTheirOwn) {
    DocumentFile f(demoRom().image, revisionProfile(RomKind::Revision01));
    f.load(kHillLevel);
    ASSERT_FALSE(f.document->pathsShareIndex());
    Heard heard;
    listen(*f.document, heard);
    const std::uint8_t secondary = f.document->parts().collision[1][7];
    f.document->setChunkShape(0, 7, 0x0E);
    f.document->setChunkShape(0, 7, 0x0E);                    // no change: nothing heard
    f.document->setChunkShape(1, kCollisionIndexSize, 0x0E);  // past the index: nothing
    EXPECT_EQ(f.document->parts().collision[0][7], 0x0E);
    EXPECT_EQ(f.document->parts().collision[1][7], secondary);
    EXPECT_EQ(heard, (Heard{{Part::CollisionPrimary, 7, 1}}));
    EXPECT_TRUE(f.document->isModified(Part::CollisionPrimary));
    EXPECT_FALSE(f.document->isModified(Part::CollisionSecondary));
}

TEST(CollisionEdits, BothPathsWhereTheyReadOneIndex) {
    DocumentFile f(demoRom().image, revisionProfile(RomKind::Revision01));
    f.load(kMetropolisLevel);
    ASSERT_TRUE(f.document->pathsShareIndex());
    Heard heard;
    listen(*f.document, heard);
    f.document->setChunkShape(1, 9, 0x05);
    EXPECT_EQ(f.document->parts().collision[0][9], 0x05);
    EXPECT_EQ(f.document->parts().collision[1][9], 0x05);
    EXPECT_EQ(heard, (Heard{{Part::CollisionPrimary, 9, 1}, {Part::CollisionSecondary, 9, 1}}));

    const std::uint8_t original = demoRom().zoneOf(kMetropolisLevel).collision[0][9];
    f.document->setChunkShape(0, 9, original);
    SetChunkShapeCommand command(1, 9, original, 0x0C);
    command.redo(*f.document);
    EXPECT_EQ(f.document->parts().collision[0][9], 0x0C);
    command.undo(*f.document);
    EXPECT_EQ(f.document->parts().collision, demoRom().zoneOf(kMetropolisLevel).collision);
    EXPECT_FALSE(f.document->isModified());
    EXPECT_EQ(command.text(), "Change the secondary collision of chunk 0x9");
}

TEST(CollisionEdits, ShapesAreOneForEveryZone) {
    DocumentFile f(demoRom().image, revisionProfile(RomKind::Revision01));
    f.load(kCasinoLevel);
    Heard heard;
    listen(*f.document, heard);
    const Shape before = f.document->parts().shapes->shapes[0x30];
    const Shape after = f.document->parts().shapes->shapes[6];
    SetShapeCommand command(0x30, before, after);
    command.redo(*f.document);
    EXPECT_EQ(heard, (Heard{{Part::CollisionShapes, 0x30, 1}}));
    EXPECT_EQ(command.text(), "Change collision shape 0x30");
    EXPECT_EQ(
        levelsSharing(f.file.contents(), f.profile, kCasinoLevel, Part::CollisionShapes).size(),
        static_cast<std::size_t>(kLevelCount));

    ASSERT_TRUE(f.save().ok());
    for (const std::int16_t level : {kHillLevel, kMetropolisLevel}) {
        auto other = f.read(level);
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(other->document->parts().shapes->shapes[0x30], after) << level;
    }
}

using CollisionSave = ProfileTest;

// An edit that still fits (no ground at all packs into a few bytes) is written in place.
TEST_P(CollisionSave, AnEditThatFitsIsWrittenInPlace) {
    DocumentFile f(demo().image, profile());
    f.load(kCasinoLevel);
    f.document->replaceCollision(1, Bytes(kCollisionIndexSize, 0));
    const auto saved = f.save({.alwaysWriteLayout = false});
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_EQ(saved->find(Part::CollisionSecondary)->offset,
              demo().zoneOf(kCasinoLevel).collisionStreams[1].offset);
    EXPECT_EQ(f.read(kCasinoLevel)->document->parts().collision, f.document->parts().collision);
}

// A grown index is refused unless moves are allowed; moved, every pointer that named it (both
// paths of a zone reading one index, every zone sharing it) names the new place, and every
// other level reads back what it held.
TEST_P(CollisionSave, AGrownIndexMovesWithEveryPointerThatNamedIt) {
    const DemoRom& demo = this->demo();
    DocumentFile f(demo.image, profile());
    f.load(kMetropolisLevel);
    f.document->replaceCollision(0, grownIndex());
    ASSERT_TRUE(failsWith(f.save({.alwaysWriteLayout = false}), ErrorCode::ArtMustMove,
                          "primary collision"));
    EXPECT_EQ(f.file.contents(), demo.image);

    const std::int32_t old = demo.zoneOf(kMetropolisLevel).collisionStreams[0].offset;
    const auto saved = f.save({.alwaysWriteLayout = false, .moveGrownArt = true});
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    ASSERT_EQ(saved->movedArt.size(), 1u);
    const MovedStream& moved = saved->movedArt.front();
    EXPECT_EQ(moved.from, old);
    EXPECT_EQ(moved.levels, (std::vector<std::int16_t>{4, 5, 14, 15}));
    const Bytes after = f.file.contents();
    for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
        for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
            const std::int32_t before = pointerAt(demo.image, profile(), path, zone);
            EXPECT_EQ(pointerAt(after, profile(), path, zone), before == old ? moved.to : before)
                << zone << " " << path;
        }
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto reread = f.read(level);
        ASSERT_TRUE(reread.ok()) << reread.error().describe();
        const bool sharing =
            moved.levels.end() != std::find(moved.levels.begin(), moved.levels.end(), level);
        const auto& expected =
            sharing ? f.document->parts().collision : demo.zoneOf(level).collision;
        EXPECT_EQ(reread->document->parts().collision, expected) << level;
    }
    EXPECT_FALSE(f.document->isModified());
}

// An index both paths read is written once, at its one place, and both parts then lie there.
TEST_P(CollisionSave, AnIndexBothPathsReadIsWrittenOnce) {
    DocumentFile f(demo().image, profile());
    f.load(kMetropolisLevel);
    f.document->replaceCollision(1, Bytes(kCollisionIndexSize, 0));
    ASSERT_TRUE(f.document->isModified(Part::CollisionPrimary));
    const auto saved = f.save({.alwaysWriteLayout = false});
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    ASSERT_EQ(saved->parts.size(), 1u);
    EXPECT_EQ(saved->parts[0].part, Part::CollisionPrimary);
    EXPECT_EQ(saved->parts[0].offset, demo().zoneOf(kMetropolisLevel).collisionStreams[0].offset);
    EXPECT_FALSE(f.document->isModified());
    EXPECT_EQ(f.document->stored(Part::CollisionSecondary),
              f.document->stored(Part::CollisionPrimary));
    // The next edit is checked against what the file now holds there, and saves.
    f.document->setChunkShape(0, 2, 5);
    const auto again = f.save({.alwaysWriteLayout = false});
    ASSERT_TRUE(again.ok()) << again.error().describe();
    EXPECT_NE(again->find(Part::CollisionPrimary), nullptr);
    auto reread = f.read(15);  // Mystic Cave reads the same index
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->document->parts().collision, f.document->parts().collision);
}

TEST_P(CollisionSave, AnIndexMustHoldExactlyOneShapePerChunk) {
    DocumentFile f(demo().image, profile());
    f.load(kHillLevel);
    f.document->replaceCollision(1, Bytes(kCollisionIndexSize - 1, 0));
    ASSERT_TRUE(failsWith(f.save({.alwaysWriteLayout = false, .moveGrownArt = true}),
                          ErrorCode::OutOfRange, "secondary collision"));
    EXPECT_EQ(f.file.contents(), demo().image);
}

ORVEX_ALL_PROFILES(CollisionSave);

TEST(CollisionSharing, NamesEveryLevelAndPathReadingAnIndex) {
    const DemoRom& demo = demoRom();
    const RomProfile& profile = demo.profile;
    EXPECT_EQ(pathsSharing(demo.image, profile, kHillLevel, 1),
              (std::vector<LevelPath>{{0, 1}, {1, 1}, {10, 1}, {11, 1}}));
    EXPECT_EQ(pathsSharing(demo.image, profile, kMetropolisLevel, 0),
              (std::vector<LevelPath>{
                  {4, 0}, {4, 1}, {5, 0}, {5, 1}, {14, 0}, {14, 1}, {15, 0}, {15, 1}}));
    EXPECT_EQ(pathsSharing(demo.image, profile, kCasinoLevel, 0),
              (std::vector<LevelPath>{{16, 0}}));
    EXPECT_EQ(levelsSharing(demo.image, profile, 17, Part::CollisionSecondary),
              (std::vector<std::int16_t>{17, 18}));
}

}  // namespace
}  // namespace orvex::testing
