#pragma once

#include <cstdint>
#include <vector>

#include "rom/levelformat.h"

namespace orvex {

// The console's video memory as a level leaves it: 2,048 tiles of 32 bytes, 4 bits a pixel.
struct VideoMemory {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kVideoMemoryBytes, 0);
    friend bool operator==(const VideoMemory&, const VideoMemory&) = default;
};

}  // namespace orvex
