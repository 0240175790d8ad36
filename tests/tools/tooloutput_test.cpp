// What kos-compress, kos-decompress and render write, through the real executable.

#include <algorithm>
#include <memory>

#include "compression/kosinski.h"
#include "document/documentloader.h"
#include "graphics/collisionimage.h"
#include "graphics/levelart.h"
#include "graphics/levelimage.h"
#include "graphics/levelstart.h"
#include "graphics/palette.h"
#include "graphics/placementimage.h"
#include "graphics/png.h"
#include "graphics/sprites.h"
#include "rom/placements.h"
#include "rom/starttables.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolFiles : public ToolTest {};

// Inputs with literals (compressed art), copies and runs, through both encoders; then a stream
// inside a ROM.
TEST_F(ToolFiles, CompressGivesTheCoreStreamAndDecompressGivesTheInputBack) {
    const DemoRom& demo = demoRom();
    const auto art = demo.image.begin() + demo.zoneOf(0).tiles.offset;
    for (const Bytes& input :
         {Bytes{}, Bytes{0x42}, Bytes(20000), Bytes(art, art + 3000), demo.layoutData[6]}) {
        for (const bool rle : {false, true}) {
            const std::string size = std::to_string(input.size());
            Args args = {"kos-compress", put("in.bin", input), "p.kos"};
            if (rle) {
                args.push_back("--rle");
            }
            const ToolRun packed = tool(args);
            Bytes stream = readFile(file("p.kos"));
            const std::string length = std::to_string(stream.size());
            EXPECT_EQ(packed.out, "compressed " + size + " bytes into a stream of " + length +
                                      " bytes (" + (rle ? "run-length" : "optimal") + " encoder)\n")
                << packed.err;
            stream.push_back(0);  // the core's stream ends with the padding byte a save adds
            EXPECT_EQ(stream,
                      (rle ? compressKosinski(input) : compressKosinskiOptimal(input)).value());
            EXPECT_EQ(tool({"kos-decompress", "p.kos", "out.bin"}).out,
                      "stream length: " + length + " bytes\nwrote " + size + " bytes to out.bin\n");
            EXPECT_EQ(readFile(file("out.bin")), input) << rle << " " << size;
        }
    }
    const DemoStream& layout = demo.layouts[9];
    EXPECT_EQ(
        tool({"kos-decompress", demoFile("rom.bin"), "l.bin",
              "--offset=" + hexOffset(layout.offset)})
            .out,
        "stream length: " + std::to_string(layout.length) + " bytes\nwrote 4096 bytes to l.bin\n");
    EXPECT_EQ(readFile(file("l.bin")), demo.layoutData[9]);
}

// The level's art as the game shows it at its start, as render draws it.
std::unique_ptr<LevelArt> artAtStart(const DemoRom& rom, const LevelDocument& document) {
    const LevelStart start =
        readLevelStart(rom.image, rom.profile, locateStartTables(rom.image, rom.profile).tables,
                       document.zoneAct(), startCameraX(document.parts()));
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(document.parts(), start, *art);
    return art;
}

// Each picture is the core's plane or block sheet, byte for byte; short block mappings are a
// warning, a broken-off layout still has its blocks drawn, and no terminal gets no progress.
TEST_F(ToolFiles, RenderWritesTheCoresPictures) {
    DemoRomOptions shortBlocks;
    shortBlocks.shortBlockMappings = true;
    DemoRomOptions weird;
    weird.weirdLayoutLevel = 6;
    const Args blocks = {"--blocks"};
    for (const auto& [rom, level, options, warning] :
         std::vector<std::tuple<DemoRomOptions, int, Args, std::string>>{
             {{}, 3, {}, ""},
             {{}, 16, {"--plane", "bg"}, ""},
             {{}, 20, blocks, ""},
             {shortBlocks, 1, blocks, "orvex-tool: render: warning: The block mappings"},
             {weird, 7, blocks, ""}}) {
        Args args = {"render", demoFile("rom.bin", rom), std::to_string(level), "p.png"};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun run = tool(args);
        EXPECT_TRUE(run.exitCode == 0 && run.err.rfind(warning, 0) == 0) << run.err;
        EXPECT_EQ(run.errLines(), warning.empty() ? 0 : 1) << run.err;
        const int width = options == blocks ? 2048 : 16384;
        EXPECT_EQ(run.out, "wrote p.png: " + std::to_string(width) + " x 2048 pixels\n");

        auto loaded = loadDocument(demoRom(rom).image, demoRom(rom).profile,
                                   static_cast<std::int16_t>(level - 1));
        ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
        const auto art = artAtStart(demoRom(rom), *loaded->document);
        const IndexedImage expected =
            options == blocks
                ? renderBlockSheet(art->blocks)
                : renderPlane(art->blocks, loaded->document->layout(),
                              options.empty() ? Plane::Foreground : Plane::Background);
        EXPECT_TRUE(readFile(file("p.png")) == encodeIndexedPng(expected, art->colours).value())
            << level;
    }
}

