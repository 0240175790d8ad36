#include "widgets/linewidget.h"

#include <QPainter>
#include <QRect>

namespace orvex {

LineWidget::LineWidget(QWidget* parent, QPoint from, QPoint to, QColor colour)
    : QWidget(parent), mFrom(from), mTo(to), mColour(colour) {
    setGeometry(QRect(from, to).normalized());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (mFrom.x() == mTo.x() || mFrom.y() == mTo.y()) {
        // Across or down: the widget is the line. Filling it is much cheaper than stroking a
        // pen, and the progress window repaints its frame lines hundreds of times a load.
        painter.fillRect(rect(), mColour);
        return;
    }
    painter.setPen(mColour);
    painter.drawLine(mFrom - pos(), mTo - pos());
}

}  // namespace orvex
