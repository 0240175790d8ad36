#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;
using Step = RomImage::WriteStep;

const RomProfile& revision01() {
    return revisionProfile(RomKind::Revision01);
}

// One save of level `level` with a block changed, through a RomImage of its own, as a
// separate run of the tool or the editor would make it.
Result<SaveReport> saveEdit(const RomImage& rom, std::int16_t level, std::uint8_t block) {
    auto image = rom.readAll();
    if (!image) {
        return image.error();
    }
    auto loaded = loadDocument(*image, revision01(), level);
    if (!loaded) {
        return loaded.error();
    }
    loaded->document->setBlock({3, 1000 - 3 * 256}, block);
    return saveDocument(rom, *loaded->document);
}

Bytes bak(const TempRomFile& file) {
    return readFile(file.path().string() + ".bak");
}
Bytes orig(const TempRomFile& file) {
    return readFile(file.path().string() + ".orig");
}

// The names in the file's folder.
std::set<std::string> folderNames(const TempRomFile& file) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(file.path().parent_path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A fault at every step of a write (each 256 KiB chunk of each temporary file, each flush, each
// rename) leaves the file and both backups as they were and no temporary file behind; the
// first write, when there are no backups yet, likewise leaves none.
TEST(Backups, AFaultAtAnyStepChangesNothing) {
    for (const bool firstWrite : {true, false}) {
        TempRomFile file(demoRom().image);
        if (!firstWrite) {
            ASSERT_TRUE(migrateLayouts(RomImage(file.path()), revision01()).ok());
        }
        const Bytes before = file.contents();
        const auto names = folderNames(file);
        const Bytes previous = firstWrite ? Bytes{} : bak(file);
        const std::size_t files = firstWrite ? 3 : 2;  // new contents, .bak and maybe .orig
        std::vector<std::pair<Step, std::size_t>> faults;
        for (std::size_t k = 0; k < files; ++k) {
            faults.emplace_back(Step::Flush, k);
            faults.emplace_back(Step::Rename, k);
        }
        for (std::size_t k = 0; k < files * ((before.size() + 0x3FFFF) / 0x40000 + 1); ++k) {
            faults.emplace_back(Step::Write, k);
        }
        for (const auto& fault : faults) {
            SCOPED_TRACE(std::to_string(static_cast<int>(fault.first)) + " " +
                         std::to_string(fault.second));
            RomImage rom(file.path());
            rom.setWriteHook([fault](Step step, std::size_t index) {
                return std::pair{step, index} == fault
                           ? Status{makeError(ErrorCode::FileWrite, "injected failure")}
                           : Status{};
            });
            const auto saved = saveEdit(rom, 8, 0x77);
            if (saved.ok()) {  // a chunk past the last one: the write went through
                ASSERT_EQ(fault.first, Step::Write);
                break;
            }
            EXPECT_EQ(saved.error().code, ErrorCode::FileWrite);
            EXPECT_EQ(file.contents(), before);
            EXPECT_EQ(folderNames(file), names);
            if (!firstWrite) {
                EXPECT_EQ(bak(file), previous);
                EXPECT_EQ(orig(file), demoRom().image);
            }
        }
    }
}

// Permissions stay; a symbolic link to the ROM is followed, backups lie beside its target, and
// a backup name that is a link is replaced, never written through.
TEST(Backups, LinksAndPermissions) {
    TempRomFile file(demoRom().image);
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(file.path(), perms);
    const fs::path folder = file.path().parent_path();
    const fs::path link = folder / "link.bin";
    fs::create_symlink(file.path(), link);
    const fs::path elsewhere = folder / "precious.bin";
    writeFile(elsewhere, {1, 2, 3});
    fs::create_symlink(elsewhere, file.path().string() + ".bak");
    const auto saved = saveEdit(RomImage(link), 0, 0x10);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_EQ(saved->written.previous, file.path().string() + ".bak");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::is_symlink(saved->written.previous));
    EXPECT_EQ(readFile(elsewhere), (Bytes{1, 2, 3}));
    EXPECT_EQ(bak(file), demoRom().image);
    EXPECT_EQ(fs::status(file.path()).permissions() & fs::perms::all, perms);
}

// A file that keeps no backups is written in place of itself alone, and a fault leaves it as it
// was with nothing beside it.
TEST(Backups, AFileThatKeepsNoneGetsNone) {
    TempRomFile file(demoRom().image);
    const auto names = folderNames(file);
    RomImage failing(file.path());
    failing.setKeepsBackups(false);
    failing.setWriteHook([](Step step, std::size_t) {
        return step == Step::Rename ? Status{makeError(ErrorCode::FileWrite, "injected failure")}
                                    : Status{};
    });
    ASSERT_FALSE(saveEdit(failing, 0, 0x10).ok());
    EXPECT_EQ(file.contents(), demoRom().image);
    EXPECT_EQ(folderNames(file), names);

    RomImage rom(file.path());
    rom.setKeepsBackups(false);
    const auto saved = saveEdit(rom, 0, 0x10);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_FALSE(saved->written.keptBackups());
    EXPECT_NE(file.contents(), demoRom().image);
    EXPECT_EQ(folderNames(file), names);
}

// Only regular files of a cartridge's size are opened, at once and with a reason.
TEST(OddFiles, AreRefusedWithAReasonAndWithoutWaiting) {
    TempRomFile file(demoRom().image);
    const fs::path folder = file.path().parent_path();
    const fs::path pipe = folder / "pipe.bin";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path huge = folder / "huge.bin";
    writeFile(huge, {});
    fs::resize_file(huge, std::uintmax_t{3} << 30);  // sparse: nothing is written
    for (const auto& [path, reason] : std::vector<std::pair<fs::path, std::string>>{
             {folder, "it is a folder"},
             {pipe, "it is not a regular file"},
             {huge, "Orvex reads files of at most 8 MiB"},
             {folder / "none.bin", "it does not exist"}}) {
        const RomImage rom(path);
        const auto read = rom.readAll();
        ASSERT_TRUE(failsWith(read, std::nullopt, reason)) << path;
        EXPECT_FALSE(saveEdit(rom, 0, 1).ok());
        EXPECT_FALSE(checkROM(rom).ok());
    }
}

// Temporary files of a killed run are cleared by the next write; a second writer waits for
// the first and gives up, saying why, while it still writes.
TEST(Writers, StaleFilesGoAndAHeldLockIsWaitedFor) {
    TempRomFile file(demoRom().image);
    const std::string name = file.path().string();
    writeFile(name + ".orvex-temp-AbC123", Bytes(100, 1));
    writeFile((file.path().parent_path() / ".rom.bin.orvex-XyZ789").string(), Bytes(100, 2));
    ASSERT_TRUE(saveEdit(RomImage(file.path()), 1, 0x31).ok());
    EXPECT_EQ(folderNames(file), (std::set<std::string>{"rom.bin", "rom.bin.bak", "rom.bin.orig"}));

    const int held = ::open(name.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const Bytes before = file.contents();
    const auto blocked = saveEdit(RomImage(file.path()), 2, 0x32);
    ::close(held);
    ASSERT_TRUE(failsWith(blocked, std::nullopt, "rom.bin is being written by another program"));
    EXPECT_EQ(file.contents(), before);
}

// On a full disk nothing partial is left and the message says so. Needs a small tmpfs, which
// only a privileged test may mount.
TEST(Writers, AFullDiskSaysSoAndLeavesNothingBehind) {
    const fs::path mountPoint =
        fs::temp_directory_path() / ("orvex-full-" + std::to_string(::getpid()));
    fs::create_directories(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=2400k") != 0) {
        fs::remove(mountPoint);
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root): the full disk is not tried";
    }
    const fs::path rom = mountPoint / "rom.bin";
    writeFile(rom, demoRom().image);
    ASSERT_TRUE(
        failsWith(migrateLayouts(RomImage(rom), revision01()), std::nullopt, "the disk is full"));
    EXPECT_EQ(readFile(rom), demoRom().image);
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint), fs::directory_iterator()), 1);
    ::umount(mountPoint.c_str());
    fs::remove_all(mountPoint);
}

}  // namespace
}  // namespace orvex::testing
