#pragma once

#include <array>
#include <cstdint>

#include "graphics/raster.h"

namespace orvex {

// Colours of a level picture: palette line l, colour c is entry 16 l + c. Colour 0 of every
// line is black.
inline constexpr std::int32_t kLevelColours = 64;
using ColourTable = std::array<std::uint32_t, kLevelColours>;  // 0xFFRRGGBB, opaque

// A picture of 8-bit colour indices into a level's ColourTable, 0 at start. A quarter of the
// memory of a 32-bit picture, and what a PNG stores as an indexed image.
class IndexedImage : public Raster<std::uint8_t> {
public:
    IndexedImage() = default;
    IndexedImage(std::int32_t width, std::int32_t height) : Raster(width, height, 0) {}
};

}  // namespace orvex
