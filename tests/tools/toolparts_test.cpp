// The tool's parts in-process, for what a run of the executable cannot show: number parsing
// corner cases, and the progress line, which only a terminal gets.

#include <gtest/gtest.h>

#include <sstream>

#include "rom/levelsaver.h"
#include "terminalhost.h"
#include "toolargs.h"

namespace orvex {
namespace {

TEST(ToolArgs, Numbers) {
    EXPECT_EQ(parseNumber("0X1a4"), 0x1A4);
    EXPECT_EQ(parseNumber("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "0x", "-1", "+1", "12x", "0x1G", "2147483648", " 1", "1.5"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
}

// Percentages once per change, the core's caption or the tool's own label, and the line cleared
// for a message, for a question and when the work ends.
TEST(ToolProgress, ShownOnATerminal) {
    std::istringstream in;
    std::ostringstream out, err;
    TerminalHost host(in, out, err, true, Answering::No);
    {
        ProgressScope scope(host);
        host.setCaption("Extracting 8x8 Tiles ...");
        for (int n = 1; n <= 8192; ++n) {
            host.setBarWidth(305.0 * n / 8192);
        }
        host.setCaption(kSavingCaption);
        host.setBarWidth(158.5);
        host.showMessage("Orvex", "Argh,\r\nweird offset!");
        EXPECT_FALSE(host.askYesNo("Orvex", "Save\r\nanyway?\r\n", true));
        host.setLabel("Compressing ...");
        host.setBarWidth(317.0);
    }
    const std::string text = err.str();
    // 0% to 100% of the tiles, 50% of the save, drawn again after the message, and 100%.
    EXPECT_EQ(std::count(text.begin(), text.end(), '%'), 104);
    EXPECT_NE(text.find("\rExtracting 8x8 Tiles ... 45%\x1b[K"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("\rSaving Level... 50%")),
              "\rSaving Level... 50%\x1b[K\r\x1b[Korvex-tool: Argh, weird offset!\n"
              "\rSaving Level... 50%\x1b[K\r\x1b[Korvex-tool: Save anyway? Answered No.\n"
              "\rCompressing ... 100%\x1b[K\r\x1b[K");
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace orvex
