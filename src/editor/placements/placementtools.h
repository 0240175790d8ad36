#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/documentcommands.h"
#include "editor/map/mapcanvas.h"

namespace orvex {

// What the mouse does on the map while the Objects or the Rings tool is chosen: selecting,
// moving, adding and removing the level's objects or ring groups, and dragging the start
// position and the edges of the boundaries (where their overlays are shown). Positions are
// level pixels of the foreground. Every edit is one command on the undo stack.
//   click          selects the placement under the pointer; Tab then steps through all of the
//                  ones under that point
//   Ctrl+click     adds it to the selection or takes it out
//   click or drag on the start marker or an edge of the boundaries: chooses that marker instead
//                  of placements (its numbers show in the Properties dock)
//   drag           moves the selection by the pointer's whole move rounded to the nearest
//                  multiple of 8 pixels, halfway toward zero (+37,+4 moves +40,+0; Shift: by
//                  single pixels); from empty ground it selects the placements inside the
//                  rectangle
class PlacementTools : public QObject {
    Q_OBJECT

public:
    static constexpr std::int32_t kStep = 8;  // pixels a drag moves by without Shift

    // What is chosen besides placements: the start marker or the boundaries.
    enum class Marker { None, Start, Bounds };

    PlacementTools(MapCanvas& canvas, QUndoStack& undo, QObject* parent);

    // The document edited; null while there is none. The selection ends with it.
    void setDocument(LevelDocument* document);
    // The kind of placement edited; none while a layout tool is chosen.
    void setKind(std::optional<PlacementKind> kind);
    [[nodiscard]] std::optional<PlacementKind> kind() const { return mKind; }

    // Indices into the level's list of objects or ring groups, ascending.
    [[nodiscard]] const std::vector<std::int32_t>& selection() const { return mSelection; }
    void select(std::vector<std::int32_t> indices);
    void selectAll();
    [[nodiscard]] Marker marker() const { return mMarker; }
    // The map's overlays changed: a marker whose overlay was hidden is no longer chosen, nor
    // are objects the map no longer draws.
    void overlaysChanged();
    // The document's objects or rings changed (an edit, an undo): indices past the list go.
    void placementsChanged();

    // Adds an object of type `id` and `subtype` (or a single ring) at the pointer on the map, or
    // at `fallback` when the pointer is elsewhere, on the 8-pixel grid, with the flags
    // setNewFlags gives it; it becomes the selection.
    void insertObject(std::uint8_t id, std::uint8_t subtype, QPoint fallback);
    // What sets the flags of an object insertObject adds (none: all clear).
    void setNewFlags(std::function<void(ObjectPlacement&)> flags) { mNewFlags = std::move(flags); }
    void insertRing(QPoint fallback);
    void deleteSelection();
    // Selects the next of the placements under the point last clicked.
    void cycle();
    // Applies `edit` to every selected object or ring group, as one command named `what`.
    void editObjects(const std::function<void(ObjectPlacement&)>& edit, const std::string& what);
    void editRings(const std::function<void(RingGroup&)>& edit, const std::string& what);
    // Applies `edit` to the start position, or to the boundaries, as one command named `what`.
    // Boundaries with a minimum above its maximum (invertedBoundsAxis) are refused, changing
    // nothing: the reason is returned.
    void editStart(const std::function<void(StartPosition&)>& edit, const std::string& what);
    [[nodiscard]] std::optional<std::string> editBounds(
        const std::function<void(LevelBounds&)>& edit, const std::string& what);

signals:
    void selectionChanged();
    // The level pixel under the pointer, or none once it left the map.
    void pointerAt(std::optional<QPoint> level);

private:
    enum class Drag { None, Selection, Band, Start, Left, Right, Top, Bottom };

    // The placements as a drag found them, to move from and to undo to.
    struct Snapshot {
        std::vector<ObjectPlacement> objects;
        std::vector<RingGroup> rings;
        StartPosition start;
        LevelBounds bounds;
    };

    void onPressed(QPoint level, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void onMoved(QPoint level, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void onReleased(QPoint level, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void pressOn(QPoint level, Qt::KeyboardModifiers modifiers);

    [[nodiscard]] bool editable() const;
    [[nodiscard]] std::vector<std::int32_t> hitsAt(QPoint level) const;
    [[nodiscard]] std::vector<std::int32_t> inside(QRect area) const;
    [[nodiscard]] std::vector<std::int32_t> withoutHidden(std::vector<std::int32_t> indices) const;
    [[nodiscard]] bool startAt(QPoint level) const;
    [[nodiscard]] Drag edgeAt(QPoint level) const;
    [[nodiscard]] Snapshot snapshot() const;
    void dragTo(QPoint level, Qt::KeyboardModifiers modifiers);
    void moveSelection(QPoint by);
    void dragBound(QPoint level);
    void finishDrag();
    void replaceObjects(std::vector<ObjectPlacement> objects, const std::string& what);
    void replaceRings(std::vector<RingGroup> rings, const std::string& what);
    void push(std::unique_ptr<DocumentCommand> command);
    void setSelection(std::vector<std::int32_t> indices, Marker marker = Marker::None);
    [[nodiscard]] QPoint insertPoint(QPoint fallback) const;

    MapCanvas& mCanvas;
    QUndoStack& mUndo;
    LevelDocument* mDocument = nullptr;
    std::optional<PlacementKind> mKind;
    std::vector<std::int32_t> mSelection;
    Marker mMarker = Marker::None;
    Drag mDrag = Drag::None;
    QPoint mPressedAt;
    Snapshot mBefore;
    std::vector<std::int32_t> mCycle;  // the placements under the point last clicked
    std::size_t mCycleAt = 0;
    std::optional<QPoint> mHover;
    std::function<void(ObjectPlacement&)> mNewFlags;
};

}  // namespace orvex
