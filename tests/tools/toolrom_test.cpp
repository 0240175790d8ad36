// demo-rom, info, fix-checksum and migrate through the real executable.

#include <gtest/gtest.h>

#include <sstream>
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

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::uint16_t checksumOf(const std::vector<std::uint8_t>& image) {
    auto sum = computeChecksum(image);
    EXPECT_TRUE(sum.ok());
    return sum.ok() ? *sum : 0;
}

// ---- demo-rom

class ToolDemoRom : public ToolTest {};

TEST_F(ToolDemoRom, WritesTheDemoImage) {
    const ToolRun run = runToolProgram({"demo-rom", file("demo.bin").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    EXPECT_EQ(fileBytes(file("demo.bin")), demo().image);
}

TEST_F(ToolDemoRom, ReplacesAnExistingFile) {
    putFile(file("demo.bin"), {1, 2, 3});
    EXPECT_EQ(runToolProgram({"demo-rom", file("demo.bin").string()}).exitCode, 0);
    EXPECT_EQ(fileBytes(file("demo.bin")), demo().image);
}

TEST_F(ToolDemoRom, MissingFolderFailsWithoutLeavingFiles) {
    const auto out = file("missing") / "demo.bin";
    const ToolRun run = runToolProgram({"demo-rom", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errLines(), 1u) << run.err;
    EXPECT_NE(run.err.find(out.string()), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(file("missing")));
}

// ---- info

class ToolInfo : public ToolTest {};

TEST_F(ToolInfo, ListsEveryLevelWithItsStreams) {
    const ToolRun run = runToolProgram({"info", demoFile("rom.bin").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 23u) << run.out;
    const DemoRom& rom = demo();
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const DemoZone& zone = rom.zoneOf(level);
        const auto stream = [](const char* name, const DemoStream& s) {
            return std::string(name) + " " + hexOffset(s.offset) + " (" + std::to_string(s.length) +
                   " bytes)";
        };
        const std::string expected =
            "level " + std::to_string(level + 1) + ": zone " + std::to_string(rom.levelZone[l]) +
            " act " + std::to_string(rom.levelAct[l]) + ", " + stream("tiles", zone.tiles) + ", " +
            stream("chunks", zone.chunks) + ", " + stream("blocks", zone.blocks) + ", " +
            stream("layout", rom.layouts[l]) + ", palette " + std::to_string(zone.paletteNumber) +
            " at " + hexOffset(zone.paletteOffset);
        EXPECT_EQ(lines[l], expected);
    }
}

TEST_F(ToolInfo, ShowsTheHeader) {
    const ToolRun run = runToolProgram({"info", demoFile("rom.bin").string()});
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[20], "layouts: not migrated (layout directory at 0x45A80, pointer at 0xE46E)");
    EXPECT_EQ(lines[21], "ROM end (0x1A4): 0xFFFFF (file length 0x100000)");
    const std::string sum = hexOffset(checksumOf(demo().image));
    EXPECT_EQ(lines[22], "checksum (0x18E): stored " + sum + ", computed " + sum + ": correct");
}

TEST_F(ToolInfo, ShowsAWrongChecksum) {
    auto image = demo().image;
    const std::uint16_t sum = checksumOf(image);
    putWord(image, kChecksumField, static_cast<std::uint16_t>(sum ^ 0x1111));
    putFile(file("rom.bin"), image);
    const ToolRun run = runToolProgram({"info", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("stored " + hexOffset(sum ^ 0x1111) + ", computed " + hexOffset(sum) +
                           ": wrong"),
              std::string::npos)
        << run.out;
}

TEST_F(ToolInfo, MissingFileIsOneLine) {
    const auto missing = file("nothing.bin");
    const ToolRun run = runToolProgram({"info", missing.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.errLines(), 1u);
    EXPECT_EQ(run.err.rfind("orvex-tool: info: " + missing.string() + ": ", 0), 0u) << run.err;
}

TEST_F(ToolInfo, TruncatedTablesAreOneLineWithTheOffset) {
    auto image = demo().image;
    image.resize(0x42000);  // the level art table at 0x42594 is cut off
    putFile(file("rom.bin"), image);
    const ToolRun run = runToolProgram({"info", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.errLines(), 1u);
    EXPECT_NE(run.err.find("level 1"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("(offset 0x42594)"), std::string::npos) << run.err;
}

TEST_F(ToolInfo, CorruptStreamsAreListedAndFail) {
    auto image = demo().image;
    const DemoStream& last = demo().zoneOf(19).blocks;
    image.resize(static_cast<std::size_t>(last.offset + last.length / 2));
    putFile(file("rom.bin"), image);
    const ToolRun run = runToolProgram({"info", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_NE(lines[19].find("blocks " + hexOffset(last.offset) + " (corrupt)"), std::string::npos)
        << lines[19];
    EXPECT_NE(lines[22].find("computed unknown"), std::string::npos) << lines[22];
    EXPECT_EQ(run.errLines(), 1u) << run.err;
    EXPECT_NE(run.err.find("2 problem(s), the first: the block mappings of level 20"),
              std::string::npos)
        << run.err;
}

TEST_F(ToolInfo, LayoutThatBreaksOffIsAProblem) {
    DemoRomOptions options;
    options.weirdLayoutLevel = 4;
    const ToolRun run = runToolProgram({"info", demoFile("rom.bin", options).string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("level 5:"), std::string::npos);
    EXPECT_NE(run.out.find("bytes, breaks off)"), std::string::npos) << run.out;
    EXPECT_EQ(run.errLines(), 1u) << run.err;
    EXPECT_NE(run.err.find("the layout of level 5: Argh, weird offset!"), std::string::npos)
        << run.err;
}

// ---- fix-checksum

class ToolFixChecksum : public ToolTest {};

TEST_F(ToolFixChecksum, FixesAWrongChecksumAndNothingElse) {
    auto image = demo().image;
    const std::uint16_t sum = checksumOf(image);
    putWord(image, kChecksumField, 0x1234);
    putFile(file("rom.bin"), image);
    const ToolRun run = runToolProgram({"fix-checksum", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "checksum at 0x18E: 0x1234 -> " + hexOffset(sum) + "\n");
    EXPECT_EQ(fileBytes(file("rom.bin")), demo().image);
}

TEST_F(ToolFixChecksum, CorrectChecksumIsLeftAlone) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run = runToolProgram({"fix-checksum", rom.string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("already correct"), std::string::npos);
    EXPECT_EQ(fileBytes(rom), demo().image);
}

TEST_F(ToolFixChecksum, RomEndPastTheFileFailsAndChangesNothing) {
    auto image = demo().image;
    putLong(image, kRomEndField, 0x200000);
    putWord(image, kChecksumField, 0x1234);
    putFile(file("rom.bin"), image);
    const ToolRun run = runToolProgram({"fix-checksum", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errLines(), 1u);
    EXPECT_NE(run.err.find("(offset 0x1A4)"), std::string::npos) << run.err;
    EXPECT_EQ(fileBytes(file("rom.bin")), image);
}

TEST_F(ToolFixChecksum, TooShortForTheHeaderFails) {
    putFile(file("rom.bin"), std::vector<std::uint8_t>(0x100, 0xAB));
    const ToolRun run = runToolProgram({"fix-checksum", file("rom.bin").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errLines(), 1u);
    EXPECT_EQ(fileBytes(file("rom.bin")), std::vector<std::uint8_t>(0x100, 0xAB));
}

// ---- migrate

class ToolMigrate : public ToolTest {
protected:
    // What the core's migration makes of the demo ROM.
    std::vector<std::uint8_t> migratedByCore() {
        const auto copy = demoFile("core.bin");
        EXPECT_TRUE(migrateLayouts(RomImage(copy), kFactoryLayoutDirectory).ok());
        return fileBytes(copy);
    }
};

TEST_F(ToolMigrate, YesMigratesLikeTheEditorThenSaysAlreadyMigrated) {
    const auto rom = demoFile("rom.bin");
    const ToolRun first = runToolProgram({"migrate", rom.string(), "--yes"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("migrated the layouts of all 20 levels; the layout directory is "
                             "now at 0x100000"),
              std::string::npos)
        << first.out;
    const auto migrated = fileBytes(rom);
    EXPECT_EQ(migrated, migratedByCore());

    const ToolRun second = runToolProgram({"migrate", rom.string(), "--yes"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.out.find("already migrated"), std::string::npos) << second.out;
    EXPECT_EQ(fileBytes(rom), migrated);
    EXPECT_NE(runToolProgram({"info", rom.string()}).out.find("layouts: migrated"),
              std::string::npos);
}

TEST_F(ToolMigrate, AsksAndNoChangesNothing) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run = runToolProgram({"migrate", rom.string()}, "n\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("This ROM hasn't had it's levels migrated.\nIn order"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Migrate Levels?\n[y/N] "), std::string::npos);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_NE(run.out.find("not migrated; nothing changed"), std::string::npos);
    EXPECT_EQ(fileBytes(rom), demo().image);
}

TEST_F(ToolMigrate, EndOfInputAndOtherAnswersAreNo) {
    const auto rom = demoFile("rom.bin");
    for (const std::string input : {"", "\n", "maybe\n", "yess\n"}) {
        const ToolRun run = runToolProgram({"migrate", rom.string()}, input);
        EXPECT_EQ(run.exitCode, 0) << input;
        EXPECT_NE(run.out.find("nothing changed"), std::string::npos) << input;
    }
    EXPECT_EQ(fileBytes(rom), demo().image);
}

TEST_F(ToolMigrate, YesOnTheInputMigrates) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run = runToolProgram({"migrate", rom.string()}, " Y \n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(fileBytes(rom), migratedByCore());
}

TEST_F(ToolMigrate, AlreadyMigratedRomIsNotAsked) {
    const auto rom = file("rom.bin");
    putFile(rom, migratedByCore());
    const ToolRun run = runToolProgram({"migrate", rom.string()}, "y\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.find("Migrate Levels?"), std::string::npos);
    EXPECT_NE(run.out.find("already migrated"), std::string::npos);
}

TEST_F(ToolMigrate, FailuresAreOneLineAndChangeNothing) {
    const ToolRun missing = runToolProgram({"migrate", file("none.bin").string(), "--yes"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errLines(), 1u);
    EXPECT_FALSE(std::filesystem::exists(file("none.bin")));

    auto image = demo().image;
    image.resize(0x45B00);  // the factory layout directory is there, its streams are not
    putFile(file("cut.bin"), image);
    const ToolRun cut = runToolProgram({"migrate", file("cut.bin").string(), "--yes"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.errLines(), 1u) << cut.err;
    EXPECT_NE(cut.err.find("offset 0x"), std::string::npos) << cut.err;
    EXPECT_EQ(fileBytes(file("cut.bin")), image);
}

}  // namespace
}  // namespace orvex::testing
