#pragma once

#include <cstdint>
#include <string_view>

#include "common/progress.h"

// What the progress window shows for the core's progress reports: a caption for each stage and
// the width of its bar, 305 pixels for loading and drawing, 317 for saving.

namespace orvex {

inline constexpr std::int32_t kLoadBarScale = 305;
inline constexpr std::int32_t kSaveBarScale = 317;

[[nodiscard]] constexpr std::string_view stageCaption(Stage stage) {
    switch (stage) {
        case Stage::Tiles:
            return "Extracting 8x8 Tiles ...";
        case Stage::Chunks:
            return "Extracting 16x16 Tiles ...";
        case Stage::Blocks:
            return "Extracting 128x128 Tiles ...";
        case Stage::Drawing:
            return "Drawing Level Image ...";
        case Stage::Encoding:
            return "Saving Level...";
    }
    return {};
}

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

// The bar's width after step `done` of `total` (done >= 1): the tile and chunk tables count
// their variants from 0 and round half to even; blocks fill the bar from block 0 to block 255;
// a plane fills it row by row; a save, 317 pixels wide, from the first input byte to the last.
[[nodiscard]] constexpr double stageBarWidth(Stage stage, std::int32_t done, std::int32_t total) {
    switch (stage) {
        case Stage::Tiles:
        case Stage::Chunks:
            return barWidthHalfEven(done - 1, total);
        case Stage::Blocks:
            return total > 1 ? barWidthRounded(done - 1, total - 1) : kLoadBarScale;
        case Stage::Drawing:
            return barWidthRounded(done, total);
        case Stage::Encoding:
            return total > 1 ? static_cast<double>(kSaveBarScale) * (done - 1) / (total - 1)
                             : kSaveBarScale;
    }
    return 0;
}

}  // namespace orvex
