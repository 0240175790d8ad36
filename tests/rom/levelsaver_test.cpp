#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "support/testrom.h"

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

struct Session {
    explicit Session(const Bytes& image, const RomProfile& tables = revision01())
        : file(image), rom(file.path()), profile(tables) {}
    TempRomFile file;
    RomImage rom;
    const RomProfile& profile;
    LevelData data;
    RecordingHost host;

    void load(std::int16_t level) { ASSERT_TRUE(loadLevel(rom, profile, level, data, host).ok()); }
    Result<SaveReport> save(std::int16_t level) {
        return saveLevel(rom, profile, level, data, host);
    }
    Result<LoadReport> reload(std::int16_t level, LevelData& into) {
        return loadLevel(rom, profile, level, into, host);
    }
};

using LevelSaverOnEveryProfile = ProfileTest;

TEST_P(LevelSaverOnEveryProfile, SavesWhatFitsItsRoomInPlace) {
    const HeaderFields header;
    for (const bool migrated : {false, true}) {
        Session s(migrated ? migratedDemo(profile()) : demo().image, profile());
        const auto before = s.file.contents();
        s.load(6);
        s.data.unpackedData[layoutIndex(3, 11)] = 0x42;
        s.data.unpackedData[layoutIndex(4, 11)] = 0x42;
        const auto edited = s.data.unpackedData;
        s.host.captions.clear();
        const auto report = s.save(6);
        ASSERT_TRUE(report.ok()) << report.error().describe();
        EXPECT_EQ(s.host.captions.front(), "Saving Level...");
        EXPECT_EQ(s.data.unpackedData, edited);

        // Only the layout's place and the checksum changed.
        const auto after = s.file.contents();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(*storedChecksum(after, header), *computeChecksum(after, header));
        const auto place = static_cast<std::size_t>(*layoutAddress(after, profile(), 6));
        for (std::size_t at = 0; at < after.size(); ++at) {
            if (after[at] != before[at]) {
                EXPECT_TRUE((at >= place && at < place + report->packedBytes) || at == 0x18E ||
                            at == 0x18F)
                    << "changed " << at;
            }
        }
        LevelData reloaded;
        ASSERT_TRUE(s.reload(6, reloaded).ok());
        EXPECT_EQ(reloaded.unpackedData, edited);
        ASSERT_TRUE(s.save(6).ok());
        EXPECT_TRUE(s.host.questions.empty());  // its own save is no change on disk

        s.load(4);
        s.data.unpackedData = noiseBytes(4096);
        const auto packed = compressKosinskiOptimal(s.data.unpackedData)->size();
        const auto tooLong = s.save(4);
        EXPECT_EQ(tooLong.error().code, ErrorCode::NoRoom);
        const auto room = migrated ? 3200 : demo().layouts[5].offset - demo().layouts[4].offset;
        const std::string message = tooLong.error().message;
        EXPECT_NE(message.find("is " + std::to_string(packed) + " bytes"), std::string::npos)
            << message;
        EXPECT_NE(message.find("holds only " + std::to_string(room) + " bytes"), std::string::npos);
        EXPECT_EQ(s.file.contents(), after);
        if (migrated) {  // the last slot may grow the file
            s.load(19);
            s.data.unpackedData = noiseBytes(4096);
            const auto last = s.save(19);
            ASSERT_TRUE(last.ok()) << last.error().describe();
            EXPECT_GT(last->packedBytes, 3200);
            const auto grown = s.file.contents();
            EXPECT_GT(grown.size(), after.size());
            EXPECT_EQ(*readLong(grown, header.romEnd), static_cast<std::int32_t>(grown.size() - 1));
            EXPECT_EQ(*storedChecksum(grown, header), *computeChecksum(grown, header));
            ASSERT_TRUE(s.reload(19, reloaded).ok());
            EXPECT_EQ(reloaded.unpackedData, s.data.unpackedData);
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
    const auto tooLong = layoutPackingTo(3201);
    ASSERT_TRUE(tooLong.has_value());
    s.data.unpackedData = *tooLong;
    EXPECT_EQ(s.save(4).error().code, ErrorCode::NoRoom);
    EXPECT_EQ(s.file.contents(), before);

    const auto full = layoutPackingTo(3200);
    ASSERT_TRUE(full.has_value());
    s.data.unpackedData = *full;
    const auto report = s.save(4);
    ASSERT_TRUE(report.ok()) << report.error().describe();
    EXPECT_EQ(report->packedBytes, 3200);
    LevelData next;  // the slot after it is untouched
    ASSERT_TRUE(s.reload(5, next).ok());
    EXPECT_EQ(next.unpackedData, demoRom().layoutData[5]);
    ASSERT_TRUE(s.reload(4, next).ok());
    EXPECT_EQ(next.unpackedData, *full);
}

TEST(LevelSaver, UneditedLevelsOfAFactoryRomFitTheirRoom) {
    Session s(demoRom().image);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        s.load(level);
        const auto report = s.save(level);
        ASSERT_TRUE(report.ok()) << "level " << level << ": " << report.error().describe();
        EXPECT_LE(report->packedBytes, report->room);
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        s.load(level);
        EXPECT_EQ(s.data.unpackedData, demoRom().layoutData[static_cast<std::size_t>(level)]);
    }
    // The highest factory layout has the room of the stream there now.
    EXPECT_EQ(*layoutRoom(demoRom().image, revision01(), 19), demoRom().layouts[19].length);
}

// Levels not loaded completely and read-only files load but are never saved.
TEST(LevelSaver, RefusedSavesWriteNothing) {
    Session s(demoRom({.weirdLayoutLevel = 2}).image);
    std::filesystem::permissions(s.file.path(), std::filesystem::perms::owner_read);
    EXPECT_EQ(s.save(0).error().code, ErrorCode::NotLoaded);  // nothing loaded yet
    ASSERT_TRUE(s.reload(2, s.data).ok());                    // its layout breaks off
    EXPECT_EQ(s.save(2).error().code, ErrorCode::NotLoaded);
    s.load(1);
    EXPECT_EQ(s.save(0).error().code, ErrorCode::NotLoaded);  // another level than the one named
    const auto readOnly = s.save(1);
    EXPECT_EQ(readOnly.error().code, ErrorCode::FileWrite);
    EXPECT_NE(readOnly.error().message.find("read-only"), std::string::npos);
    EXPECT_EQ(s.file.contents(), demoRom({.weirdLayoutLevel = 2}).image);
}

TEST(LevelSaver, RomChangedOnDiskIsAskedAboutFirst) {
    Session s(migratedDemo());
    s.load(3);
    s.data.unpackedData[0] = 0x99;
    auto changed = s.file.contents();  // someone else rewrites the level's place meanwhile
    changed[static_cast<std::size_t>(*layoutAddress(changed, revision01(), 3) +
                                     demoRom().layouts[3].length - 1)] ^= 1;
    writeFile(s.file.path(), changed);

    s.host.answer = false;
    EXPECT_EQ(s.save(3).error().code, ErrorCode::Cancelled);
    ASSERT_EQ(s.host.questions.size(), 1u);
    EXPECT_NE(s.host.questions[0].text.find("changed on disk"), std::string::npos);
    EXPECT_FALSE(s.host.questions[0].defaultYes);
    EXPECT_EQ(s.file.contents(), changed);

    changed.resize(changed.size() + 2);  // Yes saves, over whatever else changed
    writeFile(s.file.path(), changed);
    s.host.answer = true;
    ASSERT_TRUE(s.save(3).ok());
    EXPECT_EQ(s.host.questions.size(), 2u);
}

}  // namespace
}  // namespace orvex::testing
