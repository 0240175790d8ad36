#include "editor/map/mapcanvas.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "editor/map/spritepixmap.h"
#include "rom/objectnames.h"

namespace orvex {

namespace {

const QColor kSelectionColour(255, 255, 0);
const QColor kGridColour(255, 255, 255, 70);
const QColor kHighlightColour(255, 64, 255, 110);
const QColor kPickedColour(0, 255, 255);  // selected placements
const QColor kRingColour(255, 200, 0);
// The frames of objects the game never draws.
const QColor kOutlineColour(255, 120, 220);
constexpr std::int32_t kNumbersFrom = 32;  // cell sizes smaller than this show no numbers
// A wheel notch moves the view a third of a cell at 100%, the same distance on screen at every
// zoom: the wheel's angle times kCellSize over kWheelDivisor is in pixels.
constexpr int kWheelDivisor = 3 * QWheelEvent::DefaultDeltasPerStep;

// Integer division rounding towards minus infinity, for points left of or above the canvas.
std::int32_t floorDiv(std::int32_t value, std::int32_t divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

}  // namespace

MapCanvas::MapCanvas(QWidget* frame) : QWidget(frame) {
    setObjectName("Mapa");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void MapCanvas::setBlockPicture(std::int32_t block, const QPixmap& picture,
                                const QPixmap& underwater) {
    mBlockPictures[AboveWater].set(block, picture);
    mBlockPictures[BelowWater].set(block, underwater);
}

void MapCanvas::setPictureMaker(const PictureMaker& make) {
    mBlockPictures[AboveWater].setMaker([make](std::int32_t block) { return make(block, false); });
    mBlockPictures[BelowWater].setMaker([make](std::int32_t block) { return make(block, true); });
}

void MapCanvas::forgetBlockPictures(const std::vector<std::int32_t>& blocks) {
    for (BlockPictureCache& pictures : mBlockPictures) {
        pictures.forget(blocks);
    }
    updateBlocks(blocks);
}

void MapCanvas::setCollision(std::optional<std::int32_t> path, BlockPictureCache::Maker make) {
    mCollisionPath = path;
    mCollision.setMaker(std::move(make));
    mCollision.clear(false);
    update();
}

void MapCanvas::forgetCollision(const std::vector<std::int32_t>& blocks) {
    if (mCollisionPath) {
        mCollision.forget(blocks);
        updateBlocks(blocks);
    }
}

void MapCanvas::clearBlockPictures() {
    for (BlockPictureCache& pictures : mBlockPictures) {
        pictures.clear(true);
    }
    mCollision.clear(false);
    update();
}

void MapCanvas::updateBlocks(const std::vector<std::int32_t>& blocks) {
    if (blocks.empty() || mLayout == nullptr) {
        return;
    }
    std::array<bool, 256> changed{};
    for (const std::int32_t block : blocks) {
        changed[static_cast<std::size_t>(block & 0xFF)] = true;
    }
    const PlaneCell first = cellAt(rect().topLeft());
    const PlaneCell last = cellAt(rect().bottomRight());
    QRegion region;
    for (std::int32_t row = first.row; row <= last.row; ++row) {
        for (std::int32_t column = first.column; column <= last.column; ++column) {
            const auto block = shownBlock({row, column});
            if (block && changed[*block]) {
                region += cellRect({row, column});
            }
        }
    }
    if (!region.isEmpty()) {
        update(region);
    }
}

void MapCanvas::setLayout(const Layout* layout, Plane plane) {
    mLayout = layout;
    mPlane = plane;
    update();
}

void MapCanvas::setView(std::int32_t cellSize, QPoint origin) {
    if (cellSize == mCellSize && origin == mOrigin) {
        return;
    }
    mCellSize = cellSize;
    mOrigin = origin;
    update();
    reportPointer();
}

// The pointer now lies over another part of the plane: the tools and the status line hear of it
// as of a move, with the buttons and keys of the last mouse event (none during a pan).
void MapCanvas::reportPointer() {
    if (!mPointer) {
        return;
    }
    const Qt::MouseButtons buttons = mPanFrom ? Qt::NoButton : mButtons;
    emit moved(cellAt(*mPointer), buttons);
    emit pointerMoved(levelPoint(*mPointer), buttons, mModifiers);
    if (mTools != nullptr) {
        mTools->mouseMoved({QPointF(*mPointer), Qt::NoButton, buttons, mModifiers});
    }
}

ToolEvent MapCanvas::toolEvent(const QMouseEvent& event) const {
    return {event.position(), event.button(), event.buttons(), event.modifiers()};
}

PlaneCell MapCanvas::cellAt(QPoint point) const {
    return {floorDiv(mOrigin.y() + point.y(), mCellSize),
            floorDiv(mOrigin.x() + point.x(), mCellSize)};
}

QRect MapCanvas::cellRect(PlaneCell cell) const {
    return {cell.column * mCellSize - mOrigin.x(), cell.row * mCellSize - mOrigin.y(), mCellSize,
            mCellSize};
}

QSize MapCanvas::cellsIn(QSize area) const {
    const QSize size = area.isEmpty() ? this->size() : area;
    return {(size.width() + mCellSize - 1) / mCellSize,
            (size.height() + mCellSize - 1) / mCellSize};
}

void MapCanvas::setPreview(PlaneCell at, const CellPattern& pattern) {
    if (at == mPreviewAt && pattern == mPreview) {
        return;
    }
    update(viewRect({mPreviewAt.row, mPreviewAt.column, mPreview.rows, mPreview.columns}));
    mPreviewAt = at;
    mPreview = pattern;
    update(viewRect({at.row, at.column, pattern.rows, pattern.columns}));
}

void MapCanvas::clearPreview() {
    setPreview(mPreviewAt, {});
}

void MapCanvas::setSelection(const std::optional<CellRect>& cells) {
    if (cells != mSelection) {
        mSelection = cells;
        update();
    }
}

void MapCanvas::setGrid(bool shown) {
    mGrid = shown;
    update();
}

void MapCanvas::setNumbers(bool shown) {
    mNumbers = shown;
    update();
}

void MapCanvas::setHighlight(std::optional<std::uint8_t> block) {
    if (block != mHighlight) {
        mHighlight = block;
        update();
    }
}

void MapCanvas::setPlacements(const LevelParts* parts) {
    mPlacements = parts;
    mPlacementLayer.take(parts);
    update();
}

void MapCanvas::placementsChanged() {
    if (mPlacements == nullptr) {
        return;
    }
    const QRegion region = mPlacementLayer.changed(*mPlacements, placementExtents());
    if (mPlane == Plane::Foreground && !region.isEmpty()) {
        update(region.intersected(rect()));
    }
}

PlacementLayer::Extents MapCanvas::placementExtents() const {
    return {[this](const ObjectPlacement& object) { return objectExtent(object); },
            [this](const RingGroup& group) { return ringsExtent(group); },
            [this](const StartPosition& start) { return startExtent(start); },
            [this](const LevelBounds& bounds) { return boundsExtent(bounds); }};
}

// Everything drawObjects draws of `object`: its outline with the cross and the id, its sprite
// with the selection frame, or its marker with the id and the name under it; a few pixels more
// for the pens and their smoothing.
QRect MapCanvas::objectExtent(const ObjectPlacement& object) const {
    constexpr int kPens = 4;
    if (!objectShown(object)) {
        return {};
    }
    const QPointF at = viewPoint(object.x, object.y);
    QRectF drawn;
    if (neverDrawn(object.id) && objectOutline(mZoneAct, object)) {
        const QRect area = objectArea(object);
        drawn = QRectF(viewPoint(area.left(), area.top()),
                       viewPoint(area.right() + 1, area.bottom() + 1));
        // The cross, and the id right of it and above.
        const QFontMetricsF metrics(objectFont());
        drawn |= QRectF(at - QPointF(4, metrics.height() + 4),
                        QSizeF(metrics.height() * 3 + 8, metrics.height() + 8));
    } else if (mSprites != nullptr && mSprites->object(object) != nullptr) {
        const QRect area = objectArea(object);
        drawn = QRectF(viewPoint(area.left(), area.top()),
                       viewPoint(area.right() + 1, area.bottom() + 1));
    } else {
        const double marker = markerSize();
        drawn = QRectF(at - QPointF(marker / 2 + 20, marker / 2), QSizeF(marker + 40, marker));
        const std::string_view name = orvex::objectName(object.id);
        if (mCellSize >= kCellSize && !name.empty()) {
            const QFontMetricsF metrics(objectFont());
            const QRectF label =
                metrics.boundingRect(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
            drawn |= QRectF(at.x() - label.width() / 2 - 3, at.y(), label.width() + 6,
                            marker / 2 + label.height() + 3);
        }
    }
    return drawn.toAlignedRect().adjusted(-kPens, -kPens, kPens, kPens);
}

QRect MapCanvas::ringsExtent(const RingGroup& group) const {
    const double marker = markerSize();
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    const RingPoint last = ringPoint(group, std::max(1, static_cast<int>(group.count)) - 1);
    QRectF drawn = QRectF(viewPoint(group.x, group.y), viewPoint(last.x, last.y))
                       .normalized()
                       .adjusted(-marker / 2, -marker / 2, marker / 2, marker / 2);
    if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->ring() : nullptr) {
        drawn |= QRectF(viewPoint(group.x + sprite->left, group.y + sprite->top),
                        viewPoint(last.x + sprite->left + sprite->picture.width(),
                                  last.y + sprite->top + sprite->picture.height()));
    }
    const int pens = static_cast<int>(std::ceil(3 * scale)) + 4;
    return drawn.toAlignedRect().adjusted(-pens, -pens, pens, pens);
}

QRect MapCanvas::startExtent(const StartPosition& start) const {
    const double marker = markerSize();
    const QPointF at = viewPoint(start.x, start.y);
    return QRectF(at - QPointF(marker, marker), QSizeF(2 * marker, 2 * marker))
        .toAlignedRect()
        .adjusted(-3, -3, 3, 3);
}

// The dashed frame only: the level inside it is not drawn again.
QRegion MapCanvas::boundsExtent(const LevelBounds& bounds) const {
    const QRect frame = QRectF(viewPoint(static_cast<std::int16_t>(bounds.xMin),
                                         static_cast<std::int16_t>(bounds.yMin)),
                               viewPoint(bounds.xMax, bounds.yMax))
                            .normalized()
                            .toAlignedRect();
    return QRegion(frame.adjusted(-3, -3, 3, 3)) - QRegion(frame.adjusted(3, 3, -3, -3));
}

void MapCanvas::setOverlay(Overlay overlay, bool shown) {
    mOverlays[static_cast<std::size_t>(overlay)] = shown;
    update();
}

// A point of the level, in its pixels, on the canvas.
QPointF MapCanvas::viewPoint(std::int32_t x, std::int32_t y) const {
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    return {x * scale - mOrigin.x(), y * scale - mOrigin.y()};
}

QPoint MapCanvas::levelPoint(QPointF viewPoint) const {
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    return {static_cast<int>(std::floor((viewPoint.x() + mOrigin.x()) / scale)),
            static_cast<int>(std::floor((viewPoint.y() + mOrigin.y()) / scale))};
}

// The font of objects' ids and names, larger as the map zooms in.
QFont MapCanvas::objectFont() const {
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    return QFont(font().family(), std::max(6, static_cast<int>(9 * scale + 3)));
}

double MapCanvas::markerSize() const {
    return std::max(6.0, 16.0 * mCellSize / kCellSize);
}

std::int32_t MapCanvas::hitRadius() const {
    return static_cast<std::int32_t>(std::ceil((markerSize() / 2 + 2) * kCellSize / mCellSize));
}

void MapCanvas::setPlacementSelection(PlacementKind kind, std::vector<std::int32_t> indices) {
    std::sort(indices.begin(), indices.end());
    if (kind != mSelectedKind || indices != mSelectedPlacements) {
        mSelectedKind = kind;
        mSelectedPlacements = std::move(indices);
        update();
    }
}

void MapCanvas::setRubberBand(const std::optional<QRect>& levelArea) {
    if (levelArea != mRubberBand) {
        mRubberBand = levelArea;
        update();
    }
}

void MapCanvas::setSprites(const LevelSprites* sprites, const ColourTable& colours,
                           const std::optional<ColourTable>& underwater) {
    mSprites = sprites;
    mSpriteColours = {colours, underwater.value_or(colours)};
    for (auto& pixmaps : mSpritePixmaps) {
        pixmaps.clear();
    }
    update();
}

// Sprite pictures in the level's colours, colour 0 of every line transparent; made when first
// drawn. The sprites keep each picture at one address while they live.
const QPixmap* MapCanvas::spritePixmap(const SpriteImage* sprite) const {
    if (sprite == nullptr) {
        return nullptr;
    }
    auto& pixmaps = mSpritePixmaps[mPass];
    auto found = pixmaps.find(sprite);
    if (found == pixmaps.end()) {
        const QImage image = spriteImage(sprite->picture, mSpriteColours[mPass]);
        found = pixmaps.emplace(sprite, QPixmap::fromImage(image)).first;
    }
    return &found->second;
}

void MapCanvas::drawSpriteAt(QPainter& painter, const SpriteImage& sprite, std::int32_t x,
                             std::int32_t y) const {
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    const QRectF target(viewPoint(x + sprite.left, y + sprite.top),
                        QSizeF(sprite.picture.width() * scale, sprite.picture.height() * scale));
    const QPixmap& pixmap = *spritePixmap(&sprite);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
}

QRect MapCanvas::objectArea(const ObjectPlacement& object) const {
    if (const auto area = invisibleArea(object)) {
        return *area;
    }
    if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->object(object) : nullptr) {
        return {object.x + sprite->left, object.y + sprite->top, sprite->picture.width(),
                sprite->picture.height()};
    }
    const std::int32_t radius = hitRadius();
    return {object.x - radius, object.y - radius, 2 * radius + 1, 2 * radius + 1};
}

void MapCanvas::setZoneAct(ZoneAct act) {
    mZoneAct = act;
    update();
}

void MapCanvas::setInvisibleShown(bool shown) {
    mInvisibleShown = shown;
    update();
}

bool MapCanvas::objectShown(const ObjectPlacement& object) const {
    return mInvisibleShown || !neverDrawn(object.id);
}

// What a type the game never draws covers: nothing while those are hidden, its outline while
// they are shown; none (a drawn type, or an outline the subtype does not give) leaves the area
// to the sprite or the marker.
std::optional<QRect> MapCanvas::invisibleArea(const ObjectPlacement& object) const {
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
    const auto reach = static_cast<int>(std::ceil(3.0 * kCellSize / mCellSize));
    return area.adjusted(-reach, -reach, reach, reach);
}

// Draws an object the game never draws as its outline, with a small cross at its point; false
// when it has none, to be drawn as other objects are. Hidden ones count as drawn.
bool MapCanvas::drawInvisible(QPainter& painter, const ObjectPlacement& object,
                              bool selected) const {
    if (!objectShown(object)) {
        return true;
    }
    const auto outline = neverDrawn(object.id) ? objectOutline(mZoneAct, object) : std::nullopt;
    if (!outline) {
        return false;
    }
    const QPointF from = viewPoint(object.x + outline->left, object.y + outline->top);
    const QPointF to = viewPoint(object.x + outline->right, object.y + outline->bottom);
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
    const QPointF at = viewPoint(object.x, object.y);
    painter.drawLine(at - QPointF(3, 0), at + QPointF(3, 0));
    painter.drawLine(at - QPointF(0, 3), at + QPointF(0, 3));
    if (mCellSize >= kNumbersFrom * 2) {
        // The id tells switches of one shape apart (03 and 84 are the same lines).
        painter.drawText(at + QPointF(5, -4),
                         QString::number(object.id, 16).toUpper().rightJustified(2, '0'));
    }
    return true;
}

bool MapCanvas::isSelected(PlacementKind kind, std::int32_t index) const {
    return kind == mSelectedKind &&
           std::binary_search(mSelectedPlacements.begin(), mSelectedPlacements.end(), index);
}

// Placements belong to the foreground: the background scrolls at other speeds in the game.
void MapCanvas::drawPlacements(QPainter& painter) const {
    if (mPlacements == nullptr || mPlane != Plane::Foreground) {
        return;
    }
    const double marker = markerSize();
    painter.setRenderHint(QPainter::Antialiasing);
    drawWater(painter);
    drawBounds(painter);
    drawRings(painter, marker);
    drawObjects(painter, marker);
    drawStart(painter, marker);
    if (mRubberBand) {
        painter.setPen(QPen(kSelectionColour, 1, Qt::DashLine));
        painter.setBrush(QColor(255, 255, 0, 40));
        painter.drawRect(QRectF(viewPoint(mRubberBand->left(), mRubberBand->top()),
                                viewPoint(mRubberBand->right() + 1, mRubberBand->bottom() + 1)));
    }
}

void MapCanvas::setWaterLine(std::optional<std::int32_t> height) {
    mWaterLine = height;
    update();
}

// Where the game switches to the act's underwater colours, in canvas rows: below the water
// line everything is drawn in them, when the act has water and its colours are known.
std::optional<int> MapCanvas::waterTop() const {
    if (!overlayShown(Overlay::Water) || !mWaterLine || mPlane != Plane::Foreground ||
        mBlockPictures[BelowWater].at(0, kCellSize).isNull()) {
        return std::nullopt;
    }
    return static_cast<int>(std::ceil(viewPoint(0, *mWaterLine).y()));
}

// The water line; without underwater colours, a blue veil below it stands for them.
void MapCanvas::drawWater(QPainter& painter) const {
    if (!overlayShown(Overlay::Water) || !mWaterLine || mPass == BelowWater) {
        return;
    }
    const double top = viewPoint(0, *mWaterLine).y();
    if (top < height()) {
        if (!waterTop()) {
            const QRectF below(0, std::max(0.0, top), width(), height() - std::max(0.0, top));
            painter.fillRect(below, QColor(40, 90, 255, 70));
        }
        painter.setPen(QPen(QColor(120, 200, 255), 2));
        painter.drawLine(QPointF(0, top), QPointF(width(), top));
    }
}

void MapCanvas::drawBounds(QPainter& painter) const {
    if (!overlayShown(Overlay::Bounds) || !mPlacements->bounds) {
        return;
    }
    const LevelBounds& b = *mPlacements->bounds;
    painter.setPen(QPen(QColor(255, 80, 80), 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRectF(viewPoint(static_cast<std::int16_t>(b.xMin), static_cast<std::int16_t>(b.yMin)),
               viewPoint(b.xMax, b.yMax)));
}

void MapCanvas::drawRings(QPainter& painter, double marker) const {
    if (!overlayShown(Overlay::Rings) || !mPlacements->rings) {
        return;
    }
    const double scale = static_cast<double>(mCellSize) / kCellSize;
    const auto& rings = *mPlacements->rings;
    painter.setBrush(Qt::NoBrush);
    for (std::size_t index = 0; index < rings.size(); ++index) {
        const RingGroup& group = rings[index];
        const bool selected = isSelected(PlacementKind::Rings, static_cast<std::int32_t>(index));
        const double width = std::max(1.0, 3 * scale);
        const SpriteImage* sprite = mSprites != nullptr ? mSprites->ring() : nullptr;
        for (int i = 0; i < group.count; ++i) {
            const RingPoint ring = ringPoint(group, i);
            if (sprite != nullptr) {
                drawSpriteAt(painter, *sprite, ring.x, ring.y);
                continue;
            }
            const QPointF at = viewPoint(ring.x, ring.y);
            // A dark rim keeps gold rings apart from gold art.
            painter.setPen(QPen(Qt::black, width + 2));
            painter.drawEllipse(at, marker / 2.5, marker / 2.5);
            painter.setPen(QPen(selected ? kPickedColour : kRingColour, width));
            painter.drawEllipse(at, marker / 2.5, marker / 2.5);
        }
        if (selected) {
            const RingPoint last = ringPoint(group, group.count - 1);
            painter.setPen(QPen(kPickedColour, 1, Qt::DashLine));
            painter.drawRect(QRectF(viewPoint(group.x, group.y), viewPoint(last.x, last.y))
                                 .adjusted(-marker / 2, -marker / 2, marker / 2, marker / 2));
        }
    }
}

void MapCanvas::drawObjects(QPainter& painter, double marker) const {
    if (!overlayShown(Overlay::Objects) || !mPlacements->objects) {
        return;
    }
    painter.setFont(objectFont());
    const auto& objects = *mPlacements->objects;
    for (std::size_t index = 0; index < objects.size(); ++index) {
        const ObjectPlacement& object = objects[index];
        const bool selected = isSelected(PlacementKind::Objects, static_cast<std::int32_t>(index));
        if (neverDrawn(object.id) && drawInvisible(painter, object, selected)) {
            continue;
        }
        if (const SpriteImage* sprite = mSprites != nullptr ? mSprites->object(object) : nullptr) {
            drawSpriteAt(painter, *sprite, object.x, object.y);
            if (selected) {
                const QRect area = objectArea(object);
                painter.setPen(QPen(kPickedColour, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(viewPoint(area.left(), area.top()),
                                        viewPoint(area.right() + 1, area.bottom() + 1)));
            }
            continue;
        }
        const QPointF at = viewPoint(object.x, object.y);
        const QRectF box(at - QPointF(marker / 2, marker / 2), QSizeF(marker, marker));
        painter.setPen(selected ? QPen(kPickedColour, 3) : QPen(Qt::white, 1));
        painter.setBrush(QColor(0, 140, 255, 170));
        painter.drawRect(box);
        if (mCellSize < kNumbersFrom * 2) {
            continue;
        }
        painter.setPen(Qt::white);
        painter.drawText(box.adjusted(-20, 0, 20, 0), Qt::AlignCenter,
                         QString::number(object.id, 16).toUpper().rightJustified(2, '0'));
        const std::string_view name = orvex::objectName(object.id);
        if (mCellSize >= kCellSize && !name.empty()) {
            const QString text = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
            QRectF label = painter.fontMetrics().boundingRect(text).toRectF();
            label.moveCenter(box.center() + QPointF(0, marker / 2 + label.height() / 2 + 1));
            painter.fillRect(label.adjusted(-2, 0, 2, 0), QColor(0, 0, 0, 170));
            painter.drawText(label, Qt::AlignCenter, text);
        }
    }
}

void MapCanvas::drawStart(QPainter& painter, double marker) const {
    if (!overlayShown(Overlay::Start) || !mPlacements->start) {
        return;
    }
    const QPointF at = viewPoint(mPlacements->start->x, mPlacements->start->y);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(0, 230, 90));
    painter.drawEllipse(at, marker / 1.5, marker / 1.5);
    painter.drawText(QRectF(at - QPointF(marker, marker), QSizeF(2 * marker, 2 * marker)),
                     Qt::AlignCenter, "S");
}

std::optional<std::uint8_t> MapCanvas::layoutBlock(PlaneCell cell) const {
    if (mLayout == nullptr || cell.column < 0 || cell.column >= kPlaneColumns) {
        return std::nullopt;
    }
    return mLayout->blockAt(toLayoutCell(mPlane, cell));
}

std::optional<std::uint8_t> MapCanvas::shownBlock(PlaneCell cell) const {
    const std::int32_t row = cell.row - mPreviewAt.row;
    const std::int32_t column = cell.column - mPreviewAt.column;
    if (!mPreview.isEmpty() && row >= 0 && row < mPreview.rows && column >= 0 &&
        column < mPreview.columns) {
        return mPreview.at(row, column);
    }
    return layoutBlock(cell);
}

QRect MapCanvas::viewRect(const CellRect& planeCells) const {
    if (planeCells.isEmpty()) {
        return {};
    }
    return {planeCells.column * mCellSize - mOrigin.x(), planeCells.row * mCellSize - mOrigin.y(),
            planeCells.columns * mCellSize, planeCells.rows * mCellSize};
}

void MapCanvas::updateLayoutCells(const CellRect& cells) {
    const std::int32_t first = firstColumn(mPlane);
    const std::int32_t left = std::max(cells.column, first);
    const std::int32_t right = std::min(cells.column + cells.columns, first + kPlaneColumns);
    if (right <= left || cells.rows <= 0) {
        return;
    }
    QRect area = viewRect({cells.row, left - first, cells.rows, right - left});
    if (mHighlight || mNumbers) {
        area = rect();  // a changed block can change what the overlays mark anywhere
    }
    update(area);
}

void MapCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::black);
    const std::optional<int> water = waterTop();
    if (!water || *water > area.bottom()) {
        drawPlanes(painter, area);
        return;
    }
    // Above the line in the level's colours, below it in the underwater ones.
    const QRect above(area.left(), area.top(), area.width(), *water - area.top());
    const QRect below = area.intersected(QRect(area.left(), *water, area.width(), area.height()));
    if (above.height() > 0) {
        painter.save();
        painter.setClipRect(above);
        drawPlanes(painter, above);
        painter.restore();
    }
    painter.setClipRect(below);
    mPass = BelowWater;
    drawPlanes(painter, below);
    mPass = AboveWater;
}

void MapCanvas::drawPlanes(QPainter& painter, const QRect& area) const {
    drawCells(painter, area, mPass);
    drawOverlays(painter, area);
    drawPlacements(painter);
}

void MapCanvas::drawCells(QPainter& painter, const QRect& area, Tint tint) const {
    const PlaneCell first = cellAt(area.topLeft());
    const PlaneCell last = cellAt(area.bottomRight());
    for (std::int32_t row = first.row; row <= last.row; ++row) {
        for (std::int32_t column = first.column; column <= last.column; ++column) {
            const auto block = shownBlock({row, column});
            if (!block) {
                continue;
            }
            const QRect target = cellRect({row, column});
            const QPixmap& picture = mBlockPictures[tint].at(*block, mCellSize);
            if (picture.isNull()) {
                continue;
            }
            drawPicture(painter, target, picture);
            if (mCollisionPath) {
                drawPicture(painter, target, mCollision.at(*block, mCellSize));
            }
            if (mHighlight == block) {
                painter.fillRect(target, kHighlightColour);
            }
            if (mNumbers && mCellSize >= kNumbersFrom) {
                drawNumber(painter, target, *block);
            }
        }
    }
}

void MapCanvas::drawPicture(QPainter& painter, const QRect& target, const QPixmap& picture) const {
    if (picture.isNull()) {
        return;
    }
    if (picture.width() == mCellSize) {
        painter.drawPixmap(target.topLeft(), picture);
    } else {
        painter.drawPixmap(target, picture);
    }
}

void MapCanvas::drawNumber(QPainter& painter, const QRect& cell, std::uint8_t block) const {
    const QString text = QString::number(block, 16).toUpper().rightJustified(2, '0');
    const QRect box(cell.topLeft() + QPoint(2, 2), QSize(std::min(cell.width() - 4, 22), 14));
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

void MapCanvas::drawOverlays(QPainter& painter, const QRect& area) const {
    if (mGrid) {
        painter.setPen(kGridColour);
        const QPoint first = cellRect(cellAt(area.topLeft())).topLeft();
        for (std::int32_t x = first.x(); x <= area.right(); x += mCellSize) {
            painter.drawLine(x, area.top(), x, area.bottom());
        }
        const std::int32_t top = first.y();
        for (std::int32_t y = top; y <= area.bottom(); y += mCellSize) {
            painter.drawLine(area.left(), y, area.right(), y);
        }
    }
    if (!mPreview.isEmpty() && (mPreview.rows > 1 || mPreview.columns > 1)) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(
            viewRect({mPreviewAt.row, mPreviewAt.column, mPreview.rows, mPreview.columns})
                .adjusted(0, 0, -1, -1));
    }
    if (mSelection) {
        const QRect selected = viewRect(*mSelection);
        painter.fillRect(selected, QColor(255, 255, 0, 50));
        painter.setPen(QPen(kSelectionColour, 2));
        painter.drawRect(selected.adjusted(1, 1, -1, -1));
    }
}

// The middle button, or the left one while Space is held, pans: the plane follows the pointer
// and the tools hear nothing of the drag.
void MapCanvas::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    mPointer = at;
    mButtons = event->buttons();
    mModifiers = event->modifiers();
    if (mPanFrom) {
        return;
    }
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && mPanKey)) {
        mPanFrom = at;
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (mTools != nullptr) {
        mTools->mousePressed(toolEvent(*event));
    }
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    mPointer = at;
    mButtons = event->buttons();
    mModifiers = event->modifiers();
    if (mPanFrom) {
        const QPoint by = *mPanFrom - at;
        mPanFrom = at;
        emit scrollRequested(by);
        return;
    }
    emit moved(cellAt(at), event->buttons());
    emit pointerMoved(levelPoint(event->position()), event->buttons(), event->modifiers());
    if (mTools != nullptr) {
        mTools->mouseMoved(toolEvent(*event));
    }
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    mButtons = event->buttons();
    mModifiers = event->modifiers();
    if (mPanFrom) {
        if (!(event->buttons() & (Qt::MiddleButton | Qt::LeftButton))) {
            mPanFrom.reset();
            setPanKey(mPanKey);
            reportPointer();
        }
        return;
    }
    if (event->button() == Qt::RightButton) {
        emit pickRequested(cellAt(event->position().toPoint()));
    }
    if (mTools != nullptr) {
        mTools->mouseReleased(toolEvent(*event));
    }
}

