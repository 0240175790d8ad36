// The tool's parts in-process, for what a run of the executable cannot show: number parsing
// corner cases, and the progress line, which only a terminal gets.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "terminalhost.h"
#include "toolargs.h"
#include "toolsupport.h"

namespace orvex {
namespace {

TEST(ToolArgs, Numbers) {
    EXPECT_EQ(parseNumber("0X1a4"), 0x1A4);
    EXPECT_EQ(parseNumber("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "0x", "-1", "+1", "12x", "0x1G", "2147483648", " 1", "1.5"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
}

// Offsets keep the image's 32-bit width, whatever the arithmetic that made them gave.
TEST(ToolText, OffsetsAreNeverWiderThan32Bits) {
    for (const auto& [offset, text] :
         std::vector<std::pair<std::int64_t, std::string>>{{0x1A4, "0x1A4"},
                                                           {0xFFFFFFFF, "0xFFFFFFFF"},
                                                           {-1, "-0x1"},
                                                           {0x100000000, "beyond 0xFFFFFFFF"},
                                                           {INT64_MIN, "beyond -0xFFFFFFFF"}}) {
        EXPECT_EQ(offsetText(offset), text);
    }
}

// Percentages once per change, each stage from its own 0%, the stage's caption or the tool's own
// label, the line cleared for a question and drawn again after the answer, and cleared when the
// work ends. Without a terminal only what is answered for the user is shown.
TEST(ToolProgress, ShownOnATerminal) {
    std::istringstream in("y\n");
    std::ostringstream out, err;
    TerminalHost host(in, out, err, true, Answering::Ask);
    {
        ProgressScope scope(host);
        for (int n = 0; n <= 8192; ++n) {
            host.progress(Stage::Tiles, n, 8192);
        }
        host.progress(Stage::Blocks, 0, 256);
        host.progress(Stage::Blocks, 128, 256);
        EXPECT_TRUE(host.askYesNo("Orvex", "Save\r\nanyway?\r\n"));
        host.setLabel("Writing ...");
        host.progress(Stage::Encoding, 0, 300);
        host.progress(Stage::Encoding, 300, 300);
    }
    const std::string text = err.str();
    // 0% to 100% of the tiles, 0% and 50% of the blocks and again after the question, 0% and 100%.
    EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 101 + 3 + 2);
    EXPECT_NE(text.find("\rExtracting 8x8 Tiles ... 45%\x1b[K"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("\rExtracting 128x128")),
              "\rExtracting 128x128 Tiles ... 0%\x1b[K\rExtracting 128x128 Tiles ... 50%\x1b[K"
              "\r\x1b[K\rExtracting 128x128 Tiles ... 50%\x1b[K"
              "\rWriting ... 0%\x1b[K\rWriting ... 100%\x1b[K\r\x1b[K");
    EXPECT_EQ(out.str(), "Orvex\nSave\nanyway?\n[y/N] ");

    std::ostringstream quietOut, quietErr;
    TerminalHost quiet(in, quietOut, quietErr, false, Answering::No);
    quiet.showStep("Checking the ROM ...");
    quiet.progress(Stage::Drawing, 1, 2);
    EXPECT_FALSE(quiet.askYesNo("Orvex", "Save\r\nanyway?\r\n"));
    EXPECT_EQ(quietErr.str(), "orvex-tool: Save anyway? Answered No.\n");
    EXPECT_TRUE(quietOut.str().empty());
}

}  // namespace
}  // namespace orvex
