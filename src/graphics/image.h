#pragma once

#include <cstdint>

#include "graphics/raster.h"

namespace orvex {

// A plain 32-bit picture, black at start. Pixels are 0xFFRRGGBB (opaque), the layout Qt calls
// Format_RGB32, so the editor can show it without converting.
class Image : public Raster<std::uint32_t> {
public:
    Image() = default;
    Image(std::int32_t width, std::int32_t height) : Raster(width, height, 0xFF000000u) {}
};

}  // namespace orvex
