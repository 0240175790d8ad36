#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

#include "editor/placements/placementtools.h"
#include "editor/shell/abstracttool.h"

namespace orvex {

// What the mouse does on the map while the Objects or the Rings tool is chosen, on the
// placements of its kind (the selection and the edits are PlacementTools'):
//   click          selects the placement under the pointer; Tab then steps through all of the
//                  ones under that point
//   Ctrl+click     adds it to the selection or takes it out
//   click or drag on the start marker or an edge of the boundaries: chooses that marker instead
//                  of placements (its numbers show in the Properties dock)
//   drag           moves the selection by the pointer's whole move rounded to the nearest
//                  multiple of 8 pixels, halfway toward zero (+37,+4 moves +40,+0; Shift: by
//                  single pixels); from empty ground it selects the placements inside the
//                  rectangle, which it shows as it is dragged out
// A drag changes the document as it goes and is one command when the button is let go. A
// gesture ends with the document or kind it began on.
class PlacementTool : public AbstractTool {
public:
    PlacementTool(ToolInfo info, PlacementTools& model, PlacementKind kind);

    void activate() override;
    void deactivate() override;
    void mousePressed(const ToolEvent& event) override;
    void mouseMoved(const ToolEvent& event) override;
    void mouseReleased(const ToolEvent& event) override;
    bool keyPressed(const QKeyEvent& event) override;
    // The rectangle being dragged out from empty ground.
    void paintPreview(QPainter& painter, const ToolPaintContext& context) const override;
    // Where it works: the area shows it while the background, where it does nothing, is shown.
    [[nodiscard]] QString statusText() const override;

private:
    enum class Drag { None, Selection, Band, Start, Left, Right, Top, Bottom };

    // The placements as a drag found them, to move from and to undo to.
    struct Snapshot {
        std::vector<ObjectPlacement> objects;
        std::vector<RingGroup> rings;
        StartPosition start;
        LevelBounds bounds;
    };

    [[nodiscard]] MapCanvas& canvas() const { return mModel.canvas(); }
    [[nodiscard]] LevelDocument& document() const { return *mModel.document(); }
    [[nodiscard]] bool underWay() const;
    [[nodiscard]] QPoint levelOf(const ToolEvent& event) const;
    void pressOn(QPoint level, Qt::KeyboardModifiers modifiers);
    [[nodiscard]] std::vector<std::int32_t> hitsAt(QPoint level) const;
    [[nodiscard]] std::vector<std::int32_t> inside(QRect area) const;
    [[nodiscard]] bool startAt(QPoint level) const;
    [[nodiscard]] Drag edgeAt(QPoint level) const;
    [[nodiscard]] Snapshot snapshot() const;
    void dragTo(QPoint level, Qt::KeyboardModifiers modifiers);
    void moveSelection(QPoint by);
    void dragBound(QPoint by);
    void finishDrag();
    void setBand(const std::optional<QRect>& levelArea);

    PlacementTools& mModel;
    PlacementKind mKind;
    std::uint32_t mEpoch = 0;  // the model's when the button went down
    Drag mDrag = Drag::None;
    QPoint mPressedAt;
    std::optional<QRect> mBand;  // the rectangle being dragged out, in level pixels
    Snapshot mBefore;
    std::vector<std::int32_t> mCycle;  // the placements under the point last clicked
    std::size_t mCycleAt = 0;
};

class ObjectsTool : public PlacementTool {
public:
    explicit ObjectsTool(PlacementTools& model);
};

class RingsTool : public PlacementTool {
public:
    explicit RingsTool(PlacementTools& model);
};

}  // namespace orvex
