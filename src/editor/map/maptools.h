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

class LayoutTool;

// What the layout tools (layouttools.h) act on, one owner of each: the document, the selection
// of cells, the cells being pasted, the preview under the pointer and the undo stack. Every
// edit is one command on the undo stack. While pasting, the copied cells follow the pointer
// (whatever the chosen tool would preview) and a left click in any layout tool places them;
// choosing a tool ends the paste. A right click picks the block under the pointer.
class MapTools : public QObject {
    Q_OBJECT

public:
    using SelectedBlock = std::function<std::uint8_t()>;

    MapTools(MapCanvas& canvas, QUndoStack& undo, SelectedBlock selected, QObject* parent);

    // The document edited; null while there is none. Selection, paste and any gesture under
    // way end with it (and with a change of the plane shown, which sets it again).
    void setDocument(LevelDocument* document);
    [[nodiscard]] LevelDocument* document() const { return mDocument; }
    [[nodiscard]] MapCanvas& canvas() const { return mCanvas; }
    [[nodiscard]] std::uint8_t selectedBlock() const { return mSelected(); }
    // Counts the documents set: a gesture that began under another one is over.
    [[nodiscard]] std::uint32_t epoch() const { return mEpoch; }

    [[nodiscard]] const std::optional<CellRect>& selection() const { return mCanvas.selection(); }
    void setSelection(const std::optional<CellRect>& cells);
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
    // Places the cells being pasted with their top left at `cell`, as one command, and ends
    // the paste; false (nothing done) when there is no paste.
    bool pasteAt(PlaneCell cell);
    void endPaste();
    // The layout tool chosen, whose blockPreview() shows under the pointer (null: none chosen).
    void setChosenTool(const LayoutTool* tool);
    // The preview follows a change of the selected block.
    void refreshPreview();
    // Emits blockPicked with the block stored at `cell`, if any.
    void pickAt(PlaneCell cell);

    // Pushes `cells` as one command named `what`; nothing without a document or a change.
    void apply(const std::vector<CellBlock>& cells, const char* what);
    void pushCommand(std::unique_ptr<DocumentCommand> command);

signals:
    void blockPicked(std::uint8_t block);
    void selectionChanged();

private:
    MapCanvas& mCanvas;
    QUndoStack& mUndo;
    SelectedBlock mSelected;
    LevelDocument* mDocument = nullptr;
    std::uint32_t mEpoch = 0;
    std::optional<PlaneCell> mHover;
    const LayoutTool* mChosen = nullptr;
    CellPattern mPaste;
};

}  // namespace orvex
