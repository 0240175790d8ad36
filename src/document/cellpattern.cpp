#include "document/cellpattern.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvex {

namespace {

// The part of `rect` (plane columns) inside the plane: columns 0..127, rows from 0.
CellRect insidePlane(const CellRect& rect) {
    const std::int32_t top = std::max(rect.row, 0);
    const std::int32_t left = std::max(rect.column, 0);
    const std::int32_t bottom = rect.row + rect.rows;
    const std::int32_t right = std::min(rect.column + rect.columns, kPlaneColumns);
    return {top, left, std::max(bottom - top, 0), std::max(right - left, 0)};
}

bool inPlane(const Layout& layout, Plane plane, PlaneCell cell) {
    return cell.column >= 0 && cell.column < kPlaneColumns &&
           layout.contains(toLayoutCell(plane, cell));
}

// One line of the text as numbers; empty when a word is not a one- or two-digit hex number.
std::optional<std::vector<std::uint8_t>> parseLine(std::string_view line) {
    std::vector<std::uint8_t> numbers;
    std::size_t at = 0;
    while (at < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[at])) != 0) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end])) != 0) {
            ++end;
        }
        const bool separated =
            end == line.size() || std::isspace(static_cast<unsigned char>(line[end])) != 0;
        if (end == at || end - at > 2 || !separated) {
            return std::nullopt;
        }
        numbers.push_back(static_cast<std::uint8_t>(
            std::stoul(std::string(line.substr(at, end - at)), nullptr, 16)));
        at = end;
    }
    return numbers;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string_view::npos) {
        lines.pop_back();
    }
    return lines;
}

}  // namespace

CellPattern copyCells(const Layout& layout, Plane plane, const CellRect& rect) {
    const CellRect inside = insidePlane(rect);
    std::int32_t rows = 0;
    while (rows < inside.rows &&
           inPlane(layout, plane, {inside.row + rows, inside.column + inside.columns - 1})) {
        ++rows;
    }
    CellPattern pattern{rows, rows > 0 ? inside.columns : 0, {}};
    for (std::int32_t r = 0; r < pattern.rows; ++r) {
        for (std::int32_t c = 0; c < pattern.columns; ++c) {
            pattern.blocks.push_back(
                *layout.blockAt(toLayoutCell(plane, {inside.row + r, inside.column + c})));
        }
    }
    return pattern;
}

std::vector<CellBlock> pasteCells(const Layout& layout, Plane plane, PlaneCell at,
                                  const CellPattern& pattern) {
    std::vector<CellBlock> cells;
    for (std::int32_t r = 0; r < pattern.rows; ++r) {
        for (std::int32_t c = 0; c < pattern.columns; ++c) {
            const PlaneCell cell{at.row + r, at.column + c};
            if (inPlane(layout, plane, cell)) {
                cells.push_back({toLayoutCell(plane, cell), pattern.at(r, c)});
            }
        }
    }
    return cells;
}

std::vector<CellBlock> fillCells(const Layout& layout, Plane plane, const CellRect& rect,
                                 std::uint8_t block) {
    const CellRect inside = insidePlane(rect);
    std::vector<CellBlock> cells;
    for (std::int32_t r = inside.row; r < inside.row + inside.rows; ++r) {
        for (std::int32_t c = inside.column; c < inside.column + inside.columns; ++c) {
            if (inPlane(layout, plane, {r, c})) {
                cells.push_back({toLayoutCell(plane, {r, c}), block});
            }
        }
    }
    return cells;
}

std::vector<CellBlock> floodFill(const Layout& layout, Plane plane, PlaneCell start,
                                 std::uint8_t block) {
    if (!inPlane(layout, plane, start)) {
        return {};
    }
    const std::uint8_t target = *layout.blockAt(toLayoutCell(plane, start));
    if (target == block) {
        return {};
    }
    const std::int32_t rows = static_cast<std::int32_t>((layout.size() + kLayoutRowBytes - 1) /
                                                        static_cast<std::size_t>(kLayoutRowBytes));
    std::vector<bool> seen(static_cast<std::size_t>(rows * kPlaneColumns), false);
    const auto mark = [&](PlaneCell cell) {
        seen[static_cast<std::size_t>(cell.row * kPlaneColumns + cell.column)] = true;
    };
    std::vector<PlaneCell> pending{start};
    mark(start);
    std::vector<CellBlock> cells;
    while (!pending.empty()) {
        const PlaneCell cell = pending.back();
        pending.pop_back();
        cells.push_back({toLayoutCell(plane, cell), block});
        for (const PlaneCell next :
             {PlaneCell{cell.row - 1, cell.column}, PlaneCell{cell.row + 1, cell.column},
              PlaneCell{cell.row, cell.column - 1}, PlaneCell{cell.row, cell.column + 1}}) {
            if (inPlane(layout, plane, next) &&
                !seen[static_cast<std::size_t>(next.row * kPlaneColumns + next.column)] &&
                *layout.blockAt(toLayoutCell(plane, next)) == target) {
                mark(next);
                pending.push_back(next);
            }
        }
    }
    return cells;
}

std::string patternText(const CellPattern& pattern) {
    std::string text;
    for (std::int32_t r = 0; r < pattern.rows; ++r) {
        for (std::int32_t c = 0; c < pattern.columns; ++c) {
            char number[4];
            std::snprintf(number, sizeof number, "%02X", unsigned{pattern.at(r, c)});
            text += number;
            text += c + 1 < pattern.columns ? ' ' : '\n';
        }
    }
    return text;
}

std::optional<CellPattern> parsePatternText(std::string_view text) {
    CellPattern pattern;
    for (const std::string_view line : linesOf(text)) {
        auto numbers = parseLine(line);
        if (!numbers || numbers->empty() ||
            (pattern.rows > 0 && static_cast<std::int32_t>(numbers->size()) != pattern.columns)) {
            return std::nullopt;
        }
        pattern.columns = static_cast<std::int32_t>(numbers->size());
        pattern.blocks.insert(pattern.blocks.end(), numbers->begin(), numbers->end());
        ++pattern.rows;
    }
    if (pattern.rows == 0) {
        return std::nullopt;
    }
    return pattern;
}

}  // namespace orvex
