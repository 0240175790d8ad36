// demo-rom, layout-export and layout-import through the real executable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"
#include "rom/romlayout.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

// A layout edit: a platform of blocks across the foreground and a change in the background.
Bytes edited(Bytes layout) {
    for (std::size_t column = 10; column < 60; ++column) {
        layout[256 * 5 + column] = 0x47;
    }
    layout[256 * 15 + 200] = 0x01;
    return layout;
}

class ToolLayout : public ToolTest {
protected:
    // The export of level `level`, given as `given` (decimal by default); "--" ends the options
    // so that the file may start with a dash (a path relative to the test's folder).
    Bytes exported(const std::string& rom, int level, std::string given = {}) {
        given = given.empty() ? std::to_string(level) : given;
        const ToolRun run = tool({"layout-export", "--", rom, given, "-l.bin"});
        EXPECT_EQ(run.out, "wrote the layout of level " + std::to_string(level) +
                               " (4096 bytes) to -l.bin\n")
            << run.err;
        return readFile(file("-l.bin"));
    }
    // Imports `layout` as level `level` (1..20) of `rom`: the export gives it back, no byte
    // outside the layout's room and the header words changes, the checksum is right and the ROM
    // as it was is kept beside it.
    void expectSaved(const std::string& rom, int level, const Bytes& layout) {
        std::filesystem::remove(rom + ".bak");
        const Bytes before = readFile(rom);
        const auto start = layoutAddress(before, static_cast<std::int16_t>(level - 1)).value();
        const auto room = layoutRoom(before, static_cast<std::int16_t>(level - 1)).value();
        const ToolRun saved =
            tool({"layout-import", rom, std::to_string(level), put("new.bin", layout)});
        ASSERT_EQ(saved.exitCode, 0) << saved.err;
        EXPECT_TRUE(saved.err.empty()) << saved.err;
        EXPECT_NE(saved.out.find(" bytes in a room of " + std::to_string(room) +
                                 " bytes\nthe ROM as it was is kept in " + rom + ".bak\n"),
                  std::string::npos)
            << saved.out;
        const Bytes after = readFile(rom);
        EXPECT_EQ(storedChecksum(after).value(), computeChecksum(after).value());
        std::size_t changedOutside = 0;
        for (std::size_t at = 0; at < std::max(before.size(), after.size()); ++at) {
            const bool allowed = (at >= std::size_t(start) && at < std::size_t(start + room)) ||
                                 at - kChecksumField < 2 || at - kRomEndField < 4;
            const int was = at < before.size() ? before[at] : -1;
            const int now = at < after.size() ? after[at] : -1;
            changedOutside += was != now && !allowed ? 1 : 0;
        }
        EXPECT_EQ(changedOutside, 0u);
        EXPECT_EQ(readFile(rom + ".bak"), before);
        EXPECT_EQ(exported(rom, level), layout);
    }
};

TEST_F(ToolLayout, ExportGivesTheDecompressedLayout) {
    const std::string rom = demoFile("rom.bin");
    EXPECT_EQ(exported(rom, 1), demoRom().layoutData[0]);
    EXPECT_EQ(exported(rom, 20, "0x14"), demoRom().layoutData[19]);
}

TEST_F(ToolLayout, RoundTripThroughTheToolsOwnDemoRom) {
    const std::string rom = put("demo.bin", {1, 2, 3});  // replaced by demo-rom
    const ToolRun made = tool({"demo-rom", rom});
    EXPECT_EQ(made.out, "wrote the demo ROM (1048576 bytes) to " + rom + "\n");
    ASSERT_EQ(readFile(rom), demoRom().image);
    const Bytes original = exported(rom, 5);
    ASSERT_EQ(original.size(), 4096u);
    expectSaved(rom, 5, original);
    expectSaved(rom, 5, edited(original));
    EXPECT_EQ(exported(rom, 4), demoRom().layoutData[3]);
    EXPECT_EQ(exported(rom, 6), demoRom().layoutData[5]);
}

TEST_F(ToolLayout, RoundTripInAMigratedRom) {
    const std::string rom = demoFile("rom.bin");
    ASSERT_TRUE(migrateLayouts(RomImage(rom), kFactoryLayoutDirectory).ok());
    expectSaved(rom, 12, edited(demoRom().layoutData[11]));
    expectSaved(rom, 20, edited(demoRom().layoutData[19]));
    EXPECT_EQ(exported(rom, 19), demoRom().layoutData[18]);
}

}  // namespace
}  // namespace orvex::testing
