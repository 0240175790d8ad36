#pragma once

#include <cstdint>

// Bar widths for the art decoders' progress reports.

namespace orvex {

inline constexpr std::int32_t kLoadBarScale = 305;  // full width of the loading bar, in pixels

// scale * done / total rounded to the nearest integer, a tie going to the even neighbour
// (305 * 4096 / 8192 = 152.5 gives 152). Precondition: total > 0, done >= 0.
[[nodiscard]] constexpr double barWidthHalfEven(std::int32_t done, std::int32_t total,
                                                std::int32_t scale = kLoadBarScale) {
    const std::int64_t numerator = std::int64_t{scale} * done;
    const std::int64_t quotient = numerator / total;
    const std::int64_t twiceRest = 2 * (numerator % total);
    const bool up = twiceRest > total || (twiceRest == total && (quotient & 1) != 0);
    return static_cast<double>(up ? quotient + 1 : quotient);
}

// scale * done / total rounded to the nearest integer, a tie going up.
// Precondition: total > 0, done >= 0.
[[nodiscard]] constexpr double barWidthRounded(std::int32_t done, std::int32_t total,
                                               std::int32_t scale = kLoadBarScale) {
    const std::int64_t numerator = std::int64_t{scale} * done;
    const std::int64_t quotient = numerator / total;
    const bool up = 2 * (numerator % total) >= total;
    return static_cast<double>(up ? quotient + 1 : quotient);
}

}  // namespace orvex
