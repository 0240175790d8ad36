#include "editor/map/placementpainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "editor/map/spritepixmap.h"
#include "rom/objectnames.h"
#include "rom/objectoutline.h"

namespace orvex {

namespace {

const QColor kPickedColour(0, 255, 255);  // selected placements
const QColor kRingColour(255, 200, 0);
// The frames of objects the game never draws.
const QColor kOutlineColour(255, 120, 220);
constexpr std::int32_t kIdsFrom = 64;  // cell sizes smaller than this show no object ids

QString hexId(std::uint8_t id) {
    return QString::number(id, 16).toUpper().rightJustified(2, '0');
}

QRect startExtent(const MapGeometry& view, const StartPosition& start) {
    const double marker = PlacementPainter::markerSize(view.cellSize);
    const QPointF at = view.viewPoint(start.x, start.y);
    return QRectF(at - QPointF(marker, marker), QSizeF(2 * marker, 2 * marker))
        .toAlignedRect()
        .adjusted(-3, -3, 3, 3);
}

// The dashed frame only: the level inside it is not drawn again.
QRegion boundsExtent(const MapGeometry& view, const LevelBounds& bounds) {
    const QRect frame = QRectF(view.viewPoint(static_cast<std::int16_t>(bounds.xMin),
                                              static_cast<std::int16_t>(bounds.yMin)),
                               view.viewPoint(bounds.xMax, bounds.yMax))
                            .normalized()
                            .toAlignedRect();
    return QRegion(frame.adjusted(-3, -3, 3, 3)) - QRegion(frame.adjusted(3, 3, -3, -3));
}

}  // namespace

void PlacementPainter::setPlacements(const LevelParts* parts) {
    mPlacements = parts;
    mDrawn.take(parts);
}

QRegion PlacementPainter::changedRegion(const MapGeometry& view) {
    if (mPlacements == nullptr) {
        return {};
    }
    return mDrawn.changed(
        *mPlacements,
        {[this, &view](const ObjectPlacement& object) { return objectExtent(view, object); },
         [this, &view](const RingGroup& group) { return ringsExtent(view, group); },
         [&view](const StartPosition& start) { return startExtent(view, start); },
         [&view](const LevelBounds& bounds) { return boundsExtent(view, bounds); }});
}

// Everything drawObjects draws of `object`: its outline with the cross and the id, its sprite
// with the selection frame, or its marker with the id and the name under it; a few pixels more
// for the pens and their smoothing.
QRect PlacementPainter::objectExtent(const MapGeometry& view, const ObjectPlacement& object) const {
    constexpr int kPens = 4;
    if (!objectShown(object)) {
        return {};
    }
    const QPointF at = view.viewPoint(object.x, object.y);
    QRectF drawn;
    if (neverDrawn(object.id) && objectOutline(mZoneAct, object)) {
        drawn = view.viewArea(objectArea(object, view.cellSize));
        // The cross, and the id right of it and above.
        const QFontMetricsF metrics(objectFont(view.cellSize));
        drawn |= QRectF(at - QPointF(4, metrics.height() + 4),
                        QSizeF(metrics.height() * 3 + 8, metrics.height() + 8));
    } else if (mSprites != nullptr && mSprites->object(object) != nullptr) {
        drawn = view.viewArea(objectArea(object, view.cellSize));
    } else {
        const double marker = markerSize(view.cellSize);
        drawn = QRectF(at - QPointF(marker / 2 + 20, marker / 2), QSizeF(marker + 40, marker));
        const std::string_view name = orvex::objectName(object.id);
        if (view.cellSize >= kCellSize && !name.empty()) {
            const QFontMetricsF metrics(objectFont(view.cellSize));
            const QRectF label =
                metrics.boundingRect(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
            drawn |= QRectF(at.x() - label.width() / 2 - 3, at.y(), label.width() + 6,
                            marker / 2 + label.height() + 3);
        }
    }
    return drawn.toAlignedRect().adjusted(-kPens, -kPens, kPens, kPens);
}

QRect PlacementPainter::ringsExtent(const MapGeometry& view, const RingGroup& group) const {
    const double marker = markerSize(view.cellSize);
    const RingPoint last = ringPoint(group, std::max(1, static_cast<int>(group.count)) - 1);
    QRectF drawn = QRectF(view.viewPoint(group.x, group.y), view.viewPoint(last.x, last.y))
                       .normalized()
                       .adjusted(-marker / 2, -marker / 2, marker / 2, marker / 2);
    if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->ring() : nullptr) {
        drawn |= QRectF(view.viewPoint(group.x + sprite->left, group.y + sprite->top),
                        view.viewPoint(last.x + sprite->left + sprite->picture.width(),
                                       last.y + sprite->top + sprite->picture.height()));
    }
    const int pens = static_cast<int>(std::ceil(3 * view.scale())) + 4;
    return drawn.toAlignedRect().adjusted(-pens, -pens, pens, pens);
}

// The font of objects' ids and names, larger as the map zooms in.
QFont PlacementPainter::objectFont(std::int32_t cellSize) const {
    const double scale = static_cast<double>(cellSize) / kCellSize;
    return QFont(mFontFamily, std::max(6, static_cast<int>(9 * scale + 3)));
}

double PlacementPainter::markerSize(std::int32_t cellSize) {
    return std::max(6.0, 16.0 * cellSize / kCellSize);
}

std::int32_t PlacementPainter::hitRadius(std::int32_t cellSize) {
    return static_cast<std::int32_t>(
        std::ceil((markerSize(cellSize) / 2 + 2) * kCellSize / cellSize));
}

bool PlacementPainter::setSelection(PlacementKind kind, std::vector<std::int32_t> indices) {
    std::sort(indices.begin(), indices.end());
    if (kind == mSelectedKind && indices == mSelected) {
        return false;
    }
    mSelectedKind = kind;
    mSelected = std::move(indices);
    return true;
}

void PlacementPainter::setSprites(const LevelSprites* sprites, const ColourTable& colours,
                                  const std::optional<ColourTable>& underwater) {
    mSprites = sprites;
    mSpriteColours = {colours, underwater.value_or(colours)};
    for (auto& pixmaps : mSpritePixmaps) {
        pixmaps.clear();
    }
}

// Sprite pictures in the level's colours, colour 0 of every line transparent; made when first
// drawn. The sprites keep each picture at one address while they live.
const QPixmap& PlacementPainter::spritePixmap(const SpriteImage& sprite, WaterSide side) const {
    const auto index = static_cast<std::size_t>(side);
    auto& pixmaps = mSpritePixmaps[index];
    auto found = pixmaps.find(&sprite);
    if (found == pixmaps.end()) {
        const QImage image = spriteImage(sprite.picture, mSpriteColours[index]);
        found = pixmaps.emplace(&sprite, QPixmap::fromImage(image)).first;
    }
    return found->second;
}

void PlacementPainter::drawSpriteAt(QPainter& painter, const Pass& pass, const SpriteImage& sprite,
                                    std::int32_t x, std::int32_t y) const {
    const double scale = pass.view.scale();
    const QRectF target(pass.view.viewPoint(x + sprite.left, y + sprite.top),
                        QSizeF(sprite.picture.width() * scale, sprite.picture.height() * scale));
    const QPixmap& pixmap = spritePixmap(sprite, pass.side);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
}

QRect PlacementPainter::objectArea(const ObjectPlacement& object, std::int32_t cellSize) const {
    if (const auto area = invisibleArea(object, cellSize)) {
        return *area;
    }
    if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->object(object) : nullptr) {
        return {object.x + sprite->left, object.y + sprite->top, sprite->picture.width(),
                sprite->picture.height()};
    }
    const std::int32_t radius = hitRadius(cellSize);
    return {object.x - radius, object.y - radius, 2 * radius + 1, 2 * radius + 1};
}

