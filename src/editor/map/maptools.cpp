#include "editor/map/maptools.h"

#include <algorithm>
#include <cstdlib>

#include "editor/shell/documentundo.h"

namespace orvex {

namespace {

CellPattern oneBlock(std::uint8_t block) {
    return {1, 1, {block}};
}

CellRect spanning(PlaneCell a, PlaneCell b) {
    const std::int32_t top = std::min(a.row, b.row);
    const std::int32_t left = std::min(a.column, b.column);
    return {top, left, std::abs(a.row - b.row) + 1, std::abs(a.column - b.column) + 1};
}

}  // namespace

MapTools::MapTools(MapCanvas& canvas, QUndoStack& undo, SelectedBlock selected, QObject* parent)
    : QObject(parent), mCanvas(canvas), mUndo(undo), mSelected(std::move(selected)) {
    connect(&canvas, &MapCanvas::pressed, this, &MapTools::onPressed);
    connect(&canvas, &MapCanvas::moved, this, &MapTools::onMoved);
    connect(&canvas, &MapCanvas::released, this, &MapTools::onReleased);
    connect(&canvas, &MapCanvas::left, this, &MapTools::onLeft);
}

void MapTools::setDocument(LevelDocument* document) {
    mDocument = document;
    mStroke.clear();
    mPressed.reset();
    mPaste = {};
    mCanvas.clearPreview();
    setSelection(std::nullopt);
}

void MapTools::setTool(MapTool tool) {
    mTool = tool;
    mPaste = {};
    refreshPreview();
}

void MapTools::selectAll() {
    if (mDocument != nullptr) {
        const auto rows = static_cast<std::int32_t>(
            (mDocument->layout().size() + kLayoutRowBytes - 1) / kLayoutRowBytes);
        setSelection(CellRect{0, 0, rows, kPlaneColumns});
    }
}

void MapTools::cancel() {
    if (isPasting()) {
        mPaste = {};
        refreshPreview();
        return;
    }
    setSelection(std::nullopt);
}

CellPattern MapTools::selectedCells() const {
    if (mDocument == nullptr || !selection()) {
        return {};
    }
    return copyCells(mDocument->layout(), mCanvas.plane(), *selection());
}

void MapTools::clearSelectedCells(const char* what) {
    if (mDocument != nullptr && selection()) {
        apply(fillCells(mDocument->layout(), mCanvas.plane(), *selection(), 0), what);
    }
}

void MapTools::startPaste(const CellPattern& pattern) {
    if (mDocument == nullptr || pattern.isEmpty()) {
        return;
    }
    mPaste = pattern;
    refreshPreview();
}

void MapTools::refreshPreview() {
    if (mHover) {
        showPreview(*mHover);
    } else {
        mCanvas.clearPreview();
    }
}

void MapTools::showPreview(PlaneCell cell) {
    if (isPasting()) {
        mCanvas.setPreview(cell, mPaste);
    } else if (mTool == MapTool::Place || mTool == MapTool::Brush) {
        mCanvas.setPreview(cell, oneBlock(mSelected()));
    } else {
        mCanvas.clearPreview();
    }
}

void MapTools::onPressed(PlaneCell cell, Qt::MouseButton button, Qt::KeyboardModifiers) {
    if (button != Qt::LeftButton) {
        return;
    }
    mPressed = cell;
    if (mDocument == nullptr) {
        return;
    }
    if (isPasting()) {
        apply(pasteCells(mDocument->layout(), mCanvas.plane(), cell, mPaste), "Paste");
        mPaste = {};
        mPressed.reset();
        refreshPreview();
    } else if (mTool == MapTool::Brush) {
        mStroke.clear();
        mStrokeAt = cell;
        paintStroke(cell);
    } else if (mTool == MapTool::Select) {
        setSelection(spanning(cell, cell));
    }
}

void MapTools::onMoved(PlaneCell cell, Qt::MouseButtons buttons) {
    mHover = cell;
    showPreview(cell);
    emit pointerMoved(cell);
    if (!(buttons & Qt::LeftButton) || !mPressed || mDocument == nullptr) {
        return;
    }
    if (mTool == MapTool::Brush) {
        paintStroke(cell);
    } else if (mTool == MapTool::Select) {
        setSelection(spanning(*mPressed, cell));
    }
}

void MapTools::onReleased(PlaneCell cell, Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        if (mDocument != nullptr && cell.column >= 0 && cell.column < kPlaneColumns) {
            if (const auto block =
                    mDocument->layout().blockAt(toLayoutCell(mCanvas.plane(), cell))) {
                emit blockPicked(*block);
            }
        }
        return;
    }
    if (button != Qt::LeftButton || !mPressed) {
        return;
    }
    const PlaneCell pressed = *mPressed;
    mPressed.reset();
    if (mTool == MapTool::Brush) {
        finishStroke();
    } else if (mDocument != nullptr && cell == pressed && mTool == MapTool::Place) {
        const CellBlock one{toLayoutCell(mCanvas.plane(), cell), mSelected()};
        if (cell.column >= 0 && cell.column < kPlaneColumns) {
            pushCommand(makeSetBlocks(*mDocument, std::span<const CellBlock>(&one, 1)));
        }
    } else if (mDocument != nullptr && cell == pressed && mTool == MapTool::Fill) {
        apply(floodFill(mDocument->layout(), mCanvas.plane(), cell, mSelected()), "Fill");
    }
}

