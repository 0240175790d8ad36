#pragma once

#include <optional>
#include <vector>

#include "document/documentcommands.h"
#include "editor/map/maptools.h"
#include "editor/shell/abstracttool.h"

namespace orvex {

// What the four layout tools share: the left button's gesture in plane cells (pressed, dragged
// over cells, let go), a paste under way placed by the press instead, and whether the selected
// block is previewed under the pointer. A gesture ends with the document it began on.
class LayoutTool : public AbstractTool {
public:
    LayoutTool(ToolInfo info, MapTools& edits, bool previewsBlock);

    void activate() override;
    void deactivate() override;
    void mousePressed(const ToolEvent& event) final;
    void mouseMoved(const ToolEvent& event) final;
    void mouseReleased(const ToolEvent& event) final;

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

    MapTools& mEdits;

private:
    [[nodiscard]] PlaneCell cellOf(const ToolEvent& event) const;

    bool mPreviewsBlock;
    std::optional<PlaneCell> mPressed;  // where the left button went down
    std::uint32_t mEpoch = 0;           // the document's when it did
};

// Place: a left click (press and release in one cell) stores the selected block there.
class PlaceTool : public LayoutTool {
public:
    explicit PlaceTool(MapTools& edits);

protected:
    void released(PlaneCell pressed, PlaneCell cell) override;
};

// Brush: the selected block goes into every cell the pointer crosses while the button is held;
// the document changes at once, and the stroke is one command when the button is let go.
class BrushTool : public LayoutTool {
public:
    explicit BrushTool(MapTools& edits);

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