bool PlacementPainter::objectShown(const ObjectPlacement& object) const {
    return mInvisibleShown || !neverDrawn(object.id);
}

// What a type the game never draws covers: nothing while those are hidden, its outline while
// they are shown; none (a drawn type, or an outline the subtype does not give) leaves the area
// to the sprite or the marker.
std::optional<QRect> PlacementPainter::invisibleArea(const ObjectPlacement& object,
                                                     std::int32_t cellSize) const {
    if (!objectShown(object)) {
        return QRect();
    }
    const auto outline = neverDrawn(object.id) ? objectOutline(mZoneAct, object) : std::nullopt;
    if (!outline) {
        return std::nullopt;
    }
    const QRect area(QPoint(object.x + outline->left, object.y + outline->top),
                     QPoint(object.x + outline->right, object.y + outline->bottom));
    if (!outline->isLine()) {
        return area;
    }
    // Three pixels of the canvas each side of the line, whatever the zoom.
    const auto reach = static_cast<int>(std::ceil(3.0 * kCellSize / cellSize));
    return area.adjusted(-reach, -reach, reach, reach);
}

bool PlacementPainter::isSelected(PlacementKind kind, std::int32_t index) const {
    return kind == mSelectedKind && std::binary_search(mSelected.begin(), mSelected.end(), index);
}

