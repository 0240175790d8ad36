#pragma once

#include <QScrollBar>
#include <QWidget>
#include <cstdint>

#include "editor/map/mapcanvas.h"
#include "widgets/filledshape.h"

namespace orvex {

inline constexpr std::int32_t kGridSize = 6;  // cells a side of the design's view at 100%

// MapaFase: the black frame of the map view. It holds the canvas Mapa, the scroll bars
// HScroll1 (first column shown, 0..120 by design; the window widens it to the whole plane once
// a level is shown) and VScroll2 (first row shown, 0..13) and the corner square Canto. The
// scroll bars lie above the canvas, which fills the frame.
class MapFrame : public QWidget {
    Q_OBJECT

public:
    explicit MapFrame(QWidget* form);

    [[nodiscard]] MapCanvas* canvas() const { return mCanvas; }
    [[nodiscard]] QScrollBar* horizontalBar() const { return mHScroll1; }
    [[nodiscard]] QScrollBar* verticalBar() const { return mVScroll2; }
    [[nodiscard]] FilledShape* corner() const { return mCanto; }
    // The view origin within the plane shown: column x = HScroll1, row y = VScroll2.
    [[nodiscard]] std::int32_t originColumn() const { return mHScroll1->value(); }
    [[nodiscard]] std::int32_t originRow() const { return mVScroll2->value(); }
    // The part of the canvas that can be seen, from its top left: left of VScroll2, above
    // HScroll1 and inside the form.
    [[nodiscard]] QSize visibleGridArea() const;

signals:
    // A scroll bar finished a change (not while its thumb is dragged).
    void originChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QScrollBar* createBar(Qt::Orientation orientation, const char* name, QRect geometry,
                          int maximum);

    MapCanvas* mCanvas = nullptr;
    FilledShape* mCanto = nullptr;
    QScrollBar* mHScroll1 = nullptr;
    QScrollBar* mVScroll2 = nullptr;
};

}  // namespace orvex
