#pragma once

#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/cellpattern.h"
#include "document/layout.h"
#include "document/levelparts.h"
#include "editor/map/blocklayerpainter.h"
#include "editor/map/mapgeometry.h"
#include "editor/map/placementkind.h"
#include "editor/map/placementpainter.h"
#include "editor/shell/toolmanager.h"
#include "graphics/indexedimage.h"
#include "graphics/sprites.h"

namespace orvex {

// Mapa: the map's canvas, the part of the map frame left of and above its scroll bars. It draws
// one plane of the layout from the block pictures, each cell cellSize() pixels a side, its top
// left showing the plane's pixel origin() (at that size, counted from the plane's top left
// corner); cells outside the plane's columns or the layout's rows are drawn empty. Over the cells
// it draws what the layout tools' model shows: a preview of the blocks to be placed under the
// pointer, the selection, and on request grid lines, block numbers and the cells that use one
// block; over every layer, the chosen tool's own preview (AbstractTool::paintPreview). It hands
// the mouse and the keys to the chosen tool of its ToolManager and reports the pointer in plane
// cells and level pixels; a drag with the middle button, or with the left one while Space is
// held, asks for the view to move instead, and a right click asks for the block under it. The
// canvas is the view and the input: the block layer and the placement layer paint themselves
// (BlockLayerPainter, PlacementPainter); its setters hand them what to draw and repaint what
// changed.
class MapCanvas : public QWidget {
    Q_OBJECT

public:
    explicit MapCanvas(QWidget* frame);

    // How to make a block's picture at 100% (128 x 128), above the water or in the underwater
    // colours (null for an act without water); each is made when a cell first shows it.
    using PictureMaker = BlockLayerPainter::PictureMaker;
    void setPictureMaker(const PictureMaker& make);
    // The pictures of `blocks` are out of date: each is made again through the picture maker
    // when a cell first shows it, and the cells that show them now are repainted. An edit that
    // reaches many blocks costs only the ones in view.
    void forgetBlockPictures(const std::vector<std::int32_t>& blocks);
    // Draws over each cell the picture `make` gives of its block's ground on collision path
    // `path` (none: no ground drawn), under the grid and the placements.
    void setCollision(std::optional<std::int32_t> path, BlockPictureCache::Maker make);
    [[nodiscard]] std::optional<std::int32_t> collisionPath() const {
        return mBlocks.collisionPath();
    }
    // The ground of `blocks` changed: made again when next drawn.
    void forgetCollision(const std::vector<std::int32_t>& blocks);
    // Repaints the cells that show any of `blocks`.
    void updateBlocks(const std::vector<std::int32_t>& blocks);
    void clearBlockPictures();
    // What to draw: a plane of `layout` (null: nothing).
    void setLayout(const Layout* layout, Plane plane);
    // The cell size and the pixel of the plane at the canvas's top left. When the view moves
    // under a pointer that lies on the canvas, the pointer's cell and level pixel are reported
    // again (moved, pointerMoved) as if it had moved.
    void setView(std::int32_t cellSize, QPoint origin);
    void setOrigin(QPoint origin) { setView(mCellSize, origin); }
    [[nodiscard]] std::int32_t cellSize() const { return mCellSize; }
    [[nodiscard]] QPoint origin() const { return mOrigin; }
    [[nodiscard]] Plane plane() const { return mBlocks.plane(); }

    // The plane cell under a point of the canvas (columns past the plane included).
    [[nodiscard]] PlaneCell cellAt(QPoint point) const;
    [[nodiscard]] QRect cellRect(PlaneCell cell) const;
    // Cells the canvas shows whole or in part across and down, within `area` (its own size when
    // empty).
    [[nodiscard]] QSize cellsIn(QSize area) const;

