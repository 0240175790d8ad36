// render through the real executable, its PNG files compared with the core's pictures.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "graphics/levelimage.h"
#include "rom/levelloader.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolRender : public ToolTest {};

// A few pixels of each picture, frames and digits of different blocks among them, are the core's.
// Short block mappings are a warning; a layout that breaks off after 3 bytes has no plane (a
// failure the command line test shows), but its blocks are drawn.
TEST_F(ToolRender, PicturesAreTheCoresPictures) {
    DemoRomOptions shortBlocks;
    shortBlocks.shortBlockMappings = true;
    DemoRomOptions weird;
    weird.weirdLayoutLevel = 6;
    const std::vector<std::tuple<DemoRomOptions, int, std::vector<std::string>, std::string>>
        cases = {
            {{}, 3, {}, ""},
            {{}, 16, {"--plane", "bg"}, ""},
            {{}, 20, {"--blocks"}, ""},
            {shortBlocks, 1, {"--blocks"}, "orvex-tool: render: warning: The block mappings"},
            {weird, 7, {"--blocks"}, ""},
        };
    for (const auto& [rom, level, options, warning] : cases) {
        std::vector<std::string> args = {"render", demoFile("rom.bin", rom), std::to_string(level),
                                         file("p.png")};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun run = tool(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // No progress when stderr is not a terminal.
        EXPECT_EQ(run.err.rfind(warning, 0), 0u) << run.err;
        EXPECT_EQ(run.errLines(), warning.empty() ? 0 : 1) << run.err;
        const bool blocks = !options.empty() && options[0] == "--blocks";
        const int width = blocks ? 2048 : 16384;
        EXPECT_EQ(run.out,
                  "wrote " + file("p.png") + ": " + std::to_string(width) + " x 2048 pixels\n");
        const QImage png = QImage(QString::fromStdString(file("p.png")), "PNG")
                               .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(png.width(), width);
        ASSERT_EQ(png.height(), 2048);

        const auto data = std::make_unique<LevelData>();
        SilentHost host;
        ASSERT_TRUE(
            loadLevel(demoRom(rom).image, static_cast<std::int16_t>(level - 1), *data, host));
        const Image expected =
            blocks ? renderBlockSheet(data->blockPictures)
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
