// info, fix-checksum and migrate through the real executable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/byteorder.h"
#include "rom/checksum.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"
#include "rom/romlayout.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolRom : public ToolTest {
protected:
    const DemoRom& demo = demoRom();
    const std::string sum = hexOffset(computeChecksum(demo.image).value());
};

TEST_F(ToolRom, InfoListsEveryLevelAndTheHeader) {
    const auto stream = [](const char* name, const DemoStream& s) {
        return ", " + std::string(name) + " " + hexOffset(s.offset) + " (" +
               std::to_string(s.length) + " bytes)";
    };
    std::string expected;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const DemoZone& zone = demo.zoneOf(level);
        expected += "level " + std::to_string(level + 1) + ": zone " +
                    std::to_string(demo.levelZone[l]) + " act " + std::to_string(demo.levelAct[l]) +
                    stream("tiles", zone.tiles) + stream("chunks", zone.chunks) +
                    stream("blocks", zone.blocks) + stream("layout", demo.layouts[l]) +
                    ", palette " + std::to_string(zone.paletteNumber) + " at " +
                    hexOffset(zone.paletteOffset) + "\n";
    }
    const ToolRun run = tool({"info", demoFile("rom.bin")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    EXPECT_EQ(run.out,
              expected +
                  "layouts: not migrated (layout directory at 0x45A80, pointer at 0xE46E)\n"
                  "ROM end (0x1A4): 0xFFFFF (file length 0x100000)\n"
                  "checksum (0x18E): stored " +
                  sum + ", computed " + sum + ": correct\n");
}

// Damaged streams are listed as such, and the run fails with one line naming the first.
TEST_F(ToolRom, InfoListsDamageAndFails) {
    const DemoStream& last = demo.zoneOf(19).blocks;
    const auto end = demo.image.begin() + last.offset + last.length / 2;
    const ToolRun cut = tool({"info", put("cut.bin", Bytes(demo.image.begin(), end))});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.out.find("blocks " + hexOffset(last.offset) + " (corrupt)"), std::string::npos);
    EXPECT_NE(cut.out.find("computed unknown"), std::string::npos) << cut.out;
    EXPECT_EQ(cut.errLines(), 1) << cut.err;
    EXPECT_NE(cut.err.find("2 problem(s), the first: the block mappings of level 20"),
              std::string::npos);

    DemoRomOptions options;
    options.weirdLayoutLevel = 4;
    const ToolRun weird = tool({"info", demoFile("weird.bin", options)});
    EXPECT_EQ(weird.exitCode, 1);
    EXPECT_NE(weird.out.find(" bytes, breaks off), palette"), std::string::npos);
    EXPECT_EQ(weird.errLines(), 1) << weird.err;
    EXPECT_NE(weird.err.find("1 problem(s), the first: the layout of level 5: Argh, weird offset!"),
              std::string::npos);
}

TEST_F(ToolRom, FixChecksumChangesOnlyTheChecksum) {
    Bytes image = demo.image;
    putWord(image, kChecksumField, 0x1234);
    const std::string rom = put("rom.bin", image);
    EXPECT_NE(tool({"info", rom}).out.find("stored 0x1234, computed " + sum + ": wrong\n"),
              std::string::npos);
    const ToolRun fixed = tool({"fix-checksum", rom});
    EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
    EXPECT_EQ(fixed.out, "checksum at 0x18E: 0x1234 -> " + sum + "\nthe ROM as it was is kept in " +
                             rom + ".bak\n");
    EXPECT_EQ(readFile(rom), demo.image);
    EXPECT_EQ(readFile(rom + ".bak"), image);

    std::filesystem::remove(rom + ".bak");
    const ToolRun again = tool({"fix-checksum", rom});
    EXPECT_EQ(again.out, "checksum " + sum + " is already correct; nothing changed\n");
    EXPECT_EQ(readFile(rom), demo.image);
    EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
}

// Without --yes the editor's question is asked on the terminal, and only y or yes migrates, as
// the core does; a migrated ROM is not asked again and stays as it is.
TEST_F(ToolRom, MigrateAsksUnlessToldAndMigratesOnce) {
    const std::string core = demoFile("core.bin");
    ASSERT_TRUE(migrateLayouts(RomImage(core), kFactoryLayoutDirectory).ok());
    const Bytes migrated = readFile(core);
    const std::string rom = file("rom.bin");
    for (const auto& [input, yes] : std::vector<std::pair<std::string, bool>>{
             {"n\n", false}, {"", false}, {"yess\n", false}, {" Y \n", true}, {"YES\n", true}}) {
        demoFile("rom.bin");
        const ToolRun run = tool({"migrate", rom}, input);
        EXPECT_EQ(run.exitCode, 0) << input << run.err;
        EXPECT_EQ(run.out.rfind("Rom Oringinal\nThis ROM hasn't had it's levels migrated.\n", 0),
                  0u);
        EXPECT_NE(run.out.find("Migrate Levels?\n[y/N] "), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find('\r'), std::string::npos);
        EXPECT_EQ(run.out.find("not migrated; nothing changed\n") != std::string::npos, !yes);
        EXPECT_EQ(readFile(rom), yes ? migrated : demo.image) << input;
        EXPECT_EQ(std::filesystem::remove(rom + ".bak"), yes) << input;
    }
    const ToolRun told = tool({"migrate", demoFile("rom.bin"), "--yes"});
    EXPECT_EQ(told.out,
              "migrated the layouts of all 20 levels; the layout directory is now at "
              "0x100000\nthe ROM as it was is kept in " +
                  rom + ".bak\n");
    const ToolRun again = tool({"migrate", rom}, "y\n");
    EXPECT_EQ(again.out, "the layouts are already migrated; nothing changed\n");
    EXPECT_EQ(readFile(rom), migrated);
    EXPECT_EQ(readFile(rom + ".bak"), demo.image);
    EXPECT_NE(tool({"info", rom}).out.find("\nlayouts: migrated (layout directory at 0x100000"),
              std::string::npos);
}

}  // namespace
}  // namespace orvex::testing
