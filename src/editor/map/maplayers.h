#pragma once

#include <optional>

#include "editor/map/blocklayerpainter.h"
#include "editor/map/mapgeometry.h"
#include "editor/map/placementpainter.h"

class QPainter;

namespace orvex {

// Where the game switches to the act's underwater colours, in canvas rows: below the water line
// everything is drawn in them, when the foreground is shown, the water line is, the act has
// water and its underwater pictures are known; none otherwise.
[[nodiscard]] std::optional<int> waterTop(const MapGeometry& view, const BlockLayerPainter& blocks,
                                          const PlacementPainter& placements);

// Paints `area` of the map's canvas: black, the block layer, then the placement layer over the
// foreground; above the water top in the level's colours, below it in the underwater ones.
void paintMapLayers(QPainter& painter, const QRect& area, const MapGeometry& view,
                    const BlockLayerPainter& blocks, const PlacementPainter& placements);

}  // namespace orvex
