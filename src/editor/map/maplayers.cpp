#include "editor/map/maplayers.h"

#include <QPainter>

namespace orvex {

namespace {

void paintSide(QPainter& painter, const QRect& area, const MapGeometry& view,
               const BlockLayerPainter& blocks, const PlacementPainter& placements, WaterSide side,
               bool underwaterColours) {
    blocks.paint(painter, view, area, side);
    // Placements belong to the foreground: the background scrolls at other speeds in the game.
    if (blocks.plane() == Plane::Foreground) {
        placements.paint(painter, view, side, underwaterColours);
    }
}

}  // namespace

std::optional<int> waterTop(const MapGeometry& view, const BlockLayerPainter& blocks,
                            const PlacementPainter& placements) {
    const std::optional<std::int32_t> line = placements.waterLine();
    if (!placements.overlayShown(PlacementPainter::Overlay::Water) || !line ||
        blocks.plane() != Plane::Foreground || !blocks.hasUnderwaterPictures()) {
        return std::nullopt;
    }
    return static_cast<int>(std::ceil(view.viewPoint(0, *line).y()));
}

void paintMapLayers(QPainter& painter, const QRect& area, const MapGeometry& view,
                    const BlockLayerPainter& blocks, const PlacementPainter& placements) {
    painter.fillRect(area, Qt::black);
    const std::optional<int> water = waterTop(view, blocks, placements);
    if (!water || *water > area.bottom()) {
        paintSide(painter, area, view, blocks, placements, WaterSide::Above, water.has_value());
        return;
    }
    // Above the line in the level's colours, below it in the underwater ones.
    const QRect above(area.left(), area.top(), area.width(), *water - area.top());
    const QRect below = area.intersected(QRect(area.left(), *water, area.width(), area.height()));
    if (above.height() > 0) {
        painter.save();
        painter.setClipRect(above);
        paintSide(painter, above, view, blocks, placements, WaterSide::Above, true);
        painter.restore();
    }
    painter.setClipRect(below);
    paintSide(painter, below, view, blocks, placements, WaterSide::Below, true);
}

}  // namespace orvex
