#include "editor/map/mapframe.h"

#include <QApplication>
#include <QPalette>
#include <QResizeEvent>

namespace orvex {

MapFrame::MapFrame(QWidget* form) : QWidget(form) {
    setObjectName("MapaFase");
    setGeometry(86, 0, 582, 460);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    mCanvas = new MapCanvas(this);
    mCanvas->setGeometry(rect());
    const QPalette system = QApplication::palette();
    mCanto =
        new FilledShape(this, system.color(QPalette::Button), system.color(QPalette::ButtonText));
    mCanto->setObjectName("Canto");
    mCanto->setGeometry(545, 438, 18, 18);
    mHScroll1 = createBar(Qt::Horizontal, "HScroll1", QRect(0, 439, 546, 17), 120);
    mVScroll2 = createBar(Qt::Vertical, "VScroll2", QRect(546, 0, 17, 439), 13);
}

QSize MapFrame::visibleGridArea() const {
    const QRect open(0, 0, mVScroll2->x(), mHScroll1->y());
    const QRect inForm = parentWidget()->rect().translated(-pos());
    return (open & inForm).size();
}

void MapFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    mCanvas->setGeometry(rect());
}

QScrollBar* MapFrame::createBar(Qt::Orientation orientation, const char* name, QRect geometry,
                                int maximum) {
    auto* bar = new QScrollBar(orientation, this);
    bar->setObjectName(name);
    bar->setGeometry(geometry);
    bar->setRange(0, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setTracking(false);
    connect(bar, &QScrollBar::valueChanged, this, &MapFrame::originChanged);
    return bar;
}

}  // namespace orvex
