#include <gtest/gtest.h>

#include <functional>

#include "common/byteorder.h"
#include "rom/cartridge.h"
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

// An interleaved copier dump of `raw`: a 512-byte header, then 16 KiB blocks with the odd bytes
// in the first half and the even bytes in the second.
std::vector<std::uint8_t> interleaved(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> dump(512, 0);
    dump[0] = static_cast<std::uint8_t>(raw.size() / 16384);
    dump[8] = 0xAA;
    dump[9] = 0xBB;
    for (std::size_t block = 0; block < raw.size(); block += 16384) {
        for (std::size_t i = 0; i < 8192; ++i) {
            dump.push_back(raw[block + 2 * i + 1]);
        }
        for (std::size_t i = 0; i < 8192; ++i) {
            dump.push_back(raw[block + 2 * i]);
        }
    }
    return dump;
}

TEST(HostileInput, FilesThatAreNotCartridgeImagesAreRefusedUntouched) {
    std::vector<std::uint8_t> noSega = demoRom().image;
    noSega[0x100] = 'X';
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
        {"empty", {}},
        {"one byte", {0x00}},
        {"no SEGA", noSega},
        {"smd", interleaved(demoRom().image)},
    };
    for (const auto& [what, bytes] : files) {
        TempRomFile file(bytes);
        const RomImage rom(file.path());
        RecordingHost host;
        LevelData data;
        const auto checked = checkROM(rom, host);
        ASSERT_FALSE(checked.ok()) << what;
        EXPECT_EQ(checked.error().code, ErrorCode::NotARom) << what;
        EXPECT_TRUE(host.questions.empty()) << what;
        EXPECT_EQ(loadLevel(rom, 0, data, host).error().code, ErrorCode::NotARom) << what;
        EXPECT_EQ(migrateLayouts(rom, kFactoryLayoutDirectory).error().code, ErrorCode::NotARom);
        EXPECT_EQ(file.contents(), bytes) << what;
        EXPECT_FALSE(data.loadedLevel.has_value());
    }
    EXPECT_NE(checkCartridge(interleaved(demoRom().image)).error().message.find(".smd"),
              std::string::npos);
}

TEST(HostileInput, BrokenTablesGiveAClearErrorAndLoadNothing) {
    const auto& demo = demoRom();
    const std::size_t zone0Art =
        kLevelArtTable + kLevelArtEntrySize * std::size_t{demo.levelZone[0]};
    struct Case {
        std::string what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    };
    const std::vector<Case> cases = {
        {"zone 0xFF", [](auto& rom) { rom[kLevelList] = 0xFF; }},
        {"directory pointer past the end",
         [](auto& rom) { putLong(rom, kLayoutDirectoryPointer, 0x200000); }},
        {"tile art past the end", [&](auto& rom) { putLong(rom, zone0Art, 0x00FFFFF0); }},
        {"block art past the end", [&](auto& rom) { putLong(rom, zone0Art + 8, 0x01FFFFFF); }},
        {"file of 0xE471 bytes", [](auto& rom) { rom.resize(0xE471); }},
        {"tile art running off the end of the file",
         [&](auto& rom) {
             const auto& tiles = demo.zoneOf(0).tiles;
             std::copy(rom.begin() + tiles.offset, rom.begin() + tiles.offset + 20, rom.end() - 20);
             putLong(rom, zone0Art, static_cast<std::uint32_t>(rom.size() - 20));
         }},
        {"empty layout",
         [&](auto& rom) {
             const std::uint8_t endOnly[] = {0x02, 0x00, 0x00, 0xF0, 0x00};
             std::copy(std::begin(endOnly), std::end(endOnly),
                       rom.begin() + demo.layouts[0].offset);
         }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> image = demo.image;
        c.damage(image);
        TempRomFile file(image);
        LevelData data;
        RecordingHost host;
        const auto loaded = loadLevel(RomImage(file.path()), 0, data, host);
        ASSERT_FALSE(loaded.ok()) << c.what;
        EXPECT_FALSE(loaded.error().message.empty());
        EXPECT_FALSE(data.loadedLevel.has_value()) << c.what;
        EXPECT_TRUE(data.unpackedData.empty()) << c.what;
        EXPECT_TRUE(data.blockPictures[0].isNull()) << c.what;
        EXPECT_EQ(file.contents(), image) << c.what;
    }
}

}  // namespace
}  // namespace orvex