void MapCanvas::setPanKey(bool held) {
    mPanKey = held;
    if (mPanFrom) {
        return;
    }
    if (held) {
        setCursor(Qt::OpenHandCursor);
    } else if (mTools != nullptr && mTools->chosen() != nullptr) {
        setCursor(mTools->chosen()->cursor());
    } else {
        unsetCursor();
    }
}

// The chosen tool hears a key before the focus chain does (Tab) and before the canvas's own.
bool MapCanvas::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && mTools != nullptr &&
        mTools->keyPressed(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QWidget::event(event);
}

void MapCanvas::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!mPanFrom) {
        mPointer.reset();
    }
    emit left();
    if (mTools != nullptr) {
        mTools->mouseLeft();
    }
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    const int turned = angle.y() != 0 ? angle.y() : angle.x();
    mPointer = event->position().toPoint();
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        mZoomRemainder += turned;
        const int steps = mZoomRemainder / QWheelEvent::DefaultDeltasPerStep;
        mZoomRemainder %= QWheelEvent::DefaultDeltasPerStep;
        if (steps != 0) {
            emit zoomRequested(steps, event->position().toPoint());
        }
        return;
    }
    mWheelRemainder += turned * kCellSize;
    const int pixels = mWheelRemainder / kWheelDivisor;
    mWheelRemainder %= kWheelDivisor;
    if (pixels == 0) {
        return;
    }
    if ((event->modifiers() & Qt::ShiftModifier) || angle.y() == 0) {
        emit scrollRequested({-pixels, 0});
    } else {
        emit scrollRequested({0, -pixels});
    }
}

void MapCanvas::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            emit scrollRequested({-mCellSize, 0});
            break;
        case Qt::Key_Right:
            emit scrollRequested({mCellSize, 0});
            break;
        case Qt::Key_Up:
            emit scrollRequested({0, -mCellSize});
            break;
        case Qt::Key_Down:
            emit scrollRequested({0, mCellSize});
            break;
        case Qt::Key_Space:
            if (!event->isAutoRepeat()) {
                setPanKey(true);
            }
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void MapCanvas::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) {
        setPanKey(false);
    }
    event->accept();
}

void MapCanvas::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    setPanKey(false);
}

}  // namespace orvex
