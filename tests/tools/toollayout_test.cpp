// layout-export and layout-import through the real executable.

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

using Bytes = std::vector<std::uint8_t>;

bool insideHeaderWords(std::size_t at) {
    return (at >= kChecksumField && at < kChecksumField + 2u) ||
           (at >= kRomEndField && at < kRomEndField + 4u);
}

// Offsets where `after` differs from `before` outside [start, start + room) and the two header
// words the save rewrites.
std::vector<std::size_t> changesOutside(const Bytes& before, const Bytes& after, std::int64_t start,
                                        std::int64_t room) {
    std::vector<std::size_t> changed;
    const std::size_t size = std::max(before.size(), after.size());
    for (std::size_t at = 0; at < size; ++at) {
        const bool inRoom =
            static_cast<std::int64_t>(at) >= start && static_cast<std::int64_t>(at) < start + room;
        const int was = at < before.size() ? before[at] : -1;
        const int now = at < after.size() ? after[at] : -1;
        if (was != now && !inRoom && !insideHeaderWords(at)) {
            changed.push_back(at);
        }
    }
    return changed;
}

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
    ToolRun exportLayout(const std::filesystem::path& rom, int level, const std::string& out) {
        return runToolProgram(
            {"layout-export", rom.string(), std::to_string(level), file(out).string()});
    }
    ToolRun importLayout(const std::filesystem::path& rom, int level, const std::string& in) {
        return runToolProgram(
            {"layout-import", rom.string(), std::to_string(level), file(in).string()});
    }
    // Checks a save of `layout` as level `level` (1..20) into `rom`: exit 0, the export gives it
    // back, and nothing outside the layout's room and the header words changed.
    void expectSaved(const std::filesystem::path& rom, int level, const Bytes& layout) {
        const Bytes before = fileBytes(rom);
        const auto index = static_cast<std::int16_t>(level - 1);
        auto start = layoutAddress(before, index);
        auto room = layoutRoom(before, index);
        ASSERT_TRUE(start.ok() && room.ok());
        putFile(file("new.bin"), layout);
        const ToolRun saved = importLayout(rom, level, "new.bin");
        ASSERT_EQ(saved.exitCode, 0) << saved.err;
        EXPECT_TRUE(saved.err.empty()) << saved.err;
        EXPECT_NE(saved.out.find("in a room of " + std::to_string(*room) + " bytes"),
                  std::string::npos)
            << saved.out;
        const Bytes after = fileBytes(rom);
        EXPECT_TRUE(changesOutside(before, after, *start, *room).empty());
        EXPECT_EQ(storedChecksum(after).value(), computeChecksum(after).value());
        EXPECT_EQ(exportLayout(rom, level, "again.bin").exitCode, 0);
        EXPECT_EQ(fileBytes(file("again.bin")), layout);
    }
};

TEST_F(ToolLayout, ExportGivesTheDecompressedLayout) {
    const auto rom = demoFile("rom.bin");
    for (const int level : {1, 2, 7, 20}) {
        const ToolRun run = exportLayout(rom, level, "layout.bin");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(fileBytes(file("layout.bin")),
                  demo().layoutData[static_cast<std::size_t>(level - 1)]);
        EXPECT_EQ(run.out, "wrote the layout of level " + std::to_string(level) +
                               " (4096 bytes) to " + file("layout.bin").string() + "\n");
    }
}

TEST_F(ToolLayout, RoundTripThroughTheToolsOwnDemoRom) {
    const auto rom = file("demo.bin");
    ASSERT_EQ(runToolProgram({"demo-rom", rom.string()}).exitCode, 0);
    ASSERT_EQ(exportLayout(rom, 5, "five.bin").exitCode, 0);
    const Bytes original = fileBytes(file("five.bin"));
    ASSERT_EQ(original.size(), 4096u);
    expectSaved(rom, 5, original);
    expectSaved(rom, 5, edited(original));
    // The other levels still read back as before.
    for (const int level : {4, 6}) {
        ASSERT_EQ(exportLayout(rom, level, "other.bin").exitCode, 0);
        EXPECT_EQ(fileBytes(file("other.bin")),
                  demo().layoutData[static_cast<std::size_t>(level - 1)]);
    }
}

TEST_F(ToolLayout, SavesIntoAMigratedRom) {
    const auto rom = demoFile("rom.bin");
    ASSERT_TRUE(migrateLayouts(RomImage(rom), kFactoryLayoutDirectory).ok());
    expectSaved(rom, 12, edited(demo().layoutData[11]));
    expectSaved(rom, 20, edited(demo().layoutData[19]));
}

