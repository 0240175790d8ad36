#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/error.h"
#include "graphics/image.h"

namespace orvex {

// The bytes of `image` as a PNG file, at a fixed 96 dpi. FileWrite when the image is null or
// cannot be encoded.
[[nodiscard]] Result<std::vector<std::uint8_t>> encodePng(const Image& image);

// Writes `image` to `path` as a PNG file, as writeOutputFile writes: the file appears only
// complete, and a failure leaves whatever was at `path` before (or nothing).
[[nodiscard]] Status writePng(const Image& image, const std::filesystem::path& path);

}  // namespace orvex
