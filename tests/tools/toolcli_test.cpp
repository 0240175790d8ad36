// The command line of the real executable: help, and every way a run fails.

#include <cctype>
#include <sstream>

#include "common/error.h"
#include "rom/romidentity.h"
#include "rom/room.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolCli : public ToolTest {};

TEST_F(ToolCli, HelpOfTheToolAndOfEveryCommand) {
    const ToolRun help = tool({"--help"});
    EXPECT_TRUE(help.exitCode == 0 && help.err.empty());
    for (const std::string command :
         {"info", "kos-decompress", "kos-compress", "layout-export", "layout-import", "migrate",
          "fix-checksum", "render", "demo-rom"}) {
        EXPECT_NE(help.out.find("\n  " + command + " "), std::string::npos) << command;
        const ToolRun own = tool({command, "--help"});
        EXPECT_TRUE(own.exitCode == 0 && own.err.empty() &&
                    own.out.rfind("usage: orvex-tool " + command + " ", 0) == 0)
            << own.out;
    }
    // Every command's name stands apart from its summary, the longest names too.
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line.rfind("  ", 0) == 0 && std::islower(line[2]) != 0) {
            const std::size_t name = line.find(' ', 2);
            EXPECT_TRUE(name != std::string::npos && line.compare(name, 2, "  ") == 0) << line;
        }
    }
}

