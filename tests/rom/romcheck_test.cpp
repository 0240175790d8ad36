#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::demoRom;
using testing::RecordingHost;
using testing::TempRomFile;

constexpr std::size_t kSlot0 = kMigratedDirectorySize;

TEST(RomCheck, FactoryRomIsAskedWithTheExactPrompt) {
    TempRomFile file(demoRom().image);
    RecordingHost host;
    host.answer = false;
    const auto outcome = checkROM(RomImage(file.path()), host);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(*outcome, RomCheckOutcome::Declined);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].title, "Rom Oringinal ");
    EXPECT_TRUE(host.questions[0].defaultYes);
    EXPECT_EQ(host.questions[0].text,
              "This ROM hasn't had it's levels migrated.\r\n"
              "In order to save levels in the ROM safely,\r\n"
              "it is necessary to expand the ROM and save\r\n"
              "the levels at the end of the ROM.  If this\r\n"
              "isn't done, data in the ROM may be overwritten,\r\n"
              "as the levels may not fit.  Do you wish to\r\n"
              "migrate the levels?\r\n\r\nMigrate Levels?\r\n");
    // No writes nothing, and the next open asks again.
    EXPECT_EQ(file.contents(), demoRom().image);
    ASSERT_TRUE(checkROM(RomImage(file.path()), host).ok());
    EXPECT_EQ(host.questions.size(), 2u);
}

TEST(RomCheck, OtherPointersAreNotAsked) {
    std::vector<std::uint8_t> image = demoRom().image;
    putLong(image, kLayoutDirectoryPointer, 0x45A81);
    TempRomFile file(image);
    RecordingHost host;
    EXPECT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::AlreadyMigrated);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(file.contents(), image);
}

TEST(RomCheck, MigrationMovesEveryLayoutBehindANewDirectory) {
    const auto& demo = demoRom();
    const auto& old = demo.image;
    const auto t = static_cast<std::int64_t>(old.size());
    TempRomFile file(old);
    RecordingHost host;
    ASSERT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::Migrated);
    const auto rom = file.contents();

    EXPECT_EQ(*readLong(rom, kLayoutDirectoryPointer), t);
    EXPECT_EQ(rom.size() % 2, 0u);
    EXPECT_EQ(*readLong(rom, kRomEndField), static_cast<std::int32_t>(rom.size() - 1));
    EXPECT_EQ(*storedChecksum(rom), *computeChecksum(rom));
    // The last slot ends the file (padded to an even length).
    EXPECT_EQ(rom.size(), (t + 68 + 3200 * 19 + demo.layouts[19].length + 1) & ~1LL);

    std::vector<bool> named(68, false);
    for (std::int16_t i = 0; i < kLevelCount; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const std::size_t wordAt =
            static_cast<std::size_t>(t) + 4u * demo.levelZone[u] + 2u * demo.levelAct[u];
        named[wordAt - static_cast<std::size_t>(t)] = true;
        EXPECT_EQ(*readWord(rom, static_cast<std::int64_t>(wordAt)), 68 + 3200 * i);
        EXPECT_EQ(*layoutAddress(rom, i), t + 68 + 3200 * i);
        const auto& stream = demo.layouts[u];
        const auto slot = rom.begin() + t + static_cast<std::int64_t>(kSlot0) + 3200 * i;
        EXPECT_TRUE(std::equal(old.begin() + stream.offset,
                               old.begin() + stream.offset + stream.length, slot));
        if (i < 19) {
            EXPECT_TRUE(std::all_of(slot + stream.length, slot + 3200,
                                    [](std::uint8_t b) { return b == 0; }));
        }
        EXPECT_EQ(decompressKosinski(rom, *layoutAddress(rom, i))->data, demo.layoutData[u]);
    }
    EXPECT_EQ(*readWord(rom, t), 68);
    EXPECT_EQ(*readWord(rom, t + 4 * 16), 60868);  // level index 19 names zone 16, act 0
    for (std::size_t at = 0; at < 68; at += 2) {
        if (!named[at]) {
            EXPECT_EQ(*readWord(rom, t + static_cast<std::int64_t>(at)), 0) << "word " << at;
        }
    }
    // Every byte of the old file but the pointer, the end field and the checksum is unchanged.
    for (std::size_t at = 0; at < old.size(); ++at) {
        const bool header = (at >= kChecksumField && at < kChecksumField + 2) ||
                            (at >= kRomEndField && at < kRomEndField + 4) ||
                            (at >= kLayoutDirectoryPointer && at < kLayoutDirectoryPointer + 4);
        if (!header) {
            ASSERT_EQ(rom[at], old[at]) << "offset " << at;
        }
    }
    // Opening the migrated ROM asks nothing more.
    EXPECT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::AlreadyMigrated);
    EXPECT_EQ(host.questions.size(), 1u);
}

TEST(RomCheck, MigrationOfAnOddLengthFileKeepsItsWordsEven) {
    std::vector<std::uint8_t> image = demoRom().image;
    image.push_back(0x55);
    TempRomFile file(image);
    ASSERT_TRUE(migrateLayouts(RomImage(file.path()), kFactoryLayoutDirectory).ok());
    const auto rom = file.contents();
    EXPECT_EQ(*readLong(rom, kLayoutDirectoryPointer), static_cast<std::int32_t>(image.size() + 1));
    EXPECT_EQ(rom.size() % 2, 0u);
    EXPECT_EQ(*storedChecksum(rom), *computeChecksum(rom));
}

TEST(RomCheck, MigrationRefusesWhatItCannotCopy) {
    const auto& demo = demoRom();
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        ErrorCode code;
    };
    const std::vector<Case> cases = {
        {"directory word of 0x8000",
         [&](auto& image) {
             putWord(image,
                     kFactoryLayoutDirectory + 4u * demo.levelZone[4] + 2u * demo.levelAct[4],
                     0x8000);
         },
         ErrorCode::ValueTooLarge},
        {"zone beyond the new directory", [](auto& image) { image[kLevelList + 2 * 7] = 17; },
         ErrorCode::OutOfRange},
        {"act 2", [](auto& image) { image[kLevelList + 2 * 7 + 1] = 2; }, ErrorCode::OutOfRange},
        {"stream running off the file",
         [&](auto& image) {
             putWord(image,
                     kFactoryLayoutDirectory + 4u * demo.levelZone[9] + 2u * demo.levelAct[9],
                     0x7FFE);
             image.resize(kFactoryLayoutDirectory + 0x7FFE + 3);
         },
         ErrorCode::CorruptStream},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> image = demo.image;
        c.damage(image);
        TempRomFile file(image);
        RecordingHost host;
        const auto outcome = checkROM(RomImage(file.path()), host);
        ASSERT_FALSE(outcome.ok()) << c.what;
        EXPECT_EQ(outcome.error().code, c.code) << c.what << ": " << outcome.error().describe();
        EXPECT_EQ(file.contents(), image) << c.what;
    }
}

TEST(RomCheck, ReadOnlyRomIsNotMigrated) {
    TempRomFile file(demoRom().image);
    std::filesystem::permissions(file.path(), std::filesystem::perms::owner_read);
    RecordingHost host;
    const auto outcome = checkROM(RomImage(file.path()), host);
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().code, ErrorCode::FileWrite);
    EXPECT_EQ(file.contents(), demoRom().image);
}

}  // namespace
}  // namespace orvex
