// kos-compress and kos-decompress through the real executable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

class ToolKosinski : public ToolTest {};

// Inputs with literals, copies and runs, through both encoders.
TEST_F(ToolKosinski, CompressGivesTheCoreStreamAndDecompressGivesTheInputBack) {
    const std::vector<Bytes> inputs = {
        {}, {0x42}, Bytes(20000), noise(3000, 1), demoRom().layoutData[6]};
    for (const bool rle : {false, true}) {
        for (const Bytes& input : inputs) {
            const std::string tag = (rle ? "rle, " : "optimal, ") + std::to_string(input.size());
            std::vector<std::string> args = {"kos-compress", put("in.bin", input),
                                             file("packed.kos")};
            if (rle) {
                args.push_back("--rle");
            }
            const ToolRun packed = tool(args);
            ASSERT_EQ(packed.exitCode, 0) << tag << packed.err;
            const Bytes stream = readFile(file("packed.kos"));
            Bytes padded = stream;  // the core's stream ends with the padding byte a save adds
            padded.push_back(0);
            EXPECT_EQ(padded,
                      (rle ? compressKosinski(input) : compressKosinskiOptimal(input)).value())
                << tag;
            EXPECT_EQ(packed.out, "compressed " + std::to_string(input.size()) +
                                      " bytes into a stream of " + std::to_string(stream.size()) +
                                      " bytes (" + (rle ? "run-length" : "optimal") +
                                      " encoder)\n");

            const ToolRun unpacked = tool({"kos-decompress", file("packed.kos"), file("out.bin")});
            ASSERT_EQ(unpacked.exitCode, 0) << tag << unpacked.err;
            EXPECT_EQ(readFile(file("out.bin")), input) << tag;
            EXPECT_EQ(unpacked.out, "stream length: " + std::to_string(stream.size()) +
                                        " bytes\nwrote " + std::to_string(input.size()) +
                                        " bytes to " + file("out.bin") + "\n");
        }
    }
}

// Offsets in decimal or hex, spaced or joined: the stream's length and its bytes decoded.
TEST_F(ToolKosinski, DecompressesAStreamInsideARom) {
    const DemoRom& demo = demoRom();
    const std::string rom = demoFile("rom.bin");
    const std::vector<std::pair<std::size_t, std::vector<std::string>>> cases = {
        {0, {"--offset", std::to_string(demo.layouts[0].offset)}},
        {9, {"--offset", hexOffset(demo.layouts[9].offset)}},
        {19, {"--offset=" + hexOffset(demo.layouts[19].offset)}},
    };
    for (const auto& [level, offset] : cases) {
        std::vector<std::string> args = {"kos-decompress", rom, file("l.bin")};
        args.insert(args.end(), offset.begin(), offset.end());
        const ToolRun run = tool(args);
        EXPECT_EQ(run.out, "stream length: " + std::to_string(demo.layouts[level].length) +
                               " bytes\nwrote 4096 bytes to " + file("l.bin") + "\n");
        EXPECT_EQ(readFile(file("l.bin")), demo.layoutData[level]) << level;
    }
}

}  // namespace
}  // namespace orvex::testing
