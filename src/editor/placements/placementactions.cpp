// The main window's placement tools: Objects and Rings, their docks, Insert, and the pointer's
// position in level pixels.

#include <QAction>
#include <QStatusBar>

#include "editor/shell/editorwindow.h"

namespace orvex {

namespace {

QString pixelText(int value) {
    return QString("%1 ($%2)")
        .arg(value)
        .arg(QString::number(static_cast<std::uint16_t>(value), 16)
                 .toUpper()
                 .rightJustified(4, '0'));
}

}  // namespace

void EditorWindow::createPlacementTools() {
    MapCanvas* canvas = mMap->canvas();
    mPlacements = new PlacementTools(*canvas, *mUndo, this);
    mObjectTypes = new ObjectTypeDock(this);
    mProperties = new PlacementPropertiesDock(*mPlacements, this);
    for (QDockWidget* dock :
         {static_cast<QDockWidget*>(mObjectTypes), static_cast<QDockWidget*>(mProperties)}) {
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();  // until a placement tool is chosen
    }
    connect(mPlacements, &PlacementTools::selectionChanged, this,
            [this] { mProperties->refresh(mSession->document()); });
    connect(mObjectTypes, &ObjectTypeDock::activated, this,
            [this](std::uint8_t id) { mPlacements->insertObject(id, viewCentre()); });
    connect(canvas, &MapCanvas::pointerMoved, this,
            [this](QPoint level) { showPointerPixel(level); });
    connect(canvas, &MapCanvas::left, this, [this] { showPointerPixel(std::nullopt); });
}

void EditorWindow::chooseTool(MapTool tool) {
    const std::array<const char*, 6> names{"ToolPlace", "ToolBrush",   "ToolSelect",
                                           "ToolFill",  "ToolObjects", "ToolRings"};
    findChild<QAction*>(names[static_cast<std::size_t>(tool)])->setChecked(true);
    mTools->setTool(tool);
    std::optional<PlacementKind> kind;
    if (tool == MapTool::Objects || tool == MapTool::Rings) {
        kind = tool == MapTool::Objects ? PlacementKind::Objects : PlacementKind::Rings;
        // What the tool edits must be seen.
        findChild<QAction*>(tool == MapTool::Objects ? "MenuObjects" : "MenuRings")
            ->setChecked(true);
    }
    mPlacements->setKind(kind);
    mObjectTypes->setVisible(tool == MapTool::Objects);
    mProperties->setVisible(kind.has_value());
    mProperties->refresh(mSession->document());
}

void EditorWindow::attachTools(LevelDocument* document) {
    mTools->setDocument(document);
    mPlacements->setDocument(document);
    mProperties->refresh(document);
}

void EditorWindow::onInsert() {
    if (isBusy() || !mPlacements->kind()) {
        return;
    }
    if (*mPlacements->kind() == PlacementKind::Objects) {
        mPlacements->insertObject(mObjectTypes->chosenId(), viewCentre());
    } else {
        mPlacements->insertRing(viewCentre());
    }
}

QPoint EditorWindow::viewCentre() const {
    const MapCanvas* canvas = mMap->canvas();
    const QSize seen = mMap->visibleGridArea();
    return canvas->levelPoint(QPointF(seen.width() / 2.0, seen.height() / 2.0));
}

void EditorWindow::showPointerPixel(std::optional<QPoint> level) {
    if (!level || mPlane != Plane::Foreground) {
        mPixelInfo->clear();
        return;
    }
    mPixelInfo->setText("x " + pixelText(level->x()) + ", y " + pixelText(level->y()));
}

}  // namespace orvex
