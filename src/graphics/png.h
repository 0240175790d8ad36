#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// A PNG file as read: every pixel's colour, and for an indexed one its indices and palette.
struct PngPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Each pixel as 0xAARRGGBB, row by row; 16-bit channels keep their high byte, grey is
    // grey, a tRNS chunk gives the alpha.
    std::vector<std::uint32_t> colours;
    // Of an indexed PNG (colour type 3): the 8-bit indices and the PLTE as 0xAARRGGBB.
    std::optional<IndexedImage> indices;
    std::vector<std::uint32_t> palette;

    [[nodiscard]] std::uint32_t colour(std::int32_t x, std::int32_t y) const {
        return colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
};

// Any PNG (grey, RGB, indexed, with or without alpha, 1 to 16 bits a channel, not interlaced)
// read into a PngPicture. CorruptStream naming what is wrong for a file that is not a PNG, is
// broken, is interlaced or has more than 16,777,216 pixels.
[[nodiscard]] Result<PngPicture> decodePng(std::span<const std::uint8_t> bytes);

// An indexed PNG (colour type 3, 1 to 8 bits a pixel) read back as 8-bit indices; its palette
// is not kept. CorruptStream as decodePng, and for another colour type ("the PNG holds
// colours, not indices into a palette").
[[nodiscard]] Result<IndexedImage> decodeIndexedPng(std::span<const std::uint8_t> bytes);

}  // namespace orvex
