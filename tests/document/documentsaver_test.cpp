#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/documenttestsupport.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/room.h"

namespace orvex::testing {
namespace {

const RomProfile& revision01() {
    return revisionProfile(RomKind::Revision01);
}

// The demo ROM of a profile after the migration.
const Bytes& migratedDemo(const RomProfile& profile = revision01()) {
    static std::map<RomKind, Bytes> migrated;
    auto& image = migrated[profile.kind];
    if (image.empty()) {
        TempRomFile file(demoRom(profile).image);
        EXPECT_TRUE(migrateLayouts(RomImage(file.path()), profile).ok());
        image = file.contents();
    }
    return image;
}

struct Session : DocumentFile {
    explicit Session(const Bytes& image, const RomProfile& tables = revision01())
        : DocumentFile(image, tables) {}

    void setLayout(Bytes bytes) { document->replaceLayout(Layout(std::move(bytes))); }
    [[nodiscard]] Bytes reloaded(std::int16_t level) const {
        auto loaded = read(level);
        return loaded ? loaded->document->layout().bytes() : Bytes{};
    }
    [[nodiscard]] std::int32_t layoutBytes(const Result<SaveReport>& report) const {
        return report->find(Part::Layout)->bytes;
    }
};

using LevelSaverOnEveryProfile = ProfileTest;

TEST_P(LevelSaverOnEveryProfile, SavesWhatFitsItsRoomInPlace) {
    const HeaderFields header;
    for (const bool migrated : {false, true}) {
        Session s(migrated ? migratedDemo(profile()) : demo().image, profile());
        const auto before = s.file.contents();
        s.load(6);
        s.document->setBlock({3, 11}, 0x42);
        s.document->setBlock({4, 11}, 0x42);
        const auto edited = s.document->layout().bytes();
        const auto report = s.save();
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_EQ(s.progress.reports.front().stage, Stage::Encoding);
        EXPECT_FALSE(s.document->isModified());
        // Only the layout's place and the checksum changed.
        const auto after = s.file.contents();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(*storedChecksum(after, header), *computeChecksum(after, header));
        for (std::size_t at = 0; at < after.size(); ++at) {
            ASSERT_TRUE(after[at] == before[at] || savedThere(*report, after, at)) << at;
        }
        EXPECT_EQ(s.reloaded(6), edited);

        s.load(4);
        s.setLayout(noiseBytes(4096));
        const auto packed = compressKosinskiOptimal(noiseBytes(4096))->size();
        const auto tooLong = s.save();
        EXPECT_EQ(tooLong.error().code, ErrorCode::NoRoom);
        const auto room = migrated ? 3200 : demo().layouts[5].offset - demo().layouts[4].offset;
        EXPECT_NE(tooLong.error().message.find("is " + std::to_string(packed) +
                                               " bytes, but its place in the ROM holds only " +
                                               std::to_string(room) + " bytes"),
                  std::string::npos)
            << tooLong.error().message;
        EXPECT_EQ(s.file.contents(), after);
        if (migrated) {  // the last slot may grow the file
            s.load(19);
            s.setLayout(noiseBytes(4096));
            const auto last = s.save();
            ASSERT_TRUE(last.ok()) << last.error().describe();
            EXPECT_GT(s.layoutBytes(last), 3200);
            const auto grown = s.file.contents();
            EXPECT_EQ(*readLong(grown, header.romEnd), static_cast<std::int32_t>(grown.size() - 1));
            EXPECT_EQ(*storedChecksum(grown, header), *computeChecksum(grown, header));
            EXPECT_EQ(s.reloaded(19), noiseBytes(4096));
        }
    }
}

ORVEX_ALL_PROFILES(LevelSaverOnEveryProfile);

// A layout whose stream is exactly `packedSize` bytes: noise, then zeros up to 4096 bytes.
std::optional<Bytes> layoutPackingTo(std::size_t packedSize) {
    // Noise packs to about 9 bytes for every 8 (a description bit for each literal).
    for (std::size_t noise = packedSize * 8 / 9 - 32; noise < packedSize; ++noise) {
        Bytes layout = noiseBytes(noise);
        layout.resize(4096, 0);
        if (compressKosinskiOptimal(layout)->size() == packedSize) {
            return layout;
        }
    }
    return std::nullopt;
}

TEST(LevelSaver, AStreamExactlyAsLongAsItsRoomFitsAndOneByteMoreDoesNot) {
    Session s(migratedDemo());
    s.load(4);
    const auto before = s.file.contents();
    // The encoder's sizes count the 0x00 a save pads a stream with; where only the pad does not
    // fit, the stream goes without it.
    const auto tooLong = layoutPackingTo(3202);
    ASSERT_TRUE(tooLong.has_value());
    s.setLayout(*tooLong);
    EXPECT_EQ(s.save().error().code, ErrorCode::NoRoom);
    EXPECT_EQ(s.file.contents(), before);

    const auto full = layoutPackingTo(3201);
    ASSERT_TRUE(full.has_value());
    s.setLayout(*full);
    const auto report = s.save();
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_EQ(s.layoutBytes(report), 3200);
    EXPECT_EQ(s.reloaded(5), demoRom().layoutData[5]);  // the slot after it is untouched
    EXPECT_EQ(s.reloaded(4), *full);
}

// Levels not loaded completely and read-only files load but are never saved.
TEST(LevelSaver, RefusedSavesWriteNothing) {
    Session s(demoRom({.weirdLayoutLevel = 2}).image);
    std::filesystem::permissions(s.file.path(), std::filesystem::perms::owner_read);
    s.load(2);  // its layout breaks off
    EXPECT_EQ(s.save().error().code, ErrorCode::NotLoaded);
    s.load(1);
    const auto readOnly = s.save();
    EXPECT_EQ(readOnly.error().code, ErrorCode::FileWrite);
    EXPECT_NE(readOnly.error().message.find("read-only"), std::string::npos);
    EXPECT_EQ(s.file.contents(), demoRom({.weirdLayoutLevel = 2}).image);
}

// A save refuses to overwrite what another program changed at a part's place, until told to;
// changes elsewhere in the file stay.
TEST(LevelSaver, ChangesOnDiskAreReportedAndOverwrittenOnlyWhenAsked) {
    Session s(migratedDemo());
    s.load(3);
    s.document->setBlock({0, 0}, 0x99);
    auto changed = s.file.contents();  // someone else rewrites the level's place meanwhile
    changed[static_cast<std::size_t>(*layoutAddress(changed, revision01(), 3) +
                                     demoRom().layouts[3].length - 1)] ^= 1;
    writeFile(s.file.path(), changed);
    EXPECT_EQ(s.save().error().code, ErrorCode::ChangedOnDisk);
    EXPECT_EQ(s.file.contents(), changed);

    changed.resize(changed.size() + 2);
    writeFile(s.file.path(), changed);
    ASSERT_TRUE(s.save({.overwriteChangesOnDisk = true}).ok());
    EXPECT_EQ(s.reloaded(3)[0], 0x99);
    EXPECT_TRUE(s.save().ok());  // what it wrote itself is no change on disk
}

// One save writes every modified part, each at its own place; the rest of the file stays
// byte for byte, and every part reads back as it was edited.
TEST_P(LevelSaverOnEveryProfile, WritesEveryModifiedPartAtOnce) {
    Session s(demo().image, profile());
    s.load(8);
    s.document->setBlock({2, 200}, 0x17);
    s.document->setColour(17, 0x0EEE);
    for (std::int32_t word = 0; word < 64; ++word) {  // block 3 becomes a copy of block 2
        s.document->setMappingWord(Part::BlockMappings, 3 * 64 + word,
                                   s.document->parts().blocks.word(2 * 64 + word));
    }
    const LevelParts edited = s.document->parts();
    const auto before = s.file.contents();
    const auto report = s.save();
    ASSERT_TRUE(report.ok()) << report.error().describe();
    ASSERT_EQ(report->parts.size(), 3u);
    EXPECT_EQ(report->find(Part::TileArt), nullptr);
    EXPECT_FALSE(s.document->isModified());

    const auto after = s.file.contents();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t at = 0; at < after.size(); ++at) {
        ASSERT_TRUE(after[at] == before[at] || savedThere(*report, after, at)) << "changed " << at;
    }
    auto reread = s.read(8);
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->document->parts(), edited);
    // Both acts of a zone share its art, so the other act sees the new mappings too.
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        if (other != 8 && demo().levelZone[other] == demo().levelZone[8]) {
            EXPECT_EQ(s.read(other)->document->parts().blocks, edited.blocks);
        }
    }
}

