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

// An indexed PNG (colour type 3, 1 to 8 bits a pixel) read back as 8-bit indices; its palette
// is not kept. CorruptStream naming what is wrong for a file that is not a PNG, is broken, or
// holds another colour type ("the PNG holds RGB colours, not indices into a palette").
[[nodiscard]] Result<IndexedImage> decodeIndexedPng(std::span<const std::uint8_t> bytes);

}  // namespace orvex
