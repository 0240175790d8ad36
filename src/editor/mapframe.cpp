#include "editor/mapframe.h"

#include <QApplication>
#include <QPalette>

namespace orvex {

MapFrame::MapFrame(QWidget* form) : QWidget(form) {
    setObjectName("MapaFase");
    setGeometry(86, 0, 582, 460);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    createCells();
    const QPalette system = QApplication::palette();
    mCanto =
        new FilledShape(this, system.color(QPalette::Button), system.color(QPalette::ButtonText));
    mCanto->setObjectName("Canto");
    mCanto->setGeometry(545, 438, 18, 18);
    mHScroll1 = createBar(Qt::Horizontal, "HScroll1", QRect(0, 439, 546, 17), 120);
    mVScroll2 = createBar(Qt::Vertical, "VScroll2", QRect(546, 0, 17, 439), 13);
}

PictureCell* MapFrame::cell(std::int32_t index) const {
    return mCells.at(static_cast<std::size_t>(index));
}

QSize MapFrame::visibleGridArea() const {
    const QRect grid(0, 0, kGridSize * kCellSize, kGridSize * kCellSize);
    const QRect open(0, 0, mVScroll2->x(), mHScroll1->y());
    const QRect inForm = parentWidget()->rect().translated(-pos());
    return (grid & open & inForm).size();
}

void MapFrame::createCells() {
    for (std::int32_t i = 0; i < kCellCount; ++i) {
        auto* cell = new PictureCell(this, "Mapa", static_cast<std::int16_t>(i));
        cell->setGeometry(kCellSize * (i % kGridSize), kCellSize * (i / kGridSize), kCellSize,
                          kCellSize);
        connect(cell, &PictureCell::clicked, this, &MapFrame::cellClicked);
        connect(cell, &PictureCell::rightClicked, this, &MapFrame::cellRightClicked);
        connect(cell, &PictureCell::mouseMoved, this, &MapFrame::cellMouseMoved);
        mCells[static_cast<std::size_t>(i)] = cell;
    }
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
