// info, fix-checksum, migrate, demo-rom and the layout commands through the real executable.

#include <sys/stat.h>

#include "common/byteorder.h"
#include "rom/checksum.h"
#include "rom/room.h"
#include "rom/starttables.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolRom : public ToolTest {
protected:
    const DemoRom& demo = demoRom();
    const RomProfile& profile = demo.profile;
    const HeaderFields header;
    const std::string sum = hexOffset(computeChecksum(demo.image, header).value());
    // What a write says it kept: NAME.bak always, NAME.orig made by the first write.
    static std::string kept(const std::string& rom, bool first = true) {
        return "the ROM as it was before this change is kept in " + rom +
               ".bak\nthe ROM as Orvex first found it " + (first ? "is kept" : "stays") + " in " +
               rom + ".orig\n";
    }
    static void forgetBackups(const std::string& rom) {
        std::filesystem::remove(rom + ".bak");
        std::filesystem::remove(rom + ".orig");
    }

    // The export of level `level`, given in hex; "--" ends the options, so the file may start
    // with a dash.
    Bytes exported(const std::string& rom, int level) {
        EXPECT_EQ(
            tool({"layout-export", "--", rom, hexOffset(level), "-l.bin"}).out,
            "wrote the layout of level " + std::to_string(level) + " (4096 bytes) to -l.bin\n");
        return readFile(file("-l.bin"));
    }
};