// --objects draws the level's objects and rings over the foreground as the core composes them;
// --sprite draws one type alone, and a type the zone's debug list lacks writes nothing.
TEST_F(ToolFiles, RenderDrawsObjectsAndSpritesAsTheCoreDoes) {
    const std::string rom = demoFile("rom.bin", {});
    auto loaded = loadDocument(demoRom().image, demoRom().profile, 0);
    ASSERT_TRUE(loaded.ok());
    const LevelDocument& document = *loaded->document;
    auto sprites =
        loadLevelSprites(demoRom().image, demoRom().profile, document.zoneAct(), document.parts());
    ASSERT_TRUE(sprites.ok());
    const auto art = artAtStart(demoRom(), document);

    ASSERT_EQ(tool({"render", rom, "1", "o.png", "--objects"}).exitCode, 0);
    IndexedImage plane = renderPlane(art->blocks, document.layout(), Plane::Foreground);
    drawPlacements(plane, document.parts(), *sprites, brightestColour(art->colours));
    EXPECT_EQ(readFile(file("o.png")), encodeIndexedPng(plane, art->colours).value());
    ASSERT_EQ(tool({"render", rom, "1", "s.png", "--sprite", "26:00"}).exitCode, 0);
    EXPECT_EQ(readFile(file("s.png")),
              encodeIndexedPng(renderObjectType(*sprites, 0x26, 0), art->colours).value());

    EXPECT_TRUE(tool({"render", rom, "1", "m.png", "--sprite", "79"})
                    .endedWith(1, "has no sprite for object 0x79"));
    EXPECT_FALSE(std::filesystem::exists(file("m.png")));
}

// Below the water line the underwater colours (after the level's 64); the ground of path 2 over
// both in three colours of its own after them.
TEST_F(ToolFiles, RenderDrawsWaterAndCollisionInColoursOfTheirOwn) {
    const std::string rom = demoFile("rom.bin", {});
    constexpr std::int16_t kWaterLevel = 12;
    auto loaded = loadDocument(demoRom().image, demoRom().profile, kWaterLevel);
    ASSERT_TRUE(loaded.ok());
    const auto line =
        readWaterHeight(demoRom().image, demoRom().profile, loaded->document->zoneAct());
    const auto art = artAtStart(demoRom(), *loaded->document);
    ASSERT_TRUE(line && art->underwater);

    const ToolRun run =
        tool({"render", rom, std::to_string(kWaterLevel + 1), "w.png", "--collision", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    IndexedImage plane = renderPlane(art->blocks, loaded->document->layout(), Plane::Foreground);
    markUnderwater(plane, *line);
    EXPECT_LT(plane.pixel(0, *line - 1), 64);
    EXPECT_GE(plane.pixel(0, *line), 64);
    drawPlaneCollision(loaded->document->parts(), Plane::Foreground, 1, 128, plane);
    EXPECT_TRUE(
        std::ranges::any_of(plane.pixels(), [](std::uint8_t index) { return index >= 128; }));
    std::vector<std::uint32_t> colours(art->colours.begin(), art->colours.end());
    colours.insert(colours.end(), art->underwater->begin(), art->underwater->end());
    colours.insert(colours.end(), {0xFFFFD700, 0xFF00BFFF, 0xFFFF1493});
    EXPECT_EQ(readFile(file("w.png")), encodeIndexedPng(plane, colours).value());
}

}  // namespace
}  // namespace orvex::testing
