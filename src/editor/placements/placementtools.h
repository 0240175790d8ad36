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

inline constexpr std::int32_t kMaxPlacementY = 0x0FFF;  // 12 bits in object and ring words

// A level pixel as an object's or a ring group's position word holds it: x 0 to $FFFF, y 0 to
// kMaxPlacementY.
[[nodiscard]] std::uint16_t clampedX(std::int32_t x);
[[nodiscard]] std::uint16_t clampedY(std::int32_t y);
// The multiple of PlacementTools::kStep nearest to `value`, halfway toward zero.
[[nodiscard]] std::int32_t snapped(std::int32_t value);
// "1 object", "3 objects".
[[nodiscard]] std::string counted(std::size_t count, const char* one, const char* many);

// What the Objects and Rings tools (placementtool.h) act on, one owner of each: the document,
// the kind of placement edited, the selection (placements, or the start marker or the
// boundaries) and the undo stack; and the edits the Edit menu and the docks make: insert,
// delete, select all, a field changed for every selected placement. Positions are level pixels
// of the foreground. Every edit is one command on the undo stack.
class PlacementTools : public QObject {
    Q_OBJECT

public:
    static constexpr std::int32_t kStep = 8;  // the grid new placements and drags snap to

    // What is chosen besides placements: the start marker or the boundaries.
    enum class Marker { None, Start, Bounds };

    PlacementTools(MapCanvas& canvas, QUndoStack& undo, QObject* parent);

    // The document edited; null while there is none. The selection ends with it.
    void setDocument(LevelDocument* document);
    [[nodiscard]] LevelDocument* document() const { return mDocument; }
    [[nodiscard]] MapCanvas& canvas() const { return mCanvas; }
    // The kind of placement edited; none while a layout tool is chosen.
    void setKind(std::optional<PlacementKind> kind);
    [[nodiscard]] std::optional<PlacementKind> kind() const { return mKind; }
    // Whether the kind chosen can be edited: a document holding that list, the foreground shown.
    [[nodiscard]] bool editable() const;
    // Counts the documents and kinds set: a gesture that began under another one is over.
    [[nodiscard]] std::uint32_t epoch() const { return mEpoch; }

    // Indices into the level's list of objects or ring groups, ascending.
    [[nodiscard]] const std::vector<std::int32_t>& selection() const { return mSelection; }
    void select(std::vector<std::int32_t> indices);
    // The selection as it is given (ascending, no repeats), or a marker with none.
    void setSelection(std::vector<std::int32_t> indices, Marker marker = Marker::None);
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
    // Applies `edit` to every selected object or ring group, as one command named `what`.
    void editObjects(const std::function<void(ObjectPlacement&)>& edit, const std::string& what);
    void editRings(const std::function<void(RingGroup&)>& edit, const std::string& what);
    // Applies `edit` to the start position, or to the boundaries, as one command named `what`.
    // Boundaries with a minimum above its maximum (invertedBoundsAxis) are refused, changing
    // nothing: the reason is returned.
    void editStart(const std::function<void(StartPosition&)>& edit, const std::string& what);
    [[nodiscard]] std::optional<std::string> editBounds(
        const std::function<void(LevelBounds&)>& edit, const std::string& what);
    // Pushes `command`, an edit of the document set, onto the undo stack.
    void push(std::unique_ptr<DocumentCommand> command);

signals:
    void selectionChanged();

private:
    [[nodiscard]] std::vector<std::int32_t> withoutHidden(std::vector<std::int32_t> indices) const;
    void replaceObjects(std::vector<ObjectPlacement> objects, const std::string& what);
    void replaceRings(std::vector<RingGroup> rings, const std::string& what);
    [[nodiscard]] QPoint insertPoint(QPoint fallback) const;

    MapCanvas& mCanvas;
    QUndoStack& mUndo;
    LevelDocument* mDocument = nullptr;
    std::optional<PlacementKind> mKind;
    std::uint32_t mEpoch = 0;
    std::vector<std::int32_t> mSelection;
    Marker mMarker = Marker::None;
    std::optional<QPoint> mHover;
    std::function<void(ObjectPlacement&)> mNewFlags;
};

}  // namespace orvex
