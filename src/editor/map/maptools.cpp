#include "editor/map/maptools.h"

#include "editor/map/layouttools.h"
#include "editor/shell/documentundo.h"

namespace orvex {

MapTools::MapTools(MapCanvas& canvas, QUndoStack& undo, SelectedBlock selected, QObject* parent)
    : QObject(parent), mCanvas(canvas), mUndo(undo), mSelected(std::move(selected)) {
    connect(&canvas, &MapCanvas::moved, this, [this](PlaneCell cell) {
        mHover = cell;
        refreshPreview();
    });
    connect(&canvas, &MapCanvas::left, this, [this] {
        mHover.reset();
        mCanvas.clearPreview();
    });
}

void MapTools::setDocument(LevelDocument* document) {
    mDocument = document;
    ++mEpoch;
    mPaste = {};
    mCanvas.clearPreview();
    setSelection(std::nullopt);
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
        endPaste();
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

bool MapTools::pasteAt(PlaneCell cell) {
    if (!isPasting() || mDocument == nullptr) {
        return false;
    }
    apply(pasteCells(mDocument->layout(), mCanvas.plane(), cell, mPaste), "Paste");
    endPaste();
    return true;
}

void MapTools::endPaste() {
    mPaste = {};
    refreshPreview();
}

void MapTools::setChosenTool(const LayoutTool* tool) {
    mChosen = tool;
    refreshPreview();
}

// A paste under way shows whatever the chosen tool would.
void MapTools::refreshPreview() {
    if (mHover && isPasting()) {
        mCanvas.setPreview(*mHover, mPaste);
        return;
    }
    const CellPattern blocks = mChosen != nullptr ? mChosen->blockPreview() : CellPattern{};
    if (!mHover || blocks.isEmpty()) {
        mCanvas.clearPreview();
    } else {
        mCanvas.setPreview(*mHover, blocks);
    }
}

void MapTools::pickAt(PlaneCell cell) {
    if (mDocument != nullptr && cell.column >= 0 && cell.column < kPlaneColumns) {
        if (const auto block = mDocument->layout().blockAt(toLayoutCell(mCanvas.plane(), cell))) {
            emit blockPicked(*block);
        }
    }
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
