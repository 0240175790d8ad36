#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "rom/collision.h"
#include "widgets/piecesheet.h"
#include "widgets/pixelline.h"

namespace orvex {

// Draws `shape` into a 16x16 picture: its solid pixels as the floor sensors see them (from the
// vertical heights) light on dark, grey where a column stands on the bottom edge, blue where
// it hangs from the top edge (a negative height).
void paintShape(const Shape& shape, QImage& picture);

// What the colours of paintShape and the labels of ShapeSheet mean, for a line under a sheet.
[[nodiscard]] QString shapeLegend();

// A sheet of the 256 collision shapes, 16 a row, parted by a grid, each with its number in its
// top left corner and its angle in its bottom left one; the shapes come from `shapes` (none:
// every shape empty).
class ShapeSheet : public PieceSheet {
    Q_OBJECT

public:
    explicit ShapeSheet(QWidget* parent = nullptr);
    void setShapes(const CollisionShapes* shapes);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CollisionShapes* mShapes = nullptr;
};

// One shape's 16x16 solid mask, large: the left button makes pixels solid, the right one empty.
// A gesture (a press, the drag after it) changes the mask shown; on release it reports it once.
class ShapeEditor : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPixel = 14;

    explicit ShapeEditor(QWidget* parent = nullptr);

    void setMask(const ShapeMask& mask);
    [[nodiscard]] const ShapeMask& mask() const { return mMask; }
    [[nodiscard]] QRect pixelRect(int x, int y) const;
    [[nodiscard]] QSize sizeHint() const override;

signals:
    void edited(const orvex::ShapeMask& mask);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintAt(QPoint at);

    ShapeMask mMask;
    ShapeMask mBefore;
    bool mSolid = true;  // what the gesture paints
    bool mDrawing = false;
    std::optional<QPoint> mLast;  // the pixel the stroke reached last
};

}  // namespace orvex
