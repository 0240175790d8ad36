// kos-compress and kos-decompress through the real executable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes withoutPadding(Result<Bytes> packed) {
    EXPECT_TRUE(packed.ok());
    if (!packed.ok()) {
        return {};
    }
    Bytes stream = std::move(*packed);
    stream.pop_back();
    return stream;
}

// Inputs that exercise literals, short and long copies and runs.
std::vector<Bytes> sampleInputs() {
    Bytes noise(3000);
    std::uint32_t state = 0x2468ACE1u;
    for (auto& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 23);
    }
    Bytes repeats;
    for (int i = 0; i < 5000; ++i) {
        repeats.push_back(static_cast<std::uint8_t>((i / 7) % 13 + (i % 300 == 0 ? 100 : 0)));
    }
    return {Bytes{}, Bytes{0x42}, Bytes(20000, 0x00),
            noise,   repeats,     ToolTest::demo().layoutData[6]};
}

class ToolKosinski : public ToolTest {};

TEST_F(ToolKosinski, BothEncodersRoundTrip) {
    for (const bool rle : {false, true}) {
        int index = 0;
        for (const Bytes& input : sampleInputs()) {
            const std::string tag = (rle ? "rle " : "optimal ") + std::to_string(index++);
            putFile(file("in.bin"), input);
            std::vector<std::string> args = {"kos-compress", file("in.bin").string(),
                                             file("packed.kos").string()};
            if (rle) {
                args.push_back("--rle");
            }
            const ToolRun packed = runToolProgram(args);
            ASSERT_EQ(packed.exitCode, 0) << tag << packed.err;
            const Bytes stream = fileBytes(file("packed.kos"));
            const Bytes expected =
                withoutPadding(rle ? compressKosinski(input) : compressKosinskiOptimal(input));
            EXPECT_EQ(stream, expected) << tag;
            EXPECT_NE(packed.out.find("a stream of " + std::to_string(stream.size()) + " bytes"),
                      std::string::npos)
                << packed.out;

            const ToolRun unpacked = runToolProgram(
                {"kos-decompress", file("packed.kos").string(), file("out.bin").string()});
            ASSERT_EQ(unpacked.exitCode, 0) << tag << unpacked.err;
            EXPECT_EQ(fileBytes(file("out.bin")), input) << tag;
            EXPECT_NE(
                unpacked.out.find("stream length: " + std::to_string(stream.size()) + " bytes\n"),
                std::string::npos)
                << unpacked.out;
        }
    }
}

TEST_F(ToolKosinski, DecompressesAStreamInsideARom) {
    const auto rom = demoFile("rom.bin");
    for (const std::int16_t level : {0, 9, 19}) {
        const DemoStream& layout = demo().layouts[static_cast<std::size_t>(level)];
        for (const std::string& offset :
             {std::to_string(layout.offset), hexOffset(layout.offset)}) {
            const ToolRun run = runToolProgram(
                {"kos-decompress", rom.string(), file("l.bin").string(), "--offset", offset});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(fileBytes(file("l.bin")), demo().layoutData[static_cast<std::size_t>(level)]);
            EXPECT_EQ(
                run.out.rfind("stream length: " + std::to_string(layout.length) + " bytes\n", 0),
                0u)
                << run.out;
        }
    }
    const DemoStream& tiles = demo().zones[3].tiles;
    const ToolRun art = runToolProgram({"kos-decompress", rom.string(), file("t.bin").string(),
                                        "--offset=" + hexOffset(tiles.offset)});
    EXPECT_EQ(art.exitCode, 0);
    EXPECT_EQ(fileBytes(file("t.bin")).size(),
              static_cast<std::size_t>(demo().zones[3].tileCount) * 32);
}

// Every failure exits with 1, prints one line and leaves the output file as it was.
TEST_F(ToolKosinski, FailuresLeaveTheOutputAlone) {
    const auto rom = demoFile("rom.bin");
    putFile(file("cut.kos"), {0xFF, 0xFF, 0x01, 0x02});  // eight literals promised, two given
    putFile(file("weird.kos"), {0x17, 0x00, 0x41, 0x42, 0x43, 0x00, 0x01});
    putFile(file("big.bin"), Bytes(32768, 0x11));
    putFile(file("huge.bin"), Bytes(65537, 0x11));
    const std::vector<std::vector<std::string>> cases = {
        {"kos-decompress", file("cut.kos").string(), "OUT"},
        {"kos-decompress", file("weird.kos").string(), "OUT"},
        {"kos-decompress", rom.string(), "OUT", "--offset", "0x100000"},
        {"kos-decompress", file("none.kos").string(), "OUT"},
        {"kos-compress", file("big.bin").string(), "OUT", "--rle"},
        {"kos-compress", file("huge.bin").string(), "OUT"},
        {"kos-compress", file("none.bin").string(), "OUT"},
    };
    for (auto args : cases) {
        args[2] = file("out.bin").string();
        const ToolRun run = runToolProgram(args);
        EXPECT_EQ(run.exitCode, 1) << args[1] << run.err;
        EXPECT_EQ(run.errLines(), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("orvex-tool: " + args[0] + ": ", 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(std::filesystem::exists(file("out.bin"))) << args[1];
        putFile(file("out.bin"), {9, 9, 9});
        EXPECT_EQ(runToolProgram(args).exitCode, 1);
        EXPECT_EQ(fileBytes(file("out.bin")), (Bytes{9, 9, 9})) << args[1];
        std::filesystem::remove(file("out.bin"));
    }
}

TEST_F(ToolKosinski, FailuresNameTheOffset) {
    putFile(file("weird.kos"), {0x17, 0x00, 0x41, 0x42, 0x43, 0x00, 0x01});
    const ToolRun weird =
        runToolProgram({"kos-decompress", file("weird.kos").string(), file("o").string()});
    EXPECT_NE(weird.err.find("Argh, weird offset!"), std::string::npos) << weird.err;
    EXPECT_NE(weird.err.find("(offset 0x"), std::string::npos) << weird.err;

    putFile(file("cut.kos"), {0xFF, 0xFF, 0x01, 0x02});
    const ToolRun cut = runToolProgram(
        {"kos-decompress", file("cut.kos").string(), file("o").string(), "--offset", "0"});
    EXPECT_NE(cut.err.find(file("cut.kos").string()), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("(offset 0x"), std::string::npos) << cut.err;
}

}  // namespace
}  // namespace orvex::testing
