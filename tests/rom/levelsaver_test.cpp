#include <gtest/gtest.h>

#include <algorithm>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::demoRom;
using testing::RecordingHost;
using testing::TempRomFile;

std::vector<std::uint8_t> migratedDemo() {
    TempRomFile file(demoRom().image);
    const Status migrated = migrateLayouts(RomImage(file.path()), kFactoryLayoutDirectory);
    EXPECT_TRUE(migrated.ok()) << (migrated.ok() ? "" : migrated.error().describe());
    return file.contents();
}

// Bytes that differ between two images of the same length, as offset ranges [from, to).
std::vector<std::pair<std::size_t, std::size_t>> changedRanges(const std::vector<std::uint8_t>& a,
                                                               const std::vector<std::uint8_t>& b) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t at = 0; at < std::min(a.size(), b.size()); ++at) {
        if (a[at] != b[at]) {
            if (!ranges.empty() && ranges.back().second == at) {
                ranges.back().second = at + 1;
            } else {
                ranges.emplace_back(at, at + 1);
            }
        }
    }
    return ranges;
}

struct Session {
    explicit Session(const std::vector<std::uint8_t>& image) : file(image), rom(file.path()) {}
    TempRomFile file;
    RomImage rom;
    LevelData data;
    RecordingHost host;

    void load(std::int16_t level) { ASSERT_TRUE(loadLevel(rom, level, data, host).ok()); }
};

TEST(LevelSaver, SavedLevelReloadsAndTheRomStillBoots) {
    for (const bool migrated : {false, true}) {
        Session s(migrated ? migratedDemo() : demoRom().image);
        const auto before = s.file.contents();
        s.load(6);
        s.data.unpackedData[layoutIndex(3, 11)] = 0x42;  // an edit of a few blocks
        s.data.unpackedData[layoutIndex(4, 11)] = 0x42;
        const auto edited = s.data.unpackedData;
        s.host.captions.clear();
        const auto report = saveLevel(s.rom, 6, s.data, s.host);
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_EQ(s.host.captions.front(), "Saving Level...");
        EXPECT_EQ(s.data.unpackedData, edited);
        EXPECT_TRUE(s.data.packedData.empty());

        const auto after = s.file.contents();
        EXPECT_EQ(after.size(), before.size());
        EXPECT_EQ(*storedChecksum(after), *computeChecksum(after));
        // Only the layout's place and the checksum changed.
        const std::int32_t place = *layoutAddress(after, 6);
        for (const auto& [from, to] : changedRanges(before, after)) {
            const bool inPlace = from >= static_cast<std::size_t>(place) &&
                                 to <= static_cast<std::size_t>(place + report->packedBytes);
            const bool checksum = from >= kChecksumField && to <= kChecksumField + 2;
            EXPECT_TRUE(inPlace || checksum) << "changed " << from << ".." << to;
        }
        LevelData reloaded;
        ASSERT_TRUE(loadLevel(s.rom, 6, reloaded, s.host).ok());
        EXPECT_EQ(reloaded.unpackedData, edited);
        // The neighbouring level is untouched.
        ASSERT_TRUE(loadLevel(s.rom, 7, reloaded, s.host).ok());
        EXPECT_EQ(reloaded.unpackedData, demoRom().layoutData[7]);
        // And saving again straight away needs no question.
        ASSERT_TRUE(saveLevel(s.rom, 6, s.data, s.host).ok());
        EXPECT_TRUE(s.host.questions.empty());
    }
}

TEST(LevelSaver, UneditedLevelsOfAFactoryRomFitTheirRoom) {
    Session s(demoRom().image);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        s.load(level);
        const auto report = saveLevel(s.rom, level, s.data, s.host);
        ASSERT_TRUE(report.ok()) << "level " << level << ": " << report.error().describe();
        EXPECT_LE(report->packedBytes, report->room);
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        s.load(level);
        EXPECT_EQ(s.data.unpackedData, demoRom().layoutData[static_cast<std::size_t>(level)]);
    }
}

TEST(LevelSaver, TooLongForItsRoomIsRefusedAndNothingChanges) {
    for (const bool migrated : {false, true}) {
        Session s(migrated ? migratedDemo() : demoRom().image);
        const auto before = s.file.contents();
        s.load(4);
        // Noise does not compress: far more than 3200 bytes.
        std::uint32_t noise = 12345;
        for (auto& cell : s.data.unpackedData) {
            noise = noise * 1103515245u + 12345u;
            cell = static_cast<std::uint8_t>(noise >> 23);
        }
        const auto report = saveLevel(s.rom, 4, s.data, s.host);
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(report.error().code, ErrorCode::NoRoom);
        const std::string room =
            migrated ? "3200"
                     : std::to_string(demoRom().layouts[5].offset - demoRom().layouts[4].offset);
        EXPECT_NE(report.error().message.find("holds only " + room + " bytes"), std::string::npos)
            << report.error().message;
        EXPECT_EQ(s.file.contents(), before);
    }
}

