// art-, mappings- and palette-export and -import through the real executable: every export
// read back by its import, the checks on what a file must be, and the levels a write changes.

#include <png.h>
#include <nlohmann/json.hpp>

#include "document/sharing.h"
#include "graphics/artsheet.h"
#include "graphics/palette.h"
#include "graphics/png.h"
#include "rom/leveldirectory.h"
#include "toolprofiletest.h"

namespace orvex::testing {
namespace {

using Json = nlohmann::json;

class ToolArt : public ProfileToolTest {
protected:
    // Every level reads as `before`, but for the part the write changed in the levels sharing it.
    void expectOnlyChanged(const std::vector<LevelParts>& before, const std::string& rom,
                           std::int16_t level, Part part,
                           const std::function<void(LevelParts&)>& change) const {
        const auto sharing = levelsSharing(demo().image, profile(), level, part);
        const auto after = everyLevel(rom);
        for (std::int16_t other = 0; other < kLevelCount; ++other) {
            LevelParts expected = before[static_cast<std::size_t>(other)];
            if (std::ranges::find(sharing, other) != sharing.end()) {
                change(expected);
            }
            EXPECT_TRUE(after[static_cast<std::size_t>(other)] == expected) << levelName(other);
        }
    }
};

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

// A changed export changes that part of the levels sharing it and nothing else.
TEST_P(ToolArt, ChangedFilesChangeOnlyTheirPart) {
    const std::string rom = romFile();
    const auto before = everyLevel(rom);

    ASSERT_EQ(tool({"mappings-export", rom, "3", "chunks", "c.json"}).exitCode, 0);
    Json chunks = readJson("c.json");
    chunks["chunks"][5][1]["tile"] = 7;
    chunks["chunks"][5][1]["yFlip"] = true;
    putText("c.json", chunks.dump());
    const ToolRun run = tool({"mappings-import", rom, "3", "chunks", "c.json", "--move-art"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto others = otherLevels(levelsSharing(demo().image, profile(), 2, Part::ChunkMappings),
                                    std::int16_t{2});
    if (!others.empty()) {
        EXPECT_NE(run.out.find("the chunk mappings of level 3 also changes level"),
                  std::string::npos)
            << run.out;
    }
    const std::uint16_t word =
        static_cast<std::uint16_t>((before[2].chunks.word(21) & ~0x17FF) | 7 | 0x1000);
    expectOnlyChanged(before, rom, 2, Part::ChunkMappings,
                      [&](LevelParts& parts) { parts.chunks.setWord(21, word); });

    const std::string second = put("second.bin", demo().image);
    ASSERT_EQ(tool({"palette-export", second, "3", "p.json"}).exitCode, 0);
    Json palette = readJson("p.json");
    palette["lines"][2][4] = "#E02040";
    putText("p.json", palette.dump());
    const ToolRun lines = tool({"palette-import", second, "3", "p.json"});
    ASSERT_EQ(lines.exitCode, 0) << lines.err;
    const auto sharingLines = levelsSharingLines(demo().image, profile(), 2);
    const auto after = everyLevel(second);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        LevelParts expected = before[static_cast<std::size_t>(level)];
        if (std::ranges::find(sharingLines, level) != sharingLines.end()) {
            expected.palette.words[2 * 16 + 4] =
                static_cast<std::uint16_t>(2 << 9 | 1 << 5 | 7 << 1);
        }
        EXPECT_TRUE(after[static_cast<std::size_t>(level)] == expected) << levelName(level);
    }

    const std::string third = put("third.bin", demo().image);
    ASSERT_EQ(tool({"art-export", third, "3", "tiles", "t.png"}).exitCode, 0);
    auto sheet = decodeIndexedPng(readFile(file("t.png")));
    ASSERT_TRUE(sheet.ok());
    sheet->setPixel(9, 0, 15);  // tile 1, pixel (1, 0)
    put("t.png", *encodeIndexedPng(*sheet, std::vector<std::uint32_t>(16, 0xFF000000)));
    const ToolRun tiles =
        tool({"art-import", third, "3", "tiles", "t.png", "--move-art", "--indices"});
    ASSERT_EQ(tiles.exitCode, 0) << tiles.err;
    expectOnlyChanged(before, third, 2, Part::TileArt, [](LevelParts& parts) {
        parts.tiles.bytes[32] = static_cast<std::uint8_t>((parts.tiles.bytes[32] & 0xF0) | 0x0F);
    });
}

TEST_P(ToolArt, GrownTilesMoveOnlyWhenAsked) {
    const std::string rom = romFile();
    IndexedImage sheet(128, 64);  // 128 tiles of noise, as many as the art has
    std::uint32_t state = 7;
    for (std::int32_t y = 0; y < sheet.height(); ++y) {
        for (std::int32_t x = 0; x < sheet.width(); ++x) {
            state = state * 1103515245u + 12345u;
            sheet.setPixel(x, y, static_cast<std::uint8_t>((state >> 16) & 15));
        }
    }
    put("noise.png", *encodeIndexedPng(sheet, std::vector<std::uint32_t>(16, 0xFF000000)));
    const ToolRun refused = tool({"art-import", rom, "1", "tiles", "noise.png", "--indices"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("run again with --move-art"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(rom), demo().image);

    const ToolRun moved =
        tool({"art-import", rom, "1", "tiles", "noise.png", "--move-art", "--indices"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_NE(moved.out.find("moved the tile art to 0x"), std::string::npos) << moved.out;
    auto loaded = loadDocument(readFile(rom), profile(), 0);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->document->parts().tiles.bytes, *sheetTiles(sheet));
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
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(edited.width());
    image.height = static_cast<png_uint_32>(edited.height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr));
    Bytes rgbFile(size);
    ASSERT_TRUE(
        png_image_write_to_memory(&image, rgbFile.data(), &size, 0, rgb.data(), 0, nullptr));
    put("rgb.png", rgbFile);

    const auto expectTiles = [&](const std::string& copy) {
        expectOnlyChanged(before, copy, 2, Part::TileArt, [&](LevelParts& parts) {
            for (std::size_t at = 0; at < parts.tiles.bytes.size(); ++at) {
                std::uint8_t& pair = parts.tiles.bytes[at];
                pair = static_cast<std::uint8_t>(firstOf(pair >> 4) << 4 | firstOf(pair & 15));
            }
            parts.tiles.bytes[32] =
                static_cast<std::uint8_t>((parts.tiles.bytes[32] & 0xF0) | drawn);
        });
    };
    for (const char* sheet : {"reordered.png", "rgb.png"}) {
        const std::string copy = put(std::string("copy-") + sheet + ".bin", demo().image);
        const ToolRun run =
            tool({"art-import", copy, "3", "tiles", sheet, "--line", "1", "--move-art"});
        ASSERT_EQ(run.exitCode, 0) << sheet << ": " << run.err;
        expectTiles(copy);
    }

    rgb[3 * 17] = 0x13;  // pixel (17, 0): a colour no console line holds
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr));
    rgbFile.resize(size);
    ASSERT_TRUE(
        png_image_write_to_memory(&image, rgbFile.data(), &size, 0, rgb.data(), 0, nullptr));
    put("rgb.png", rgbFile);
    const ToolRun refused = tool({"art-import", rom, "3", "tiles", "rgb.png", "--line", "1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("pixel (17, 0) has colour #13"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("the nearest is colour "), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(rom), demo().image);
}

// The imports go through the core's save, whose tests run over every table layout.
ORVEX_ONE_PROFILE(ToolArt);

using ToolArtFiles = ToolTest;

std::string chunkFile(const std::string& entry, std::size_t entries = 4) {
    std::string chunk = "[";
    for (std::size_t i = 0; i < entries; ++i) {
        chunk +=
            (i == 0 ? "" : ", ") +
            (i == 1
                 ? entry
                 : std::string(
                       R"({"tile": 0, "xFlip": false, "yFlip": false, "line": 0, "priority": false})"));
    }
    return R"({"level": 1, "chunks": [)" + chunk + "]]}";
}

std::string paletteFile(const std::string& colour, const std::string& lineZero = "#000000") {
    std::string lines = "[";
    for (int line = 0; line < 4; ++line) {
        lines += line == 0 ? "[" : ", [";
        for (int c = 0; c < 16; ++c) {
            lines += std::string(c == 0 ? "" : ", ") + "\"" +
                     (line == 2 && c == 3 ? colour
                      : line == 0         ? lineZero
                                          : "#000000") +
                     "\"";
        }
        lines += "]";
    }
    return R"({"level": 1, "lines": )" + lines + "]}";
}

// Each bad file is refused whole, naming what is wrong, and no file changes.
TEST_F(ToolArtFiles, BadFilesAreRefusedAndWriteNothing) {
    const std::string rom = demoFile("rom.bin");
    IndexedImage wide(24, 16);
    wide.setPixel(17, 3, 18);
    put("index.png", *encodeIndexedPng(wide, std::vector<std::uint32_t>(32, 0xFF000000)));
    put("odd.png",
        *encodeIndexedPng(IndexedImage(20, 16), std::vector<std::uint32_t>(16, 0xFF000000)));
    put("not.png", Bytes{'n', 'o', 't'});
    putText("tile.json",
            chunkFile(
                R"({"tile": 2048, "xFlip": false, "yFlip": false, "line": 0, "priority": false})"));
    putText("count.json",
            chunkFile(
                R"({"tile": 1, "xFlip": false, "yFlip": false, "line": 0, "priority": false})", 5));
    putText("flag.json",
            chunkFile(R"({"tile": 1, "xFlip": 1, "yFlip": false, "line": 0, "priority": false})"));
    putText(
        "path.json",
        R"({"blocks": [[{"chunk": 1, "xFlip": false, "yFlip": false, "path1": "solid", "path2": "none"}]]})");
    putText("level.json", R"({"level": 4, "chunks": []})");
    putText("empty.json", R"({"level": 1, "chunks": []})");
    // 2,064 tiles that are not blank: past tile 2047 from tile 0; and 2,000 from --first 100.
    const auto marked = [](std::int32_t height) {
        IndexedImage sheet(128, height);
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 3; x < sheet.width(); x += 8) {
                sheet.setPixel(x, y, 1);
            }
        }
        return *encodeIndexedPng(sheet, std::vector<std::uint32_t>(16, 0xFF000000));
    };
    put("many.png", marked(1032));
    put("some.png", marked(1000));
    putText("colour.json", paletteFile("#E02041"));
    putText("form.json", paletteFile("red"));
    putText("zero.json", paletteFile("#000000", "#E0E0E0"));
    struct Case {
        Args args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"art-import", rom, "1", "tiles", "index.png", "--indices"},
         "pixel (17, 3) has index 18; tiles use indices 0 to 15"},
        {{"art-import", rom, "1", "tiles", "odd.png"},
         "the picture is 20 x 16 pixels; a sheet of tiles has sides that are multiples of 8"},
        {{"art-import", rom, "1", "tiles", "not.png"}, "the file is not a PNG picture"},
        {{"mappings-import", rom, "1", "chunks", "tile.json"},
         "chunk 0, entry 1, field \"tile\" must be a whole number from 0 to 2047"},
        {{"mappings-import", rom, "1", "chunks", "count.json"},
         "chunk 0 must be a list of 4 entries"},
        {{"mappings-import", rom, "1", "chunks", "flag.json"},
         "chunk 0, entry 1, field \"xFlip\" must be true or false"},
        {{"mappings-import", rom, "1", "blocks", "path.json"},
         "block 0 must be a list of 64 entries"},
        {{"art-import", rom, "1", "tiles", "many.png", "--indices"},
         "reaches tile 2063, past tile 2047"},
        {{"art-import", rom, "1", "tiles", "some.png", "--first", "100", "--indices"},
         "reaches tile 2099, past tile 2047"},
        {{"mappings-import", rom, "1", "chunks", "empty.json"},
         "block entries name a chunk past the end of the imported chunks"},
        {{"mappings-import", rom, "1", "chunks", "level.json"},
         "the file holds level 4, not level 1; pass --any-level to import it anyway"},
        {{"palette-import", rom, "1", "colour.json"},
         "line 2, colour 3 is \"#E02041\", not a colour the console shows; the nearest is "
         "\"#E02040\""},
        {{"palette-import", rom, "1", "form.json"},
         "line 2, colour 3 must be a colour \"#RRGGBB\""},
        {{"palette-import", rom, "1", "zero.json"}, "imported only with --shared-line"},
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

TEST_F(ToolArtFiles, TheSolidityOfBlocksIsNamed) {
    const std::string rom = demoFile("rom.bin");
    ASSERT_EQ(tool({"mappings-export", rom, "1", "blocks", "b.json"}).exitCode, 0);
    const Bytes bytes = readFile(file("b.json"));
    Json blocks = Json::parse(bytes.begin(), bytes.end());
    blocks["blocks"][0][0]["path1"] = "solid";
    putText("b.json", blocks.dump());
    const ToolRun run = tool({"mappings-import", rom, "1", "blocks", "b.json"});
    EXPECT_NE(run.err.find("block 0, entry 0, field \"path1\" must be one of \"none\", \"top\", "
                           "\"sides\", \"all\""),
              std::string::npos)
        << run.err;
    blocks["blocks"][0][0]["path1"] = "sides";
    blocks["blocks"][0][0]["path2"] = "all";
    putText("b.json", blocks.dump());
    const ToolRun saved = tool({"mappings-import", rom, "1", "blocks", "b.json", "--move-art"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    auto loaded = loadDocument(readFile(rom), revisionProfile(RomKind::Revision01), 0);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->document->parts().blocks.word(0) & 0xF000, 0xE000);
}

TEST_F(ToolArtFiles, TileSheetsUseTheCommonLineUnlessToldOtherwise) {
    const std::string rom = demoFile("rom.bin");
    ASSERT_EQ(tool({"art-export", rom, "1", "tiles", "t.png", "--line", "3"}).exitCode, 0);
    const ToolRun bad = tool({"art-export", rom, "1", "tiles", "t.png", "--line", "4"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--line must be 0 to 3"), std::string::npos) << bad.err;
    const ToolRun stdoutRun = tool({"art-export", rom, "1", "chunks", "-"});
    EXPECT_EQ(stdoutRun.exitCode, 0);
    EXPECT_EQ(stdoutRun.out.rfind("\x89PNG", 0), 0U);
    EXPECT_NE(stdoutRun.err.find("wrote the chunks of level 1"), std::string::npos);
}

}  // namespace
}  // namespace orvex::testing
