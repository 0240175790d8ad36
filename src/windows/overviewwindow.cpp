#include "windows/overviewwindow.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace orvex {

namespace {

constexpr std::int32_t kEmptyRows = 16;  // the height shown before there is a layout

QImage imageView(const Image& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels().data()), image.width(),
                  image.height(), image.width() * 4, QImage::Format_RGB32);
}

}  // namespace

OverviewWindow::OverviewWindow(QWidget* owner) : QWidget(owner) {
    setObjectName("Overview");
    setWindowTitle("Level Overview");
    setFixedSize(kPlaneColumns * kOverviewCellPixels, kEmptyRows * kOverviewCellPixels);
    setCursor(Qt::PointingHandCursor);
}

void OverviewWindow::forgetBlocks() {
    mMiniatures = {};
}

void OverviewWindow::showPlane(const LevelArt& art, const Layout& layout, Plane plane) {
    if (mMiniatures.images.empty()) {
        mMiniatures = makeMiniatures(art.blocks, art.colours, kOverviewCellPixels);
    }
    const Image overview = renderOverview(mMiniatures, layout, plane);
    mPicture = overview.isNull() ? QPixmap() : QPixmap::fromImage(imageView(overview).copy());
    if (!mPicture.isNull()) {
        setFixedSize(mPicture.size());
    }
    update();
}

void OverviewWindow::updateCell(std::int32_t column, std::int32_t row, std::uint8_t block) {
    if (mPicture.isNull() || mMiniatures.images.empty()) {
        return;
    }
    const QPoint at(column * kOverviewCellPixels, row * kOverviewCellPixels);
    QPainter painter(&mPicture);
    painter.drawImage(at, imageView(mMiniatures.images[block]));
    painter.end();
    update(QRect(at, QSize(kOverviewCellPixels, kOverviewCellPixels)));
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
    const QRectF scaled(mViewArea.topLeft() * kOverviewCellPixels,
                        mViewArea.size() * kOverviewCellPixels);
    return scaled.toAlignedRect();
}

void OverviewWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    painter.drawPixmap(0, 0, mPicture);
    if (!mViewArea.isEmpty()) {
        painter.setPen(QPen(QColor(255, 255, 0), 2));
        painter.drawRect(QRectF(viewRect()).adjusted(1, 1, -1, -1));
    }
}

void OverviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || mPicture.isNull()) {
        return;
    }
    const QPoint at = event->position().toPoint();
    emit cellClicked(at.x() / kOverviewCellPixels, at.y() / kOverviewCellPixels);
}

}  // namespace orvex