TEST_F(ToolLayout, SavedRomPassesInfo) {
    const auto rom = demoFile("rom.bin");
    putFile(file("new.bin"), edited(demo().layoutData[2]));
    ASSERT_EQ(importLayout(rom, 3, "new.bin").exitCode, 0);
    const ToolRun info = runToolProgram({"info", rom.string()});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find(": correct\n"), std::string::npos) << info.out;
}

// A refused import exits with 1, says why on one line and leaves the ROM byte for byte.
TEST_F(ToolLayout, RefusalsChangeNothing) {
    const auto rom = demoFile("rom.bin");
    Bytes noise(4096);
    std::uint32_t state = 7;
    for (auto& byte : noise) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    putFile(file("noise.bin"), noise);
    putFile(file("short.bin"), Bytes(4000, 0));
    putFile(file("empty.bin"), {});
    struct Case {
        std::string in;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"noise.bin", "holds only"},
        {"short.bin", "the file has 4000 bytes, the level's layout 4096 bytes"},
        {"empty.bin", "the file has 0 bytes"},
        {"missing.bin", "missing.bin"},
    };
    for (const Case& c : cases) {
        const ToolRun run = importLayout(rom, 8, c.in);
        EXPECT_EQ(run.exitCode, 1) << c.in;
        EXPECT_EQ(run.errLines(), 1u) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(fileBytes(rom), demo().image) << c.in;
    }
}

TEST_F(ToolLayout, NoRoomNamesBothSizesAndTheOffset) {
    const auto rom = demoFile("rom.bin");
    Bytes noise(4096);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    }
    putFile(file("noise.bin"), noise);
    const ToolRun run = importLayout(rom, 8, "noise.bin");
    EXPECT_EQ(run.exitCode, 1);
    const std::string room = std::to_string(layoutRoom(demo().image, 7).value());
    EXPECT_NE(run.err.find("holds only " + room + " bytes"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("(offset " + hexOffset(demo().layouts[7].offset) + ")"),
              std::string::npos)
        << run.err;
}

TEST_F(ToolLayout, LayoutThatBreaksOffIsNeitherExportedNorSaved) {
    DemoRomOptions options;
    options.weirdLayoutLevel = 2;
    const auto rom = demoFile("rom.bin", options);
    const ToolRun exported = exportLayout(rom, 3, "l.bin");
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_NE(exported.err.find("Argh, weird offset!"), std::string::npos) << exported.err;
    EXPECT_EQ(exported.errLines(), 1u) << exported.err;
    EXPECT_FALSE(std::filesystem::exists(file("l.bin")));

    putFile(file("new.bin"), demo().layoutData[2]);
    const ToolRun imported = importLayout(rom, 3, "new.bin");
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_NE(imported.err.find("not loaded completely"), std::string::npos) << imported.err;
    EXPECT_EQ(imported.errLines(), 1u) << imported.err;
    EXPECT_EQ(fileBytes(rom), demo(options).image);
}

TEST_F(ToolLayout, ExportFailuresCreateNoFile) {
    auto image = demo().image;
    image.resize(0x45B00);  // the directory is there, the first stream is cut off
    putFile(file("cut.bin"), image);
    const ToolRun cut = exportLayout(file("cut.bin"), 1, "l.bin");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.errLines(), 1u);
    EXPECT_NE(cut.err.find("cannot read the layout of level 1"), std::string::npos) << cut.err;
    EXPECT_FALSE(std::filesystem::exists(file("l.bin")));

    const ToolRun missing = exportLayout(file("none.bin"), 1, "l.bin");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(file("l.bin")));

    const ToolRun noFolder = runToolProgram(
        {"layout-export", demoFile("rom.bin").string(), "1", (file("none") / "l.bin").string()});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(noFolder.errLines(), 1u);
    EXPECT_FALSE(std::filesystem::exists(file("none")));
}

TEST_F(ToolLayout, TruncatedRomIsRefusedOnImport) {
    auto image = demo().image;
    image.resize(0x50000);  // the layouts are there, the art is not
    putFile(file("cut.bin"), image);
    putFile(file("new.bin"), demo().layoutData[0]);
    const ToolRun run = importLayout(file("cut.bin"), 1, "new.bin");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errLines(), 1u);
    EXPECT_NE(run.err.find("cannot load level 1"), std::string::npos) << run.err;
    EXPECT_EQ(fileBytes(file("cut.bin")), image);
}

}  // namespace
}  // namespace orvex::testing
