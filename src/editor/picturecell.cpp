#include "editor/picturecell.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvex {

PictureCell::PictureCell(QWidget* parent, const QString& arrayName, std::int16_t index)
    : QWidget(parent), mIndex(index) {
    setObjectName(arrayName);
    setMouseTracking(true);
}

void PictureCell::setPicture(const QPixmap& picture) {
    if (picture.cacheKey() == mPicture.cacheKey()) {
        return;
    }
    mPicture = picture;
    update();
}

void PictureCell::paintEvent(QPaintEvent* /*event*/) {
    if (mPicture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), mPicture);
}

void PictureCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked(mIndex);
    }
}

void PictureCell::mouseMoveEvent(QMouseEvent* /*event*/) {
    emit mouseMoved(mIndex);
}

}  // namespace orvex
