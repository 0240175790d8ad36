#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "document/levelparts.h"
#include "editor/map/mapgeometry.h"
#include "editor/map/placementkind.h"
#include "editor/map/placementlayer.h"
#include "graphics/indexedimage.h"
#include "graphics/sprites.h"
#include "rom/leveldirectory.h"

class QPainter;

namespace orvex {

// The map's placement layer, drawn over the foreground's blocks: the water line, the camera's
// boundaries, rings, objects (as sprites, as markers with their id, or as the outlines of types
// the game never draws) and the start position, with the placement tools' selection. It
// keeps the placements as last drawn to tell what an edit changed on the canvas. It holds no
// widget: the canvas repaints what its setters change.
class PlacementPainter {
public:
    enum class Overlay { Objects, Rings, Start, Bounds, Water };

    // What is placed in the level (null: none); they are the ones drawn from now on.
    void setPlacements(const LevelParts* parts);
    [[nodiscard]] bool hasPlacements() const { return mPlacements != nullptr; }
    // The canvas region to draw again for the placements given to setPlacements to show as
    // they now are: the old and the new place of each one that changed.
    [[nodiscard]] QRegion changedRegion(const MapGeometry& view);
    // The sprites objects and rings are drawn with, in the level's colours (and below the water
    // line in `underwater` ones); null: markers only. Kept as a pointer.
    void setSprites(const LevelSprites* sprites, const ColourTable& colours,
                    const std::optional<ColourTable>& underwater);
    // The family of the objects' ids and names.
    void setFontFamily(const QString& family) { mFontFamily = family; }

    void setZoneAct(ZoneAct act) { mZoneAct = act; }
    void setInvisibleShown(bool shown) { mInvisibleShown = shown; }
    [[nodiscard]] bool invisibleShown() const { return mInvisibleShown; }
    // Whether `object` is drawn at all: false for a type the game never draws while those are
    // hidden.
    [[nodiscard]] bool objectShown(const ObjectPlacement& object) const;
    // The rectangle an object covers on the map in level pixels at cells of `cellSize`: its
    // outline (a few pixels about a line), its sprite or its marker; nothing when not shown.
    [[nodiscard]] QRect objectArea(const ObjectPlacement& object, std::int32_t cellSize) const;

    // The act's water line in level pixels; none for an act without water.
    void setWaterLine(std::optional<std::int32_t> height) { mWaterLine = height; }
    [[nodiscard]] std::optional<std::int32_t> waterLine() const { return mWaterLine; }
    void setOverlay(Overlay overlay, bool shown) {
        mOverlays[static_cast<std::size_t>(overlay)] = shown;
    }
    [[nodiscard]] bool overlayShown(Overlay overlay) const {
        return mOverlays[static_cast<std::size_t>(overlay)];
    }

    // The selected objects or ring groups (indices into the level's lists); false when nothing
    // changed.
    bool setSelection(PlacementKind kind, std::vector<std::int32_t> indices);

    // Draws the placements on the canvas in the colours of `side` of the water line; without
    // `underwaterColours` a veil below the water line stands for them.
    void paint(QPainter& painter, const MapGeometry& view, WaterSide side,
               bool underwaterColours) const;

    // The marker's size in canvas pixels at cells of `cellSize`.
    [[nodiscard]] static double markerSize(std::int32_t cellSize);
    // How near, in level pixels, the pointer must come to a placement's point to hit it: the
    // marker's half size at this zoom, and a little more.
    [[nodiscard]] static std::int32_t hitRadius(std::int32_t cellSize);

private:
    struct Pass {
        const MapGeometry& view;
        WaterSide side;
        double marker;
    };
    void drawWater(QPainter& painter, const MapGeometry& view, bool underwaterColours) const;
    void drawBounds(QPainter& painter, const Pass& pass) const;
    void drawRings(QPainter& painter, const Pass& pass) const;
    void drawObjects(QPainter& painter, const Pass& pass) const;
    void drawMarker(QPainter& painter, const Pass& pass, const ObjectPlacement& object,
                    bool selected) const;
    void drawStart(QPainter& painter, const Pass& pass) const;
    [[nodiscard]] bool drawInvisible(QPainter& painter, const Pass& pass,
                                     const ObjectPlacement& object, bool selected) const;
    [[nodiscard]] std::optional<QRect> invisibleArea(const ObjectPlacement& object,
                                                     std::int32_t cellSize) const;
    [[nodiscard]] bool isSelected(PlacementKind kind, std::int32_t index) const;
    [[nodiscard]] QFont objectFont(std::int32_t cellSize) const;
    [[nodiscard]] QRect objectExtent(const MapGeometry& view, const ObjectPlacement& object) const;
    [[nodiscard]] QRect ringsExtent(const MapGeometry& view, const RingGroup& group) const;
    [[nodiscard]] const QPixmap& spritePixmap(const SpriteImage& sprite, WaterSide side) const;
    void drawSpriteAt(QPainter& painter, const Pass& pass, const SpriteImage& sprite,
                      std::int32_t x, std::int32_t y) const;

    const LevelParts* mPlacements = nullptr;
    PlacementLayer mDrawn;  // the placements as last drawn
    std::array<bool, 5> mOverlays{};
    std::optional<std::int32_t> mWaterLine;
    ZoneAct mZoneAct;
    bool mInvisibleShown = false;
    PlacementKind mSelectedKind = PlacementKind::Objects;
    std::vector<std::int32_t> mSelected;  // sorted
    QString mFontFamily;
    const LevelSprites* mSprites = nullptr;
    std::array<ColourTable, 2> mSpriteColours{};
    mutable std::array<std::map<const SpriteImage*, QPixmap>, 2> mSpritePixmaps;
};

}  // namespace orvex