using PlacementSaver = ProfileTest;

// Objects go back sorted by x between their two markers, rings end with $FFFF, the start and
// the boundaries in their tables; nothing else in the file changes.
TEST_P(PlacementSaver, WritesPlacementsByTheGamesRules) {
    DocumentFile s(demo().image, profile());
    const std::int16_t level = 6;
    s.load(level);
    ASSERT_FALSE(s.document->isShared(Part::Objects));
    std::vector<ObjectPlacement> objects = *s.document->parts().objects;
    ASSERT_GE(objects.size(), 2u);
    objects.back().x = 0x10;  // now first by x; and one object fewer: it fits its room
    objects.erase(objects.begin());
    std::vector<RingGroup> rings = *s.document->parts().rings;
    rings.front().count = 8;
    s.document->setObjects(objects);
    s.document->setRings(rings);
    s.document->setStart({0x1234, 0x0567});
    s.document->setBounds({0x10, 0x3000, 0xFF00, 0x800});
    const auto before = s.file.contents();
    const auto report = s.save();
    ASSERT_TRUE(report.ok()) << report.error().describe();
    const auto reread = s.read(level);
    ASSERT_TRUE(reread.ok());
    const LevelParts& parts = reread->document->parts();
    std::stable_sort(objects.begin(), objects.end(),
                     [](const auto& a, const auto& b) { return a.x < b.x; });
    EXPECT_EQ(*parts.objects, objects);
    EXPECT_EQ(*parts.rings, rings);
    EXPECT_EQ(parts.start, (StartPosition{0x1234, 0x0567}));
    EXPECT_EQ(parts.bounds, (LevelBounds{0x10, 0x3000, 0xFF00, 0x800}));
    const PartWrite* written = report->find(Part::Objects);
    ASSERT_NE(written, nullptr);
    const auto after = s.file.contents();
    EXPECT_EQ(*readWord(after, written->offset), kListEnd);  // the marker before the list
    for (std::size_t at = 0; at < after.size(); ++at) {
        ASSERT_TRUE(after[at] == before[at] || savedThere(*report, after, at)) << at;
    }
}