    // The blocks shown at `at` instead of the layout's (a block to place, cells to paste).
    void setPreview(PlaneCell at, const CellPattern& pattern);
    void clearPreview();
    [[nodiscard]] bool hasPreview() const { return mBlocks.hasPreview(); }
    void setSelection(const std::optional<CellRect>& cells);
    [[nodiscard]] const std::optional<CellRect>& selection() const { return mBlocks.selection(); }
    void setGrid(bool shown);
    void setNumbers(bool shown);
    void setHighlight(std::optional<std::uint8_t> block);
    // What is placed in the level, drawn over the foreground: objects as markers with their id,
    // rings, the start position and the camera's boundaries. Null: none.
    void setPlacements(const LevelParts* parts);
    // The placements given to setPlacements changed (an edit, a drag under way, an undo): the
    // old and the new place of each one that changed are drawn again.
    void placementsChanged();
    // The sprites objects and rings are drawn with, in the level's colours (and below the water
    // line in `underwater` ones); null: markers only. The canvas keeps the pointer: clear it
    // before the sprites go.
    void setSprites(const LevelSprites* sprites, const ColourTable& colours,
                    const std::optional<ColourTable>& underwater = std::nullopt);
    // The rectangle an object covers on the map, in level pixels: its sprite, or its marker.
    // A type the game never draws covers its outline while those are shown (a line a few
    // pixels thick), else nothing.
    [[nodiscard]] QRect objectArea(const ObjectPlacement& object) const;
    // The zone and act whose rules shape the outlines of objects the game never draws.
    void setZoneAct(ZoneAct act);
    // Whether objects the game never draws are shown, as outlines of the area or the line they
    // act on (a marker where their subtype gives none); hidden, they are neither drawn nor hit.
    void setInvisibleShown(bool shown);
    [[nodiscard]] bool invisibleShown() const { return mPlacements.invisibleShown(); }
    // Whether `object` is drawn at all: false for a type the game never draws while those are
    // hidden.
    [[nodiscard]] bool objectShown(const ObjectPlacement& object) const {
        return mPlacements.objectShown(object);
    }
    using Overlay = PlacementPainter::Overlay;
    // The act's water line in level pixels; none for an act without water.
    void setWaterLine(std::optional<std::int32_t> height);
    void setOverlay(Overlay overlay, bool shown);
    [[nodiscard]] bool overlayShown(Overlay overlay) const {
        return mPlacements.overlayShown(overlay);
    }

    // Where the canvas looks: its cell size, origin and size, to convert between its pixels,
    // plane cells and level pixels.
    [[nodiscard]] MapGeometry mapGeometry() const { return {mCellSize, mOrigin, size()}; }
    // A point of the canvas in level pixels (of the foreground, where placements lie).
    [[nodiscard]] QPoint levelPoint(QPointF viewPoint) const;
    // How near, in level pixels, the pointer must come to a placement's point to hit it: the
    // marker's half size at this zoom, and a little more.
    [[nodiscard]] std::int32_t hitRadius() const;
    // What the placement tools mark: the selected objects or ring groups (indices into the
    // level's lists).
    void setPlacementSelection(PlacementKind kind, std::vector<std::int32_t> indices);
    // The tools that hear the mouse and the keys and paint their preview over the layers (none:
    // nothing edits). Not owned.
    void setTools(ToolManager* tools) { mTools = tools; }

    // The block a cell shows: the preview's, the layout's, or none (drawn empty).
    [[nodiscard]] std::optional<std::uint8_t> shownBlock(PlaneCell cell) const {
        return mBlocks.shownBlock(cell);
    }
    // Repaints the cells of a layout rectangle that the plane shows.
    void updateLayoutCells(const CellRect& cells);

signals:
    // The pointer over a plane cell, and over a level pixel, before the tool hears of the move
    // (also when the view moves under it); it left the canvas.
    void moved(PlaneCell cell, Qt::MouseButtons buttons);
    void pointerMoved(QPoint level, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void left();
    // A right click, in every tool: the block under the pointer is wanted.
    void pickRequested(PlaneCell cell);
    // The wheel, the arrow keys and panning: the view to move by `pixels` of the canvas. With
    // Ctrl the wheel asks for `steps` of zoom about `point`.
    void scrollRequested(QPoint pixels);
    void zoomRequested(int steps, QPoint point);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reportPointer();
    [[nodiscard]] ToolEvent toolEvent(const QMouseEvent& event) const;
    void setPanKey(bool held);

    BlockLayerPainter mBlocks;
    PlacementPainter mPlacements;
    QPoint mOrigin;
    std::int32_t mCellSize = kCellSize;
    ToolManager* mTools = nullptr;
    int mWheelRemainder = 0;         // wheel angle times canvas pixels, short of a whole pixel
    int mZoomRemainder = 0;          // wheel angle short of a whole zoom step
    std::optional<QPoint> mPointer;  // where the pointer last was on the canvas
    Qt::MouseButtons mButtons;
    Qt::KeyboardModifiers mModifiers;
    bool mPanKey = false;            // Space held: a left drag pans
    std::optional<QPoint> mPanFrom;  // the pointer while a pan is under way
};

}  // namespace orvex
