#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/romlayout.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

// Asked with the exact prompt, No writes nothing; Yes moves every layout behind a new directory
// at T, the file's length made even, and the migrated ROM is not asked again.
TEST(RomCheck, AsksThenMovesEveryLayoutBehindANewDirectory) {
    const auto& demo = demoRom();
    for (const bool odd : {false, true}) {
        Bytes old = demo.image;
        if (odd) {
            old.push_back(0x55);
        }
        const auto t = static_cast<std::int64_t>(old.size() + 1) & ~1LL;
        TempRomFile file(old);
        RecordingHost host;
        host.answer = false;
        EXPECT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::Declined);
        EXPECT_EQ(file.contents(), old);
        host.answer = true;
        ASSERT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::Migrated);
        ASSERT_EQ(host.questions.size(), 2u);
        EXPECT_EQ(host.questions[1].title, "Rom Oringinal ");
        EXPECT_TRUE(host.questions[1].defaultYes);
        EXPECT_EQ(host.questions[1].text,
                  "This ROM hasn't had it's levels migrated.\r\n"
                  "In order to save levels in the ROM safely,\r\n"
                  "it is necessary to expand the ROM and save\r\n"
                  "the levels at the end of the ROM.  If this\r\n"
                  "isn't done, data in the ROM may be overwritten,\r\n"
                  "as the levels may not fit.  Do you wish to\r\n"
                  "migrate the levels?\r\n\r\nMigrate Levels?\r\n");
        const auto rom = file.contents();
        EXPECT_EQ(*readLong(rom, kLayoutDirectoryPointer), t);
        EXPECT_EQ(*readLong(rom, kRomEndField), static_cast<std::int32_t>(rom.size() - 1));
        EXPECT_EQ(*storedChecksum(rom), *computeChecksum(rom));
        // The last slot ends the file, padded to an even length.
        EXPECT_EQ(rom.size(), (t + 68 + 3200 * 19 + demo.layouts[19].length + 1) & ~1LL);

        std::vector<bool> named(68, false);
        for (std::int16_t i = 0; i < kLevelCount; ++i) {
            const auto u = static_cast<std::size_t>(i);
            const std::size_t word = 4u * demo.levelZone[u] + 2u * demo.levelAct[u];
            named[word] = true;
            EXPECT_EQ(*readWord(rom, t + static_cast<std::int64_t>(word)), 68 + 3200 * i);
            const auto& stream = demo.layouts[u];
            const auto slot = rom.begin() + t + 68 + 3200 * i;
            EXPECT_TRUE(std::equal(old.begin() + stream.offset,
                                   old.begin() + stream.offset + stream.length, slot));
            if (i < 19) {
                EXPECT_TRUE(std::all_of(slot + stream.length, slot + 3200,
                                        [](std::uint8_t b) { return b == 0; }));
            }
            EXPECT_EQ(decompressKosinski(rom, *layoutAddress(rom, i))->data, demo.layoutData[u]);
        }
        for (std::size_t at = 0; at < 68; at += 2) {
            EXPECT_TRUE(named[at] || *readWord(rom, t + static_cast<std::int64_t>(at)) == 0) << at;
        }
        // Every byte of the old file but the pointer, the end field and the checksum is unchanged.
        const auto within = [](std::size_t at, std::size_t from, std::size_t count) {
            return at >= from && at < from + count;
        };
        for (std::size_t at = 0; at < old.size(); ++at) {
            if (!within(at, kChecksumField, 2) && !within(at, kRomEndField, 4) &&
                !within(at, kLayoutDirectoryPointer, 4)) {
                ASSERT_EQ(rom[at], old[at]) << "offset " << at;
            }
        }
        EXPECT_EQ(*checkROM(RomImage(file.path()), host), RomCheckOutcome::AlreadyMigrated);
        EXPECT_EQ(host.questions.size(), 2u);
    }
}

TEST(RomCheck, MigrationRefusesWhatItCannotCopy) {
    const auto& demo = demoRom();
    const auto wordOf = [&](std::size_t level) {
        return kFactoryLayoutDirectory + 4u * demo.levelZone[level] + 2u * demo.levelAct[level];
    };
    const std::vector<std::tuple<const char*, std::function<void(Bytes&)>, ErrorCode>> cases = {
        {"word 0x8000", [&](Bytes& rom) { putWord(rom, wordOf(4), 0x8000); },
         ErrorCode::ValueTooLarge},
        {"zone 17", [](Bytes& rom) { rom[kLevelList + 2 * 7] = 17; }, ErrorCode::OutOfRange},
        {"act 2", [](Bytes& rom) { rom[kLevelList + 2 * 7 + 1] = 2; }, ErrorCode::OutOfRange},
        {"stream running off the file",
         [&](Bytes& rom) {
             putWord(rom, wordOf(9), 0x7FFE);
             rom.resize(kFactoryLayoutDirectory + 0x7FFE + 3);
         },
         ErrorCode::CorruptStream},
        {"weird stream", [](Bytes& rom) { rom = demoRom({.weirdLayoutLevel = 5}).image; },
         ErrorCode::CorruptStream},
        {"stream longer than its slot",
         [&](Bytes& rom) {
             const Bytes noise = compressKosinskiOptimal(noiseBytes(4096)).value();
             std::copy(noise.begin(), noise.end(), rom.begin() + kFactoryLayoutDirectory + 0x1000);
             putWord(rom, wordOf(0), 0x1000);
         },
         ErrorCode::NoRoom},
        {"read-only", [](Bytes&) {}, ErrorCode::FileWrite},
    };
    for (const auto& [what, damage, code] : cases) {
        Bytes image = demo.image;
        damage(image);
        TempRomFile file(image);
        if (code == ErrorCode::FileWrite) {
            std::filesystem::permissions(file.path(), std::filesystem::perms::owner_read);
        }
        RecordingHost host;
        const auto outcome = checkROM(RomImage(file.path()), host);
        ASSERT_FALSE(outcome.ok()) << what;
        EXPECT_EQ(outcome.error().code, code) << what << ": " << outcome.error().describe();
        EXPECT_EQ(file.contents(), image) << what;
    }
}

}  // namespace
}  // namespace orvex::testing
