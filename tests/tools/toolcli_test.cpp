// The command line of the real executable: help, and usage errors that exit with 2.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolrunner.h"

namespace orvex::testing {
namespace {

const std::vector<std::string> kCommands = {"info",          "kos-decompress", "kos-compress",
                                            "layout-export", "layout-import",  "migrate",
                                            "fix-checksum",  "render",         "demo-rom"};

class ToolCli : public ToolTest {};

TEST_F(ToolCli, HelpListsEveryCommand) {
    const ToolRun run = runToolProgram({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.empty());
    for (const std::string& command : kCommands) {
        EXPECT_NE(run.out.find("  " + command + " "), std::string::npos) << command;
    }
}

TEST_F(ToolCli, EveryCommandHasHelp) {
    for (const std::string& command : kCommands) {
        const ToolRun run = runToolProgram({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.out.rfind("usage: orvex-tool " + command + " ", 0), 0u) << run.out;
        EXPECT_TRUE(run.err.empty()) << command;
    }
}

TEST_F(ToolCli, RenderHelpNamesItsOptions) {
    const ToolRun run = runToolProgram({"render", "--help"});
    EXPECT_NE(run.out.find("usage: orvex-tool render ROM LEVEL OUT.png [--plane fg|bg] [--blocks]"),
              std::string::npos);
}

// Each case is a usage error: exit 2, nothing on stdout, the reason and a usage line on stderr,
// and the output file named in the arguments is not created.
TEST_F(ToolCli, UsageErrorsExitWithTwo) {
    const std::string rom = demoFile("rom.bin").string();
    const std::string out = file("out.bin").string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"--bogus"},
        {"info"},
        {"info", rom, "extra"},
        {"layout-export", rom, "0", out},
        {"layout-export", rom, "21", out},
        {"layout-export", rom, "three", out},
        {"layout-export", rom, "-1", out},
        {"layout-export", rom, "3"},
        {"render", rom, "21", out},
        {"render", rom, "0", out, "--blocks"},
        {"render", rom, "3", out, "--plane", "mid"},
        {"render", rom, "3", out, "--plane"},
        {"kos-decompress", rom, out, "--offset", "12x"},
        {"kos-decompress", rom, out, "--offset=-4"},
        {"kos-decompress", rom, out, "--offset", "0x"},
        {"kos-decompress", rom, out, "--offset", "0x100000000"},
        {"kos-compress", rom, out, "--optimal"},
        {"kos-compress", rom, out, "--rle=yes"},
        {"migrate", rom, "--no"},
        {"fix-checksum"},
        {"demo-rom"},
        {"demo-rom", out, "extra"},
    };
    const auto before = fileBytes(rom);
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& word : args) {
            shown += word + " ";
        }
        const ToolRun run = runToolProgram(args);
        EXPECT_EQ(run.exitCode, 2) << shown;
        EXPECT_TRUE(run.out.empty()) << shown;
        EXPECT_EQ(run.errLines(), 2u) << shown << run.err;
        EXPECT_NE(run.err.find("\nusage: orvex-tool"), std::string::npos) << shown << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << shown;
    }
    EXPECT_EQ(fileBytes(rom), before);
}

TEST_F(ToolCli, UsageErrorsNameTheProblem) {
    const std::string rom = demoFile("rom.bin").string();
    EXPECT_NE(runToolProgram({"bogus"}).err.find("unknown command \"bogus\""), std::string::npos);
    EXPECT_NE(runToolProgram({"layout-export", rom, "21", "x"}).err.find("1 to 20"),
              std::string::npos);
    EXPECT_NE(runToolProgram({"info"}).err.find("missing ROM"), std::string::npos);
    EXPECT_NE(runToolProgram({"info", rom, "x"}).err.find("too many arguments"), std::string::npos);
    EXPECT_NE(runToolProgram({"render", rom, "1", "x", "--size"}).err.find("unknown option --size"),
              std::string::npos);
}

TEST_F(ToolCli, LevelsOneAndTwentyAreAccepted) {
    const std::string rom = demoFile("rom.bin").string();
    EXPECT_EQ(runToolProgram({"layout-export", rom, "1", file("a").string()}).exitCode, 0);
    EXPECT_EQ(runToolProgram({"layout-export", rom, "20", file("b").string()}).exitCode, 0);
    EXPECT_EQ(runToolProgram({"layout-export", rom, "0x14", file("c").string()}).exitCode, 0);
}

TEST_F(ToolCli, DoubleDashEndsOptions) {
    const std::string rom = demoFile("rom.bin").string();
    const ToolRun run = runToolProgram({"layout-export", "--", rom, "2", file("-l.bin").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(file("-l.bin")));
}

}  // namespace
}  // namespace orvex::testing
