#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/error.h"
#include "graphics/indexedimage.h"

// PNG files of level pictures, made in memory; writing them to disk is the caller's business.

namespace orvex {

// `image` as an 8-bit indexed PNG: a PLTE of colours 0 to the highest index the picture uses,
// a pHYs of 96 dpi and no other ancillary chunk. Fails on a null image, a side beyond
// libpng's limit of 1,000,000 pixels, or an index outside the 64 level colours.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodeIndexedPng(const IndexedImage& image,
                                                                 const ColourTable& colours);

inline constexpr std::size_t kMostPngColours = 256;
// The same with up to 256 colours: a picture whose lower rows index a second set of 64 (the
// underwater colours) above the level's own.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodeIndexedPng(
    const IndexedImage& image, std::span<const std::uint32_t> colours);

}  // namespace orvex
