#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

// The mirrored copies of the tile and chunk tables, which let a pattern or block mapping word's
// flip bits index a ready-made variant.

namespace orvex {

// Fills variants base + i (mirrored left-right), 2 base + i (top-bottom) and 3 base + i (both)
// from base entry i, for i = 0..base - 1, in that order. Each variant is a Side x Side square of
// pixels, row by row, from table.variant(v). report(v) runs after variant v is built.
template <std::size_t Side, typename Table>
void buildMirroredVariant(Table& table, std::int32_t base, std::int32_t i, std::int32_t flips) {
    const bool leftRight = (flips & 1) != 0;
    const bool topBottom = (flips & 2) != 0;
    const auto* from = table.variant(i);
    auto* to = table.variant(flips * base + i);
    for (std::size_t y = 0; y < Side; ++y) {
        const auto* row = from + Side * (topBottom ? Side - 1 - y : y);
        if (leftRight) {
            std::reverse_copy(row, row + Side, to + Side * y);
        } else {
            std::copy(row, row + Side, to + Side * y);
        }
    }
}

template <std::size_t Side, typename Table, typename Report>
void buildMirroredVariants(Table& table, std::int32_t base, Report report) {
    for (std::int32_t flips = 1; flips <= 3; ++flips) {
        for (std::int32_t i = 0; i < base; ++i) {
            buildMirroredVariant<Side>(table, base, i, flips);
            report(flips * base + i);
        }
    }
}

// The three mirrored copies of base entry i alone, after it changed.
template <std::size_t Side, typename Table>
void buildMirroredVariantsOf(Table& table, std::int32_t base, std::int32_t i) {
    for (std::int32_t flips = 1; flips <= 3; ++flips) {
        buildMirroredVariant<Side>(table, base, i, flips);
    }
}

}  // namespace orvex
