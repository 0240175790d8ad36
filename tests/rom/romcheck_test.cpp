#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/documenttestsupport.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/room.h"

namespace orvex::testing {
namespace {

using RomCheck = ProfileTest;

// The check tells of layouts not migrated and writes nothing; the migration moves every layout
// behind a new directory at T, the file's length made even, and the check then sees it.
TEST_P(RomCheck, MigrationMovesEveryLayoutBehindANewDirectory) {
    const auto& demo = this->demo();
    const HeaderFields header;
    for (const bool odd : {false, true}) {
        Bytes old = demo.image;
        if (odd) {
            old.push_back(0x55);
        }
        const auto t = static_cast<std::int64_t>(old.size() + 1) & ~1LL;
        TempRomFile file(old);
        const auto check = checkROM(RomImage(file.path()));
        ASSERT_TRUE(check.ok());
        EXPECT_FALSE(check->layoutsMigrated);
        EXPECT_EQ(check->identity.profile.kind, profile().kind);
        EXPECT_EQ(file.contents(), old);
        ASSERT_TRUE(migrateLayouts(RomImage(file.path()), profile()).ok());
        const auto rom = file.contents();
        EXPECT_EQ(*readLong(rom, profile().layoutDirectoryPointer), t);
        EXPECT_EQ(*readLong(rom, header.romEnd), static_cast<std::int32_t>(rom.size() - 1));
        EXPECT_EQ(*storedChecksum(rom, header), *computeChecksum(rom, header));
        EXPECT_TRUE(layoutsMigrated(rom, profile()));
        // The last slot is written whole, so that what is appended later leaves it its room.
        EXPECT_EQ(static_cast<std::int64_t>(rom.size()), t + 68 + 3200 * 20);

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
            EXPECT_EQ(decompressKosinski(rom, *layoutAddress(rom, profile(), i))->data,
                      demo.layoutData[u]);
        }
        for (std::size_t at = 0; at < 68; at += 2) {
            EXPECT_TRUE(named[at] || *readWord(rom, t + static_cast<std::int64_t>(at)) == 0) << at;
        }
        // Every byte of the old file but the pointer, the end field and the checksum is unchanged.
        const auto within = [](std::size_t at, std::size_t from, std::size_t count) {
            return at >= from && at < from + count;
        };
        for (std::size_t at = 0; at < old.size(); ++at) {
            if (!within(at, 0x18E, 2) && !within(at, 0x1A4, 4) &&
                !within(at, static_cast<std::size_t>(profile().layoutDirectoryPointer), 4)) {
                ASSERT_EQ(rom[at], old[at]) << "offset " << at;
            }
        }
        EXPECT_TRUE(checkROM(RomImage(file.path()))->layoutsMigrated);
    }
}

ORVEX_ALL_PROFILES(RomCheck);

// A directory moved by another tool is not a migrated one: the room of each layout is measured
// from the file, so a grown layout is refused instead of overwriting the layouts after it, and
// the migration is offered.
TEST(RomCheckMovedDirectory, IsNotTakenForMigrated) {
    const auto& demo = demoRom();
    const RomProfile& profile = demo.profile;
    Bytes image = demo.image;
    const auto directory = static_cast<std::size_t>(*profile.factoryLayoutDirectory);
    const std::size_t moved = directory - 16;
    std::copy_n(demo.image.begin() + static_cast<std::ptrdiff_t>(directory), 68,
                image.begin() + static_cast<std::ptrdiff_t>(moved));
    for (std::size_t at = 0; at < 68; at += 2) {
        const auto word = *readWord(image, static_cast<std::int64_t>(moved + at));
        if (word != 0) {
            putWord(image, moved + at, static_cast<std::uint16_t>(word + 16));
        }
    }
    putLong(image, static_cast<std::size_t>(profile.layoutDirectoryPointer),
            static_cast<std::uint32_t>(moved));
    EXPECT_FALSE(layoutsMigrated(image, profile));
    EXPECT_EQ(*layoutRoom(image, profile, 0), demo.layouts[1].offset - demo.layouts[0].offset);

    DocumentFile file(image, profile);
    file.load(0);
    file.document->replaceLayout(Layout(noiseBytes(4096)));
    EXPECT_EQ(file.save().error().code, ErrorCode::NoRoom);
    EXPECT_EQ(file.file.contents(), image);
    EXPECT_FALSE(checkROM(file.rom)->layoutsMigrated);
}

TEST(Migration, RefusesWhatItCannotCopy) {
    const auto& demo = demoRom();
    const RomProfile& profile = demo.profile;
    const auto list = static_cast<std::size_t>(profile.levelList);
    const auto directory = static_cast<std::size_t>(*profile.factoryLayoutDirectory);
    const auto wordOf = [&](std::size_t level) {
        return directory + 4u * demo.levelZone[level] + 2u * demo.levelAct[level];
    };
    const std::vector<std::tuple<const char*, std::function<void(Bytes&)>, ErrorCode>> cases = {
        {"two levels of one zone and act",
         [&](Bytes& rom) { putWord(rom, list + 2 * 7, *readWord(rom, list + 2 * 6)); },
         ErrorCode::OutOfRange},
        {"stream running off the file",
         [&](Bytes& rom) {
             putWord(rom, wordOf(9), 0xFFFE);
             rom.resize(directory + 0xFFFE + 4);
             putLong(rom, 0x1A4, static_cast<std::uint32_t>(rom.size() - 1));
         },
         ErrorCode::CorruptStream},
        {"weird stream", [](Bytes& rom) { rom = demoRom({.weirdLayoutLevel = 5}).image; },
         ErrorCode::CorruptStream},
        {"stream longer than its slot",
         [&](Bytes& rom) {
             const Bytes noise = compressKosinskiOptimal(noiseBytes(4096)).value();
             std::copy(noise.begin(), noise.end(),
                       rom.begin() + static_cast<std::ptrdiff_t>(directory + 0x1000));
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
        const auto outcome = migrateLayouts(RomImage(file.path()), profile);
        ASSERT_FALSE(outcome.ok()) << what;
        EXPECT_EQ(outcome.error().code, code) << what << ": " << outcome.error().describe();
        EXPECT_EQ(file.contents(), image) << what;
    }
}

}  // namespace
}  // namespace orvex::testing
