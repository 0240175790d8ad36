#include "editor/placements/placementtool.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace orvex {

namespace {

// The rectangle being dragged out: a dashed frame over a veil.
const QColor kBandFrame(255, 255, 0);
const QColor kBandVeil(255, 255, 0, 40);

// A boundary keeps the game's word; the minimums may be negative ($FF00 above the level).
std::uint16_t boundWord(std::int32_t value, bool minimum) {
    return static_cast<std::uint16_t>(minimum ? std::clamp(value, -0x8000, 0x7FFF)
                                              : std::clamp(value, 0, 0xFFFF));
}

bool near(QPoint a, QPoint b, std::int32_t radius) {
    return std::abs(a.x() - b.x()) <= radius && std::abs(a.y() - b.y()) <= radius;
}

QPoint ringAt(const RingGroup& group, std::int32_t ring) {
    const RingPoint at = ringPoint(group, ring);
    return {at.x, at.y};
}

}  // namespace

PlacementTool::PlacementTool(ToolInfo info, PlacementTools& model, PlacementKind kind)
    : AbstractTool(std::move(info)), mModel(model), mKind(kind) {}

void PlacementTool::activate() {
    mModel.setKind(mKind);
}

void PlacementTool::deactivate() {
    mDrag = Drag::None;
    mCycle.clear();
    setBand(std::nullopt);
    mModel.setKind(std::nullopt);
}

// Over the placement layer, and only while the kind can be edited: on the foreground, of the
// document the drag began on.
void PlacementTool::paintPreview(QPainter& painter, const ToolPaintContext& /*context*/) const {
    if (!mBand || !underWay()) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kBandFrame, 1, Qt::DashLine));
    painter.setBrush(kBandVeil);
    painter.drawRect(canvas().mapGeometry().viewArea(*mBand));
}

void PlacementTool::setBand(const std::optional<QRect>& levelArea) {
    if (levelArea != mBand) {
        mBand = levelArea;
        updatePreview();
    }
}

// Tab selects the next of the placements under the point last clicked.
bool PlacementTool::keyPressed(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Tab || event.modifiers() != Qt::NoModifier) {
        return false;
    }
    if (mCycle.size() > 1 && underWay()) {
        mCycleAt = (mCycleAt + 1) % mCycle.size();
        mModel.setSelection({mCycle[mCycleAt]});
    }
    return true;
}

QString PlacementTool::statusText() const {
    return "Placed on the foreground: View > Foreground";
}

// The press was made on the document and kind edited now, and they can still be edited.
bool PlacementTool::underWay() const {
    return mEpoch == mModel.epoch() && mModel.editable();
}

QPoint PlacementTool::levelOf(const ToolEvent& event) const {
    return canvas().levelPoint(event.position);
}

