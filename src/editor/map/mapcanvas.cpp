#include "editor/map/mapcanvas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "editor/map/maplayers.h"

namespace orvex {

namespace {

// A wheel notch moves the view a third of a cell at 100%, the same distance on screen at every
// zoom: the wheel's angle times kCellSize over kWheelDivisor is in pixels.
constexpr int kWheelDivisor = 3 * QWheelEvent::DefaultDeltasPerStep;

}  // namespace

MapCanvas::MapCanvas(QWidget* frame) : QWidget(frame) {
    setObjectName("Mapa");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    mPlacements.setFontFamily(font().family());
}

void MapCanvas::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        mPlacements.setFontFamily(font().family());
    }
}

// ---- the block layer ----

void MapCanvas::setPictureMaker(const PictureMaker& make) {
    mBlocks.setPictureMaker(make);
}

void MapCanvas::forgetBlockPictures(const std::vector<std::int32_t>& blocks) {
    mBlocks.forgetBlockPictures(blocks);
    updateBlocks(blocks);
}

void MapCanvas::setCollision(std::optional<std::int32_t> path, BlockPictureCache::Maker make) {
    mBlocks.setCollision(path, std::move(make));
    update();
}

void MapCanvas::forgetCollision(const std::vector<std::int32_t>& blocks) {
    if (mBlocks.forgetCollision(blocks)) {
        updateBlocks(blocks);
    }
}

void MapCanvas::clearBlockPictures() {
    mBlocks.clearBlockPictures();
    update();
}

void MapCanvas::updateBlocks(const std::vector<std::int32_t>& blocks) {
    if (blocks.empty() || !mBlocks.hasLayout()) {
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
    mBlocks.setLayout(layout, plane);
    update();
}

void MapCanvas::setPreview(PlaneCell at, const CellPattern& pattern) {
    if (mBlocks.isPreview(at, pattern)) {
        return;
    }
    const MapGeometry view = mapGeometry();
    update(view.viewRect(mBlocks.previewCells()));
    mBlocks.setPreview(at, pattern);
    update(view.viewRect(mBlocks.previewCells()));
}

void MapCanvas::clearPreview() {
    setPreview(mBlocks.previewAt(), {});
}

void MapCanvas::setSelection(const std::optional<CellRect>& cells) {
    if (cells != mBlocks.selection()) {
        mBlocks.setSelection(cells);
        update();
    }
}

void MapCanvas::setGrid(bool shown) {
    mBlocks.setGrid(shown);
    update();
}

void MapCanvas::setNumbers(bool shown) {
    mBlocks.setNumbers(shown);
    update();
}

void MapCanvas::setHighlight(std::optional<std::uint8_t> block) {
    if (block != mBlocks.highlight()) {
        mBlocks.setHighlight(block);
        update();
    }
}

void MapCanvas::updateLayoutCells(const CellRect& cells) {
    const std::int32_t first = firstColumn(plane());
    const std::int32_t left = std::max(cells.column, first);
    const std::int32_t right = std::min(cells.column + cells.columns, first + kPlaneColumns);
    if (right <= left || cells.rows <= 0) {
        return;
    }
    QRect area = mapGeometry().viewRect({cells.row, left - first, cells.rows, right - left});
    if (mBlocks.highlight() || mBlocks.numbers()) {
        area = rect();  // a changed block can change what the overlays mark anywhere
    }
    update(area);
}

// ---- the view ----

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
    return mapGeometry().cellAt(point);
}

QRect MapCanvas::cellRect(PlaneCell cell) const {
    return mapGeometry().cellRect(cell);
}

QSize MapCanvas::cellsIn(QSize area) const {
    const QSize size = area.isEmpty() ? this->size() : area;
    return {(size.width() + mCellSize - 1) / mCellSize,
            (size.height() + mCellSize - 1) / mCellSize};
}

QPoint MapCanvas::levelPoint(QPointF viewPoint) const {
    return mapGeometry().levelPoint(viewPoint);
}

void MapCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.save();
    paintMapLayers(painter, event->rect(), mapGeometry(), mBlocks, mPlacements);
    painter.restore();
    if (mTools != nullptr) {
        mTools->paintPreview(painter, {event->rect()});
    }
}

// ---- the placement layer ----

void MapCanvas::setPlacements(const LevelParts* parts) {
    mPlacements.setPlacements(parts);
    update();
}

void MapCanvas::placementsChanged() {
    const QRegion region = mPlacements.changedRegion(mapGeometry());
    if (plane() == Plane::Foreground && !region.isEmpty()) {
        update(region.intersected(rect()));
    }
}

void MapCanvas::setSprites(const LevelSprites* sprites, const ColourTable& colours,
                           const std::optional<ColourTable>& underwater) {
    mPlacements.setSprites(sprites, colours, underwater);
    update();
}

QRect MapCanvas::objectArea(const ObjectPlacement& object) const {
    return mPlacements.objectArea(object, mCellSize);
}

void MapCanvas::setZoneAct(ZoneAct act) {
    mPlacements.setZoneAct(act);
    update();
}

void MapCanvas::setInvisibleShown(bool shown) {
    mPlacements.setInvisibleShown(shown);
    update();
}

void MapCanvas::setWaterLine(std::optional<std::int32_t> height) {
    mPlacements.setWaterLine(height);
    update();
}

void MapCanvas::setOverlay(Overlay overlay, bool shown) {
    mPlacements.setOverlay(overlay, shown);
    update();
}

std::int32_t MapCanvas::hitRadius() const {
    return PlacementPainter::hitRadius(mCellSize);
}

void MapCanvas::setPlacementSelection(PlacementKind kind, std::vector<std::int32_t> indices) {
    if (mPlacements.setSelection(kind, std::move(indices))) {
        update();
    }
}

// ---- input ----

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
