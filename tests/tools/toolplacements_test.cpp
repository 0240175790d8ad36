// objects-import and rings-import through the real executable: what a JSON file must be, and
// when an import writes nothing.

#include <nlohmann/json.hpp>

#include "document/documentloader.h"
#include "rom/romidentity.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolJson : public ToolTest {
protected:
    // An objects file of `objects`, and a level when one is given.
    static std::string objectsText(const std::vector<ObjectPlacement>& objects, int level = 0) {
        nlohmann::json file{{"objects", nlohmann::json::array()}};
        for (const ObjectPlacement& o : objects) {
            file["objects"].push_back({{"x", o.x},
                                       {"y", o.y},
                                       {"id", o.id},
                                       {"subtype", o.subtype},
                                       {"xFlip", o.xFlip},
                                       {"yFlip", o.yFlip},
                                       {"rememberState", o.rememberState},
                                       {"twoPlayer", o.twoPlayer}});
        }
        if (level != 0) {
            file["level"] = level;
        }
        return file.dump();
    }
};

// Each file is refused whole with one line naming the file and what is wrong in it, and no
// file changes: neither the ROM nor its backups.
TEST_F(ToolJson, BadFilesAreRefusedAndWriteNothing) {
    const std::string rom = demoFile("rom.bin");
    const auto withId = [](std::uint8_t id) { return objectsText({{0x100, 0x100, id, 0}}); };
    const std::string ring = "{\"rings\": [{\"x\": 1, \"y\": 2, \"column\": false, \"count\": ";
    struct Case {
        std::string command;
        std::string level;
        std::string json;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"objects", "8", "{\"objects\": [], \"n\": 1e400}",
         "number overflow parsing '1e400' at line 1, column"},
        {"objects", "8", std::string("{\"objects\": []}") + '\0' + "garbage",
         "a NUL byte at line 1, column 16"},
        {"objects", "8", "{\"objects\": []}\n{}", "line 2, column 1: syntax error"},
        {"objects", "8", "{\"objects\": [{\"x\": 1, \"x\": 2}]}",
         "duplicate key \"x\" in objects[0]"},
        {"objects", "8", "{\"objects\": [], \"objects\": []}",
         "duplicate key \"objects\" in the top-level object"},
        {"objects", "8", std::string(65, '['), "nest deeper than 64 levels"},
        {"objects", "8", "{\"objects\": {}}", "holds no \"objects\" list"},
        {"objects", "3", "{\"level\": 7, \"objects\": []}",
         "the file holds level 7, not level 3; pass --any-level to import it anyway"},
        {"objects", "3", "{\"level\": 21, \"objects\": []}",
         "field \"level\" must be a whole number from 1 to 20"},
        {"objects", "8", withId(0x00), "object 0, field \"id\" is 0x00, an id the game has no"},
        {"objects", "8", withId(0xDD), "field \"id\" is 0xDD, an id the game has no code for"},
        {"objects", "8", objectsText({{0x100, 0x100, 0x41, 0}, {0x100, 0x1000, 0x41, 0}}),
         "object 1, field \"y\""},
        {"rings", "8", ring + "0}]}", "field \"count\" must be a whole number from 1 to 8"},
        {"rings", "8", "{\"level\": 7, \"rings\": []}", "the file holds level 7, not level 8"},
    };
    const auto before = snapshot();
    for (const auto& [command, level, json, says] : cases) {
        SCOPED_TRACE(json);
        const ToolRun run = tool({command + "-import", rom, level, putText("in.json", json)});
        EXPECT_TRUE(run.exitCode == 1 && run.errLines() == 1 && run.out.empty()) << run.err;
        EXPECT_EQ(run.err.rfind("orvex-tool: " + command + "-import: " + file("in.json") + ": ", 0),
                  0u)
            << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
    std::filesystem::remove(file("in.json"));
    EXPECT_EQ(snapshot(), before);

    std::filesystem::resize_file(putText("huge.json", "{}"), 100 * 1024 * 1024);
    const ToolRun huge = tool({"objects-import", rom, "8", "huge.json"});
    EXPECT_TRUE(
        huge.endedWith(1, "104857600 bytes, and a JSON file may have at most 8388608 bytes"));
}

