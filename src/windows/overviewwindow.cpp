#include "windows/overviewwindow.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <bitset>

namespace orvex {

namespace {

constexpr std::int32_t kEmptyRows = 16;  // the height shown before there is a layout

QImage imageView(const Image& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels().data()), image.width(),
                  image.height(), image.width() * 4, QImage::Format_RGB32);
}

std::vector<std::int32_t> listed(const std::bitset<kBlockCount>& blocks) {
    std::vector<std::int32_t> list;
    for (std::int32_t block = 0; block < kBlockCount; ++block) {
        if (blocks.test(static_cast<std::size_t>(block))) {
            list.push_back(block);
        }
    }
    return list;
}

}  // namespace

OverviewWindow::OverviewWindow(QWidget* owner) : QWidget(owner) {
    setObjectName("Overview");
    setWindowTitle("Level Overview");
    setMinimumSize(pictureSize());
    setCursor(Qt::PointingHandCursor);
}

QSize OverviewWindow::pictureSize() const {
    return mPicture.isNull()
               ? QSize(kPlaneColumns * kOverviewCellPixels, kEmptyRows * kOverviewCellPixels)
               : mPicture.size();
}

QSize OverviewWindow::sizeHint() const {
    return pictureSize();
}

// The picture grows, keeping its shape, to fill the window; it never shrinks.
double OverviewWindow::cellPixels() const {
    const QSize picture = pictureSize();
    const double scale = std::min(static_cast<double>(width()) / picture.width(),
                                  static_cast<double>(height()) / picture.height());
    return kOverviewCellPixels * std::max(1.0, scale);
}

void OverviewWindow::forgetBlocks() {
    mMiniatures = {};
    mStale.reset();
}

void OverviewWindow::showPlane(const LevelArt& art, const Layout& layout, Plane plane) {
    if (mMiniatures.images.empty()) {
        mMiniatures = makeMiniatures(art.blocks, art.colours, kOverviewCellPixels);
    } else if (mStale.any()) {
        updateMiniatures(mMiniatures, art.blocks, art.colours, listed(mStale));
    }
    mStale.reset();
    const Image overview = renderOverview(mMiniatures, layout, plane);
    mPicture = overview.isNull() ? QPixmap() : QPixmap::fromImage(imageView(overview).copy());
    setMinimumSize(pictureSize());
    updateGeometry();
    update();
}

void OverviewWindow::updateCell(std::int32_t column, std::int32_t row, std::uint8_t block) {
    if (mPicture.isNull() || mMiniatures.images.empty()) {
        return;
    }
    QPainter painter(&mPicture);
    drawCell(painter, column, row, block);
    painter.end();
    update(cellRect(column, row));
}

void OverviewWindow::drawCell(QPainter& painter, std::int32_t column, std::int32_t row,
                              std::uint8_t block) const {
    const QPoint at(column * kOverviewCellPixels, row * kOverviewCellPixels);
    painter.drawImage(at, imageView(mMiniatures.images[block]));
}

QRect OverviewWindow::cellRect(std::int32_t column, std::int32_t row) const {
    const double scale = cellPixels();
    return QRectF(column * scale, row * scale, scale, scale).toAlignedRect();
}

// Only the miniatures of blocks the plane shows are made at once; the others when a plane is
// drawn anew. A busy piece reaches most cells, so they are drawn with one painter and repainted
// as one rectangle.
void OverviewWindow::blocksChanged(const LevelArt& art, const Layout& layout, Plane plane,
                                   std::span<const std::int32_t> blocks) {
    if (mPicture.isNull() || mMiniatures.images.empty() || blocks.empty()) {
        return;
    }
    std::bitset<kBlockCount> changed;
    for (const std::int32_t block : blocks) {
        changed.set(static_cast<std::size_t>(block));
    }
    std::bitset<kBlockCount> shown;
    for (std::int32_t row = 0; row < layout.completeRows(); ++row) {
        for (const std::uint8_t block : layout.planeRow(plane, row)) {
            shown.set(block);
        }
    }
    mStale |= changed & ~shown;
    updateMiniatures(mMiniatures, art.blocks, art.colours, listed(changed & shown));
    QPainter painter(&mPicture);
    QRect dirty;
    for (std::int32_t row = 0; row < layout.completeRows(); ++row) {
        const auto cells = layout.planeRow(plane, row);
        for (std::int32_t column = 0; column < kPlaneColumns; ++column) {
            const std::uint8_t block = cells[static_cast<std::size_t>(column)];
            if (changed.test(block)) {
                drawCell(painter, column, row, block);
                dirty |= cellRect(column, row);
            }
        }
    }
    painter.end();
    if (!dirty.isNull()) {
        update(dirty);
    }
}

void OverviewWindow::setViewArea(const QRectF& cells) {
    if (cells == mViewArea) {
        return;
    }
    const QRect before = viewRect();
    mViewArea = cells;
    update(before.adjusted(-2, -2, 2, 2));
    update(viewRect().adjusted(-2, -2, 2, 2));
}

QRect OverviewWindow::viewRect() const {
    const double scale = cellPixels();
    const QRectF scaled(mViewArea.topLeft() * scale, mViewArea.size() * scale);
    return scaled.toAlignedRect();
}

void OverviewWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    const double scale = cellPixels() / kOverviewCellPixels;
    if (scale == 1.0) {
        painter.drawPixmap(0, 0, mPicture);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(mPicture.size()) * scale), mPicture,
                           QRectF(mPicture.rect()));
    }
    if (!mViewArea.isEmpty()) {
        painter.setPen(QPen(QColor(255, 255, 0), 2));
        painter.drawRect(QRectF(viewRect()).adjusted(1, 1, -1, -1));
    }
}

// A press on the view's rectangle takes hold of it where it is; elsewhere the view first moves
// to the cell pressed.
void OverviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || mPicture.isNull()) {
        return;
    }
    const QPointF at = event->position();
    mDragFrom = at;
    if (!viewRect().contains(at.toPoint())) {
        const double scale = cellPixels();
        emit cellClicked(static_cast<int>(at.x() / scale), static_cast<int>(at.y() / scale));
    }
}

void OverviewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!mDragFrom || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPointF at = event->position();
    const QPointF by = (at - *mDragFrom) / cellPixels();
    mDragFrom = at;
    emit viewDragged(by);
}

void OverviewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mDragFrom.reset();
    }
}

}  // namespace orvex