// info on a ROM whose checksum is wrong, fix-checksum, and info again.
TEST_F(ToolRom, InfoListsEveryLevelAndFixChecksumChangesOnlyTheChecksum) {
    Bytes image = demo.image;
    putWord(image, 0x18E, 0x1234);
    const std::string rom = put("rom.bin", image);
    const std::string info = tool({"info", rom}).out;
    EXPECT_EQ(info.rfind("image: revision 01 (factory tables, modified)\n"
                         "table level list: 0x9454, as in revision 01\n",
                         0),
              0u)
        << info;
    const DemoZone& zone = demo.zoneOf(19);
    EXPECT_NE(
        info.find("\nlevel 20: zone " + std::to_string(demo.levelZone[19]) + " act " +
                  std::to_string(demo.levelAct[19]) + ", tiles " + hexOffset(zone.tiles.offset)),
        std::string::npos)
        << info;
    EXPECT_NE(info.find("\nlayouts: not migrated (layout directory at 0x45A80"), std::string::npos);
    EXPECT_TRUE(holds(info, "\ntable collision shapes: 0x42D50, as in revision 01\n"));
    EXPECT_TRUE(holds(info, "\nchecksum (0x18E): stored 0x1234, computed " + sum + ": wrong\n"));
    EXPECT_EQ(tool({"fix-checksum", rom}).out,
              "checksum at 0x18E: 0x1234 -> " + sum + "\n" + kept(rom));
    EXPECT_EQ(readFile(rom), demo.image);
    EXPECT_EQ(readFile(rom + ".bak"), image);
    const ToolRun run = tool({"info", rom});
    EXPECT_TRUE(run.exitCode == 0 && run.err.empty()) << run.err;
    EXPECT_NE(run.out.find(sum + ", computed " + sum + ": correct\n"), std::string::npos);
    forgetBackups(rom);
    EXPECT_NE(tool({"fix-checksum", rom}).out.find("already correct; nothing changed"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
}

// info lists each level-start table, found or not, between the level tables and the levels.
TEST_F(ToolRom, InfoListsTheLevelStartTables) {
    Bytes image = demo.image;
    image[static_cast<std::size_t>(locateStartTables(image, profile).reports[11].codeAt.value())] ^=
        0xFF;
    const StartTableReport found = locateStartTables(image, profile).reports[0];
    const std::string info = tool({"info", put("rom.bin", image)}).out;
    EXPECT_TRUE(holds(info, "\nstart table " + found.name + ": " + found.found +
                                ", named by the code at " + hexOffset(found.codeAt.value()) +
                                "\n"));
    EXPECT_TRUE(holds(info, "\nstart table slot pictures: not found: its code was not found\n"));
    EXPECT_LT(info.find("\ntable debug object lists: "), info.find("\nstart table "));
    EXPECT_LT(info.find("\nstart table palette cycles: "), info.find("\nlevel 1: "));
}

// Without --yes the tool asks, and only y or yes migrates; a migrated ROM is not asked again.
TEST_F(ToolRom, MigrateAsksUnlessToldAndMigratesOnce) {
    const std::string rom = file("rom.bin");
    const std::string done =
        "migrated the layouts of all 20 levels; the layout directory is now at 0x100000\n" +
        kept(rom);
    for (const auto& [input, yes] : std::vector<std::pair<std::string, bool>>{
             {"n\n", false}, {"", false}, {"yess\n", false}, {" Y \n", true}, {"YES\n", true}}) {
        const std::string out = tool({"migrate", demoFile("rom.bin")}, input).out;
        EXPECT_EQ(out.rfind("Migrate the layouts\nThe layouts of this ROM are not migrated.", 0),
                  0u)
            << out;
        EXPECT_EQ(out.find('\r'), std::string::npos);
        const std::string asked = "Migrate the layouts?\n[y/N] ";
        ASSERT_NE(out.find(asked), std::string::npos) << out;
        // At the end of the input the tool ends the question's line itself.
        EXPECT_EQ(
            out.substr(out.find(asked) + asked.size()),
            yes ? done
                : (input.empty() ? "\n" : "") + std::string("not migrated; nothing changed\n"));
        EXPECT_EQ(readFile(rom) == demo.image, !yes) << input;
        EXPECT_EQ(std::filesystem::exists(rom + ".bak"), yes) << input;
        forgetBackups(rom);
    }
    EXPECT_EQ(tool({"migrate", demoFile("rom.bin"), "--yes"}).out, done);
    const Bytes migrated = readFile(rom);
    EXPECT_EQ(tool({"migrate", rom}, "y\n").out,
              "the layouts are already migrated; nothing changed\n");
    EXPECT_EQ(readFile(rom), migrated);
    EXPECT_EQ(readFile(rom + ".bak"), demo.image);
    EXPECT_NE(tool({"info", rom}).out.find("\nlayouts: migrated (layout directory at 0x100000"),
              std::string::npos);
}

// A platform of blocks across the foreground and a change in the background.
Bytes edited(Bytes layout) {
    std::fill(layout.begin() + 256 * 5 + 10, layout.begin() + 256 * 5 + 60, 0x47);
    layout[256 * 15 + 200] = 0x01;
    return layout;
}

// A build with every table moved is named as one, each table with the code that names it.
TEST_F(ToolRom, ABuildWithMovedTablesIsNamedAsOne) {
    const std::string rom = file("built.bin");
    ASSERT_EQ(tool({"demo-rom", rom, "--revision", "built"}).exitCode, 0);
    const std::string info = tool({"info", rom}).out;
    EXPECT_EQ(info.rfind("image: built from the disassembly (tables located by code)\n"
                         "table level list: 0x9700, named by the code at 0x96D0\n",
                         0),
              0u)
        << info;
    EXPECT_TRUE(
        holds(info, "table fixed palette line: 0x2B00, entry 3 of the palette pointer table"));
    EXPECT_TRUE(holds(info,
                      "\ntable collision shapes: 0x42F00, found by their contents (no code "
                      "names them)\n"));
}

// normalize writes the plain image of a dump beside it; the other commands refuse a dump.
TEST_F(ToolRom, NormalizeTurnsADumpIntoThePlainImage) {
    const Bytes swapped = byteSwapped(demo.image);
    const std::string dump = put("s2.bin", swapped);
    const ToolRun refused = tool({"fix-checksum", dump});
    EXPECT_TRUE(refused.endedWith(1, "This is a byte-swapped image"));
    EXPECT_EQ(tool({"normalize", dump, dump}).exitCode, 1);
    EXPECT_EQ(tool({"normalize", dump, file("plain.bin")}).out,
              dump + " is a byte-swapped image; wrote the plain image (1048576 bytes) to " +
                  file("plain.bin") + "\n");
    EXPECT_EQ(readFile(file("plain.bin")), demo.image);
    EXPECT_EQ(readFile(dump), swapped);
}

// A dump cut short (a partial .smd block, a plain image shorter than its ROM end field) is
// refused, saying how much is missing, and nothing is written.
TEST_F(ToolRom, NormalizeRefusesCutDumps) {
    const Bytes& plain = demo.image;
    const Bytes smd = interleavedSmd(plain);
    Bytes copier(512, 0);
    copier.insert(copier.end(), plain.begin(), plain.end());
    const Bytes swapped = byteSwapped(plain);
    const auto cut = [](const Bytes& bytes, std::size_t missing) {
        return Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(missing));
    };
    ASSERT_EQ(tool({"normalize", put("whole.smd", smd), "whole.bin"}).exitCode, 0);
    const auto before = snapshot();
    for (const auto& [dump, says] : std::vector<std::pair<Bytes, std::string>>{
             {cut(smd, 5000),
              "an interleaved .smd dump cut short: its last 16 KiB block holds "
              "11384 bytes, so 5000 bytes are missing"},
             {cut(smd, 16384),
              "an interleaved .smd dump cut short: the plain image is 1032192 "
              "bytes, less than its ROM end field at 0x1A4 says, so 16384 bytes"},
             {cut(plain, 0x80000), "a plain cartridge image cut short"},
             {cut(copier, 100), "copier header cut short: the plain image is 1048476 bytes"},
             {cut(swapped, 1), "so 1 byte is missing"},
             {cut(plain, plain.size() - 0x120),
              "is 288 bytes and ends before its ROM end field at 0x1A4, so 136 bytes"}}) {
        const std::string in = put("cut.bin", dump);
        const ToolRun run = tool({"normalize", in, "out.bin"});
        EXPECT_TRUE(run.exitCode == 1 && run.errLines() == 1) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("; nothing was written"), std::string::npos) << run.err;
        std::filesystem::remove(in);
        EXPECT_EQ(snapshot(), before);
    }
}

