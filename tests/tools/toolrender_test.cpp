// render through the real executable, its PNG files compared with the core's pictures.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <memory>
#include <string>

#include "graphics/levelimage.h"
#include "rom/levelloader.h"
#include "rom/romimage.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolRender : public ToolTest {
protected:
    // The level as the editor loads it.
    std::unique_ptr<LevelData> load(const std::filesystem::path& rom, std::int16_t level) {
        auto data = std::make_unique<LevelData>();
        SilentHost host;
        EXPECT_TRUE(loadLevel(RomImage(rom), level, *data, host).ok());
        return data;
    }

    static QImage readPng(const std::filesystem::path& path) {
        QImage image(QString::fromStdString(path.string()), "PNG");
        return image.convertToFormat(QImage::Format_RGB32);
    }

    // Compares a grid of pixels spread over the whole picture, block edges included.
    static void expectSamePixels(const QImage& png, const Image& expected) {
        ASSERT_EQ(png.width(), expected.width());
        ASSERT_EQ(png.height(), expected.height());
        int compared = 0;
        for (int y = 0; y < expected.height(); y += 61) {
            for (int x = 0; x < expected.width(); x += 53) {
                ASSERT_EQ(png.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
                ++compared;
            }
        }
        EXPECT_EQ(png.pixel(expected.width() - 1, expected.height() - 1),
                  expected.pixel(expected.width() - 1, expected.height() - 1));
        EXPECT_GT(compared, 1000);
    }
};

TEST_F(ToolRender, ForegroundIsTheCorePlanePicture) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run = runToolProgram({"render", rom.string(), "3", file("fg.png").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;  // no progress when stderr is not a terminal
    EXPECT_EQ(run.out, "wrote " + file("fg.png").string() + ": 16384 x 2048 pixels\n");
    const PngSize size = pngSize(file("fg.png"));
    EXPECT_EQ(size.width, 16384u);
    EXPECT_EQ(size.height, 2048u);
    const auto data = load(rom, 2);
    expectSamePixels(readPng(file("fg.png")),
                     renderPlane(data->blockPictures, data->unpackedData, Plane::Foreground));
}

TEST_F(ToolRender, BackgroundIsTheCorePlanePicture) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run =
        runToolProgram({"render", rom.string(), "16", file("bg.png").string(), "--plane", "bg"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const PngSize size = pngSize(file("bg.png"));
    EXPECT_EQ(size.width, 16384u);
    EXPECT_EQ(size.height, 2048u);
    const auto data = load(rom, 15);
    expectSamePixels(readPng(file("bg.png")),
                     renderPlane(data->blockPictures, data->unpackedData, Plane::Background));
}

TEST_F(ToolRender, BlockSheetIsTheCoreSheet) {
    const auto rom = demoFile("rom.bin");
    const ToolRun run =
        runToolProgram({"render", rom.string(), "20", file("blocks.png").string(), "--blocks"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "wrote " + file("blocks.png").string() + ": 2048 x 2048 pixels\n");
    const PngSize size = pngSize(file("blocks.png"));
    EXPECT_EQ(size.width, 2048u);
    EXPECT_EQ(size.height, 2048u);
    const auto data = load(rom, 19);
    expectSamePixels(readPng(file("blocks.png")), renderBlockSheet(data->blockPictures));
}

TEST_F(ToolRender, ShortBlockMappingsAreAWarning) {
    DemoRomOptions options;
    options.shortBlockMappings = true;
    const auto rom = demoFile("rom.bin", options);
    const ToolRun run =
        runToolProgram({"render", rom.string(), "1", file("b.png").string(), "--blocks"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("orvex-tool: render: warning: The block mappings of level 1"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(pngSize(file("b.png")).width, 2048u);
}

TEST_F(ToolRender, LayoutThatBreaksOffTooSoonHasNoPlane) {
    DemoRomOptions options;
    options.weirdLayoutLevel = 6;
    const auto rom = demoFile("rom.bin", options);
    const ToolRun plane = runToolProgram({"render", rom.string(), "7", file("p.png").string()});
    EXPECT_EQ(plane.exitCode, 1);
    EXPECT_EQ(plane.errLines(), 1u) << plane.err;
    EXPECT_NE(plane.err.find("the layout of level 7 has 3 bytes, not one complete row"),
              std::string::npos)
        << plane.err;
    EXPECT_FALSE(std::filesystem::exists(file("p.png")));

    const ToolRun blocks =
        runToolProgram({"render", rom.string(), "7", file("b.png").string(), "--blocks"});
    EXPECT_EQ(blocks.exitCode, 0) << blocks.err;
    EXPECT_TRUE(blocks.err.empty()) << blocks.err;
    EXPECT_EQ(pngSize(file("b.png")).height, 2048u);
}

TEST_F(ToolRender, FailuresCreateNoPicture) {
    auto image = demo().image;
    image.resize(0x60000);  // the art of the later zones is cut off
    putFile(file("cut.bin"), image);
    const auto rom = demoFile("rom.bin");
    const std::vector<std::vector<std::string>> cases = {
        {"render", file("none.bin").string(), "1", file("out.png").string()},
        {"render", file("cut.bin").string(), "20", file("out.png").string()},
        {"render", file("cut.bin").string(), "20", file("out.png").string(), "--blocks"},
    };
    for (const auto& args : cases) {
        const ToolRun run = runToolProgram(args);
        EXPECT_EQ(run.exitCode, 1) << args[1];
        EXPECT_EQ(run.errLines(), 1u) << run.err;
        EXPECT_NE(run.err.find("cannot load level"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(file("out.png")));
    }
    const ToolRun noFolder = runToolProgram(
        {"render", rom.string(), "1", (file("none") / "out.png").string(), "--blocks"});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(noFolder.errLines(), 1u) << noFolder.err;
    EXPECT_NE(noFolder.err.find("cannot write the picture"), std::string::npos) << noFolder.err;
    EXPECT_FALSE(std::filesystem::exists(file("none")));
}

}  // namespace
}  // namespace orvex::testing
