#include "graphics/palette.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvex {
namespace {

constexpr std::int32_t kLevelLines = 0x3000;
constexpr std::size_t kRomSize = 0x4000;

ColourValue colourOf(std::uint16_t word) {
    return convertColour(static_cast<std::uint8_t>(word >> 8),
                         static_cast<std::uint8_t>(word & 0xFF));
}

void putColour(std::vector<std::uint8_t>& rom, std::size_t offset, std::uint16_t word) {
    putWord(rom, offset, word);
}

// A distinct colour word for line L, colour c: every channel uses its whole 3-bit range.
std::uint16_t wordFor(std::size_t line, std::size_t colour) {
    const auto red = static_cast<std::uint16_t>((colour + line) % 8);
    const auto green = static_cast<std::uint16_t>((colour / 2 + 3 * line) % 8);
    const auto blue = static_cast<std::uint16_t>((colour + 5 * line + 1) % 8);
    return static_cast<std::uint16_t>((blue << 9) | (green << 5) | (red << 1));
}

std::vector<std::uint8_t> romWithPalette() {
    std::vector<std::uint8_t> rom(kRomSize, 0);
    for (std::size_t c = 0; c < 16; ++c) {
        putColour(rom, kFixedPaletteLineOffset + 2 * c, wordFor(0, c));
        for (std::size_t line = 1; line < 4; ++line) {
            putColour(rom, kLevelLines + 32 * (line - 1) + 2 * c, wordFor(line, c));
        }
    }
    return rom;
}

LevelPalette convertOrFail(const std::vector<std::uint8_t>& rom, std::int32_t addr) {
    LevelPalette palette;
    const Status status = convertPalette(rom, addr, palette);
    EXPECT_TRUE(status.ok());
    return palette;
}

// --- one colour word ---------------------------------------------------------------------------

TEST(ConvertColour, WhiteHasAllThreeChannelsAt224) {
    const ColourValue white = colourOf(0x0EEE);
    EXPECT_EQ(white & 0xFFu, 224u);
    EXPECT_EQ((white >> 8) & 0xFFu, 224u);
    EXPECT_EQ((white >> 16) & 0xFFu, 224u);
    EXPECT_EQ(white >> 24, 0u);
}

TEST(ConvertColour, EachChannelComesFromItsOwnBits) {
    EXPECT_EQ(colourOf(0x000E), 224u);
    EXPECT_EQ(colourOf(0x00E0), 224u * 256u);
    EXPECT_EQ(colourOf(0x0E00), 224u * 65536u);
}

TEST(ConvertColour, MixedLevels) {
    EXPECT_EQ(colourOf(0x0246), 2113632u);
}

TEST(ConvertColour, UnusedBitsAreIgnored) {
    EXPECT_EQ(colourOf(0xF111), 0u);
    EXPECT_EQ(colourOf(0xFFFF), colourOf(0x0EEE));
}

TEST(ConvertColour, EveryLevelIsThirtyTwoTimesItsValue) {
    for (std::uint16_t level = 0; level < 8; ++level) {
        const auto bits = static_cast<std::uint16_t>(level << 1);
        EXPECT_EQ(colourOf(bits), 32u * level);
        EXPECT_EQ(colourOf(static_cast<std::uint16_t>(level << 5)), 256u * 32u * level);
        EXPECT_EQ(colourOf(static_cast<std::uint16_t>(bits << 8)), 65536u * 32u * level);
    }
}

TEST(ToArgb, SwapsRedAndBlueIntoAnOpaquePixel) {
    EXPECT_EQ(toArgb(0), 0xFF000000u);
    EXPECT_EQ(toArgb(colourOf(0x000E)), 0xFFE00000u);
    EXPECT_EQ(toArgb(colourOf(0x00E0)), 0xFF00E000u);
    EXPECT_EQ(toArgb(colourOf(0x0E00)), 0xFF0000E0u);
    EXPECT_EQ(toArgb(colourOf(0x0246)), 0xFF604020u);
}

// --- the level palette ---------------------------------------------------------------------------

TEST(ConvertPalette, LineZeroIsTheFixedLineAndLinesOneToThreeTheLevelsOwn) {
    const LevelPalette palette = convertOrFail(romWithPalette(), kLevelLines);
    for (std::size_t line = 0; line < 4; ++line) {
        for (std::size_t c = 1; c < 16; ++c) {
            EXPECT_EQ(palette.at(line, c), colourOf(wordFor(line, c))) << line << "," << c;
        }
    }
}

TEST(ConvertPalette, ColourZeroOfEveryLineIsBlack) {
    std::vector<std::uint8_t> rom = romWithPalette();
    putColour(rom, kFixedPaletteLineOffset, 0x0EEE);
    for (std::size_t line = 1; line < 4; ++line) {
        putColour(rom, kLevelLines + 32 * (line - 1), 0x0EEE);
    }
    const LevelPalette palette = convertOrFail(rom, kLevelLines);
    for (std::size_t line = 0; line < 4; ++line) {
        EXPECT_EQ(palette.at(line, 0), 0u) << line;
        EXPECT_NE(palette.at(line, 1), 0u) << line;
    }
}

TEST(ConvertPalette, BytesAfterTheUsedColoursHaveNoEffect) {
    const LevelPalette clean = convertOrFail(romWithPalette(), kLevelLines);
    std::vector<std::uint8_t> rom = romWithPalette();
    for (std::size_t i = 32; i < 128; ++i) {
        rom[kFixedPaletteLineOffset + i] = 0xEE;
    }
    for (std::size_t i = 96; i < 128; ++i) {
        rom[kLevelLines + i] = 0xEE;
    }
    EXPECT_EQ(convertOrFail(rom, kLevelLines), clean);
}

TEST(ConvertPalette, ReadsEndingExactlyAtTheEndOfTheRomAreFine) {
    std::vector<std::uint8_t> rom = romWithPalette();
    rom.resize(kLevelLines + kPaletteReadSize);
    EXPECT_EQ(convertOrFail(rom, kLevelLines), convertOrFail(romWithPalette(), kLevelLines));
}

TEST(ConvertPalette, LevelLinesMayShareTheFixedLinesBytes) {
    const std::vector<std::uint8_t> rom = romWithPalette();
    const LevelPalette palette = convertOrFail(rom, kFixedPaletteLineOffset);
    for (std::size_t c = 1; c < 16; ++c) {
        EXPECT_EQ(palette.at(1, c), palette.at(0, c));
    }
}

// --- reads that do not fit -----------------------------------------------------------------------

LevelPalette markedPalette() {
    LevelPalette palette;
    for (auto& line : palette.colours) {
        line.fill(0x123456u);
    }
    return palette;
}

TEST(ConvertPaletteErrors, FixedLineMissingNamesItsOffset) {
    std::vector<std::uint8_t> rom = romWithPalette();
    rom.resize(kFixedPaletteLineOffset + kPaletteReadSize - 1);
    LevelPalette palette = markedPalette();
    const Status status = convertPalette(rom, 0x100, palette);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, ErrorCode::FileRead);
    EXPECT_EQ(status.error().offset, kFixedPaletteLineOffset);
    EXPECT_EQ(palette, markedPalette());
}