// Placements belong to the foreground: the caller draws them over its cells only.
void PlacementPainter::paint(QPainter& painter, const MapGeometry& view, WaterSide side,
                             bool underwaterColours) const {
    if (mPlacements == nullptr) {
        return;
    }
    const Pass pass{view, side, markerSize(view.cellSize)};
    painter.setRenderHint(QPainter::Antialiasing);
    if (side == WaterSide::Above) {
        drawWater(painter, view, underwaterColours);
    }
    drawBounds(painter, pass);
    drawRings(painter, pass);
    drawObjects(painter, pass);
    drawStart(painter, pass);
}

// The water line; without underwater colours, a blue veil below it stands for them.
void PlacementPainter::drawWater(QPainter& painter, const MapGeometry& view,
                                 bool underwaterColours) const {
    if (!overlayShown(Overlay::Water) || !mWaterLine) {
        return;
    }
    const double top = view.viewPoint(0, *mWaterLine).y();
    const int width = view.size.width();
    const int height = view.size.height();
    if (top < height) {
        if (!underwaterColours) {
            const QRectF below(0, std::max(0.0, top), width, height - std::max(0.0, top));
            painter.fillRect(below, QColor(40, 90, 255, 70));
        }
        painter.setPen(QPen(QColor(120, 200, 255), 2));
        painter.drawLine(QPointF(0, top), QPointF(width, top));
    }
}

