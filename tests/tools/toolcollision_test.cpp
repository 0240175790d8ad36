// collision-export and collision-import through the real executable.

#include <nlohmann/json.hpp>

#include "compression/kosinski.h"
#include "toolprofiletest.h"

namespace orvex::testing {
namespace {

using Json = nlohmann::json;

using ToolCollision = ProfileToolTest;

// The export names the level, the levels sharing its indexes and each chunk's shape on both
// paths; imported back it is the level's already and nothing is written.
TEST_P(ToolCollision, ExportImportsAsItIs) {
    const std::string rom = romFile();
    const ToolRun exported = tool({"collision-export", rom, "1", "c.json"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const Json json = readJson("c.json");
    EXPECT_EQ(json["level"], 1);
    EXPECT_EQ(json["sharedWith"], Json::parse("[2, 11, 12]"));  // EHZ 2 and both HTZ acts
    ASSERT_EQ(json["chunks"].size(), 768u);
    const DemoZone& zone = demo().zoneOf(0);
    for (std::size_t chunk = 0; chunk < 768; ++chunk) {
        EXPECT_EQ(json["chunks"][chunk]["path1"], zone.collision[0][chunk]) << chunk;
        EXPECT_EQ(json["chunks"][chunk]["path2"], zone.collision[1][chunk]) << chunk;
    }
    const ToolRun imported = tool({"collision-import", rom, "1", "c.json"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("nothing to save"), std::string::npos) << imported.out;
    EXPECT_EQ(readFile(rom), demo().image);
}

// An edit of an index both paths of three zones read is saved once, named for every level and
// path reading it, and another zone reading it sees the edit.
TEST_P(ToolCollision, ASharedIndexEditNamesEveryReader) {
    const std::string rom = romFile();
    ASSERT_EQ(tool({"collision-export", rom, "5", "-"}, {}, file("m.json")).exitCode, 0);
    Json json = readJson("m.json");
    EXPECT_EQ(json["sharedWith"], Json::parse("[6, 15, 16]"));
    json["chunks"][40]["path1"] = 14;
    json["chunks"][40]["path2"] = 14;
    const std::string text = json.dump();
    const ToolRun run = tool({"collision-import", rom, "5", "-", "--move-art"}, text);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(holds(run.out,
                      "changed the collision index read by level 5 paths 1 and 2, level 6 "
                      "paths 1 and 2, level 15 paths 1 and 2 and level 16 paths 1 and 2\n"));
    // Every reader and the rest of the file: the core's save, checked by collisionsave_test.
    const LevelParts after = everyLevel(rom)[15];
    EXPECT_EQ(after.collision[0][40], 14);
    EXPECT_EQ(after.collision[1][40], 14);
}

// An index that no longer fits its place is refused without --move-art, naming the way on,
// and moved with it. (What else a moved index changes is the core's, collisionsave_test.)
TEST_P(ToolCollision, AGrownIndexMovesOnlyWhenTold) {
    const std::string rom = romFile();
    ASSERT_EQ(tool({"collision-export", rom, "17", "c.json"}).exitCode, 0);
    Json json = readJson("c.json");
    const Bytes noise = noiseBytes(768);
    for (std::size_t chunk = 0; chunk < 768; ++chunk) {
        json["chunks"][chunk]["path2"] = noise[chunk];
    }
    putText("c.json", json.dump());
    const ToolRun refused = tool({"collision-import", rom, "17", "c.json"});
    EXPECT_TRUE(refused.endedWith(1, "secondary collision of level 17"));
    EXPECT_NE(refused.err.find("run again with --move-art"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(rom), demo().image);

    const ToolRun moved = tool({"collision-import", rom, "17", "c.json", "--move-art"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_TRUE(holds(moved.out, "moved the secondary collision index to"));
    EXPECT_NE(moved.out.find("read by level 17 path 2\n"), std::string::npos) << moved.out;
    EXPECT_EQ(everyLevel(rom)[16].collision[1], noise);
}

// An index that does not decode to the game's 768 bytes: the export says so itself, and a whole
// index imported replaces it.
TEST_P(ToolCollision, AnIndexNotReadWholeIsNamedAndCanBeReplaced) {
    const std::string intact = romFile();
    ASSERT_EQ(tool({"collision-export", intact, "1", "c.json"}).exitCode, 0);
    Bytes image = demo().image;
    const DemoStream& index = demo().zoneOf(0).collisionStreams[0];
    const Bytes half = *compressKosinskiOptimal(ByteSpan(Bytes(512, 1)));
    std::copy(half.begin(), half.end(), image.begin() + index.offset);
    const std::string rom = put("short.bin", image);

    const ToolRun refused = tool({"collision-export", rom, "1", "x.json"});
    EXPECT_TRUE(refused.endedWith(1, "decodes to 512 bytes"));
    EXPECT_EQ(refused.err.find("see the warnings"), std::string::npos) << refused.err;

    const ToolRun replaced = tool({"collision-import", rom, "1", "c.json", "--move-art"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    ASSERT_EQ(tool({"collision-export", rom, "1", "y.json"}).exitCode, 0);
    EXPECT_EQ(readJson("y.json")["chunks"], readJson("c.json")["chunks"]);
}

// Each bad file is refused naming what is wrong, and nothing is written.
TEST_P(ToolCollision, BadFieldsAreNamed) {
    const std::string rom = romFile();
    ASSERT_EQ(tool({"collision-export", rom, "1", "c.json"}).exitCode, 0);
    const Json good = readJson("c.json");
    Json range = good;
    range["chunks"][3]["path1"] = 256;
    putText("range.json", range.dump());
    Json missing = good;
    missing["chunks"][0].erase("path2");
    putText("missing.json", missing.dump());
    Json count = good;
    count["chunks"].erase(767);
    putText("count.json", count.dump());
    Json level = good;
    level["level"] = 4;
    putText("level.json", level.dump());
    ASSERT_EQ(tool({"collision-export", rom, "5", "m.json"}).exitCode, 0);
    Json apart = readJson("m.json");
    apart["chunks"][9]["path2"] = 3;
    apart["chunks"][9]["path1"] = 2;
    putText("apart.json", apart.dump());
    const std::vector<std::pair<Args, std::string>> cases = {
        {{"collision-import", rom, "1", "range.json"},
         "chunk 3, field \"path1\" must be a whole number from 0 to 255"},
        {{"collision-import", rom, "1", "missing.json"}, "chunk 0, field \"path2\" is missing"},
        {{"collision-import", rom, "1", "count.json"},
         "the \"chunks\" list holds 767 entries; the game reads exactly 768"},
        {{"collision-import", rom, "1", "level.json"}, "the file holds level 4, not level 1"},
        {{"collision-import", rom, "5", "apart.json"},
         "chunk 9: \"path1\" and \"path2\" differ, but level 5 reads one index for both paths"},
    };
    const auto before = snapshot();
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(args[3]);
        const ToolRun run = tool(args);
        EXPECT_TRUE(run.exitCode == 1 && run.errLines() == 1 && run.out.empty()) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
    EXPECT_EQ(snapshot(), before);
}

// The tool reads every table through the core, whose tests run over every table layout.
ORVEX_ONE_PROFILE(ToolCollision);

}  // namespace
}  // namespace orvex::testing