TEST(ConvertPaletteErrors, LevelLinesRunningPastTheEndNameTheirOffset) {
    const std::vector<std::uint8_t> rom = romWithPalette();
    const auto addr = static_cast<std::int32_t>(kRomSize - kPaletteReadSize + 1);
    LevelPalette palette = markedPalette();
    const Status status = convertPalette(rom, addr, palette);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, ErrorCode::FileRead);
    EXPECT_EQ(status.error().offset, addr);
    EXPECT_EQ(palette, markedPalette());
}

TEST(ConvertPaletteErrors, NinetySixBytesAreNotEnoughForTheLevelLines) {
    std::vector<std::uint8_t> rom = romWithPalette();
    rom.resize(kLevelLines + 96);
    LevelPalette palette = markedPalette();
    EXPECT_FALSE(convertPalette(rom, kLevelLines, palette).ok());
    EXPECT_EQ(palette, markedPalette());
}

TEST(ConvertPaletteErrors, NegativeAddressIsRefused) {
    const std::vector<std::uint8_t> rom = romWithPalette();
    LevelPalette palette = markedPalette();
    const Status status = convertPalette(rom, -2, palette);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, ErrorCode::FileRead);
    EXPECT_EQ(palette, markedPalette());
}

TEST(ConvertPaletteErrors, EmptyRom) {
    LevelPalette palette = markedPalette();
    EXPECT_FALSE(convertPalette(ByteSpan{}, 0, palette).ok());
    EXPECT_EQ(palette, markedPalette());
}

}  // namespace
}  // namespace orvex