void PlacementPainter::drawBounds(QPainter& painter, const Pass& pass) const {
    if (!overlayShown(Overlay::Bounds) || !mPlacements->bounds) {
        return;
    }
    const LevelBounds& b = *mPlacements->bounds;
    painter.setPen(QPen(QColor(255, 80, 80), 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(
        pass.view.viewPoint(static_cast<std::int16_t>(b.xMin), static_cast<std::int16_t>(b.yMin)),
        pass.view.viewPoint(b.xMax, b.yMax)));
}

void PlacementPainter::drawRings(QPainter& painter, const Pass& pass) const {
    if (!overlayShown(Overlay::Rings) || !mPlacements->rings) {
        return;
    }
    const double marker = pass.marker;
    const auto& rings = *mPlacements->rings;
    painter.setBrush(Qt::NoBrush);
    for (std::size_t index = 0; index < rings.size(); ++index) {
        const RingGroup& group = rings[index];
        const bool selected = isSelected(PlacementKind::Rings, static_cast<std::int32_t>(index));
        const double width = std::max(1.0, 3 * pass.view.scale());
        const SpriteImage* sprite = mSprites != nullptr ? mSprites->ring() : nullptr;
        for (int i = 0; i < group.count; ++i) {
            const RingPoint ring = ringPoint(group, i);
            if (sprite != nullptr) {
                drawSpriteAt(painter, pass, *sprite, ring.x, ring.y);
                continue;
            }
            const QPointF at = pass.view.viewPoint(ring.x, ring.y);
            // A dark rim keeps gold rings apart from gold art.
            painter.setPen(QPen(Qt::black, width + 2));
            painter.drawEllipse(at, marker / 2.5, marker / 2.5);
            painter.setPen(QPen(selected ? kPickedColour : kRingColour, width));
            painter.drawEllipse(at, marker / 2.5, marker / 2.5);
        }
        if (selected) {
            const RingPoint last = ringPoint(group, group.count - 1);
            painter.setPen(QPen(kPickedColour, 1, Qt::DashLine));
            painter.drawRect(
                QRectF(pass.view.viewPoint(group.x, group.y), pass.view.viewPoint(last.x, last.y))
                    .adjusted(-marker / 2, -marker / 2, marker / 2, marker / 2));
        }
    }
}

void PlacementPainter::drawObjects(QPainter& painter, const Pass& pass) const {
    if (!overlayShown(Overlay::Objects) || !mPlacements->objects) {
        return;
    }
    painter.setFont(objectFont(pass.view.cellSize));
    const auto& objects = *mPlacements->objects;
    for (std::size_t index = 0; index < objects.size(); ++index) {
        const ObjectPlacement& object = objects[index];
        const bool selected = isSelected(PlacementKind::Objects, static_cast<std::int32_t>(index));
        if (neverDrawn(object.id) && drawInvisible(painter, pass, object, selected)) {
            continue;
        }
        if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->object(object) : nullptr) {
            drawSpriteAt(painter, pass, *sprite, object.x, object.y);
            if (selected) {
                painter.setPen(QPen(kPickedColour, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(pass.view.viewArea(objectArea(object, pass.view.cellSize)));
            }
            continue;
        }
        drawMarker(painter, pass, object, selected);
    }
}

// A square with the object's id, and its name under it from 100% on.
void PlacementPainter::drawMarker(QPainter& painter, const Pass& pass,
                                  const ObjectPlacement& object, bool selected) const {
    const double marker = pass.marker;
    const QPointF at = pass.view.viewPoint(object.x, object.y);
    const QRectF box(at - QPointF(marker / 2, marker / 2), QSizeF(marker, marker));
    painter.setPen(selected ? QPen(kPickedColour, 3) : QPen(Qt::white, 1));
    painter.setBrush(QColor(0, 140, 255, 170));
    painter.drawRect(box);
    if (pass.view.cellSize < kIdsFrom) {
        return;
    }
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(-20, 0, 20, 0), Qt::AlignCenter, hexId(object.id));
    const std::string_view name = orvex::objectName(object.id);
    if (pass.view.cellSize >= kCellSize && !name.empty()) {
        const QString text = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
        QRectF label = painter.fontMetrics().boundingRect(text).toRectF();
        label.moveCenter(box.center() + QPointF(0, marker / 2 + label.height() / 2 + 1));
        painter.fillRect(label.adjusted(-2, 0, 2, 0), QColor(0, 0, 0, 170));
        painter.drawText(label, Qt::AlignCenter, text);
    }
}

void PlacementPainter::drawStart(QPainter& painter, const Pass& pass) const {
    if (!overlayShown(Overlay::Start) || !mPlacements->start) {
        return;
    }
    const double marker = pass.marker;
    const QPointF at = pass.view.viewPoint(mPlacements->start->x, mPlacements->start->y);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(0, 230, 90));
    painter.drawEllipse(at, marker / 1.5, marker / 1.5);
    painter.drawText(QRectF(at - QPointF(marker, marker), QSizeF(2 * marker, 2 * marker)),
                     Qt::AlignCenter, "S");
}

// Draws an object the game never draws as its outline, with a small cross at its point; false
// when it has none, to be drawn as other objects are. Hidden ones count as drawn.
bool PlacementPainter::drawInvisible(QPainter& painter, const Pass& pass,
                                     const ObjectPlacement& object, bool selected) const {
    if (!objectShown(object)) {
        return true;
    }
    const auto outline = neverDrawn(object.id) ? objectOutline(mZoneAct, object) : std::nullopt;
    if (!outline) {
        return false;
    }
    const MapGeometry& view = pass.view;
    const QPointF from = view.viewPoint(object.x + outline->left, object.y + outline->top);
    const QPointF to = view.viewPoint(object.x + outline->right, object.y + outline->bottom);
    painter.setBrush(Qt::NoBrush);
    // A dark rim under the frame keeps it apart from art of its own colour.
    for (const QPen& pen : {QPen(QColor(0, 0, 0, 150), 3.5),
                            selected ? QPen(kPickedColour, 2) : QPen(kOutlineColour, 1.5)}) {
        painter.setPen(pen);
        if (outline->isLine()) {
            painter.drawLine(from, to);
        } else {
            painter.drawRect(QRectF(from, to));
        }
    }
    const QPointF at = view.viewPoint(object.x, object.y);
    painter.drawLine(at - QPointF(3, 0), at + QPointF(3, 0));
    painter.drawLine(at - QPointF(0, 3), at + QPointF(0, 3));
    if (view.cellSize >= kIdsFrom) {
        // The id tells switches of one shape apart (03 and 84 are the same lines).
        painter.drawText(at + QPointF(5, -4), hexId(object.id));
    }
    return true;
}

}  // namespace orvex
