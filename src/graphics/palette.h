#pragma once

#include <cstdint>

#include "document/levelparts.h"
#include "graphics/indexedimage.h"

namespace orvex {

// The screen colour of one Mega Drive colour word as an opaque 0xFFRRGGBB pixel: red in bits
// 1-3, green in bits 5-7, blue in bits 9-11; every 3-bit level n becomes 32 n.
[[nodiscard]] constexpr std::uint32_t colourOf(std::uint16_t word) {
    const std::uint32_t red = (word & 0x000Eu) * 16u;
    const std::uint32_t green = word & 0x00E0u;
    const std::uint32_t blue = ((word >> 8) & 0x0Eu) * 16u;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// The level's 64 colours, 16 a palette line; colour 0 of every line is black, as the editor has
// always drawn it.
[[nodiscard]] ColourTable levelColours(const PaletteWords& palette);

// The index of the brightest colour (the first of equals): markers drawn into a level picture
// take it to stand out.
[[nodiscard]] std::uint8_t brightestColour(const ColourTable& colours);

}  // namespace orvex
