#pragma once

#include <QPixmap>
#include <QRectF>
#include <QWidget>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>

#include "document/layout.h"
#include "graphics/levelart.h"
#include "graphics/overview.h"

class QPainter;

namespace orvex {

inline constexpr std::int32_t kOverviewCellPixels = 8;  // one layout cell in the overview

// Overview: the whole plane drawn small (in a dock below the map), kOverviewCellPixels to a layout
// cell or larger where the window has room for more, and a yellow rectangle where the map view
// is. Its picture is made from miniatures of the block pictures (made once for each level,
// nothing is decoded) and kept: an edit redraws one cell of it and a move of the map view only
// repaints. A left click outside the rectangle reports the cell under the pointer; a drag with
// the left button then reports how far the pointer moves.
class OverviewWindow : public QWidget {
    Q_OBJECT

public:
    explicit OverviewWindow(QWidget* owner);

    // The block pictures have changed (another level): the miniatures are made again next time.
    void forgetBlocks();
    // Draws `plane` of `layout` anew; without a complete layout row the window shows nothing.
    void showPlane(const LevelArt& art, const Layout& layout, Plane plane);
    // Redraws one cell of the kept picture: its column within the plane, its row and its block.
    void updateCell(std::int32_t column, std::int32_t row, std::uint8_t block);
    // The pictures of blocks `blocks` changed: the cells of `plane` of `layout` that show them
    // are redrawn with new miniatures (of the other blocks, when a plane is drawn next).
    void blocksChanged(const LevelArt& art, const Layout& layout, Plane plane,
                       std::span<const std::int32_t> blocks);
    // Where the map view is, in layout cells (fractions for cells seen in part).
    void setViewArea(const QRectF& cells);

    [[nodiscard]] const QPixmap& picture() const { return mPicture; }
    // The view rectangle in the window's pixels.
    [[nodiscard]] QRect viewRect() const;
    // The window's pixels to a layout cell: kOverviewCellPixels, or more in a larger window.
    [[nodiscard]] double cellPixels() const;
    [[nodiscard]] QSize sizeHint() const override;

signals:
    void cellClicked(int column, int row);
    // The pointer moved by `cells` (layout cells, in fractions) while dragging.
    void viewDragged(QPointF cells);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] QSize pictureSize() const;
    // Draws the miniature of `block` into the kept picture at a cell.
    void drawCell(QPainter& painter, std::int32_t column, std::int32_t row,
                  std::uint8_t block) const;
    // A cell in the window's pixels.
    [[nodiscard]] QRect cellRect(std::int32_t column, std::int32_t row) const;

    BlockMiniatures mMiniatures;
    std::bitset<kBlockCount> mStale;  // blocks changed whose miniatures are not made again yet
    QPixmap mPicture;
    QRectF mViewArea;
    std::optional<QPointF> mDragFrom;
};

}  // namespace orvex