// demo-rom replaces what was there; over separate runs an import names its room and backups,
// NAME.orig keeps the factory image and NAME.bak the file before the last write.
TEST_F(ToolRom, TheOriginalSurvivesSeparateRuns) {
    const std::string rom = put("s2.bin", {1, 2, 3});
    EXPECT_EQ(tool({"demo-rom", rom}).out, "wrote the demo ROM (1048576 bytes) to " + rom + "\n");
    ASSERT_EQ(readFile(rom), demo.image);
    const Bytes layout = edited(demo.layoutData[4]);
    const std::string first = tool({"layout-import", rom, "5", put("l.bin", layout)}).out;
    EXPECT_TRUE(holds(first, " bytes in a room of " +
                                 std::to_string(layoutRoom(demo.image, profile, 4).value()) +
                                 " bytes\n" + kept(rom)));
    EXPECT_EQ(exported(rom, 5), layout);
    const Bytes afterFirst = readFile(rom);
    EXPECT_EQ(tool({"migrate", rom, "--yes"}).out,
              "migrated the layouts of all 20 levels; the layout directory is now at 0x100000\n" +
                  kept(rom, false));
    EXPECT_EQ(readFile(rom + ".bak"), afterFirst);
    EXPECT_EQ(readFile(rom + ".orig"), demo.image);

    // A NAME.orig that is no copy (a link, a folder) is left alone and not claimed as one.
    for (const bool folder : {false, true}) {
        const std::string other = demoFile(folder ? "f.bin" : "l.bin");
        const std::string orig = other + ".orig";
        if (folder) {
            std::filesystem::create_directory(orig);
        } else {
            std::filesystem::create_symlink(rom, orig);
        }
        const std::string said = tool({"migrate", other, "--yes"}).out;
        EXPECT_NE(said.find(orig + " is not a file Orvex wrote"), std::string::npos) << said;
        EXPECT_EQ(said.find("first found it is kept in"), std::string::npos) << said;
        EXPECT_EQ(said.find("first found it stays in"), std::string::npos) << said;
        EXPECT_EQ(std::filesystem::is_directory(orig), folder);
    }
    EXPECT_EQ(readFile(rom + ".orig"), demo.image);
}

