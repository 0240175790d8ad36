#pragma once

#include <array>
#include <cstdint>

// The demo ROM's digits: its art shows block and tile numbers drawn with these.

namespace orvex {

// 3 x 5 glyphs of the hex digits, one bit a cell, rows top to bottom, bit 2 the left column.
inline constexpr std::array<std::array<std::uint8_t, 5>, 16> kDemoGlyphs = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 2, 2, 2},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
    {2, 5, 7, 5, 5},
    {6, 5, 6, 5, 6},
    {7, 4, 4, 4, 7},
    {6, 5, 5, 5, 6},
    {7, 4, 6, 4, 7},
    {7, 4, 6, 4, 4},
}};

}  // namespace orvex
