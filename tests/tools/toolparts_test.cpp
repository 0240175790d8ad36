// The tool's parts in-process: argument parsing, the terminal host and the PNG writer.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <sstream>
#include <string>
#include <vector>

#include "pngwriter.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "terminalhost.h"
#include "toolargs.h"
#include "toolcommands.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

// ---- arguments

TEST(ToolArgs, NumbersAreDecimalOrHex) {
    EXPECT_EQ(parseNumber("0"), 0);
    EXPECT_EQ(parseNumber("1234"), 1234);
    EXPECT_EQ(parseNumber("0x45A80"), 0x45A80);
    EXPECT_EQ(parseNumber("0X1a4"), 0x1A4);
    EXPECT_EQ(parseNumber("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "0x", "-1", "+1", "12x", "0x1G", "2147483648", " 1", "1.5"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
}

TEST(ToolArgs, LevelsAreOneToTwenty) {
    EXPECT_EQ(parseLevel("1"), 0);
    EXPECT_EQ(parseLevel("20"), 19);
    EXPECT_EQ(parseLevel("0x0A"), 9);
    for (const char* bad : {"0", "21", "", "one", "-3", "100000000000"}) {
        EXPECT_FALSE(parseLevel(bad).has_value()) << bad;
    }
}

TEST(ToolArgs, OptionsTakeValuesBothWays) {
    const CommandInfo* command = findCommand("kos-decompress");
    ASSERT_NE(command, nullptr);
    const auto spaced = parseCommandArgs(*command, {"a", "--offset", "0x10", "b"});
    EXPECT_TRUE(spaced.error.empty());
    EXPECT_EQ(spaced.args.operands, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(spaced.args.value("--offset"), "0x10");
    const auto joined = parseCommandArgs(*command, {"--offset=7", "a", "b"});
    EXPECT_EQ(joined.args.value("--offset"), "7");
    EXPECT_FALSE(joined.args.has("--rle"));
    EXPECT_EQ(parseCommandArgs(*command, {"a", "b", "--offset"}).error,
              "option --offset needs a value N");
    EXPECT_EQ(parseCommandArgs(*command, {"a", "--rle", "b"}).error,
              "unknown option --rle for kos-decompress");
    EXPECT_TRUE(parseCommandArgs(*command, {"a", "--help"}).args.help);
    EXPECT_EQ(parseCommandArgs(*command, {"a", "--", "--help"}).args.operands,
              (std::vector<std::string>{"a", "--help"}));
}

TEST(ToolArgs, UsageLinesListOperandsAndOptions) {
    EXPECT_EQ(usageLine(*findCommand("kos-decompress")),
              "usage: orvex-tool kos-decompress IN OUT [--offset N]");
    EXPECT_EQ(usageLine(*findCommand("migrate")), "usage: orvex-tool migrate ROM [--yes]");
    EXPECT_EQ(findCommand("nothing"), nullptr);
    EXPECT_EQ(toolCommands().size(), 9u);
}

TEST(ToolArgs, RunToolInProcess) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    ToolIo io{in, out, err, false};
    EXPECT_EQ(runTool({"info", "--help"}, io), kExitOk);
    EXPECT_EQ(out.str().rfind("usage: orvex-tool info ROM\n", 0), 0u);
    EXPECT_EQ(runTool({"render", "r", "0", "o"}, io), kExitUsage);
    EXPECT_NE(err.str().find("LEVEL must be a number from 1 to 20, not \"0\""), std::string::npos);
}

// ---- the terminal host

struct HostStreams {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
};

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

TEST(TerminalHost, ShowsPercentagesOncePerChange) {
    HostStreams s;
    TerminalHost host(s.in, s.out, s.err, true, Answering::No);
    {
        ProgressScope scope(host);
        host.setCaption("Extracting 8x8 Tiles ...");
        for (int n = 1; n <= 8192; ++n) {
            host.setBarWidth(305.0 * n / 8192);
        }
        host.setCaption(kSavingCaption);
        host.setBarWidth(158.5);
    }
    const std::string text = s.err.str();
    EXPECT_NE(text.find("\rExtracting 8x8 Tiles ... 45%\x1b[K"), std::string::npos);
    EXPECT_EQ(count(text, "\rExtracting 8x8 Tiles ... "), 101u);
    EXPECT_NE(text.find("\rSaving Level... 50%"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");  // the line goes when the work ends
    EXPECT_TRUE(s.out.str().empty());
}

TEST(TerminalHost, LabelReplacesTheCoresCaption) {
    HostStreams s;
    TerminalHost host(s.in, s.out, s.err, true, Answering::No);
    host.setLabel("Compressing ...");
    host.setCaption(kSavingCaption);
    host.setBarWidth(317.0);
    EXPECT_NE(s.err.str().find("\rCompressing ... 100%"), std::string::npos);
}

TEST(TerminalHost, NothingShownWithoutATerminal) {
    HostStreams s;
    TerminalHost host(s.in, s.out, s.err, false, Answering::No);
    ProgressScope scope(host);
    host.setCaption("Extracting 8x8 Tiles ...");
    host.setBarWidth(100);
    EXPECT_TRUE(s.err.str().empty());
}

TEST(TerminalHost, AsksOnTheTerminal) {
    for (const auto& [input, yes] : std::vector<std::pair<std::string, bool>>{{"y\n", true},
                                                                              {"YES\n", true},
                                                                              {"n\n", false},
                                                                              {"", false},
                                                                              {"\n", false},
                                                                              {"yy\n", false}}) {
        HostStreams s;
        s.in.str(input);
        TerminalHost host(s.in, s.out, s.err, false, Answering::Ask);
        EXPECT_EQ(host.askYesNo(kMigrationTitle, kMigrationPrompt, true), yes) << input;
        EXPECT_EQ(s.out.str().rfind("Rom Oringinal\nThis ROM hasn't", 0), 0u) << s.out.str();
        EXPECT_NE(s.out.str().find("Migrate Levels?\n[y/N] "), std::string::npos);
    }
}

TEST(TerminalHost, FixedAnswers) {
    HostStreams s;
    TerminalHost yes(s.in, s.out, s.err, false, Answering::Yes);
    EXPECT_TRUE(yes.askYesNo("t", "Save?", false));
    TerminalHost no(s.in, s.out, s.err, false, Answering::No);
    EXPECT_FALSE(no.askYesNo("t", "Save\r\nanyway?\r\n", true));
    EXPECT_TRUE(s.out.str().empty());
    EXPECT_EQ(s.err.str(), "orvex-tool: Save anyway? Answered No.\n");
}

TEST(TerminalHost, MessagesClearTheProgressLine) {
    HostStreams s;
    TerminalHost host(s.in, s.out, s.err, true, Answering::No);
    ProgressScope scope(host);
    host.setCaption("Loading");
    host.setBarWidth(30.5);
    host.showMessage("Orvex", "Argh, weird offset!");
    EXPECT_NE(s.err.str().find("\r\x1b[Korvex-tool: Argh, weird offset!\n\rLoading 10%"),
              std::string::npos)
        << s.err.str();
}

TEST(TerminalHost, OneLineJoinsLines) {
    EXPECT_EQ(oneLine("a\r\nb\r\n\r\nc\r\n"), "a b c");
    EXPECT_EQ(terminalText("a\r\nb\r\n"), "a\nb\n");
}

// ---- the PNG writer

class PngWriter : public ToolTest {};

TEST_F(PngWriter, WritesEveryPixel) {
    Image image(37, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 37; ++x) {
            image.setPixel(
                x, y,
                0xFF000000u | static_cast<std::uint32_t>(x * 7 << 16 | y * 50 << 8 | (x ^ y)));
        }
    }
    ASSERT_TRUE(writePng(image, file("p.png")).ok());
    const PngSize size = pngSize(file("p.png"));
    EXPECT_EQ(size.width, 37u);
    EXPECT_EQ(size.height, 5u);
    const QImage read(QString::fromStdString(file("p.png").string()));
    ASSERT_FALSE(read.isNull());
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 37; ++x) {
            EXPECT_EQ(read.pixel(x, y), image.pixel(x, y));
        }
    }
}

TEST_F(PngWriter, FailuresWriteNothing) {
    const Status empty = writePng(Image(), file("e.png"));
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.error().code, ErrorCode::FileWrite);
    EXPECT_FALSE(std::filesystem::exists(file("e.png")));

    const Status noFolder = writePng(Image(2, 2), file("none") / "x.png");
    ASSERT_FALSE(noFolder.ok());
    EXPECT_NE(noFolder.error().message.find("x.png"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("none")));
    EXPECT_TRUE(std::filesystem::is_empty(file("")));
}

}  // namespace
}  // namespace orvex::testing
