#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

// A plain 32-bit picture, row by row from the top. Pixels are 0xFFRRGGBB (opaque), the layout
// Qt calls Format_RGB32, so the editor can show it without converting. A default-constructed
// Image is null: it shows nothing.
class Image {
public:
    Image() = default;
    Image(std::int32_t width, std::int32_t height)
        : mWidth(width),
          mHeight(height),
          mPixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u) {
    }

    [[nodiscard]] bool isNull() const { return mPixels.empty(); }
    [[nodiscard]] std::int32_t width() const { return mWidth; }
    [[nodiscard]] std::int32_t height() const { return mHeight; }

    [[nodiscard]] std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
        return mPixels[index(x, y)];
    }
    void setPixel(std::int32_t x, std::int32_t y, std::uint32_t argb) {
        mPixels[index(x, y)] = argb;
    }

    [[nodiscard]] const std::uint32_t* row(std::int32_t y) const { return &mPixels[index(0, y)]; }
    [[nodiscard]] std::uint32_t* row(std::int32_t y) { return &mPixels[index(0, y)]; }
    [[nodiscard]] const std::vector<std::uint32_t>& pixels() const { return mPixels; }

    friend bool operator==(const Image&, const Image&) = default;

private:
    [[nodiscard]] std::size_t index(std::int32_t x, std::int32_t y) const {
        assert(x >= 0 && x < mWidth && y >= 0 && y < mHeight);
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
               static_cast<std::size_t>(x);
    }

    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    std::vector<std::uint32_t> mPixels;
};

}  // namespace orvex
