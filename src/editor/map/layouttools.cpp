#include "editor/map/layouttools.h"

#include <algorithm>
#include <cstdlib>

namespace orvex {

namespace {

CellRect spanning(PlaneCell a, PlaneCell b) {
    const std::int32_t top = std::min(a.row, b.row);
    const std::int32_t left = std::min(a.column, b.column);
    return {top, left, std::abs(a.row - b.row) + 1, std::abs(a.column - b.column) + 1};
}

}  // namespace

LayoutTool::LayoutTool(ToolInfo info, MapTools& edits)
    : AbstractTool(std::move(info)), mEdits(edits) {}

void LayoutTool::activate() {
    mEdits.setChosenTool(this);
}

void LayoutTool::deactivate() {
    mPressed.reset();
    mEdits.setChosenTool(nullptr);
    mEdits.endPaste();
}

bool LayoutTool::inPlane(PlaneCell cell) {
    return cell.column >= 0 && cell.column < kPlaneColumns;
}

PlaneCell LayoutTool::cellOf(const ToolEvent& event) const {
    return mEdits.canvas().cellAt(event.position.toPoint());
}

void LayoutTool::mousePressed(const ToolEvent& event) {
    if (event.button != Qt::LeftButton) {
        return;
    }
    const PlaneCell cell = cellOf(event);
    mPressed = cell;
    mEpoch = mEdits.epoch();
    if (mEdits.document() == nullptr) {
        return;
    }
    if (mEdits.pasteAt(cell)) {
        mPressed.reset();
        return;
    }
    pressed(cell);
}

void LayoutTool::mouseMoved(const ToolEvent& event) {
    if ((event.buttons & Qt::LeftButton) && mPressed && mEpoch == mEdits.epoch() &&
        mEdits.document() != nullptr) {
        dragged(*mPressed, cellOf(event));
    }
}

void LayoutTool::mouseReleased(const ToolEvent& event) {
    if (event.button != Qt::LeftButton || !mPressed) {
        return;
    }
    const PlaneCell pressedAt = *mPressed;
    mPressed.reset();
    if (mEpoch == mEdits.epoch() && mEdits.document() != nullptr) {
        released(pressedAt, cellOf(event));
    }
}

PlaceTool::PlaceTool(MapTools& edits)
    : LayoutTool({"ToolPlace", "Place", QKeySequence(Qt::Key_P)}, edits) {}

void PlaceTool::released(PlaneCell pressed, PlaneCell cell) {
    if (cell == pressed && inPlane(cell)) {
        LevelDocument& document = *mEdits.document();
        const CellBlock one{toLayoutCell(mEdits.canvas().plane(), cell), mEdits.selectedBlock()};
        mEdits.pushCommand(makeSetBlocks(document, std::span<const CellBlock>(&one, 1)));
    }
}

BrushTool::BrushTool(MapTools& edits)
    : LayoutTool({"ToolBrush", "Brush", QKeySequence(Qt::Key_B)}, edits) {}

void BrushTool::pressed(PlaneCell cell) {
    mStroke.clear();
    mStrokeAt = cell;
    paintTo(cell);
}

void BrushTool::dragged(PlaneCell /*pressed*/, PlaneCell cell) {
    paintTo(cell);
}

void BrushTool::released(PlaneCell /*pressed*/, PlaneCell /*cell*/) {
    if (mStroke.empty()) {
        return;
    }
    const std::string text = "Brush " + std::to_string(mStroke.size()) + " cells";
    // Already in the document: pushing runs redo(), which stores the same blocks again.
    mEdits.pushCommand(std::make_unique<SetBlocksCommand>(std::move(mStroke), text));
    mStroke.clear();
}

// Paints every cell on the straight line from the last cell of the stroke to `to`, so that a
// fast move leaves no gaps; the stroke remembers what each cell held before it was first
// painted.
void BrushTool::paintTo(PlaneCell to) {
    LevelDocument& document = *mEdits.document();
    const std::uint8_t block = mEdits.selectedBlock();
    const PlaneCell from = mStrokeAt;
    const std::int32_t steps =
        std::max(std::abs(to.row - from.row), std::abs(to.column - from.column));
    std::vector<CellBlock> cells;
    for (std::int32_t step = 0; step <= steps; ++step) {
        const PlaneCell cell{
            from.row + (steps == 0 ? 0 : (to.row - from.row) * step / steps),
            from.column + (steps == 0 ? 0 : (to.column - from.column) * step / steps)};
        if (!inPlane(cell)) {
            continue;
        }
        const LayoutCell at = toLayoutCell(mEdits.canvas().plane(), cell);
        const auto before = document.layout().blockAt(at);
        const bool touched = std::any_of(mStroke.begin(), mStroke.end(),
                                         [&](const auto& change) { return change.cell == at; });
        if (before && !touched && *before != block) {
            mStroke.push_back({at, *before, block});
            cells.push_back({at, block});
        }
    }
    mStrokeAt = to;
    document.setBlocks(cells);
}

SelectTool::SelectTool(MapTools& edits)
    : LayoutTool({"ToolSelect", "Select", QKeySequence(Qt::Key_S)}, edits) {}

void SelectTool::pressed(PlaneCell cell) {
    mEdits.setSelection(spanning(cell, cell));
}

void SelectTool::dragged(PlaneCell pressed, PlaneCell cell) {
    mEdits.setSelection(spanning(pressed, cell));
}

FillTool::FillTool(MapTools& edits)
    : LayoutTool({"ToolFill", "Fill", QKeySequence(Qt::Key_F)}, edits) {}

void FillTool::released(PlaneCell pressed, PlaneCell cell) {
    if (cell == pressed) {
        mEdits.apply(floodFill(mEdits.document()->layout(), mEdits.canvas().plane(), cell,
                               mEdits.selectedBlock()),
                     "Fill");
    }
}

}  // namespace orvex
