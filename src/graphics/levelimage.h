#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/byteorder.h"
#include "common/host.h"
#include "graphics/blocks.h"
#include "graphics/image.h"

// Whole-level pictures composed from the 256 block pictures: one plane of a layout, or all
// blocks side by side. The command-line tool writes them as PNG files and the editor exports
// them the same way.

namespace orvex {

inline constexpr std::int32_t kLayoutRowBytes = 256;  // one layout row: both planes' columns
inline constexpr std::int32_t kPlaneColumns = 128;    // columns of one plane in a layout row
inline constexpr std::int32_t kSheetColumns = 16;     // blocks to a row of the block sheet
inline constexpr std::string_view kDrawingCaption = "Drawing Level Image ...";

// The two halves of every layout row: columns 0..127 hold the foreground, 128..255 the
// background.
enum class Plane { Foreground, Background };

// The layout rows a picture shows: only complete 256-byte rows. A partial last row (a layout
// whose size is not a multiple of 256) has no background half and is left out.
[[nodiscard]] constexpr std::int32_t layoutRows(std::size_t layoutSize) {
    return static_cast<std::int32_t>(layoutSize / static_cast<std::size_t>(kLayoutRowBytes));
}

// One plane of `layout` at one pixel per block picture pixel: 128 blocks of 128 pixels across
// (16,384 pixels) and layoutRows(layout.size()) blocks down; the game's 4,096-byte layouts give
// 16,384 x 2,048. A cell shows the block picture its byte names; a null picture is drawn black.
// A layout without one complete row gives a null Image. Reports kDrawingCaption and bar
// 305 (r + 1) / rows (rounded) after drawing layout row r.
[[nodiscard]] Image renderPlane(const BlockPictures& blocks, ByteSpan layout, Plane plane,
                                ProgressSink* progress = nullptr);

// The 256 block pictures, 16 to a row in block number order: 2,048 x 2,048 pixels. A null
// picture is drawn black.
[[nodiscard]] Image renderBlockSheet(const BlockPictures& blocks);

}  // namespace orvex
