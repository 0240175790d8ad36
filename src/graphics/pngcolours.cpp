#include "graphics/pngcolours.h"

#include <array>
#include <cstdio>
#include <limits>
#include <optional>

namespace orvex {

namespace {

constexpr std::uint32_t kRgb = 0x00FFFFFFu;

// Whether every index the picture's pixels use names the line's colour at that index.
bool paletteIsTheLines(const PngPicture& picture, std::span<const std::uint32_t> line) {
    std::array<bool, 256> used{};
    for (const std::uint8_t index : picture.indices->pixels()) {
        used[index] = true;
    }
    for (std::size_t index = 0; index < used.size(); ++index) {
        if (used[index] && (index >= line.size() || index >= picture.palette.size() ||
                            (picture.palette[index] & kRgb) != (line[index] & kRgb))) {
            return false;
        }
    }
    return true;
}

std::int32_t distance(std::uint32_t a, std::uint32_t b) {
    std::int32_t sum = 0;
    for (const int shift : {16, 8, 0}) {
        const std::int32_t d = static_cast<std::int32_t>((a >> shift) & 0xFF) -
                               static_cast<std::int32_t>((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

std::size_t nearestIndex(std::uint32_t colour, std::span<const std::uint32_t> line) {
    std::size_t best = 0;
    std::int32_t bestDistance = std::numeric_limits<std::int32_t>::max();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (const std::int32_t d = distance(colour, line[i]); d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

std::optional<std::uint8_t> exactIndex(std::uint32_t colour, std::span<const std::uint32_t> line) {
    if ((colour >> 24) == 0) {
        return std::uint8_t{0};
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((line[i] & kRgb) == (colour & kRgb)) {
            return static_cast<std::uint8_t>(i);
        }
    }
    return std::nullopt;
}

Error notInLine(std::int32_t x, std::int32_t y, std::uint32_t colour,
                std::span<const std::uint32_t> line) {
    const std::size_t nearest = nearestIndex(colour, line);
    return makeError(
        ErrorCode::OutOfRange,
        "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") has colour " +
            colourHex(colour) +
            ", which is not one of the palette line's colours (the nearest is colour " +
            std::to_string(nearest) + ", " + colourHex(line[nearest]) + ")");
}

}  // namespace

std::string colourHex(std::uint32_t argb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(argb & kRgb));
    return text;
}

Result<IndexedImage> lineIndices(const PngPicture& picture, std::span<const std::uint32_t> line,
                                 PngIndices indices) {
    if (picture.indices && (indices == PngIndices::AsTheyAre || paletteIsTheLines(picture, line))) {
        return *picture.indices;
    }
    IndexedImage image(picture.width, picture.height);
    // Pictures hold few colours: each is looked up once.
    std::uint32_t lastColour = 0;
    std::optional<std::uint8_t> lastIndex;
    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const std::uint32_t colour = picture.colour(x, y);
            if (!lastIndex || colour != lastColour) {
                lastColour = colour;
                lastIndex = exactIndex(colour, line);
                if (!lastIndex) {
                    return notInLine(x, y, colour, line);
                }
            }
            image.setPixel(x, y, *lastIndex);
        }
    }
    return image;
}

}  // namespace orvex
