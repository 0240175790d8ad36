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
    mHScroll1 = createBar(Qt::Horizontal, "HScroll1", QRect(0, 439, 546, 17), 120 * kCellSize);
    mVScroll2 = createBar(Qt::Vertical, "VScroll2", QRect(546, 0, 17, 439), 13 * kCellSize);
    fitToBars();
}

namespace {

// The first whole cell from a pixel origin.
std::int32_t firstWhole(std::int32_t pixels, std::int32_t cellSize) {
    return (pixels + cellSize - 1) / cellSize;
}

}  // namespace

std::int32_t MapFrame::originColumn() const {
    return firstWhole(mHScroll1->value(), mCanvas->cellSize());
}

std::int32_t MapFrame::originRow() const {
    return firstWhole(mVScroll2->value(), mCanvas->cellSize());
}

QSize MapFrame::visibleGridArea() const {
    const QRect open(0, 0, mVScroll2->x(), mHScroll1->y());
    const QRect inForm = parentWidget()->rect().translated(-pos());
    return (open & inForm).size();
}

// The frame reaches past the form's right and bottom edges, and the bars stop short of them;
// what lies between belongs to the form, as at the design size. The canvas keeps to what can
// be seen, so no stale part of it shows there when the bars move (a dock opening or closing).
void MapFrame::fitToBars() {
    mCanvas->setGeometry(QRect(QPoint(0, 0), visibleGridArea()));
    setMask(QRegion(0, 0, mVScroll2->geometry().right() + 1, mHScroll1->geometry().bottom() + 1));
}

void MapFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToBars();
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
