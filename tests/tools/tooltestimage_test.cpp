// test-image through the real executable.

#include "rom/codepatterns.h"
#include "rom/testimage.h"
#include "toolrunner.h"

namespace orvex::testing {
namespace {

using ToolTestImage = ToolTest;

// The copy goes to OUT and the ROM stays; a refusal leaves every file as it was.
TEST_F(ToolTestImage, WritesTheCopyOrNothing) {
    const DemoRom& demo = demoRom();
    const std::string rom = demoFile("demo.bin");
    const ToolRun run = tool({"test-image", rom, "3", "t.bin"});
    EXPECT_EQ(run.out,
              "wrote t.bin: the ROM starting level 3 (zone 2, act 1) when Start is pressed on "
              "the title screen\n");
    EXPECT_EQ(readFile(file("t.bin")), makeTestImage(demo.image, demo.profile, 2).value());
    EXPECT_EQ(readFile(rom), demo.image);

    Bytes none = demo.image;
    none[static_cast<std::size_t>(findPattern(none, parsePattern(kTitleStartCode)).at(0))] = 0x72;
    const std::string other = put("none.bin", none);
    const auto before = snapshot();
    EXPECT_TRUE(tool({"test-image", other, "3", "t2.bin"})
                    .endedWith(1, other + ": cannot make a copy that starts at level 3: The ROM "
                                          "does not have the title screen's one-player start"));
    EXPECT_TRUE(tool({"test-image", rom, "3", rom}).endedWith(1, "is the same file as"));
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace orvex::testing