// What the checks refuse, the options take.
TEST_F(ToolJson, OtherLevelsAndIdsWithoutCodeAreTakenWhenAskedFor) {
    const std::string rom = demoFile("rom.bin");
    const std::string json = objectsText({{0x100, 0x100, 0xDD, 0}}, 7);
    const std::string in = putText("in.json", json);
    EXPECT_EQ(tool({"objects-import", rom, "2", in, "--any-level"}).exitCode, 1);
    EXPECT_EQ(tool({"objects-import", rom, "2", in, "--any-id"}).exitCode, 1);
    const ToolRun run = tool({"objects-import", rom, "2", in, "--any-id", "--any-level"});
    EXPECT_EQ(run.out.rfind("saved 1 object of level 2\n", 0), 0u) << run.err;
    EXPECT_NE(tool({"level-info", rom, "2"}).out.find("objects: 1 "), std::string::npos);
}

// The level's own list, in the file's order or another, is nothing to save: no backups appear.
TEST_F(ToolJson, AnImportThatChangesNothingWritesNothing) {
    const std::string rom = demoFile("rom.bin");
    std::vector<ObjectPlacement> reversed = demoRom().objects[7];
    std::reverse(reversed.begin(), reversed.end());
    ASSERT_EQ(tool({"objects-export", rom, "8", "objects.json"}).exitCode, 0);
    ASSERT_EQ(tool({"rings-export", rom, "8", "rings.json"}).exitCode, 0);
    const std::string objects = std::to_string(reversed.size()) + " objects";
    const std::string rings = std::to_string(demoRom().rings[7].size()) + " ring groups";
    for (const auto& [command, in, said] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"objects-import", "objects.json", objects},
             {"objects-import", putText("reversed.json", objectsText(reversed)), objects},
             {"rings-import", "rings.json", rings}}) {
        const ToolRun run = tool({command, rom, "8", in});
        EXPECT_EQ(run.out, "level 8 already has these " + said + "; nothing to save\n") << run.err;
        EXPECT_EQ(readFile(rom), demoRom().image);
        EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
    }
}

// Every field of an imported object reaches the level, the list sorted by x as the game needs.
TEST_F(ToolJson, ImportedObjectsKeepEveryField) {
    const std::string rom = demoFile("rom.bin");
    const ObjectPlacement far{900, 16, 0x41, 2, true, false, false, false};
    const ObjectPlacement near{100, 4095, 0x0D, 0, false, true, true, true};
    const ToolRun run =
        tool({"objects-import", rom, "8", putText("in.json", objectsText({far, near}))});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto loaded = loadDocument(readFile(rom), demoRom().profile, 7);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(*loaded->document->parts().objects, (std::vector<ObjectPlacement>{near, far}));
}

// A list that outgrew its place is refused, naming --move-lists and writing nothing; with the
// option the import is saved. (Where the lists move is the core's, placementmove_test.)
TEST_F(ToolJson, AGrownListIsSavedOnlyWithMoveLists) {
    const std::string rom = demoFile("grown.bin");
    std::vector<ObjectPlacement> forty;
    for (int i = 0; i < 40; ++i) {
        forty.push_back({static_cast<std::uint16_t>(0x100 + 0x20 * i), 256, 0x41, 0});
    }
    const std::string in = putText("forty.json", objectsText(forty));
    EXPECT_TRUE(tool({"objects-import", rom, "8", in}).endedWith(1, "run again with --move-lists"));
    EXPECT_EQ(readFile(rom), demoRom().image);

    const ToolRun moved = tool({"objects-import", rom, "8", in, "--move-lists"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_TRUE(holds(moved.out, "moved the object and ring lists of every level"));
    EXPECT_NE(tool({"level-info", rom, "8"}).out.find("objects: 40 "), std::string::npos);
}

// An image whose code names no object (or ring) directory has no list to import into.
TEST_F(ToolJson, ImportsIntoAnImageWithoutTheDirectoryFail) {
    const DemoRom& built = demoRom(demoBuildProfile());
    for (const auto& [table, command] :
         {std::pair{TableId::ObjectDirectory, "objects"}, {TableId::RingDirectory, "rings"}}) {
        Bytes image = built.image;
        const auto code = identifyRom(image)->codeAt[static_cast<std::size_t>(table)];
        ASSERT_TRUE(code.has_value());
        image[static_cast<std::size_t>(*code)] ^= 0xFF;
        const std::string rom = put("rom.bin", image);
        const std::string in = putText("in.json", std::string("{\"") + command + "\": []}");
        const auto before = snapshot();
        const ToolRun run = tool({std::string(command) + "-import", rom, "1", in});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(holds(run.err, "directory was not found, so it has no list to import into"));
        EXPECT_EQ(snapshot(), before);
    }
}

}  // namespace
}  // namespace orvex::testing
