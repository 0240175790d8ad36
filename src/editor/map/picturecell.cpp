#include "editor/map/picturecell.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvex {

PictureCell::PictureCell(QWidget* parent, const QString& arrayName, std::int16_t index)
    : PictureBox(parent), mIndex(index) {
    setObjectName(arrayName);
    setMouseTracking(true);
}

void PictureCell::setMarked(bool marked) {
    if (marked != mMarked) {
        mMarked = marked;
        update();
    }
}

void PictureCell::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintPicture(painter);
    if (mMarked) {
        // Two pixels of yellow inside the edge, with a dark line inside that, so the frame
        // shows on light and dark blocks alike.
        painter.setPen(QPen(kMarkColour, kMarkWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(kMarkWidth, kMarkWidth, -kMarkWidth - 1, -kMarkWidth - 1));
    }
}

void PictureCell::mouseReleaseEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        emit clicked(mIndex);
    } else if (event->button() == Qt::RightButton) {
        emit rightClicked(mIndex);
    }
}

void PictureCell::mouseMoveEvent(QMouseEvent* /*event*/) {
    emit mouseMoved(mIndex);
}

}  // namespace orvex
