#include <gtest/gtest.h>

#include "project/boundaryline.h"
#include "support/testrom.h"

namespace orvex {
namespace {

struct Rewrite {
    std::string line;
    LevelBounds bounds;
    std::string expected;
};

class BoundaryRewrite : public ::testing::TestWithParam<Rewrite> {};

// Only the four numbers change, each in its own notation; label, tabs, spaces, comment and
// line ending stay byte for byte.
TEST_P(BoundaryRewrite, KeepsNotationSpacingCommentAndEnding) {
    const Rewrite& rewrite = GetParam();
    auto result = rewriteBoundaryLine(rewrite.line, rewrite.bounds);
    ASSERT_TRUE(result.ok()) << result.error().describe();
    EXPECT_EQ(*result, rewrite.expected);
    EXPECT_EQ(*parseBoundaryLine(*result), rewrite.bounds);
}

INSTANTIATE_TEST_SUITE_P(
    Notations, BoundaryRewrite,
    ::testing::Values(Rewrite{"\tzoneTableEntry.w\t$0,\t$29A0,\t$0,\t$320\t; Act 1\n",
                              {0x10, 0x2A00, 0xFF00, 0x400},
                              "\tzoneTableEntry.w\t$10,\t$2A00,\t$FF00,\t$400\t; Act 1\n"},
                      Rewrite{"\tzoneTableEntry.w\t$0, $2940, -$100, $320 ; Act 2\r\n",
                              {0, 0x2940, 0xFF80, 0x320},
                              "\tzoneTableEntry.w\t$0, $2940, -$80, $320 ; Act 2\r\n"},
                      Rewrite{"  zoneTableEntry.w 0,10656 , -256,800",
                              {0, 10000, 0, 65535},
                              "  zoneTableEntry.w 0,10000 , 0,65535"},
                      Rewrite{"Lvl:\tZONETABLEENTRY.W\t$0000,\t$29a0,\t$0,\t$0320;x\r\n",
                              {0xAB, 0x2B00, 0x1, 0x720},
                              "Lvl:\tZONETABLEENTRY.W\t$00AB,\t$2b00,\t$1,\t$0720;x\r\n"}),
    [](const auto& p) { return "Case" + std::to_string(p.index); });

// A line that is not a plain list of four numbers is read-only, with a note saying so.
TEST(BoundaryLine, OtherNotationsAreReadOnly) {
    for (const std::string line :
         {"\tzoneTableEntry.w\t$0, $29A0+$20, $0, $320",
          "\tzoneTableEntry.w\t$0, ehz_end, $0, $320", "\tzoneTableEntry.w\t$0, $29A0, $0",
          "\tzoneTableEntry.w\t$0, $29A0, $0, $320, $4", "\tdc.w\t$0, $29A0, $0, $320",
          "\tzoneTableEntry.w\t$0, $12345, $0, $320"}) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(testing::failsWith(rewriteBoundaryLine(line, {}), std::nullopt, "read-only"));
        EXPECT_FALSE(parseBoundaryLine(line).ok());
    }
}

TEST(BoundaryLine, RewritesOnlyTheNamedLineOfAFile) {
    const std::string text =
        "LevelSize:\r\n\tzoneTableEntry.w\t$0,\t$29A0,\t$0,\t$320\t; Act "
        "1\r\n\tzoneTableEntry.w\t$0,"
        "\t$29A0,\t$0,\t$320\t; Act 2\r\n";
    const std::vector<std::uint8_t> file(text.begin(), text.end());
    auto rewritten = rewriteBoundaryInFile(file, 3, {1, 2, 3, 4});
    ASSERT_TRUE(rewritten.ok());
    EXPECT_EQ(std::string(rewritten->begin(), rewritten->end()),
              "LevelSize:\r\n\tzoneTableEntry.w\t$0,\t$29A0,\t$0,\t$320\t; Act 1\r\n"
              "\tzoneTableEntry.w\t$1,\t$2,\t$3,\t$4\t; Act 2\r\n");
    EXPECT_EQ(rewriteBoundaryInFile(file, 4, {}).error().code, ErrorCode::OutOfRange);
    EXPECT_EQ(rewriteBoundaryInFile(file, 1, {}).error().code, ErrorCode::CorruptStream);
}

}  // namespace
}  // namespace orvex
