// What kos-compress, kos-decompress and render write, through the real executable.

#include <QImage>
#include <QString>
#include <memory>

#include "compression/kosinski.h"
#include "graphics/levelimage.h"
#include "rom/levelloader.h"
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

// A few pixels of each picture, frames and digits of different blocks among them, are the core's.
// Short block mappings are a warning; a layout that breaks off after 3 bytes has no plane (a
// failure the command line test shows), but its blocks are drawn. No progress is shown, as stderr
// is no terminal.
TEST_F(ToolFiles, RenderDrawsTheCoresPictures) {
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
        const QImage png = QImage(QString::fromStdString(file("p.png")), "PNG")
                               .convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(png.width() == width && png.height() == 2048) << level;
        const auto data = std::make_unique<LevelData>();
        SilentHost host;
        ASSERT_TRUE(loadLevel(demoRom(rom).image, demoRom(rom).profile,
                              static_cast<std::int16_t>(level - 1), *data, host));
        const Image expected =
            options == blocks
                ? renderBlockSheet(data->blockPictures)
                : renderPlane(data->blockPictures, data->unpackedData,
                              options.empty() ? Plane::Foreground : Plane::Background);
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                 {0, 0}, {5, 3}, {70, 60}, {300, 700}, {1061, 1930}, {width - 1, 2047}}) {
            EXPECT_EQ(png.pixel(x, y), expected.pixel(x, y)) << level << ": " << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace orvex::testing
