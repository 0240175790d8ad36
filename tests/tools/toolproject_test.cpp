// The commands on a disassembly project's folder, through the real executable.

#include "project/syntheticproject.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolProject : public ToolTest {
protected:
    // The synthetic project in a folder whose name holds a space.
    std::string makeProject() {
        const std::string root = file("my hack");
        const Status written = writeSyntheticProject(root);
        EXPECT_TRUE(written.ok()) << written.error().describe();
        return root;
    }
    static std::string readText(const std::string& path) {
        const Bytes bytes = readFile(path);
        return {bytes.begin(), bytes.end()};
    }
    const std::string build = testBuildProgram();
};

// info names the project and the file of each part; an import saves into the file it came from
// and builds; a play-test image leaves the project alone; a build that fails after the save
// keeps the file (and, asked to, a backup of it beside it) and exits 1; a folder that is no project
// is refused saying what is missing.
TEST_F(ToolProject, ReadsSavesAndBuildsThroughTheFolder) {
    const std::string root = makeProject();
    const ToolRun info = tool({"info", root, "--build-command", build});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(info.out.starts_with("project my hack (" + root +
                                     "), read through its last build s2built.bin\n"))
        << info.out;
    EXPECT_NE(info.out.find("\n  layout: level/layout/EHZ_1.kos\n"), std::string::npos);
    EXPECT_TRUE(
        holds(info.out, "\n  palette: art/palettes/EHZ.bin, art/palettes/SonicAndTails.bin\n"));
    EXPECT_NE(info.out.find(" primary 16x16 collision index.kos\n"), std::string::npos);
    EXPECT_NE(info.out.find("\n  boundaries: s2.asm line "), std::string::npos);
    EXPECT_TRUE(info.err.empty()) << info.err;  // current: no build

    const ToolRun set =
        tool({"level-set", root, "2", "--start", "0x100,0x200", "--build-command", build});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_TRUE(holds(set.out,
                      "wrote startpos/EHZ_2.bin (4 bytes, 4 before), read by level 2\n"
                      "built the project and read the level back from the new image\n"));
    EXPECT_TRUE(set.err.starts_with("orvex-tool: level-set: building (its files were saved): "))
        << set.err;
    EXPECT_EQ(readFile(root + "/startpos/EHZ_2.bin"), (Bytes{0x01, 0x00, 0x02, 0x00}));
    EXPECT_FALSE(std::filesystem::exists(root + "/startpos/EHZ_2.bin.bak"));  // none by default
    EXPECT_NE(tool({"level-info", root, "2"}).out.find("start position: x 0x0100, y 0x0200"),
              std::string::npos);

    EXPECT_EQ(tool({"layout-export", root, "1", "l.bin"}).exitCode, 0);
    EXPECT_EQ(tool({"layout-import", root, "1", "l.bin"}).out,
              "level 1 already has this layout; nothing to save\n");

    const auto before = snapshot();
    const ToolRun test = tool({"test-image", root, "2", "t.bin"});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    auto after = snapshot();
    after.erase(file("t.bin"));
    EXPECT_EQ(after, before);

    EXPECT_TRUE(tool({"level-set", root, "2", "--start", "0x300,0x200", "--build-command", "false",
                      "--project-backups"})
                    .endedWith(1, root + ": the files are saved, but the build failed: "));
    EXPECT_EQ(readFile(root + "/startpos/EHZ_2.bin"), (Bytes{0x03, 0x00, 0x02, 0x00}));
    EXPECT_EQ(readFile(root + "/startpos/EHZ_2.bin.bak"), (Bytes{0x01, 0x00, 0x02, 0x00}));

    std::filesystem::create_directories(file("plain"));
    const auto untouched = snapshot();
    EXPECT_TRUE(tool({"info", file("plain")}).endedWith(1, "s2.lst"));
    EXPECT_EQ(snapshot(), untouched);
}

}  // namespace
}  // namespace orvex::testing