// The game's limits are refused, writing nothing. (A shared list and a list grown past its room
// are refused by the same check before the move; placementmove_test shows both.)
TEST_P(PlacementSaver, RefusesWhatTheImageOrTheGameCannotHold) {
    const auto tried = [&](std::int16_t level, const std::function<void(LevelDocument&)>& edit) {
        DocumentFile s(demo().image, profile());
        s.load(level);
        edit(*s.document);
        const auto saved = s.save();
        EXPECT_EQ(s.file.contents(), demo().image);
        return saved.ok() ? std::string("saved") : saved.error().message;
    };
    EXPECT_NE(tried(6,
                    [](LevelDocument& d) {
                        d.setObjects(std::vector<ObjectPlacement>(
                            128, ObjectPlacement{0x100, 0x100, 0x26, 0, false, false, true}));
                    })
                  .find("128 objects that remember their state"),
              std::string::npos);
    EXPECT_NE(tried(6,
                    [](LevelDocument& d) {
                        d.setRings(std::vector<RingGroup>(32, RingGroup{0x100, 0x100, 8}));
                    })
                  .find("256 rings"),
              std::string::npos);
}

// A list that only act slots no level plays also name (the game's Metropolis 3 slot) is the
// level's own: it is edited in place.
TEST_P(PlacementSaver, AListSharedOnlyWithUnplayedActSlotsIsEditedInPlace) {
    Bytes image = demo().image;
    const std::int16_t level = 6;
    const ZoneAct act{demo().levelZone[level], demo().levelAct[level]};
    const std::int32_t directory = *profile().objectDirectory;
    const std::uint16_t word = *readWord(image, directory + directoryWordOffset(act));
    putWord(image, static_cast<std::size_t>(directory + directoryWordOffset({1, 0})), word);
    DocumentFile s(image, profile());
    s.load(level);
    EXPECT_FALSE(s.document->isShared(Part::Objects));
    auto objects = *s.document->parts().objects;
    objects.pop_back();
    s.document->setObjects(objects);
    const auto saved = s.save();
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_FALSE(saved->moved.has_value());
    EXPECT_EQ(*s.read(level)->document->parts().objects, objects);
}

ORVEX_ALL_PROFILES(PlacementSaver);

}  // namespace
}  // namespace orvex::testing
