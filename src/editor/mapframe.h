#pragma once

#include <QScrollBar>
#include <QWidget>
#include <array>
#include <cstdint>

#include "editor/filledshape.h"
#include "editor/picturecell.h"

namespace orvex {

inline constexpr std::int32_t kGridSize = 6;  // cells a side
inline constexpr std::int32_t kCellCount = kGridSize * kGridSize;
inline constexpr std::int32_t kCellSize = 128;  // pixels a side

// MapaFase: the black frame of the map view. It holds the 6 x 6 grid of cells Mapa(0..35),
// the scroll bars HScroll1 (first column shown, 0..120 by design; the window widens it to the
// whole plane once a level is shown) and VScroll2 (first row shown, 0..13) and the corner
// square Canto. The scroll bars lie above the cells.
class MapFrame : public QWidget {
    Q_OBJECT

public:
    explicit MapFrame(QWidget* form);

    [[nodiscard]] PictureCell* cell(std::int32_t index) const;
    [[nodiscard]] QScrollBar* horizontalBar() const { return mHScroll1; }
    [[nodiscard]] QScrollBar* verticalBar() const { return mVScroll2; }
    [[nodiscard]] FilledShape* corner() const { return mCanto; }
    // The view origin within the plane shown: column x = HScroll1, row y = VScroll2.
    [[nodiscard]] std::int32_t originColumn() const { return mHScroll1->value(); }
    [[nodiscard]] std::int32_t originRow() const { return mVScroll2->value(); }
    // The part of the grid that can be seen, from its top left: left of VScroll2, above
    // HScroll1 and inside the form.
    [[nodiscard]] QSize visibleGridArea() const;

signals:
    // A scroll bar finished a change (not while its thumb is dragged).
    void originChanged();
    void cellClicked(int index);
    void cellRightClicked(int index);
    void cellMouseMoved(int index);

private:
    void createCells();
    QScrollBar* createBar(Qt::Orientation orientation, const char* name, QRect geometry,
                          int maximum);

    std::array<PictureCell*, kCellCount> mCells{};
    FilledShape* mCanto = nullptr;
    QScrollBar* mHScroll1 = nullptr;
    QScrollBar* mVScroll2 = nullptr;
};

}  // namespace orvex