// No output replaces what the command reads; "-" is standard output; what is not a regular
// file is neither read nor replaced.
TEST_F(ToolRom, OutputsAndInputsAreOnlyRegularFilesAndNeverTheInput) {
    const std::string rom = demoFile("r.bin");
    EXPECT_TRUE(tool({"layout-export", rom, "3", rom}).endedWith(1, "is the same file as"));
    EXPECT_EQ(readFile(rom), demo.image);
    std::filesystem::create_symlink(rom, file("link.bin"));
    EXPECT_EQ(tool({"render", rom, "1", "link.bin"}).exitCode, 1);
    EXPECT_EQ(readFile(rom), demo.image);

    const ToolRun piped = tool({"layout-export", rom, "3", "-"});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), demo.layoutData[2]);
    EXPECT_EQ(piped.err, "wrote the layout of level 3 (4096 bytes) to -\n");

    std::filesystem::create_directory(file("folder.bin"));
    ASSERT_EQ(::mkfifo(file("pipe.bin").c_str(), 0600), 0);
    for (const std::string& odd : {file("folder.bin"), file("pipe.bin")}) {
        EXPECT_EQ(tool({"info", odd}).exitCode, 1);  // at once: a pipe is never waited on
        EXPECT_EQ(tool({"kos-compress", odd, "out.bin"}).exitCode, 1);
        EXPECT_EQ(tool({"layout-export", rom, "3", odd}).exitCode, 1);
    }
    EXPECT_TRUE(std::filesystem::is_directory(file("folder.bin")));
    EXPECT_FALSE(std::filesystem::exists(file("out.bin")));
}

// An output file marked read-only is refused, as a read-only ROM is, by each way a command writes
// one (the JSON exports share one): it keeps its bytes and no other file appears.
TEST_F(ToolRom, ReadOnlyOutputsAreNotReplaced) {
    const std::string rom = demoFile("r.bin");
    const std::string out = put("ro.bin", {1, 2, 3});
    const std::string in = put("in.bin", {});
    std::filesystem::permissions(out, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const auto before = snapshot();
    for (const Args& args : std::vector<Args>{
             {"layout-export", rom, "3", out},
             {"objects-export", rom, "8", out},
             {"art-export", rom, "1", "tiles", out},
             {"render", rom, "1", out, "--blocks"},
             {"demo-rom", out},
             {"kos-compress", in, out},
             {"kos-decompress", rom, out, "--offset=" + hexOffset(demo.layouts[0].offset)}}) {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find(out + " is read-only"), std::string::npos) << run.err;
        EXPECT_EQ(snapshot(), before) << args[0];
    }
}

