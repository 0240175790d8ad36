#pragma once

#include <cstdint>

#include "rom/placements.h"

// Where the camera can look within a level's boundaries, as the game works it out.

namespace orvex {

// The screen the camera shows, in pixels; the boundaries limit the camera's top left corner.
inline constexpr std::int32_t kScreenWidth = 320;
inline constexpr std::int32_t kScreenHeight = 224;

// The level pixels the camera can show within some boundaries, inclusive.
struct CameraReach {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

// What the camera can show within `bounds`, every word read as the game compares it: signed
// (a y minimum of $FF00 is -256).
[[nodiscard]] constexpr CameraReach cameraReach(const LevelBounds& bounds) {
    const auto value = [](std::uint16_t word) {
        return std::int32_t{static_cast<std::int16_t>(word)};
    };
    return {value(bounds.xMin), value(bounds.xMax) + kScreenWidth - 1, value(bounds.yMin),
            value(bounds.yMax) + kScreenHeight - 1};
}

// Whether the camera can show the start position `start` (its words signed too).
[[nodiscard]] constexpr bool cameraShows(const CameraReach& reach, const StartPosition& start) {
    const std::int32_t x = static_cast<std::int16_t>(start.x);
    const std::int32_t y = static_cast<std::int16_t>(start.y);
    return x >= reach.left && x <= reach.right && y >= reach.top && y <= reach.bottom;
}

}  // namespace orvex
