#include "editor/linewidget.h"

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
    painter.setPen(mColour);
    painter.drawLine(mFrom - pos(), mTo - pos());
}

}  // namespace orvex