void MapTools::onLeft() {
    mHover.reset();
    mCanvas.clearPreview();
    emit pointerMoved(std::nullopt);
}

// Paints every cell on the straight line from the last cell of the stroke to `to`, so that a
// fast move leaves no gaps; the document changes at once and the stroke remembers what each cell
// held before it was first painted.
void MapTools::paintStroke(PlaneCell to) {
    const std::uint8_t block = mSelected();
    const PlaneCell from = mStrokeAt;
    const std::int32_t steps =
        std::max(std::abs(to.row - from.row), std::abs(to.column - from.column));
    std::vector<CellBlock> cells;
    for (std::int32_t step = 0; step <= steps; ++step) {
        const PlaneCell cell{
            from.row + (steps == 0 ? 0 : (to.row - from.row) * step / steps),
            from.column + (steps == 0 ? 0 : (to.column - from.column) * step / steps)};
        if (cell.column < 0 || cell.column >= kPlaneColumns) {
            continue;
        }
        const LayoutCell at = toLayoutCell(mCanvas.plane(), cell);
        const auto before = mDocument->layout().blockAt(at);
        const bool touched = std::any_of(mStroke.begin(), mStroke.end(),
                                         [&](const auto& change) { return change.cell == at; });
        if (before && !touched && *before != block) {
            mStroke.push_back({at, *before, block});
            cells.push_back({at, block});
        }
    }
    mStrokeAt = to;
    mDocument->setBlocks(cells);
}

void MapTools::finishStroke() {
    if (mStroke.empty()) {
        return;
    }
    const std::string text = "Brush " + std::to_string(mStroke.size()) + " cells";
    // Already in the document: pushing runs redo(), which stores the same blocks again.
    pushCommand(std::make_unique<SetBlocksCommand>(std::move(mStroke), text));
    mStroke.clear();
}

void MapTools::setSelection(const std::optional<CellRect>& cells) {
    if (cells != mCanvas.selection()) {
        mCanvas.setSelection(cells);
        emit selectionChanged();
    }
}

void MapTools::apply(const std::vector<CellBlock>& cells, const char* what) {
    if (mDocument == nullptr) {
        return;
    }
    pushCommand(makeSetBlocks(*mDocument, cells, what));
}

void MapTools::pushCommand(std::unique_ptr<DocumentCommand> command) {
    if (command && mDocument != nullptr) {
        mUndo.push(new DocumentUndo(*mDocument, std::move(command)));
    }
}

}  // namespace orvex
