#include "editor/placements/placementtools.h"

#include <algorithm>
#include <cmath>

#include "editor/shell/documentundo.h"
#include "rom/objectnames.h"

namespace orvex {

namespace {

constexpr std::int32_t kMaxX = 0xFFFF;
constexpr std::int32_t kMaxY = 0x0FFF;  // 12 bits in object and ring words

std::uint16_t clampedX(std::int32_t x) {
    return static_cast<std::uint16_t>(std::clamp(x, 0, kMaxX));
}

std::uint16_t clampedY(std::int32_t y) {
    return static_cast<std::uint16_t>(std::clamp(y, 0, kMaxY));
}

// A boundary keeps the game's word; the minimums may be negative ($FF00 above the level).
std::uint16_t boundWord(std::int32_t value, bool minimum) {
    return static_cast<std::uint16_t>(minimum ? std::clamp(value, -0x8000, 0x7FFF)
                                              : std::clamp(value, 0, 0xFFFF));
}

// The multiple of kStep nearest to `value`; halfway (4, -12) goes toward zero, so a drag must
// pass the middle of a step to take it.
std::int32_t snapped(std::int32_t value) {
    const std::int32_t rest = value % PlacementTools::kStep;  // takes the sign of value
    const std::int32_t toward = value - rest;
    if (2 * std::abs(rest) <= PlacementTools::kStep) {
        return toward;
    }
    return toward + (value < 0 ? -PlacementTools::kStep : PlacementTools::kStep);
}

bool near(QPoint a, QPoint b, std::int32_t radius) {
    return std::abs(a.x() - b.x()) <= radius && std::abs(a.y() - b.y()) <= radius;
}

QPoint ringAt(const RingGroup& group, std::int32_t ring) {
    const RingPoint at = ringPoint(group, ring);
    return {at.x, at.y};
}

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

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

PlacementTools::PlacementTools(MapCanvas& canvas, QUndoStack& undo, QObject* parent)
    : QObject(parent), mCanvas(canvas), mUndo(undo) {
    connect(&canvas, &MapCanvas::pointerPressed, this, &PlacementTools::onPressed);
    connect(&canvas, &MapCanvas::pointerMoved, this, &PlacementTools::onMoved);
    connect(&canvas, &MapCanvas::pointerReleased, this, &PlacementTools::onReleased);
    connect(&canvas, &MapCanvas::cycleRequested, this, &PlacementTools::cycle);
    connect(&canvas, &MapCanvas::left, this, [this] {
        mHover.reset();
        emit pointerAt(std::nullopt);
    });
}

void PlacementTools::setDocument(LevelDocument* document) {
    mDocument = document;
    mDrag = Drag::None;
    mCycle.clear();
    mCanvas.setRubberBand(std::nullopt);
    setSelection({});
}

void PlacementTools::setKind(std::optional<PlacementKind> kind) {
    if (kind != mKind) {
        mKind = kind;
        mDrag = Drag::None;
        mCycle.clear();
        mCanvas.setRubberBand(std::nullopt);
        mCanvas.setTabCycles(kind.has_value());
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

void PlacementTools::cycle() {
    if (mCycle.size() > 1) {
        mCycleAt = (mCycleAt + 1) % mCycle.size();
        setSelection({mCycle[mCycleAt]});
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

std::vector<std::int32_t> PlacementTools::hitsAt(QPoint level) const {
    std::vector<std::int32_t> hits;
    const std::int32_t radius = mCanvas.hitRadius();
    if (*mKind == PlacementKind::Objects) {
        if (!mCanvas.overlayShown(MapCanvas::Overlay::Objects)) {
            return hits;
        }
        const auto& objects = *mDocument->parts().objects;
        for (auto i = static_cast<std::int32_t>(objects.size()) - 1; i >= 0; --i) {
            if (mCanvas.objectArea(objects[static_cast<std::size_t>(i)]).contains(level)) {
                hits.push_back(i);
            }
        }
        return hits;
    }
    if (!mCanvas.overlayShown(MapCanvas::Overlay::Rings)) {
        return hits;
    }
    const auto& rings = *mDocument->parts().rings;
    for (auto i = static_cast<std::int32_t>(rings.size()) - 1; i >= 0; --i) {
        const RingGroup& group = rings[static_cast<std::size_t>(i)];
        for (std::int32_t ring = 0; ring < group.count; ++ring) {
            if (near(level, ringAt(group, ring), radius)) {
                hits.push_back(i);
                break;
            }
        }
    }
    return hits;
}

std::vector<std::int32_t> PlacementTools::inside(QRect area) const {
    std::vector<std::int32_t> found;
    if (*mKind == PlacementKind::Objects) {
        const auto& objects = *mDocument->parts().objects;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (area.contains(objects[i].x, objects[i].y) && mCanvas.objectShown(objects[i])) {
                found.push_back(static_cast<std::int32_t>(i));
            }
        }
        return found;
    }
    const auto& rings = *mDocument->parts().rings;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        for (std::int32_t ring = 0; ring < rings[i].count; ++ring) {
            if (area.contains(ringAt(rings[i], ring))) {
                found.push_back(static_cast<std::int32_t>(i));
                break;
            }
        }
    }
    return found;
}

bool PlacementTools::startAt(QPoint level) const {
    const auto& start = mDocument->parts().start;
    return start && mCanvas.overlayShown(MapCanvas::Overlay::Start) &&
           near(level, {start->x, start->y}, mCanvas.hitRadius() * 3 / 2);
}

PlacementTools::Drag PlacementTools::edgeAt(QPoint level) const {
    const auto& bounds = mDocument->parts().bounds;
    if (!bounds || !mCanvas.overlayShown(MapCanvas::Overlay::Bounds)) {
        return Drag::None;
    }
    const std::int32_t reach = std::max(3, mCanvas.hitRadius() / 2);
    const std::int32_t left = static_cast<std::int16_t>(bounds->xMin);
    const std::int32_t top = static_cast<std::int16_t>(bounds->yMin);
    const std::int32_t right = bounds->xMax;
    const std::int32_t bottom = bounds->yMax;
    const bool across = level.x() >= left - reach && level.x() <= right + reach;
    const bool down = level.y() >= top - reach && level.y() <= bottom + reach;
    if (down && std::abs(level.x() - left) <= reach) {
        return Drag::Left;
    }
    if (down && std::abs(level.x() - right) <= reach) {
        return Drag::Right;
    }
    if (across && std::abs(level.y() - top) <= reach) {
        return Drag::Top;
    }
    if (across && std::abs(level.y() - bottom) <= reach) {
        return Drag::Bottom;
    }
    return Drag::None;
}

PlacementTools::Snapshot PlacementTools::snapshot() const {
    const LevelParts& parts = mDocument->parts();
    return {parts.objects.value_or(std::vector<ObjectPlacement>{}),
            parts.rings.value_or(std::vector<RingGroup>{}), parts.start.value_or(StartPosition{}),
            parts.bounds.value_or(LevelBounds{})};
}

void PlacementTools::onPressed(QPoint level, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers) {
    if (button == Qt::LeftButton && editable()) {
        pressOn(level, modifiers);
    }
}

void PlacementTools::pressOn(QPoint level, Qt::KeyboardModifiers modifiers) {
    mPressedAt = level;
    mBefore = snapshot();
    mDrag = Drag::None;
    if (startAt(level)) {
        mDrag = Drag::Start;
        setSelection({}, Marker::Start);
        return;
    }
    const std::vector<std::int32_t> hits = hitsAt(level);
    if (!hits.empty()) {
        mCycle = hits;
        mCycleAt = 0;
        const bool selected = std::binary_search(mSelection.begin(), mSelection.end(), hits[0]);
        if (modifiers & Qt::ControlModifier) {
            std::vector<std::int32_t> toggled = mSelection;
            if (selected) {
                toggled.erase(std::find(toggled.begin(), toggled.end(), hits[0]));
            } else {
                toggled.push_back(hits[0]);
            }
            select(std::move(toggled));
            return;
        }
        if (!selected) {
            setSelection({hits[0]});
        }
        mDrag = Drag::Selection;
        return;
    }
    mCycle.clear();
    mDrag = edgeAt(level);
    if (mDrag != Drag::None) {
        setSelection({}, Marker::Bounds);
    } else {
        mDrag = Drag::Band;
        if (!(modifiers & Qt::ControlModifier)) {
            setSelection({});
        }
    }
}

void PlacementTools::onMoved(QPoint level, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers modifiers) {
    mHover = level;
    emit pointerAt(level);
    if ((buttons & Qt::LeftButton) && mDrag != Drag::None && editable()) {
        dragTo(level, modifiers);
    }
}

void PlacementTools::dragTo(QPoint level, Qt::KeyboardModifiers modifiers) {
    QPoint by = level - mPressedAt;
    if (!(modifiers & Qt::ShiftModifier)) {
        by = {snapped(by.x()), snapped(by.y())};
    }
    switch (mDrag) {
        case Drag::Selection:
            moveSelection(by);
            break;
        case Drag::Band:
            mCanvas.setRubberBand(QRect(mPressedAt, level).normalized());
            break;
        case Drag::Start:
            mDocument->setStart(
                {clampedX(mBefore.start.x + by.x()),
                 static_cast<std::uint16_t>(std::clamp(mBefore.start.y + by.y(), 0, kMaxX))});
            break;
        case Drag::None:
            break;
        default:
            dragBound(by);
            break;
    }
}

// The document follows the drag; the command comes at the release.
void PlacementTools::moveSelection(QPoint by) {
    if (*mKind == PlacementKind::Objects) {
        std::vector<ObjectPlacement> objects = mBefore.objects;
        for (const std::int32_t index : mSelection) {
            ObjectPlacement& object = objects[static_cast<std::size_t>(index)];
            object.x = clampedX(object.x + by.x());
            object.y = clampedY(object.y + by.y());
        }
        mDocument->setObjects(std::move(objects));
        return;
    }
    std::vector<RingGroup> rings = mBefore.rings;
    for (const std::int32_t index : mSelection) {
        RingGroup& group = rings[static_cast<std::size_t>(index)];
        group.x = clampedX(group.x + by.x());
        group.y = clampedY(group.y + by.y());
    }
    mDocument->setRings(std::move(rings));
}

void PlacementTools::dragBound(QPoint by) {
    LevelBounds bounds = mBefore.bounds;
    switch (mDrag) {
        case Drag::Left:
            bounds.xMin = boundWord(static_cast<std::int16_t>(bounds.xMin) + by.x(), true);
            break;
        case Drag::Right:
            bounds.xMax = boundWord(bounds.xMax + by.x(), false);
            break;
        case Drag::Top:
            bounds.yMin = boundWord(static_cast<std::int16_t>(bounds.yMin) + by.y(), true);
            break;
        case Drag::Bottom:
            bounds.yMax = boundWord(bounds.yMax + by.y(), false);
            break;
        default:
            return;
    }
    mDocument->setBounds(bounds);
}

void PlacementTools::onReleased(QPoint level, Qt::MouseButton button, Qt::KeyboardModifiers) {
    if (button != Qt::LeftButton || mDrag == Drag::None || !editable()) {
        return;
    }
    if (mDrag == Drag::Band) {
        mCanvas.setRubberBand(std::nullopt);
        std::vector<std::int32_t> chosen = mSelection;
        const std::vector<std::int32_t> found = inside(QRect(mPressedAt, level).normalized());
        chosen.insert(chosen.end(), found.begin(), found.end());
        select(std::move(chosen));
    }
    // A click without a move on one of several selected placements selects just that one.
    if (mDrag == Drag::Selection && level == mPressedAt && !mCycle.empty()) {
        setSelection({mCycle.front()});
    }
    finishDrag();
}

// One command for the whole drag. The document already holds its end: pushing redoes it,
// which stores the same values again.
void PlacementTools::finishDrag() {
    const LevelParts& parts = mDocument->parts();
    const Drag drag = mDrag;
    mDrag = Drag::None;
    if (drag == Drag::Selection && *mKind == PlacementKind::Objects &&
        *parts.objects != mBefore.objects) {
        push(std::make_unique<SetObjectsCommand>(
            mBefore.objects, *parts.objects,
            "Move " + counted(mSelection.size(), "object", "objects")));
    } else if (drag == Drag::Selection && *mKind == PlacementKind::Rings &&
               *parts.rings != mBefore.rings) {
        push(std::make_unique<SetRingsCommand>(
            mBefore.rings, *parts.rings,
            "Move " + counted(mSelection.size(), "ring group", "ring groups")));
    } else if (drag == Drag::Start && *parts.start != mBefore.start) {
        push(std::make_unique<SetStartCommand>(mBefore.start, *parts.start,
                                               "Move the start position"));
    } else if (drag != Drag::Band && drag != Drag::Selection && drag != Drag::Start &&
               *parts.bounds != mBefore.bounds) {
        push(std::make_unique<SetBoundsCommand>(mBefore.bounds, *parts.bounds, "Move a boundary"));
    }
}

}  // namespace orvex
