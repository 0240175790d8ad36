#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/error.h"
#include "graphics/indexedimage.h"
#include "graphics/png.h"

// How a picture made or edited in another program becomes indices into one palette line.

namespace orvex {

// What reading by colour does with an indexed PNG.
enum class PngIndices {
    ByColour,  // the indices as they are where the PNG's palette gives them the line's colours
    AsTheyAre  // the indices as they are, whatever colours the palette gives them
};

// `picture` as indices into `line` (up to 16 colours, 0xFFRRGGBB as the palette editor shows
// them). An indexed PNG whose palette gives every index its pixels use the line's colour at that
// index keeps its indices (programs that reorder or merge a palette when they save do not), as
// does any indexed PNG with PngIndices::AsTheyAre. Otherwise each pixel takes the index of its
// colour in the line, compared exactly (the first of equal colours; a pixel with no alpha at all
// takes index 0, the transparent one). OutOfRange for a colour the line does not hold,
// naming the first such pixel, its colour and the nearest colour of the line.
[[nodiscard]] Result<IndexedImage> lineIndices(const PngPicture& picture,
                                               std::span<const std::uint32_t> line,
                                               PngIndices indices = PngIndices::ByColour);

// "#E02040" for 0xFFE02040.
[[nodiscard]] std::string colourHex(std::uint32_t argb);

}  // namespace orvex
