#pragma once

#include <QLabel>
#include <QPoint>
#include <optional>

#include "editor/map/maparea.h"
#include "editor/placements/placementdocks.h"
#include "editor/placements/placementtools.h"
#include "editor/shell/editingarea.h"

namespace orvex {

// What is placed in the level, edited on the map's foreground: the Objects and Rings tools,
// the Object Types and Properties docks, the overlays of objects, rings, the start position,
// the boundaries and the water line, and the level pixel under the pointer in the status line
// (on the background, where the tools do nothing, why they do nothing).
class PlacementArea : public EditingArea {
    Q_OBJECT

public:
    PlacementArea(AreaContext& context, MapArea& map);

    [[nodiscard]] QString name() const override { return "Placements"; }
    void createActions(ActionRegistry& actions) override;
    void createDocks() override;
    void addToToolBar(QToolBar& bar) override;
    void addStatusWidgets(QStatusBar& line, StatusSide side) override;
    void attach(LevelDocument* document) override;
    void artReady() override;
    void documentChanged(const DocumentChange& change) override;
    void toolChosen(AbstractTool& tool) override;
    void run(EditCommand command) override;

    [[nodiscard]] PlacementTools& tools() const { return *mTools; }

private:
    void showPointerPixel(std::optional<QPoint> level);
    void showSpriteProblems();
    [[nodiscard]] QString whereToPlace() const;
    void showInvisibleFor(bool objectsTool);

    MapArea& mMap;
    PlacementTools* mTools = nullptr;
    ObjectTypeDock* mObjectTypes = nullptr;
    PlacementPropertiesDock* mProperties = nullptr;
    QLabel* mPixelInfo = nullptr;
    std::vector<QAction*> mToolActions;
    QAction* mInvisible = nullptr;
    QAction* mShowObjectTypes = nullptr;
    QAction* mShowProperties = nullptr;
    LevelDocument* mDocument = nullptr;
};

}  // namespace orvex
