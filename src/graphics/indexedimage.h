#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

// Colours of a level picture: palette line l, colour c is entry 16 l + c. Colour 0 of every
// line is black.
inline constexpr std::int32_t kLevelColours = 64;
using ColourTable = std::array<std::uint32_t, kLevelColours>;  // 0xFFRRGGBB, opaque

// A picture of 8-bit colour indices into a level's ColourTable, row by row from the top. A
// default-constructed image is null: it shows nothing. A quarter of the memory of a 32-bit
// picture, and what a PNG stores as an indexed image.
class IndexedImage {
public:
    IndexedImage() = default;
    IndexedImage(std::int32_t width, std::int32_t height)
        : mWidth(width),
          mHeight(height),
          mPixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

    [[nodiscard]] bool isNull() const { return mPixels.empty(); }
    [[nodiscard]] std::int32_t width() const { return mWidth; }
    [[nodiscard]] std::int32_t height() const { return mHeight; }

    [[nodiscard]] std::uint8_t pixel(std::int32_t x, std::int32_t y) const {
        return mPixels[index(x, y)];
    }
    void setPixel(std::int32_t x, std::int32_t y, std::uint8_t colour) {
        mPixels[index(x, y)] = colour;
    }

    [[nodiscard]] const std::uint8_t* row(std::int32_t y) const { return &mPixels[index(0, y)]; }
    [[nodiscard]] std::uint8_t* row(std::int32_t y) { return &mPixels[index(0, y)]; }
    [[nodiscard]] const std::vector<std::uint8_t>& pixels() const { return mPixels; }

    friend bool operator==(const IndexedImage&, const IndexedImage&) = default;

private:
    [[nodiscard]] std::size_t index(std::int32_t x, std::int32_t y) const {
        assert(x >= 0 && x < mWidth && y >= 0 && y < mHeight);
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
               static_cast<std::size_t>(x);
    }

    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    std::vector<std::uint8_t> mPixels;
};

}  // namespace orvex