// Every case exits with 2 (the reason and a usage line) or 1 (one line naming the command and
// the file), prints nothing on stdout (info lists what it found) and leaves every file as it was.
TEST_F(ToolCli, FailuresChangeNoFile) {
    const DemoRom& demo = demoRom();
    const std::string rom = demoFile("rom.bin");
    const std::string out = "out.bin";  // the tool runs in the test's folder
    const std::string noFolder = "none/out.bin";
    const std::string none = "none.bin";
    const auto cut = [&](const std::string& name, std::size_t from, std::size_t size) {
        return put(name, Bytes(demo.image.begin() + from, demo.image.begin() + from + size));
    };
    const std::string truncated = cut("truncated.bin", 0, 0x80000);
    // Every stream from inside level 1's layout on is broken: nothing but 0xFF.
    Bytes broken = demo.image;
    std::fill(broken.begin() + 0x45B00, broken.end(), 0xFF);
    const std::string streams = put("streams.bin", broken);
    DemoRomOptions weirdOptions;
    weirdOptions.weirdLayoutLevel = 6;
    const std::string weird = demoFile("weird.bin", weirdOptions);
    // The code names a ring directory at 0x200 whose word for level 1 points 0x8000 back.
    Bytes backwards = demoRom(demoBuildProfile()).image;
    const auto ringCode =
        identifyRom(backwards)->codeAt[static_cast<std::size_t>(TableId::RingDirectory)];
    putLong(backwards, static_cast<std::size_t>(ringCode.value() + 10), 0x200);
    putWord(backwards, 0x200, 0x8000);
    const std::string backwardsList = put("backwards.bin", backwards);
    const std::string layout = put("layout.bin", demo.layoutData[6]);
    const std::string shortIn = put("short.bin", Bytes(4000));
    const std::string weirdKos = put("weird.kos", {0x17, 0, 0x41, 0x42, 0x43, 0, 1});
    const std::string noRoom = "holds only " +
                               std::to_string(layoutRoom(demo.image, demo.profile, 7).value()) +
                               " bytes (offset " + hexOffset(demo.layouts[7].offset) + ")";
    struct Case {
        Args args;
        int exitCode;
        std::string says;
        std::string listed = {};
    };
    const std::vector<Case> cases = {
        {{}, 2, "no command given"},
        {{"bogus"}, 2, "unknown command \"bogus\""},
        {{"info"}, 2, "missing ROM for info"},
        {{"demo-rom", out, "extra"}, 2, "too many arguments for demo-rom"},
        {{"layout-export", rom, "0", out}, 2, "LEVEL must be a number from 1 to 20, not \"0\""},
        {{"layout-export", rom, "-1", out}, 2, "LEVEL must be a number from 1 to 20, not \"-1\""},
        {{"render", rom, "3", out, "--plane", "mid"}, 2, "--plane must be fg or bg, not \"mid\""},
        {{"render", rom, "0", out, "--plane", "mid"}, 2, "not \"0\""},  // the first bad one
        {{"render", rom, "3", out, "--plane"}, 2, "option --plane needs a value fg|bg"},
        {{"render", rom, "1", out, "--size"}, 2, "unknown option --size for render"},
        {{"render", rom, "1", out, "--objects", "--plane=bg"},
         2,
         "--objects and --plane bg do not go together"},
        {{"render", rom, "1", out, "--objects", "--blocks"},
         2,
         "--blocks and --objects do not go together"},
        {{"art-export", rom, "1", "tiles", out, "--line", "4"}, 2, "--line must be 0 to 3"},
        {{"kos-decompress", rom, out, "--offset", "12x"}, 2, "--offset needs a number"},
        {{"kos-decompress", rom, out, "--offset=-4"}, 2, "not \"-4\""},
        {{"kos-compress", rom, out, "--rle=yes"}, 2, "option --rle takes no value"},

        {{"info", none}, 1, none + ": cannot read the ROM: Cannot open"},
        {{"info", truncated}, 1, "but its header says the image is 1048576 bytes: it is cut short"},
        {{"info", streams},
         1,
         "80 problem(s), the first: the tile art of level 1: Kosinski stream decodes to more "
         "than 65536 bytes",
         "layout " + hexOffset(demo.layouts[0].offset) + " (corrupt), palette"},
        {{"info", weird},
         1,
         "1 problem(s), the first: the layout of level 7: Argh, weird offset!",
         " bytes, breaks off), palette"},
        {{"fix-checksum", put("tiny.bin", Bytes(0x100, 0xAB))}, 1, "too short"},
        {{"migrate", streams, "--yes"}, 1, "cannot migrate the layouts: Kosinski stream decodes"},
        {{"layout-export", streams, "1", out}, 1, "cannot read the layout of level 1: Kosinski"},
        {{"level-info", backwardsList, "1"}, 1, "runs past the end of the file (offset -0x7E00)"},
        {{"layout-export", weird, "7", out}, 1, "level 7: Argh, weird offset!"},
        {{"layout-export", rom, "1", noFolder}, 1, noFolder + ": cannot write the layout"},
        {{"layout-import", streams, "1", layout}, 1, "cannot load level 1: Kosinski stream"},
        {{"layout-import", rom, "8", cut("art.bin", 0x50000, 4096)}, 1, noRoom},
        {{"layout-import", rom, "8", shortIn}, 1, "has 4000 bytes, the level's layout 4096"},
        {{"layout-import", rom, "8", none}, 1, none + ": cannot read the layout"},
        {{"layout-import", weird, "7", layout}, 1, "not loaded completely"},
        {{"render", streams, "20", out}, 1, "streams.bin: cannot load level 20: Kosinski"},
        {{"render", weird, "7", out}, 1, "the layout of level 7 has 3 bytes, not one complete row"},
        {{"render", rom, "1", noFolder, "--blocks"}, 1, noFolder + ": cannot write the picture"},
        {{"kos-decompress", weirdKos, out}, 1, "before the start of the output (offset 0x6)"},
        {{"kos-decompress", rom, out, "--offset", "0x100000"}, 1, "at 0x100000: Kosinski stream"},
        {{"kos-decompress", none, out}, 1, none + ": cannot read the input"},
        {{"kos-compress", put("huge.bin", Bytes(65537)), out}, 1, "Data of 65537 bytes is too"},
        {{"demo-rom", noFolder}, 1, noFolder + ": cannot write the demo ROM"},
    };
    for (const bool outThere : {false, true}) {
        if (outThere) {
            put("out.bin", {9, 9, 9});
        }
        const auto before = snapshot();
        for (const auto& [args, exitCode, says, listed] : cases) {
            SCOPED_TRACE(::testing::PrintToString(args) + (outThere ? " with OUT there" : ""));
            const ToolRun run = tool(args);
            EXPECT_TRUE(run.exitCode == exitCode && run.errLines() == (exitCode == 2 ? 2 : 1))
                << run.exitCode << " " << run.err;
            EXPECT_TRUE(listed.empty() ? run.out.empty()
                                       : run.out.find(listed) != std::string::npos)
                << run.out;
            // "orvex-tool: COMMAND: FILE: " and the reason, or the reason and a usage line.
            const auto names = [&](const std::string& path) {
                return run.err.rfind("orvex-tool: " + args[0] + ": " + path + ": ", 0) == 0;
            };
            EXPECT_TRUE(exitCode == 1
                            ? std::any_of(args.begin() + 1, args.end(), names)
                            : run.err.rfind("orvex-tool: ", 0) == 0 &&
                                  run.err.find("\nusage: orvex-tool ") != std::string::npos)
                << run.err;
            EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
            EXPECT_TRUE(snapshot() == before);
        }
    }
}

// Output lost to a full disk is a failure, whether the command prints its result or writes its
// file to standard output.
TEST_F(ToolCli, AFullStandardOutputFails) {
    const std::string rom = demoFile("rom.bin");
    for (const Args& args : std::vector<Args>{{"--help"},
                                              {"info", "--help"},
                                              {"info", rom},
                                              {"level-info", rom, "8"},
                                              {"fix-checksum", rom},
                                              {"layout-export", rom, "3", "-"},
                                              {"objects-export", rom, "8", "-"}}) {
        const ToolRun run = tool(args, {}, "/dev/full");
        EXPECT_TRUE(run.exitCode == 1 && run.errLines() == 1) << args[0] << ": " << run.err;
        EXPECT_NE(run.err.find("write to standard output"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace orvex::testing
