#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "document/cellpattern.h"
#include "document/documentcommands.h"
#include "editor/map/mapcanvas.h"

namespace orvex {

// The layout tools, then the placement tools (which PlacementTools runs).
enum class MapTool { Place, Brush, Select, Fill, Objects, Rings };

// What the mouse does on the map: the tools, the selection and pasting. Every edit is one
// command on the undo stack: a placement, a brush stroke, a fill, a paste, a cut. A right click
// picks the block under the pointer in every tool.
//   Place   a left click (press and release in one cell) stores the selected block there
//   Brush   the selected block goes into every cell the pointer crosses while the button is held
//   Select  a drag selects a rectangle of cells
//   Fill    a left click fills the cell's 4-connected region of equal blocks
// While pasting, the copied cells follow the pointer and a left click places them.
class MapTools : public QObject {
    Q_OBJECT

public:
    using SelectedBlock = std::function<std::uint8_t()>;

    MapTools(MapCanvas& canvas, QUndoStack& undo, SelectedBlock selected, QObject* parent);

    // The document edited; null while there is none. Selection and paste end with it.
    void setDocument(LevelDocument* document);
    void setTool(MapTool tool);
    [[nodiscard]] MapTool tool() const { return mTool; }

    [[nodiscard]] const std::optional<CellRect>& selection() const { return mCanvas.selection(); }
    void selectAll();
    // Escape: ends a paste, or else clears the selection.
    void cancel();
    // The selected cells (empty without a selection).
    [[nodiscard]] CellPattern selectedCells() const;
    // Fills the selection with block 0, as one command.
    void clearSelectedCells(const char* what);
    // Shows `pattern` under the pointer until a left click places it or cancel() drops it.
    void startPaste(const CellPattern& pattern);
    [[nodiscard]] bool isPasting() const { return !mPaste.isEmpty(); }
    // The preview of the selected block follows a change of that block.
    void refreshPreview();

signals:
    void blockPicked(std::uint8_t block);
    // The cell under the pointer, or none once it left the map.
    void pointerMoved(std::optional<PlaneCell> cell);
    void selectionChanged();

private:
    void onPressed(PlaneCell cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void onMoved(PlaneCell cell, Qt::MouseButtons buttons);
    void onReleased(PlaneCell cell, Qt::MouseButton button);
    void onLeft();

    void showPreview(PlaneCell cell);
    void paintStroke(PlaneCell to);
    void finishStroke();
    void setSelection(const std::optional<CellRect>& cells);
    void apply(const std::vector<CellBlock>& cells, const char* what);
    void pushCommand(std::unique_ptr<DocumentCommand> command);

    MapCanvas& mCanvas;
    QUndoStack& mUndo;
    SelectedBlock mSelected;
    LevelDocument* mDocument = nullptr;
    MapTool mTool = MapTool::Place;
    std::optional<PlaneCell> mPressed;  // where the left button went down
    std::optional<PlaneCell> mHover;
    std::vector<SetBlocksCommand::CellChange> mStroke;
    PlaneCell mStrokeAt;
    CellPattern mPaste;
};

}  // namespace orvex
