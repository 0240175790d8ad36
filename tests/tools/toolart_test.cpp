// art-, mappings- and palette-export and -import through the real executable: every export
// read back by its import, what each field of a file changes, and the checks on what a file must
// be. (Which levels a saved part reaches is the core's: artsave_test, sharing_test.)

#include <png.h>
#include <nlohmann/json.hpp>

#include "graphics/artsheet.h"
#include "graphics/palette.h"
#include "graphics/png.h"
#include "toolprofiletest.h"

namespace orvex::testing {
namespace {

using Json = nlohmann::json;
using ToolArt = ProfileToolTest;

// Each export read back by its import is the level's already: nothing is written.
TEST_P(ToolArt, EveryExportImportsAsItIs) {
    const std::string rom = romFile();
    const std::vector<std::pair<Args, Args>> trips = {
        {{"art-export", rom, "3", "tiles", "t.png"}, {"art-import", rom, "3", "tiles", "t.png"}},
        {{"mappings-export", rom, "3", "chunks", "c.json"},
         {"mappings-import", rom, "3", "chunks", "c.json"}},
        {{"mappings-export", rom, "3", "blocks", "b.json"},
         {"mappings-import", rom, "3", "blocks", "b.json"}},
        {{"palette-export", rom, "3", "p.json"}, {"palette-import", rom, "3", "p.json"}},
    };
    for (const auto& [out, in] : trips) {
        const ToolRun exported = tool(out);
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const ToolRun imported = tool(in);
        EXPECT_EQ(imported.exitCode, 0) << imported.err;
        EXPECT_NE(imported.out.find("nothing to save"), std::string::npos) << imported.out;
        EXPECT_EQ(readFile(rom), demo().image);
        EXPECT_FALSE(std::filesystem::exists(rom + ".bak"));
    }
}

// A changed field of each file changes that field of the level: a chunk entry's tile and flip, a
// block entry's solidity on both paths, a colour, a pixel; the levels sharing a part are named.
TEST_P(ToolArt, ChangedFilesChangeTheirPart) {
    const std::string rom = romFile();
    LevelParts expected = everyLevel(rom)[2];
    ASSERT_EQ(tool({"mappings-export", rom, "3", "chunks", "c.json"}).exitCode, 0);
    Json chunks = readJson("c.json");
    chunks["chunks"][5][1]["tile"] = 7;
    chunks["chunks"][5][1]["yFlip"] = true;
    putText("c.json", chunks.dump());
    const ToolRun run = tool({"mappings-import", rom, "3", "chunks", "c.json", "--move-art"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(holds(run.out, "the chunk mappings of level 3 also changes level"));
    expected.chunks.setWord(
        21, static_cast<std::uint16_t>((expected.chunks.word(21) & ~0x17FF) | 7 | 0x1000));

    ASSERT_EQ(tool({"mappings-export", rom, "3", "blocks", "b.json"}).exitCode, 0);
    Json blocks = readJson("b.json");
    blocks["blocks"][0][0]["path1"] = "sides";
    blocks["blocks"][0][0]["path2"] = "all";
    putText("b.json", blocks.dump());
    ASSERT_EQ(tool({"mappings-import", rom, "3", "blocks", "b.json", "--move-art"}).exitCode, 0);
    expected.blocks.setWord(
        0, static_cast<std::uint16_t>((expected.blocks.word(0) & 0x0FFF) | 0xE000));

    ASSERT_EQ(tool({"palette-export", rom, "3", "p.json"}).exitCode, 0);
    Json palette = readJson("p.json");
    palette["lines"][2][4] = "#E02040";
    putText("p.json", palette.dump());
    ASSERT_EQ(tool({"palette-import", rom, "3", "p.json"}).exitCode, 0);
    expected.palette.words[2 * 16 + 4] = static_cast<std::uint16_t>(2 << 9 | 1 << 5 | 7 << 1);

    ASSERT_EQ(tool({"art-export", rom, "3", "tiles", "t.png"}).exitCode, 0);
    auto sheet = decodeIndexedPng(readFile(file("t.png")));
    ASSERT_TRUE(sheet.ok());
    sheet->setPixel(9, 0, 15);  // tile 1, pixel (1, 0)
    put("t.png", *encodeIndexedPng(*sheet, std::vector<std::uint32_t>(16, 0xFF000000)));
    ASSERT_EQ(tool({"art-import", rom, "3", "tiles", "t.png", "--move-art", "--indices"}).exitCode,
              0);
    expected.tiles.bytes[32] = static_cast<std::uint8_t>((expected.tiles.bytes[32] & 0xF0) | 0x0F);
    EXPECT_TRUE(everyLevel(rom)[2] == expected);
}

// Tiles that outgrow their place move with --move-art (the refusal without it: ToolCollision)
// and the level reads them.
TEST_P(ToolArt, GrownTilesMoveWhenAsked) {
    const std::string rom = romFile();
    const Bytes noise = noiseBytes(128 * 32);  // as many tiles as the art has
    put("noise.png",
        *encodeIndexedPng(tileSheet(noise), std::vector<std::uint32_t>(16, 0xFF000000)));
    const ToolRun moved =
        tool({"art-import", rom, "1", "tiles", "noise.png", "--move-art", "--indices"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_NE(moved.out.find("moved the tile art to 0x"), std::string::npos) << moved.out;
    EXPECT_EQ(everyLevel(rom)[0].tiles.bytes, noise);
}

// A PNG of 8-bit RGB pixels, three bytes each, of the size of `size`.
Bytes rgbPng(const IndexedImage& size, const Bytes& rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size.width());
    image.height = static_cast<png_uint_32>(size.height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t bytes = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &bytes, 0, rgb.data(), 0, nullptr));
    Bytes file(bytes);
    EXPECT_TRUE(png_image_write_to_memory(&image, file.data(), &bytes, 0, rgb.data(), 0, nullptr));
    return file;
}

// A sheet saved by another program: its palette reordered (as ImageMagick writes one), or
// no palette at all (RGB, RGBA). Each pixel is read by its colour in the line; a colour the
// line lacks is refused with the pixel and the nearest colour, and nothing is written.
TEST_P(ToolArt, SheetsAreReadByColourWhateverTheirPalette) {
    const std::string rom = romFile();
    const auto before = everyLevel(rom);
    ASSERT_EQ(tool({"art-export", rom, "3", "tiles", "t.png", "--line", "1"}).exitCode, 0);
    auto exported = decodePng(readFile(file("t.png")));
    ASSERT_TRUE(exported.ok());
    const ColourTable colours = levelColours(before[2].palette);
    const std::vector<std::uint32_t> line(colours.begin() + 16, colours.begin() + 32);
    // Each colour's first index: what a pixel of that colour reads as.
    const auto firstOf = [&line](std::uint8_t index) {
        return static_cast<std::uint8_t>(std::ranges::find(line, line[index]) - line.begin());
    };
    IndexedImage edited = *exported->indices;
    std::uint8_t drawn = 15;  // tile 1, pixel (1, 0) takes another colour
    while (line[drawn] == line[edited.pixel(9, 0)]) {
        --drawn;
    }
    drawn = firstOf(drawn);
    edited.setPixel(9, 0, drawn);
    IndexedImage reordered = edited;
    std::vector<std::uint32_t> reversed(line.rbegin(), line.rend());
    for (std::int32_t y = 0; y < edited.height(); ++y) {
        for (std::int32_t x = 0; x < edited.width(); ++x) {
            reordered.setPixel(x, y, static_cast<std::uint8_t>(15 - edited.pixel(x, y)));
        }
    }
    put("reordered.png", *encodeIndexedPng(reordered, reversed));
    Bytes rgb;
    for (const std::uint8_t pixel : edited.pixels()) {
        for (const int shift : {16, 8, 0}) {
            rgb.push_back(static_cast<std::uint8_t>(line[pixel] >> shift));
        }
    }
    put("rgb.png", rgbPng(edited, rgb));

    Bytes tiles = before[2].tiles.bytes;
    for (std::uint8_t& pair : tiles) {
        pair = static_cast<std::uint8_t>(firstOf(pair >> 4) << 4 | firstOf(pair & 15));
    }
    tiles[32] = static_cast<std::uint8_t>((tiles[32] & 0xF0) | drawn);
    for (const char* sheet : {"reordered.png", "rgb.png"}) {
        const std::string copy = put(std::string("copy-") + sheet + ".bin", demo().image);
        const ToolRun run =
            tool({"art-import", copy, "3", "tiles", sheet, "--line", "1", "--move-art"});
        ASSERT_EQ(run.exitCode, 0) << sheet << ": " << run.err;
        EXPECT_EQ(everyLevel(copy)[2].tiles.bytes, tiles) << sheet;
    }

    rgb[3 * 17] = 0x13;  // pixel (17, 0): a colour no console line holds
    put("rgb.png", rgbPng(edited, rgb));
    const ToolRun refused = tool({"art-import", rom, "3", "tiles", "rgb.png", "--line", "1"});
    EXPECT_TRUE(refused.endedWith(1, "pixel (17, 0) has colour #13"));
    EXPECT_NE(refused.err.find("the nearest is colour "), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(rom), demo().image);
}

// The imports go through the core's save, whose tests run over every table layout.
ORVEX_ONE_PROFILE(ToolArt);

using ToolArtFiles = ToolTest;

// Each bad file is refused whole, naming what is wrong, and no file changes. (Which pictures
// are no sheet of tiles is the core's: artsheet_test.)
TEST_F(ToolArtFiles, BadFilesAreRefusedAndWriteNothing) {
    const std::string rom = demoFile("rom.bin");
    const std::vector<std::uint32_t> black(32, 0xFF000000);
    put("odd.png", *encodeIndexedPng(IndexedImage(20, 16), black));
    IndexedImage tall(128, 1000);  // 2,000 tiles that are not blank
    for (std::int32_t y = 0; y < tall.height(); ++y) {
        for (std::int32_t x = 3; x < tall.width(); x += 8) {
            tall.setPixel(x, y, 1);
        }
    }
    put("tall.png", *encodeIndexedPng(tall, black));
    ASSERT_EQ(tool({"mappings-export", rom, "1", "chunks", "c.json"}).exitCode, 0);
    ASSERT_EQ(tool({"mappings-export", rom, "1", "blocks", "b.json"}).exitCode, 0);
    ASSERT_EQ(tool({"palette-export", rom, "1", "p.json"}).exitCode, 0);
    // The export `from` with one change, as `to`.
    const auto changed = [this](const char* from, const std::string& to, const auto& change) {
        const Bytes bytes = readFile(file(from));
        Json json = Json::parse(bytes.begin(), bytes.end());
        change(json);
        putText(to, json.dump());
        return to;
    };
    const std::string chunks = "chunks";
    const std::vector<std::pair<Args, std::string>> cases = {
        {{"art-import", rom, "1", "tiles", "odd.png"},
         "the picture is 20 x 16 pixels; a sheet of tiles has sides that are multiples of 8"},
        {{"art-import", rom, "1", "tiles", "tall.png", "--first", "100", "--indices"},
         "reaches tile 2099, past tile 2047"},
        {{"mappings-import", rom, "1", chunks,
          changed("c.json", "tile.json", [](Json& j) { j["chunks"][0][1]["tile"] = 2048; })},
         "chunk 0, entry 1, field \"tile\" must be a whole number from 0 to 2047"},
        {{"mappings-import", rom, "1", chunks,
          changed("c.json", "count.json",
                  [](Json& j) { j["chunks"][0].push_back(j["chunks"][0][0]); })},
         "chunk 0 must be a list of 4 entries"},
        {{"mappings-import", rom, "1", chunks,
          changed("c.json", "flag.json", [](Json& j) { j["chunks"][0][1]["xFlip"] = 1; })},
         "chunk 0, entry 1, field \"xFlip\" must be true or false"},
        {{"mappings-import", rom, "1", chunks,
          changed("c.json", "empty.json", [](Json& j) { j["chunks"] = Json::array(); })},
         "block entries name a chunk past the end of the imported chunks"},
        {{"mappings-import", rom, "1", chunks,
          changed("c.json", "level.json", [](Json& j) { j["level"] = 4; })},
         "the file holds level 4, not level 1; pass --any-level to import it anyway"},
        {{"mappings-import", rom, "1", "blocks",
          changed("b.json", "short.json", [](Json& j) { j["blocks"][0].erase(63); })},
         "block 0 must be a list of 64 entries"},
        {{"mappings-import", rom, "1", "blocks",
          changed("b.json", "solid.json", [](Json& j) { j["blocks"][0][0]["path1"] = "solid"; })},
         "block 0, entry 0, field \"path1\" must be one of \"none\", \"top\", \"sides\", \"all\""},
        {{"palette-import", rom, "1",
          changed("p.json", "colour.json", [](Json& j) { j["lines"][2][3] = "#E02041"; })},
         "line 2, colour 3 is \"#E02041\", not a colour the console shows; the nearest is "
         "\"#E02040\""},
        {{"palette-import", rom, "1",
          changed("p.json", "form.json", [](Json& j) { j["lines"][2][3] = "red"; })},
         "line 2, colour 3 must be a colour \"#RRGGBB\""},
        {{"palette-import", rom, "1",
          changed("p.json", "zero.json", [](Json& j) { j["lines"][0][1] = "#E0E0E0"; })},
         "imported only with --shared-line"},
    };
    const auto before = snapshot();
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(args[4 < args.size() ? 4 : 3]);
        const ToolRun run = tool(args);
        EXPECT_TRUE(run.exitCode == 1 && run.errLines() == 1 && run.out.empty()) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
    EXPECT_EQ(snapshot(), before);
}

// Block mappings that end inside a block keep that partial block through a round trip.
TEST_F(ToolArtFiles, APartialLastBlockStays) {
    DemoRomOptions options;
    options.shortBlockMappings = true;
    const std::string rom = demoFile("short.bin", options);
    const Bytes before = readFile(rom);
    ASSERT_EQ(tool({"mappings-export", rom, "1", "blocks", "b.json"}).exitCode, 0);
    const ToolRun run = tool({"mappings-import", rom, "1", "blocks", "b.json"});
    EXPECT_NE(run.out.find("nothing to save"), std::string::npos) << run.out << run.err;
    EXPECT_EQ(readFile(rom), before);
}

}  // namespace
}  // namespace orvex::testing
