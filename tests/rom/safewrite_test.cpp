#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "common/byteorder.h"
#include "rom/checksum.h"
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
using Step = RomImage::WriteStep;

struct Fault {
    Step step;
    std::size_t index;
};

// Every step a replacement of a file of `size` bytes goes through.
std::vector<Fault> everyStep(std::size_t size) {
    std::vector<Fault> faults;
    for (std::size_t k = 0; k * 256 * 1024 < size; ++k) {
        faults.push_back({Step::Write, k});
    }
    faults.push_back({Step::Flush, 0});
    faults.push_back({Step::Rename, 0});
    return faults;
}

RomImage::WriteHook failAt(Fault fault) {
    return [fault](Step step, std::size_t index) -> Status {
        if (step == fault.step && index == fault.index) {
            return makeError(ErrorCode::FileWrite, "injected failure");
        }
        return {};
    };
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeWrite, FailedMigrationLeavesTheFileAsItWas) {
    const auto& old = demoRom().image;
    for (const Fault fault : everyStep(old.size() + 68 + 3200 * 20)) {
        TempRomFile file(old);
        RomImage rom(file.path());
        rom.setWriteHook(failAt(fault));
        RecordingHost host;
        const auto outcome = checkROM(rom, host);
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().code, ErrorCode::FileWrite);
        EXPECT_EQ(file.contents(), old);
        // Nothing is left behind but the backup of the untouched file.
        EXPECT_EQ(folderEntries(file.path().parent_path()),
                  (std::vector<std::string>{"rom.bin", "rom.bin.bak"}));
        rom.setWriteHook({});
        ASSERT_TRUE(checkROM(rom, host).ok());  // the next try completes
        const auto migrated = file.contents();
        EXPECT_EQ(*readLong(migrated, kLayoutDirectoryPointer),
                  static_cast<std::int32_t>(old.size()));
        EXPECT_EQ(*storedChecksum(migrated), *computeChecksum(migrated));
    }
}

TEST(SafeWrite, FailedSaveLeavesTheFileAsItWas) {
    TempRomFile migrated(demoRom().image);
    ASSERT_TRUE(migrateLayouts(RomImage(migrated.path()), kFactoryLayoutDirectory).ok());
    const auto old = migrated.contents();
    for (const Fault fault : everyStep(old.size())) {
        TempRomFile file(old);
        RomImage rom(file.path());
        LevelData data;
        RecordingHost host;
        ASSERT_TRUE(loadLevel(rom, 8, data, host).ok());
        data.unpackedData[1000] = 0x77;
        rom.setWriteHook(failAt(fault));
        const auto report = saveLevel(rom, 8, data, host);
        ASSERT_FALSE(report.ok());
        EXPECT_EQ(file.contents(), old);
        EXPECT_EQ(folderEntries(file.path().parent_path()),
                  (std::vector<std::string>{"rom.bin", "rom.bin.bak"}));

        rom.setWriteHook({});
        ASSERT_TRUE(saveLevel(rom, 8, data, host).ok());
        const auto saved = file.contents();
        EXPECT_EQ(*storedChecksum(saved), *computeChecksum(saved));
        LevelData reloaded;
        ASSERT_TRUE(loadLevel(rom, 8, reloaded, host).ok());
        EXPECT_EQ(reloaded.unpackedData[1000], 0x77);
    }
}

TEST(SafeWrite, FirstChangeKeepsABackupAndLaterOnesDoNot) {
    const auto& old = demoRom().image;
    TempRomFile file(old);
    const RomImage rom(file.path());
    LevelData data;
    RecordingHost host;
    ASSERT_TRUE(loadLevel(rom, 0, data, host).ok());
    const auto first = saveLevel(rom, 0, data, host);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(first->newBackup.has_value());
    EXPECT_EQ(first->newBackup->filename(), "rom.bin.bak");
    EXPECT_EQ(testing::readFile(*first->newBackup), old);

    data.unpackedData[3] = 0x10;
    const auto second = saveLevel(rom, 0, data, host);
    ASSERT_TRUE(second.ok());
    EXPECT_FALSE(second->newBackup.has_value());
    EXPECT_EQ(testing::readFile(*first->newBackup), old);  // not replaced by the second save

    // Opening the file again starts a new session: its first save replaces the old backup.
    const auto beforeReopen = file.contents();
    const RomImage reopened(file.path());
    ASSERT_TRUE(loadLevel(reopened, 0, data, host).ok());
    data.unpackedData[4] = 0x11;
    ASSERT_TRUE(saveLevel(reopened, 0, data, host)->newBackup.has_value());
    EXPECT_EQ(testing::readFile(*first->newBackup), beforeReopen);
}

TEST(SafeWrite, KeepsPermissionsAndFollowsSymbolicLinks) {
    TempRomFile file(demoRom().image);
    std::filesystem::permissions(file.path(), std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_write |
                                                  std::filesystem::perms::group_read);
    const auto link = file.path().parent_path() / "link.bin";
    std::filesystem::create_symlink(file.path(), link);
    RecordingHost host;
    ASSERT_TRUE(checkROM(RomImage(link), host).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(file.contents(), demoRom().image);  // the target was migrated
    EXPECT_EQ(std::filesystem::status(file.path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    EXPECT_TRUE(std::filesystem::exists(file.path().string() + ".bak"));
}

}  // namespace
}  // namespace orvex