std::vector<std::int32_t> PlacementTool::hitsAt(QPoint level) const {
    std::vector<std::int32_t> hits;
    const std::int32_t radius = canvas().hitRadius();
    if (mKind == PlacementKind::Objects) {
        if (!canvas().overlayShown(MapCanvas::Overlay::Objects)) {
            return hits;
        }
        const auto& objects = *document().parts().objects;
        for (auto i = static_cast<std::int32_t>(objects.size()) - 1; i >= 0; --i) {
            if (canvas().objectArea(objects[static_cast<std::size_t>(i)]).contains(level)) {
                hits.push_back(i);
            }
        }
        return hits;
    }
    if (!canvas().overlayShown(MapCanvas::Overlay::Rings)) {
        return hits;
    }
    const auto& rings = *document().parts().rings;
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

std::vector<std::int32_t> PlacementTool::inside(QRect area) const {
    std::vector<std::int32_t> found;
    if (mKind == PlacementKind::Objects) {
        const auto& objects = *document().parts().objects;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (area.contains(objects[i].x, objects[i].y) && canvas().objectShown(objects[i])) {
                found.push_back(static_cast<std::int32_t>(i));
            }
        }
        return found;
    }
    const auto& rings = *document().parts().rings;
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

bool PlacementTool::startAt(QPoint level) const {
    const auto& start = document().parts().start;
    return start && canvas().overlayShown(MapCanvas::Overlay::Start) &&
           near(level, {start->x, start->y}, canvas().hitRadius() * 3 / 2);
}

PlacementTool::Drag PlacementTool::edgeAt(QPoint level) const {
    const auto& bounds = document().parts().bounds;
    if (!bounds || !canvas().overlayShown(MapCanvas::Overlay::Bounds)) {
        return Drag::None;
    }
    const std::int32_t reach = std::max(3, canvas().hitRadius() / 2);
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

PlacementTool::Snapshot PlacementTool::snapshot() const {
    const LevelParts& parts = document().parts();
    return {parts.objects.value_or(std::vector<ObjectPlacement>{}),
            parts.rings.value_or(std::vector<RingGroup>{}), parts.start.value_or(StartPosition{}),
            parts.bounds.value_or(LevelBounds{})};
}

void PlacementTool::mousePressed(const ToolEvent& event) {
    if (event.button == Qt::LeftButton && mModel.editable()) {
        mEpoch = mModel.epoch();
        pressOn(levelOf(event), event.modifiers);
    }
}

void PlacementTool::pressOn(QPoint level, Qt::KeyboardModifiers modifiers) {
    mPressedAt = level;
    setBand(std::nullopt);
    mBefore = snapshot();
    mDrag = Drag::None;
    if (startAt(level)) {
        mDrag = Drag::Start;
        mModel.setSelection({}, PlacementTools::Marker::Start);
        return;
    }
    const std::vector<std::int32_t> hits = hitsAt(level);
    if (!hits.empty()) {
        mCycle = hits;
        mCycleAt = 0;
        const bool selected =
            std::binary_search(mModel.selection().begin(), mModel.selection().end(), hits[0]);
        if (modifiers & Qt::ControlModifier) {
            std::vector<std::int32_t> toggled = mModel.selection();
            if (selected) {
                toggled.erase(std::find(toggled.begin(), toggled.end(), hits[0]));
            } else {
                toggled.push_back(hits[0]);
            }
            mModel.select(std::move(toggled));
            return;
        }
        if (!selected) {
            mModel.setSelection({hits[0]});
        }
        mDrag = Drag::Selection;
        return;
    }
    mCycle.clear();
    mDrag = edgeAt(level);
    if (mDrag != Drag::None) {
        mModel.setSelection({}, PlacementTools::Marker::Bounds);
    } else {
        mDrag = Drag::Band;
        if (!(modifiers & Qt::ControlModifier)) {
            mModel.setSelection({});
        }
    }
}

void PlacementTool::mouseMoved(const ToolEvent& event) {
    if ((event.buttons & Qt::LeftButton) && mDrag != Drag::None && underWay()) {
        dragTo(levelOf(event), event.modifiers);
    }
}

void PlacementTool::dragTo(QPoint level, Qt::KeyboardModifiers modifiers) {
    QPoint by = level - mPressedAt;
    if (!(modifiers & Qt::ShiftModifier)) {
        by = {snapped(by.x()), snapped(by.y())};
    }
    switch (mDrag) {
        case Drag::Selection:
            moveSelection(by);
            break;
        case Drag::Band:
            setBand(QRect(mPressedAt, level).normalized());
            break;
        case Drag::Start:
            document().setStart(
                {clampedX(mBefore.start.x + by.x()),
                 static_cast<std::uint16_t>(std::clamp(mBefore.start.y + by.y(), 0, 0xFFFF))});
            break;
        case Drag::None:
            break;
        default:
            dragBound(by);
            break;
    }
}

// The document follows the drag; the command comes at the release.
void PlacementTool::moveSelection(QPoint by) {
    if (mKind == PlacementKind::Objects) {
        std::vector<ObjectPlacement> objects = mBefore.objects;
        for (const std::int32_t index : mModel.selection()) {
            ObjectPlacement& object = objects[static_cast<std::size_t>(index)];
            object.x = clampedX(object.x + by.x());
            object.y = clampedY(object.y + by.y());
        }
        document().setObjects(std::move(objects));
        return;
    }
    std::vector<RingGroup> rings = mBefore.rings;
    for (const std::int32_t index : mModel.selection()) {
        RingGroup& group = rings[static_cast<std::size_t>(index)];
        group.x = clampedX(group.x + by.x());
        group.y = clampedY(group.y + by.y());
    }
    document().setRings(std::move(rings));
}

void PlacementTool::dragBound(QPoint by) {
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
    document().setBounds(bounds);
}

void PlacementTool::mouseReleased(const ToolEvent& event) {
    if (event.button != Qt::LeftButton || mDrag == Drag::None || !underWay()) {
        mDrag = Drag::None;
        setBand(std::nullopt);
        return;
    }
    const QPoint level = levelOf(event);
    if (mDrag == Drag::Band) {
        setBand(std::nullopt);
        std::vector<std::int32_t> chosen = mModel.selection();
        const std::vector<std::int32_t> found = inside(QRect(mPressedAt, level).normalized());
        chosen.insert(chosen.end(), found.begin(), found.end());
        mModel.select(std::move(chosen));
    }
    // A click without a move on one of several selected placements selects just that one.
    if (mDrag == Drag::Selection && level == mPressedAt && !mCycle.empty()) {
        mModel.setSelection({mCycle.front()});
    }
    finishDrag();
}

// One command for the whole drag. The document already holds its end: pushing redoes it,
// which stores the same values again.
void PlacementTool::finishDrag() {
    const LevelParts& parts = document().parts();
    const Drag drag = mDrag;
    mDrag = Drag::None;
    if (drag == Drag::Selection && mKind == PlacementKind::Objects &&
        *parts.objects != mBefore.objects) {
        mModel.push(std::make_unique<SetObjectsCommand>(
            mBefore.objects, *parts.objects,
            "Move " + counted(mModel.selection().size(), "object", "objects")));
    } else if (drag == Drag::Selection && mKind == PlacementKind::Rings &&
               *parts.rings != mBefore.rings) {
        mModel.push(std::make_unique<SetRingsCommand>(
            mBefore.rings, *parts.rings,
            "Move " + counted(mModel.selection().size(), "ring group", "ring groups")));
    } else if (drag == Drag::Start && *parts.start != mBefore.start) {
        mModel.push(std::make_unique<SetStartCommand>(mBefore.start, *parts.start,
                                                      "Move the start position"));
    } else if (drag != Drag::Band && drag != Drag::Selection && drag != Drag::Start &&
               *parts.bounds != mBefore.bounds) {
        mModel.push(
            std::make_unique<SetBoundsCommand>(mBefore.bounds, *parts.bounds, "Move a boundary"));
    }
}

ObjectsTool::ObjectsTool(PlacementTools& model)
    : PlacementTool({"ToolObjects", "Objects", QKeySequence(Qt::Key_O)}, model,
                    PlacementKind::Objects) {}

RingsTool::RingsTool(PlacementTools& model)
    : PlacementTool({"ToolRings", "Rings", QKeySequence(Qt::Key_R)}, model, PlacementKind::Rings) {}

}  // namespace orvex