TEST(LevelSaver, LastSlotOfAMigratedRomMayGrowTheFile) {
    Session s(migratedDemo());
    const auto before = s.file.contents();
    s.load(19);
    std::uint32_t noise = 99;
    for (std::size_t i = 0; i < 600; ++i) {
        noise = noise * 1103515245u + 12345u;
        s.data.unpackedData[i] = static_cast<std::uint8_t>(noise >> 23);
    }
    ASSERT_TRUE(saveLevel(s.rom, 19, s.data, s.host).ok());
    const auto after = s.file.contents();
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(after.size() % 2, 0u);
    EXPECT_EQ(*readLong(after, kRomEndField), static_cast<std::int32_t>(after.size() - 1));
    EXPECT_EQ(*storedChecksum(after), *computeChecksum(after));
    LevelData reloaded;
    ASSERT_TRUE(loadLevel(s.rom, 19, reloaded, s.host).ok());
    EXPECT_EQ(reloaded.unpackedData, s.data.unpackedData);
}

TEST(LevelSaver, HighestFactoryLayoutHasTheRoomOfItsCurrentStream) {
    const auto& demo = demoRom();
    const auto room = layoutRoom(demo.image, 19);
    ASSERT_TRUE(room.ok());
    EXPECT_EQ(*room, demo.layouts[19].length);
    EXPECT_EQ(*layoutRoom(demo.image, 0), demo.layouts[1].offset - demo.layouts[0].offset);
}

TEST(LevelSaver, LevelThatIsNotLoadedIsNeverSaved) {
    DemoRomOptions options;
    options.weirdLayoutLevel = 2;
    Session s(demoRom(options).image);
    const auto before = s.file.contents();
    LevelData empty;
    EXPECT_EQ(saveLevel(s.rom, 0, empty, s.host).error().code, ErrorCode::NotLoaded);

    ASSERT_TRUE(loadLevel(s.rom, 2, s.data, s.host).ok());  // its layout breaks off
    EXPECT_EQ(saveLevel(s.rom, 2, s.data, s.host).error().code, ErrorCode::NotLoaded);

    s.load(1);  // another level than the one named
    EXPECT_EQ(saveLevel(s.rom, 0, s.data, s.host).error().code, ErrorCode::NotLoaded);

    // A failed load afterwards leaves the earlier level loaded, not the partial one.
    const auto whole = s.file.contents();
    TempRomFile cut(std::vector<std::uint8_t>(whole.begin(), whole.begin() + 0x9000));
    EXPECT_FALSE(loadLevel(RomImage(cut.path()), 3, s.data, s.host).ok());
    EXPECT_EQ(s.data.loadedLevel, 1);
    EXPECT_EQ(s.file.contents(), before);
}

TEST(LevelSaver, RomChangedOnDiskIsAskedAboutFirst) {
    Session s(migratedDemo());
    s.load(3);
    s.data.unpackedData[0] = 0x99;
    // Someone else rewrites the level's place meanwhile.
    auto changed = s.file.contents();
    const std::int32_t place = *layoutAddress(changed, 3);
    changed[static_cast<std::size_t>(place) + 5] ^= 0x01;
    testing::writeFile(s.file.path(), changed);

    s.host.answer = false;
    const auto refused = saveLevel(s.rom, 3, s.data, s.host);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::Cancelled);
    ASSERT_EQ(s.host.questions.size(), 1u);
    EXPECT_NE(s.host.questions[0].text.find("changed on disk"), std::string::npos);
    EXPECT_FALSE(s.host.questions[0].defaultYes);
    EXPECT_EQ(s.file.contents(), changed);

    // A longer file counts as changed too; Yes saves.
    changed.push_back(0);
    changed.push_back(0);
    testing::writeFile(s.file.path(), changed);
    s.host.answer = true;
    ASSERT_TRUE(saveLevel(s.rom, 3, s.data, s.host).ok());
    EXPECT_EQ(s.host.questions.size(), 2u);
}

TEST(LevelSaver, ReadOnlyRomLoadsButIsNotSaved) {
    Session s(demoRom().image);
    std::filesystem::permissions(s.file.path(), std::filesystem::perms::owner_read);
    s.load(0);
    const auto report = saveLevel(s.rom, 0, s.data, s.host);
    ASSERT_FALSE(report.ok());
    EXPECT_EQ(report.error().code, ErrorCode::FileWrite);
    EXPECT_NE(report.error().message.find("read-only"), std::string::npos);
    EXPECT_EQ(s.file.contents(), demoRom().image);
}

}  // namespace
}  // namespace orvex
