#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

// A picture as rows of pixels from the top. A default-constructed raster is null: it shows
// nothing.
template <typename Pixel>
class Raster {
public:
    Raster() = default;
    Raster(std::int32_t width, std::int32_t height, Pixel fill)
        : mWidth(width),
          mHeight(height),
          mPixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    [[nodiscard]] bool isNull() const { return mPixels.empty(); }
    [[nodiscard]] std::int32_t width() const { return mWidth; }
    [[nodiscard]] std::int32_t height() const { return mHeight; }

    [[nodiscard]] Pixel pixel(std::int32_t x, std::int32_t y) const { return mPixels[index(x, y)]; }
    void setPixel(std::int32_t x, std::int32_t y, Pixel value) { mPixels[index(x, y)] = value; }

    [[nodiscard]] const Pixel* row(std::int32_t y) const { return &mPixels[index(0, y)]; }
    [[nodiscard]] Pixel* row(std::int32_t y) { return &mPixels[index(0, y)]; }
    [[nodiscard]] const std::vector<Pixel>& pixels() const { return mPixels; }

    friend bool operator==(const Raster&, const Raster&) = default;

private:
    [[nodiscard]] std::size_t index(std::int32_t x, std::int32_t y) const {
        assert(x >= 0 && x < mWidth && y >= 0 && y < mHeight);
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
               static_cast<std::size_t>(x);
    }

    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    std::vector<Pixel> mPixels;
};

}  // namespace orvex
