#pragma once

#include <array>
#include <cstdint>

#include "common/byteorder.h"
#include "common/error.h"

namespace orvex {

// A screen colour as the original editor kept it: red in bits 0-7, green in bits 8-15, blue in
// bits 16-23, bits 24-31 zero.
using ColourValue = std::uint32_t;

inline constexpr std::int32_t kPaletteReadSize = 128;  // bytes read at each source

// Converts one Mega Drive colour word (high byte hi, low byte lo). Red is in bits 1-3 of lo,
// green in bits 5-7 of lo, blue in bits 1-3 of hi; every 3-bit level n becomes 32 n.
[[nodiscard]] constexpr ColourValue convertColour(std::uint8_t hi, std::uint8_t lo) {
    const ColourValue red = (lo & 0x0Eu) * 16u;
    const ColourValue green = lo & 0xE0u;
    const ColourValue blue = (hi & 0x0Eu) * 16u;
    return red + 256u * green + 65536u * blue;
}

// The same colour as an opaque 0xFFRRGGBB pixel of an Image.
[[nodiscard]] constexpr std::uint32_t toArgb(ColourValue colour) {
    const std::uint32_t red = colour & 0xFFu;
    const std::uint32_t green = (colour >> 8) & 0xFFu;
    const std::uint32_t blue = (colour >> 16) & 0xFFu;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// levelPalette: 4 palette lines of 16 colours; colour 0 of every line is black.
struct LevelPalette {
    std::array<std::array<ColourValue, 16>, 4> colours{};

    [[nodiscard]] ColourValue at(std::size_t line, std::size_t index) const {
        return colours[line][index];
    }
    friend bool operator==(const LevelPalette&, const LevelPalette&) = default;
};

// Reads the level's 64 colours from a ROM image: line 0 from the fixed line at fixedLineAddr
// (the same for every level), lines 1 to 3 from the 96 bytes at paletteAddr. Each source is
// read as 128 bytes, so both must have 128 bytes inside `rom`; otherwise FileRead with the
// offset, and `out` is left unchanged.
[[nodiscard]] Status convertPalette(ByteSpan rom, std::int32_t fixedLineAddr,
                                    std::int32_t paletteAddr, LevelPalette& out);

}  // namespace orvex
