#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "rom/demorom.h"

namespace orvex::testing {

// What a run of the real orvex-tool executable gave.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    [[nodiscard]] std::size_t errLines() const;
};

// Runs orvex-tool with `args`, `input` on its standard input, and waits for it.
[[nodiscard]] ToolRun runToolProgram(const std::vector<std::string>& args,
                                     const std::string& input = {});

[[nodiscard]] std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path);
void putFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh folder for every test, removed afterwards, and the demo ROM built once per program.
class ToolTest : public ::testing::Test {
public:
    [[nodiscard]] static const DemoRom& demo(const DemoRomOptions& options = {});

protected:
    ToolTest();
    ~ToolTest() override;

    [[nodiscard]] std::filesystem::path file(const std::string& name) const {
        return mFolder / name;
    }
    // The demo ROM (for `options`) written to a file of the folder.
    std::filesystem::path demoFile(const std::string& name, const DemoRomOptions& options = {});

private:
    std::filesystem::path mFolder;
};

// The width and height stored in a PNG file's IHDR chunk; 0 x 0 when it is not a PNG.
struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
[[nodiscard]] PngSize pngSize(const std::filesystem::path& path);

}  // namespace orvex::testing
