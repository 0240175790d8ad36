#pragma once

#include <QScrollBar>
#include <QWidget>
#include <cstdint>

#include "editor/map/mapcanvas.h"
#include "widgets/filledshape.h"

namespace orvex {

inline constexpr std::int32_t kGridSize = 6;  // cells a side of the design's view at 100%

// MapaFase: the black frame of the map view. It holds the canvas Mapa, the scroll bars
// HScroll1 and VScroll2, whose values are the view's origin in the canvas's pixels (at 100% by
// design 0..120 columns and 0..13 rows; the map widens HScroll1 to the whole plane once a level
// is shown), and the corner square Canto. The canvas takes the part of the frame left of
// VScroll2 and above HScroll1, and nothing of the frame shows beyond the bars.
class MapFrame : public QWidget {
    Q_OBJECT

public:
    explicit MapFrame(QWidget* form);

    [[nodiscard]] MapCanvas* canvas() const { return mCanvas; }
    [[nodiscard]] QScrollBar* horizontalBar() const { return mHScroll1; }
    [[nodiscard]] QScrollBar* verticalBar() const { return mVScroll2; }
    [[nodiscard]] FilledShape* corner() const { return mCanto; }
    // The view origin within the plane shown, in the canvas's pixels: x = HScroll1, y = VScroll2.
    [[nodiscard]] QPoint origin() const { return {mHScroll1->value(), mVScroll2->value()}; }
    // The first column and row the view shows whole.
    [[nodiscard]] std::int32_t originColumn() const;
    [[nodiscard]] std::int32_t originRow() const;
    // The part of the frame that can be seen, from its top left: left of VScroll2, above
    // HScroll1 and inside the form.
    [[nodiscard]] QSize visibleGridArea() const;
    // Fits the canvas to visibleGridArea() and hides what of the frame lies beyond the bars;
    // after the bars have moved.
    void fitToBars();

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
