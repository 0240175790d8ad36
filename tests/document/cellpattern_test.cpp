#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "document/cellpattern.h"

namespace orvex::testing {
namespace {

// A layout of `rows` rows (and `extra` bytes of a partial row) where the block of a cell is
// its row * 16 + column % 16, the background's + 0x80.
Layout numberedLayout(int rows, int extra = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rows * 256 + extra));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto row = i / 256;
        const auto column = i % 256;
        bytes[i] = static_cast<std::uint8_t>(row * 16 + column % 16 + (column >= 128 ? 0x80 : 0));
    }
    return Layout(std::move(bytes));
}

Layout applied(Layout layout, const std::vector<CellBlock>& cells) {
    for (const CellBlock& cell : cells) {
        layout.setBlock(cell.cell, cell.block);
    }
    return layout;
}

TEST(CellPattern, CopiesAndPastesBlockNumbersAcrossPlanesWithinBounds) {
    const Layout layout = numberedLayout(4);
    const CellPattern copied = copyCells(layout, Plane::Background, {1, 126, 5, 4});
    // Cut to the plane (columns 126, 127) and the layout (rows 1..3).
    EXPECT_EQ(copied, (CellPattern{3, 2, {0x9E, 0x9F, 0xAE, 0xAF, 0xBE, 0xBF}}));

    const auto cells = pasteCells(layout, Plane::Foreground, {3, 127}, copied);
    ASSERT_EQ(cells.size(), 1u);  // only the top left cell lands inside
    EXPECT_EQ(cells[0].cell, (LayoutCell{3, 127}));
    EXPECT_EQ(cells[0].block, 0x9E);
    const Layout pasted = applied(layout, pasteCells(layout, Plane::Foreground, {0, 0}, copied));
    EXPECT_EQ(copyCells(pasted, Plane::Foreground, {0, 0, 3, 2}), copied);
    EXPECT_TRUE(copyCells(layout, Plane::Foreground, {9, 0, 2, 2}).isEmpty());
}

TEST(CellPattern, FloodFillStopsAtOtherBlocksAndAtThePlanesEdge) {
    Layout layout(std::vector<std::uint8_t>(3 * 256 + 10, 7));  // a partial fourth row
    layout.setBlock({1, 1}, 9);
    layout.setBlock({0, 1}, 9);
    layout.setBlock({2, 0}, 9);  // walls: (0,0) and (1,0) are cut off from the rest
    const auto filled = applied(layout, floodFill(layout, Plane::Foreground, {0, 5}, 3));
    EXPECT_EQ(filled.blockAt({0, 0}), 7);
    EXPECT_EQ(filled.blockAt({1, 0}), 7);
    EXPECT_EQ(filled.blockAt({0, 127}), 3);
    EXPECT_EQ(filled.blockAt({3, 9}), 3);    // the partial row, as far as it goes
    EXPECT_EQ(filled.blockAt({0, 128}), 7);  // the background is another plane
    EXPECT_EQ(filled.blockAt({1, 1}), 9);
    const auto count = std::count(filled.bytes().begin(), filled.bytes().end(), 3);
    EXPECT_EQ(count, 3 * 128 - 5 + 10);
    EXPECT_TRUE(floodFill(layout, Plane::Foreground, {0, 5}, 7).empty());
    EXPECT_TRUE(floodFill(layout, Plane::Foreground, {0, 128}, 1).empty());
}

// A maze of 7s in walls of 9: the region of (2,2) reaches up, down, left and right through
// corridors, while the 7s at (2,5), (0,5), (1,6) and (3,0) touch it only corner to corner or
// not at all. Started from any of its cells, the fill must find the same nine cells.
TEST(CellPattern, FloodFillReachesEveryDirectionButNeverCorners) {
    const std::vector<std::string> maze{"9799979",  //
                                        "9777997",  //
                                        "9979979",  //
                                        "7977799",  //
                                        "9999799"};
    Layout layout(std::vector<std::uint8_t>(maze.size() * 256, 9));
    for (std::size_t row = 0; row < maze.size(); ++row) {
        for (std::size_t column = 0; column < maze[row].size(); ++column) {
            layout.setBlock({static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)},
                            static_cast<std::uint8_t>(maze[row][column] - '0'));
        }
    }
    const std::vector<LayoutCell> region{{0, 1}, {1, 1}, {1, 2}, {1, 3}, {2, 2},
                                         {3, 2}, {3, 3}, {3, 4}, {4, 4}};
    for (const PlaneCell start : {PlaneCell{2, 2}, PlaneCell{0, 1}, PlaneCell{4, 4},
                                  PlaneCell{1, 3}, PlaneCell{1, 1}, PlaneCell{3, 4}}) {
        std::vector<LayoutCell> filled;
        for (const CellBlock& cell : floodFill(layout, Plane::Foreground, start, 3)) {
            EXPECT_EQ(cell.block, 3);
            filled.push_back(cell.cell);
        }
        std::sort(filled.begin(), filled.end(), [](LayoutCell a, LayoutCell b) {
            return std::pair(a.row, a.column) < std::pair(b.row, b.column);
        });
        EXPECT_EQ(filled, region) << "from row " << start.row << ", column " << start.column;
    }
}

TEST(CellPattern, TextRoundTripsAndForeignTextIsRefused) {
    const CellPattern pattern{2, 3, {0x00, 0x1A, 0xFF, 0x10, 0x02, 0x7E}};
    EXPECT_EQ(patternText(pattern), "00 1A FF\n10 02 7E\n");
    EXPECT_EQ(parsePatternText(patternText(pattern)), pattern);
    EXPECT_EQ(parsePatternText("0 1a\tff\r\n10 2 7e\n\n"), pattern);
    for (const char* foreign : {"", "00 1A\n10", "0x10", "100", "hello", "1A,2B"}) {
        EXPECT_FALSE(parsePatternText(foreign).has_value()) << foreign;
    }
}

}  // namespace
}  // namespace orvex::testing
