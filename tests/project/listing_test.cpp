#include <gtest/gtest.h>

#include <sstream>

#include "project/listing.h"
#include "support/testrom.h"

namespace orvex {
namespace {

// Lines as the assembler lists them: page headers, the main source and two include depths,
// value and macro lines, a BINCLUDE inside a macro's expansion, one commented out, a macro's
// definition, and a BINCLUDE after the symbol table begins.
constexpr std::string_view kListing =
    "\f AS V1.42 Beta [Bld 212] - Source File s2.asm - Page 1 - 12/08/2026\n"
    "\n"
    "       1/       0 :                     ; the game\n"
    "       2/       0 :                     \tinclude \"s2.macros.asm\"\n"
    "(1)    1/       0 :                     palette macro first\n"
    "(1)    2/       0 :                     \tBINCLUDE \"art/palettes/first\"\n"
    "(1)    3/       0 :                     \tendm\n"
    "(1)    4/       0 :                     \tinclude \"s2.macrosetup.asm\"\n"
    "(2)    2/       0 :                     \tpadding off\t; BINCLUDE \"no.bin\"\n"
    "(1)    5/       0 :                     ;\tBINCLUDE \"level/layout/old.kos\"\n"
    "       3/       0 : =$C054              Size = $C054\n"
    "       4/    2B00 : (MACRO)             Pal_BGND: palette SonicAndTails.bin,Two.bin\n"
    "       4/    2B00 :                                     BINCLUDE "
    "\"art/palettes/SonicAndTails.bin\"\n"
    "       4/    2B20 :  (MACRO-2)          \tpalette2\n"
    "       4/    2B20 :                                     BINCLUDE \"art/palettes/Two.bin\"\n"
    "       5/    2B40 : 00 11 22 33 44 55   \tdc.b 0,$11,$22,$33,$44,$55,$66,$77\n"
    "                    66 77\n"
    "\f AS V1.42 Beta [Bld 212] - Source File s2.asm(level/objects.asm) - Page 2 - 12/08/2026\n"
    "\n"
    "    6/    C054 :                     LevelSize:\n"
    "    7/    C054 : (MACRO)              \tzoneTableEntry.w\t$0,\t$29A0,\t$0,\t$320\t; Act 1\n"
    "    7/    C054 : 0000                                dc.w $0\n"
    "    7/    C056 : 29A0                                dc.w $29A0\n"
    "    8/    C05C : (MACRO)              \tzoneTableEntry.w\t$0,\t$2940,\t$0,\t$420\t; Act 2\n"
    "    9/    C064 :                     \tinclude \"level/objects.asm\"\n"
    "(1)  12/   45AC4 :                     Level_EHZ1:\tBINCLUDE\t\"level/layout/EHZ 1.kos\"\n"
    "(1)  13/   45C84 : (MACRO)              \teven\n"
    "(1)  14/   45C84 :                     \tBINCLUDE \"level/objects/empty.bin\"\n"
    "(1)  15/   45C84 : FFFF 0000 0000      \tdc.w $FFFF,0,0\n"
    "   10/   45C8A :                     \tend\n"
    "\f AS V1.42 Beta [Bld 212] - Source File s2.asm - Page 3 - 12/08/2026\n"
    "\n"
    "  Symbol Table (* = unused):\n"
    "   20/   50000 :                     \tBINCLUDE \"after.bin\"\n";

std::string withCrlf(std::string_view text) {
    std::string result;
    for (const char c : text) {
        result += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return result;
}

class ListingLines : public ::testing::TestWithParam<bool> {};

TEST_P(ListingLines, NamesEachFileItsPlaceAndSourceLine) {
    std::istringstream in(GetParam() ? withCrlf(kListing) : std::string(kListing));
    auto listing = parseListing(in);
    ASSERT_TRUE(listing.ok()) << listing.error().describe();
    struct Expected {
        std::int64_t address;
        std::int64_t length;
        std::string path;
        std::string source;
        std::int32_t line;
    };
    const std::vector<Expected> expected{
        {0x2B00, 0x20, "art/palettes/SonicAndTails.bin", "s2.asm", 4},
        {0x2B20, 0x20, "art/palettes/Two.bin", "s2.asm", 4},
        {0x45AC4, 0x1C0, "level/layout/EHZ 1.kos", "level/objects.asm", 12},
        {0x45C84, 0, "level/objects/empty.bin", "level/objects.asm", 14},
    };
    ASSERT_EQ(listing->files.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const PlacedFile& file = listing->files[i];
        EXPECT_EQ(file.address, expected[i].address) << i;
        EXPECT_EQ(file.length, expected[i].length) << i;
        EXPECT_EQ(file.path, expected[i].path) << i;
        EXPECT_EQ(file.source, expected[i].source) << i;
        EXPECT_EQ(file.line, expected[i].line) << i;
    }
    EXPECT_EQ(listing->fileAt(0x45AC4)->path, "level/layout/EHZ 1.kos");
    EXPECT_EQ(listing->fileAt(0x45C84)->path, "level/objects/empty.bin");
    EXPECT_EQ(listing->fileAt(0x45C86), nullptr);
    ASSERT_EQ(listing->entries.size(), 2u);
    EXPECT_EQ(listing->entryAt(0xC05C)->line, 8);
    EXPECT_EQ(listing->entryAt(0xC05C)->source, "s2.asm");
    EXPECT_EQ(listing->entryAt(0xC056), nullptr);
    EXPECT_EQ(listing->levelSizeTable, 0xC054);
    EXPECT_EQ(listing->sources,
              (std::vector<std::string>{"s2.asm", "s2.macros.asm", "s2.macrosetup.asm",
                                        "level/objects.asm"}));
}

INSTANTIATE_TEST_SUITE_P(LineEndings, ListingLines, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Crlf" : "Lf"; });

// Lines are whole however the reads cut them: a listing of several read blocks, with one line
// far longer than any listing line, which is skipped.
TEST(Listing, LinesCutByReadsAreWhole) {
    std::string text = "    1/       0 : " + std::string(200000, 'x') + "\n";
    const int files = 40000;
    for (int i = 0; i < files; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "%8d/%8X :                     \tBINCLUDE \"f/%d.bin\"\n",
                      i + 2, 16 * i, i);
        text += line;
    }
    text += "  Symbol Table (* = unused):\n";
    std::istringstream in(text);
    auto listing = parseListing(in);
    ASSERT_TRUE(listing.ok());
    ASSERT_EQ(listing->files.size(), static_cast<std::size_t>(files));
    for (int i = 0; i + 1 < files; ++i) {
        ASSERT_EQ(listing->files[i].path, "f/" + std::to_string(i) + ".bin");
        ASSERT_EQ(listing->files[i].length, 16);
    }
}

TEST(Listing, TextWithoutCodeLinesIsRefused) {
    std::istringstream in("; s2.asm\n\tBINCLUDE \"x.bin\"\nnothing here\n");
    ASSERT_TRUE(testing::failsWith(parseListing(in), ErrorCode::CorruptStream));
    EXPECT_FALSE(readListing("/nonexistent/s2.lst").ok());
}

}  // namespace
}  // namespace orvex
