#pragma once

#include <optional>
#include <vector>

#include "document/documentcommands.h"
#include "editor/map/maptools.h"
#include "editor/shell/abstracttool.h"

namespace orvex {

// What the four layout tools share: the left button's gesture in plane cells (pressed, dragged
// over cells, let go), a paste under way placed by the press instead, and the blocks each shows
// under the pointer. A gesture ends with the document it began on.
class LayoutTool : public AbstractTool {
public:
    LayoutTool(ToolInfo info, MapTools& edits);

    void activate() override;
    void deactivate() override;
    void mousePressed(const ToolEvent& event) final;
    void mouseMoved(const ToolEvent& event) final;
    void mouseReleased(const ToolEvent& event) final;
    // The blocks the tool would place with its top left in the cell under the pointer, shown
    // there in place of the layout's while no paste is under way (empty: none). The block layer
    // draws them in its cells, so that the grid, the ground and the placements lie over them as
    // over the layout's; MapTools asks the chosen tool again when the pointer or the selected
    // block moves.
    [[nodiscard]] virtual CellPattern blockPreview() const { return {}; }

protected:
    // A press on `cell` with a document; a move to `cell` while it is held; the release on
    // `cell` of the press on `pressed`.
    virtual void pressed(PlaneCell cell) { (void)cell; }
    virtual void dragged(PlaneCell pressed, PlaneCell cell) {
        (void)pressed;
        (void)cell;
    }
    virtual void released(PlaneCell pressed, PlaneCell cell) {
        (void)pressed;
        (void)cell;
    }
    // Whether `cell` lies within the plane's columns.
    [[nodiscard]] static bool inPlane(PlaneCell cell);
    // The selected block alone, as blockPreview() gives it.
    [[nodiscard]] CellPattern selectedBlock() const { return {1, 1, {mEdits.selectedBlock()}}; }

    MapTools& mEdits;

private:
    [[nodiscard]] PlaneCell cellOf(const ToolEvent& event) const;

    std::optional<PlaneCell> mPressed;  // where the left button went down
    std::uint32_t mEpoch = 0;           // the document's when it did
};

// Place: a left click (press and release in one cell) stores the selected block there.
class PlaceTool : public LayoutTool {
public:
    explicit PlaceTool(MapTools& edits);
    [[nodiscard]] CellPattern blockPreview() const override { return selectedBlock(); }

protected:
    void released(PlaneCell pressed, PlaneCell cell) override;
};

// Brush: the selected block goes into every cell the pointer crosses while the button is held;
// the document changes at once, and the stroke is one command when the button is let go.
class BrushTool : public LayoutTool {
public:
    explicit BrushTool(MapTools& edits);
    [[nodiscard]] CellPattern blockPreview() const override { return selectedBlock(); }

protected:
    void pressed(PlaneCell cell) override;
    void dragged(PlaneCell pressed, PlaneCell cell) override;
    void released(PlaneCell pressed, PlaneCell cell) override;

private:
    void paintTo(PlaneCell to);

    std::vector<SetBlocksCommand::CellChange> mStroke;
    PlaneCell mStrokeAt;
};

// Select: a drag selects a rectangle of cells.
class SelectTool : public LayoutTool {
public:
    explicit SelectTool(MapTools& edits);

protected:
    void pressed(PlaneCell cell) override;
    void dragged(PlaneCell pressed, PlaneCell cell) override;
};

// Fill: a left click fills the cell's 4-connected region of equal blocks.
class FillTool : public LayoutTool {
public:
    explicit FillTool(MapTools& edits);

protected:
    void released(PlaneCell pressed, PlaneCell cell) override;
};

}  // namespace orvex
