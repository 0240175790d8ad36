#include "widgets/filledshape.h"

#include <QPainter>

namespace orvex {

FilledShape::FilledShape(QWidget* parent, QColor fill, std::optional<QColor> border)
    : QWidget(parent), mFill(fill), mBorder(border) {}

void FilledShape::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), mFill);
    if (mBorder) {
        painter.setPen(*mBorder);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace orvex
