#pragma once

#include <QAction>
#include <QLabel>
#include <QPoint>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "editor/map/blockselector.h"
#include "editor/map/collisionlayer.h"
#include "editor/map/mapanimation.h"
#include "editor/map/mapframe.h"
#include "editor/map/maptools.h"
#include "editor/shell/editingarea.h"
#include "graphics/levelimage.h"
#include "windows/overviewwindow.h"

namespace orvex {

// The map: the block column, the map view of one plane (foreground: layout columns 0..127,
// background 128..255) at one of six zooms, the layout tools Place, Brush, Select and Fill, the
// cell clipboard, the grid, block numbers and highlight, and the level overview dock. The
// status line shows the layout row, column and block under the pointer and the zoom.
class MapArea : public EditingArea {
    Q_OBJECT

public:
    explicit MapArea(AreaContext& context);

    // The block column and the map view, on the window's form.
    void createWidgets(QWidget& form);
    // Places the form's controls for a window of `ruleSize` (see applyResizeRule).
    void applyLayout(QSize ruleSize);

    [[nodiscard]] QString name() const override { return "Map"; }
    void createActions(ActionRegistry& actions) override;
    void addToToolBar(QToolBar& bar) override;
    void addStatusWidgets(QStatusBar& line, StatusSide side) override;
    void attach(LevelDocument* document) override;
    void blockDrawn(std::int32_t block) override;
    void artReady() override;
    void levelShown() override;
    void documentChanged(const DocumentChange& change) override;
    void run(EditCommand command) override;
    void setCommandsEnabled(bool enabled) override;

    // Shows the foreground or the background plane.
    void showPlane(Plane plane);
    [[nodiscard]] Plane plane() const { return mPlane; }
    // One of kZoomCellSizes; `about` (a point of the canvas) stays over the same cell.
    void setZoom(std::size_t zoom, std::optional<QPoint> about = std::nullopt);
    [[nodiscard]] std::size_t zoom() const { return mZoom; }
    // The layout column of the first whole column the map view shows.
    [[nodiscard]] std::int32_t originColumn() const;
    // The level point in the middle of the map view.
    [[nodiscard]] QPoint viewCentre() const;

    [[nodiscard]] MapTools& tools() const { return *mTools; }
    [[nodiscard]] BlockSelector& blockSelector() const { return *mBlocks; }
    [[nodiscard]] MapFrame& mapFrame() const { return *mMap; }
    [[nodiscard]] MapCanvas& canvas() const { return *mMap->canvas(); }
    [[nodiscard]] CollisionLayer& collision() const { return *mCollision; }
    // The overview once "Level Overview" has made it.
    [[nodiscard]] OverviewWindow* overview() const { return mOverview; }

signals:
    // The plane shown changed; what edits it starts afresh.
    void planeChanged(Plane plane);

private:
    void createToolActions(ActionRegistry& actions);
    void createViewActions(ActionRegistry& actions);
    void connectTools();
    void onPointerMoved(std::optional<PlaneCell> cell);
    void onOriginChanged();
    void scrollBy(QPoint pixels);
    void onOverview();
    void onOverviewClicked(int column, int row);
    void onOverviewDragged(QPointF cells);
    void showPointer();
    void showMapOrigin();
    void updateScrollRanges();
    [[nodiscard]] std::int32_t layoutRows() const;
    void refreshOverview();
    void showOverviewArea();
    void updateOverviewCells(const CellRect& cells);
    void clearPictures();
    void showAnimationStep(const EditorSession::AnimationStep& step);
    void showArtChange(const EditorSession::AnimationStep& step);
    void showMissingStartTables();
    [[nodiscard]] QPixmap blockPicture(std::int32_t block, bool underwater) const;
    [[nodiscard]] std::optional<std::uint8_t> blockAt(LayoutCell cell) const;
    [[nodiscard]] QString blockUses(std::uint8_t block) const;

    BlockSelector* mBlocks = nullptr;
    MapFrame* mMap = nullptr;
    MapTools* mTools = nullptr;
    OverviewWindow* mOverview = nullptr;
    MapAnimation* mAnimation = nullptr;
    CollisionLayer* mCollision = nullptr;
    std::array<QAction*, 2> mPlaneActions{};  // Foreground, Background
    std::vector<QAction*> mToolActions;
    QAction* mHighlight = nullptr;
    QLabel* mPointerInfo = nullptr;
    QLabel* mZoomInfo = nullptr;
    LevelDocument* mDocument = nullptr;
    std::size_t mZoom = kActualSizeZoom;
    Plane mPlane = Plane::Foreground;
    std::optional<PlaneCell> mPointedCell;  // the cell under the pointer
    QPoint mPointedPixel;                   // the plane pixel under it
    bool mSettingZoom = false;              // the bars move to a new zoom's pixels
};

}  // namespace orvex