// Two imports into one ROM at once, 20 times: both edits are always there afterwards.
TEST_F(ToolRom, TwoWritersAtOnceLoseNoEdit) {
    const std::string rom = demoFile("both.bin");
    ASSERT_EQ(tool({"migrate", rom, "--yes"}).exitCode, 0);
    const std::string tool = ORVEX_TOOL_PATH;
    for (int round = 0; round < 20; ++round) {
        Bytes first = demo.layoutData[5];
        Bytes second = demo.layoutData[9];
        first[round] = static_cast<std::uint8_t>(round + 1);
        second[round + 1] = static_cast<std::uint8_t>(round + 2);
        const std::string a = put("a.bin", first);
        const std::string b = put("b.bin", second);
        const std::string both = "'" + tool + "' layout-import '" + rom + "' 6 '" + a +
                                 "' >/dev/null 2>&1 & '" + tool + "' layout-import '" + rom +
                                 "' 10 '" + b + "' >/dev/null 2>&1; wait";
        ASSERT_EQ(std::system(both.c_str()), 0);
        EXPECT_EQ(exported(rom, 6), first) << round;
        EXPECT_EQ(exported(rom, 10), second) << round;
    }
}

// level-set writes the start position and the boundaries, and prints them as level-info does
// (what else a save changes is the core's, documentsaver_test).
TEST_F(ToolRom, LevelSetWritesTheStartAndTheBoundaries) {
    const std::string rom = demoFile("level.bin");
    const ToolRun info = tool({"level-info", rom, "7"});
    EXPECT_NE(info.out.find("start position: x 0x0090, y 0x028C"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("objects: 287 (58 remember their state)"), std::string::npos);
    EXPECT_EQ(tool({"level-set", rom, "7", "--start", "1"}).exitCode, 2);
    EXPECT_EQ(tool({"level-set", rom, "7"}).exitCode, 2);
    EXPECT_EQ(readFile(rom), demo.image);

    const ToolRun set =
        tool({"level-set", rom, "7", "--start", "0x100,200", "--bounds", "0,0x3000,-256,0x800"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find("start position: x 0x0100, y 0x00C8"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("boundaries: x 0x0000..0x3000, y 0xFF00..0x0800"), std::string::npos);
    const Bytes after = readFile(rom);

    // The same values again: nothing to save, no write, no backup made.
    std::filesystem::remove(rom + ".bak");
    const ToolRun again = tool({"level-set", rom, "7", "--start", "0x100,200"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("nothing to save"), std::string::npos) << again.out;
    EXPECT_EQ(readFile(rom), after);
    EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
}

// Inverted boundaries (signed words, as the game compares them) are a usage error; a start the
// 320 x 224 camera cannot show within them is written with a warning.
TEST_F(ToolRom, LevelSetRefusesInvertedBoundsAndWarnsOfAStartOutside) {
    const std::string rom = demoFile("level.bin");
    const std::string outside = "orvex-tool: level-set: warning: the start position (x ";
    for (const auto& [bounds, start, exitCode, says] :
         std::vector<std::tuple<std::string, std::string, int, std::string>>{
             {"0x3000,0x1000,0,0x800", "0x100,0x100", 2, "XMIN 12288 above XMAX 4096"},
             {"0,0x3000,0x800,-256", "0x100,0x100", 2, "YMIN 2048 above YMAX -256"},
             {"0,0x3000,0,0xFF00", "0x100,0x100", 2, "YMIN 0 above YMAX -256"},
             {"0,0x1000,-256,0x400", "0x2000,0x100", 0, outside + "8192, y 256) lies outside"},
             {"0,0x1000,-256,0x400", "0x100,0x4E0", 0, "y -256 to 1247); it is written"},
             {"0x100,0x1000,0,0x400", "0xFF,0x100", 0, "(x 255, y 256)"},
             {"0,0x1000,-256,0x400", "0x113F,0x4DF", 0, ""},
             {"0,0x1000,-256,0x400", "0x100,-0x100", 0, ""}}) {
        const Bytes before = readFile(rom);
        const ToolRun run = tool({"level-set", rom, "7", "--bounds", bounds, "--start", start});
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_EQ(run.errLines(), says.empty() ? 0 : exitCode == 2 ? 2 : 1) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(readFile(rom) == before, exitCode == 2) << bounds;
        forgetBackups(rom);
    }
}

}  // namespace
}  // namespace orvex::testing
