#pragma once

#include <filesystem>

#include "common/error.h"
#include "graphics/image.h"

namespace orvex {

// Writes `image` to `path` as a PNG file. The file appears only complete: it is written under
// a temporary name and renamed into place, so a failure leaves whatever was at `path` before
// (or nothing). FileWrite when the image is null or the file cannot be written.
[[nodiscard]] Status writePng(const Image& image, const std::filesystem::path& path);

}  // namespace orvex
