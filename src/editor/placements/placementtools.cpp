#include "editor/placements/placementtools.h"

#include <algorithm>
#include <cmath>

#include "editor/shell/documentundo.h"
#include "rom/objectnames.h"

namespace orvex {

namespace {

template <typename Item>
std::vector<Item> without(const std::vector<Item>& items, const std::vector<std::int32_t>& gone) {
    std::vector<Item> kept;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!std::binary_search(gone.begin(), gone.end(), static_cast<std::int32_t>(i))) {
            kept.push_back(items[i]);
        }
    }
    return kept;
}

}  // namespace

std::uint16_t clampedX(std::int32_t x) {
    return static_cast<std::uint16_t>(std::clamp(x, 0, 0xFFFF));
}

std::uint16_t clampedY(std::int32_t y) {
    return static_cast<std::uint16_t>(std::clamp(y, 0, kMaxPlacementY));
}

// Halfway (4, -12) goes toward zero, so a drag must pass the middle of a step to take it.
std::int32_t snapped(std::int32_t value) {
    const std::int32_t rest = value % PlacementTools::kStep;  // takes the sign of value
    const std::int32_t toward = value - rest;
    if (2 * std::abs(rest) <= PlacementTools::kStep) {
        return toward;
    }
    return toward + (value < 0 ? -PlacementTools::kStep : PlacementTools::kStep);
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

PlacementTools::PlacementTools(MapCanvas& canvas, QUndoStack& undo, QObject* parent)
    : QObject(parent), mCanvas(canvas), mUndo(undo) {
    connect(&canvas, &MapCanvas::pointerMoved, this, [this](QPoint level) { mHover = level; });
    connect(&canvas, &MapCanvas::left, this, [this] { mHover.reset(); });
}

void PlacementTools::setDocument(LevelDocument* document) {
    mDocument = document;
    ++mEpoch;
    setSelection({});
}

void PlacementTools::setKind(std::optional<PlacementKind> kind) {
    if (kind != mKind) {
        mKind = kind;
        ++mEpoch;
        setSelection({});
    }
}

bool PlacementTools::editable() const {
    return mKind && mDocument != nullptr && mCanvas.plane() == Plane::Foreground &&
           (*mKind == PlacementKind::Objects ? mDocument->parts().objects.has_value()
                                             : mDocument->parts().rings.has_value());
}

void PlacementTools::select(std::vector<std::int32_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    setSelection(std::move(indices));
}

void PlacementTools::selectAll() {
    if (!editable()) {
        return;
    }
    const std::size_t count = *mKind == PlacementKind::Objects ? mDocument->parts().objects->size()
                                                               : mDocument->parts().rings->size();
    std::vector<std::int32_t> all(count);
    for (std::size_t i = 0; i < count; ++i) {
        all[i] = static_cast<std::int32_t>(i);
    }
    setSelection(std::move(all));
}

void PlacementTools::placementsChanged() {
    if (!editable()) {
        return;
    }
    const auto count = static_cast<std::int32_t>(*mKind == PlacementKind::Objects
                                                     ? mDocument->parts().objects->size()
                                                     : mDocument->parts().rings->size());
    std::vector<std::int32_t> kept;
    std::copy_if(mSelection.begin(), mSelection.end(), std::back_inserter(kept),
                 [count](std::int32_t index) { return index < count; });
    setSelection(std::move(kept), mMarker);
}

void PlacementTools::overlaysChanged() {
    const bool markerHidden =
        (mMarker == Marker::Start && !mCanvas.overlayShown(MapCanvas::Overlay::Start)) ||
        (mMarker == Marker::Bounds && !mCanvas.overlayShown(MapCanvas::Overlay::Bounds));
    setSelection(withoutHidden(mSelection), markerHidden ? Marker::None : mMarker);
}

// What is not drawn cannot stay chosen: objects the game never draws go from the selection
// while the map hides them.
std::vector<std::int32_t> PlacementTools::withoutHidden(std::vector<std::int32_t> indices) const {
    if (!editable() || *mKind != PlacementKind::Objects) {
        return indices;
    }
    const auto& objects = *mDocument->parts().objects;
    std::erase_if(indices, [&](std::int32_t index) {
        return !mCanvas.objectShown(objects[static_cast<std::size_t>(index)]);
    });
    return indices;
}

void PlacementTools::setSelection(std::vector<std::int32_t> indices, Marker marker) {
    if (indices == mSelection && marker == mMarker) {
        return;
    }
    mSelection = std::move(indices);
    mMarker = marker;
    mCanvas.setPlacementSelection(mKind.value_or(PlacementKind::Objects), mSelection);
    emit selectionChanged();
}

QPoint PlacementTools::insertPoint(QPoint fallback) const {
    const QPoint at = mHover.value_or(fallback);
    return {snapped(at.x()), snapped(at.y())};
}

void PlacementTools::insertObject(std::uint8_t id, std::uint8_t subtype, QPoint fallback) {
    if (!editable() || *mKind != PlacementKind::Objects) {
        return;
    }
    const QPoint at = insertPoint(fallback);
    ObjectPlacement object;
    object.x = clampedX(at.x());
    object.y = clampedY(at.y());
    object.id = id;
    object.subtype = subtype;
    if (mNewFlags) {
        mNewFlags(object);
    }
    std::vector<ObjectPlacement> objects = *mDocument->parts().objects;
    objects.push_back(object);
    const std::string_view name = orvex::objectName(id);
    // "41" for a plain id, "41:02" for one with a subtype.
    char number[8];
    if (subtype == 0) {
        std::snprintf(number, sizeof number, "%02X", unsigned{id});
    } else {
        std::snprintf(number, sizeof number, "%02X:%02X", unsigned{id}, unsigned{subtype});
    }
    replaceObjects(std::move(objects), "Add object " + std::string(number) +
                                           (name.empty() ? "" : " (" + std::string(name) + ")"));
    setSelection({static_cast<std::int32_t>(mDocument->parts().objects->size() - 1)});
}

void PlacementTools::insertRing(QPoint fallback) {
    if (!editable() || *mKind != PlacementKind::Rings) {
        return;
    }
    const QPoint at = insertPoint(fallback);
    std::vector<RingGroup> rings = *mDocument->parts().rings;
    rings.push_back({clampedX(at.x()), clampedY(at.y()), 1, false});
    replaceRings(std::move(rings), "Add ring");
    setSelection({static_cast<std::int32_t>(mDocument->parts().rings->size() - 1)});
}

void PlacementTools::deleteSelection() {
    if (!editable() || mSelection.empty()) {
        return;
    }
    const std::vector<std::int32_t> gone = mSelection;
    setSelection({});
    if (*mKind == PlacementKind::Objects) {
        replaceObjects(without(*mDocument->parts().objects, gone),
                       "Delete " + counted(gone.size(), "object", "objects"));
    } else {
        replaceRings(without(*mDocument->parts().rings, gone),
                     "Delete " + counted(gone.size(), "ring group", "ring groups"));
    }
}

void PlacementTools::editObjects(const std::function<void(ObjectPlacement&)>& edit,
                                 const std::string& what) {
    if (!editable() || *mKind != PlacementKind::Objects) {
        return;
    }
    std::vector<ObjectPlacement> objects = *mDocument->parts().objects;
    for (const std::int32_t index : mSelection) {
        edit(objects[static_cast<std::size_t>(index)]);
    }
    replaceObjects(std::move(objects), what);
}

void PlacementTools::editRings(const std::function<void(RingGroup&)>& edit,
                               const std::string& what) {
    if (!editable() || *mKind != PlacementKind::Rings) {
        return;
    }
    std::vector<RingGroup> rings = *mDocument->parts().rings;
    for (const std::int32_t index : mSelection) {
        edit(rings[static_cast<std::size_t>(index)]);
    }
    replaceRings(std::move(rings), what);
}

void PlacementTools::editStart(const std::function<void(StartPosition&)>& edit,
                               const std::string& what) {
    if (!editable() || !mDocument->parts().start) {
        return;
    }
    const StartPosition before = *mDocument->parts().start;
    StartPosition after = before;
    edit(after);
    if (after != before) {
        push(std::make_unique<SetStartCommand>(before, after, what));
    }
}

std::optional<std::string> PlacementTools::editBounds(const std::function<void(LevelBounds&)>& edit,
                                                      const std::string& what) {
    if (!editable() || !mDocument->parts().bounds) {
        return std::nullopt;
    }
    const LevelBounds before = *mDocument->parts().bounds;
    LevelBounds after = before;
    edit(after);
    if (const auto axis = invertedBoundsAxis(after)) {
        const bool x = *axis == 'X';
        return std::string(1, *axis) + " minimum " +
               std::to_string(static_cast<std::int16_t>(x ? after.xMin : after.yMin)) +
               " would lie above " + *axis + " maximum " +
               std::to_string(static_cast<std::int16_t>(x ? after.xMax : after.yMax)) +
               " (the game compares them as signed words); nothing was changed";
    }
    if (after != before) {
        push(std::make_unique<SetBoundsCommand>(before, after, what));
    }
    return std::nullopt;
}

void PlacementTools::replaceObjects(std::vector<ObjectPlacement> objects, const std::string& what) {
    if (objects != *mDocument->parts().objects) {
        push(std::make_unique<SetObjectsCommand>(*mDocument->parts().objects, std::move(objects),
                                                 what));
    }
}

void PlacementTools::replaceRings(std::vector<RingGroup> rings, const std::string& what) {
    if (rings != *mDocument->parts().rings) {
        push(std::make_unique<SetRingsCommand>(*mDocument->parts().rings, std::move(rings), what));
    }
}

void PlacementTools::push(std::unique_ptr<DocumentCommand> command) {
    mUndo.push(new DocumentUndo(*mDocument, std::move(command)));
}

}  // namespace orvex
