#include "editor/placements/placementarea.h"

#include <QStringList>
#include <array>
#include <tuple>

#include "editor/placements/placementtool.h"
#include "editor/placements/presetflags.h"
#include "editor/shell/windowmemory.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

constexpr int kOverlaySection = 30;
constexpr int kDockSection = 65;

QString pixelText(int value) {
    return QString("%1 ($%2)")
        .arg(value)
        .arg(QString::number(static_cast<std::uint16_t>(value), 16)
                 .toUpper()
                 .rightJustified(4, '0'));
}

}  // namespace

PlacementArea::PlacementArea(AreaContext& context, MapArea& map) : EditingArea(context), mMap(map) {
    setObjectName("PlacementArea");
    mTools = new PlacementTools(mMap.canvas(), mContext.undo, this);
    // New objects look like the zone's own of their type.
    mTools->setNewFlags([this](ObjectPlacement& object) {
        if (mDocument != nullptr && mDocument->parts().objects) {
            takeZoneFlags(object, *mDocument->parts().objects, mContext.session.zoneObjects());
        }
    });
    connect(&mMap.canvas(), &MapCanvas::pointerMoved, this,
            [this](QPoint level) { showPointerPixel(level); });
    connect(&mMap.canvas(), &MapCanvas::left, this, [this] { showPointerPixel(std::nullopt); });
    connect(&mMap, &MapArea::planeChanged, this, [this] {
        mTools->setDocument(mDocument);
        mProperties->refresh(mDocument);
        showPointerPixel(std::nullopt);
    });
}

void PlacementArea::createActions(ActionRegistry& actions) {
    mToolActions.push_back(
        mContext.tools.add(std::make_unique<ObjectsTool>(*mTools), actions, name()));
    mToolActions.push_back(
        mContext.tools.add(std::make_unique<RingsTool>(*mTools), actions, name()));
    using Overlay = MapCanvas::Overlay;
    const std::array<std::tuple<const char*, const char*, Overlay>, 5> overlays{{
        {"MenuObjects", "Objects", Overlay::Objects},
        {"MenuRings", "Rings", Overlay::Rings},
        {"MenuStart", "Start Position", Overlay::Start},
        {"MenuBounds", "Boundaries", Overlay::Bounds},
        {"MenuWater", "Water", Overlay::Water},
    }};
    for (const auto& [id, text, overlay] : overlays) {
        QAction* action = actions.add({id, text, {}, name(), "View", kOverlaySection, true});
        connect(action, &QAction::toggled, this, [this, which = overlay](bool on) {
            mMap.canvas().setOverlay(which, on);
            mTools->overlaysChanged();
        });
    }
    // The docks the placement tools open, shown again after they were closed.
    mShowObjectTypes =
        actions.add({"MenuObjectTypes", "Object Types", {}, name(), "View", kDockSection, true});
    mShowProperties =
        actions.add({"MenuProperties", "Properties", {}, name(), "View", kDockSection, true});
    mInvisible = actions.add(
        {"MenuInvisibleObjects", "Invisible Objects", {}, name(), "View", kOverlaySection, true});
    connect(mInvisible, &QAction::toggled, this, [this](bool on) {
        mMap.canvas().setInvisibleShown(on);
        mTools->overlaysChanged();
    });
}

void PlacementArea::createDocks() {
    mObjectTypes = new ObjectTypeDock(&mContext.window);
    mProperties = new PlacementPropertiesDock(*mTools, mContext.window);
    for (QDockWidget* dock :
         {static_cast<QDockWidget*>(mObjectTypes), static_cast<QDockWidget*>(mProperties)}) {
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        mContext.window.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();  // until a placement tool is chosen
    }
    for (const auto& [dock, show] :
         {std::pair<QDockWidget*, QAction*>{mObjectTypes, mShowObjectTypes},
          std::pair<QDockWidget*, QAction*>{mProperties, mShowProperties}}) {
        connect(show, &QAction::toggled, dock, &QDockWidget::setVisible);
        connect(dock, &QDockWidget::visibilityChanged, show,
                [dock, show] { show->setChecked(!dock->isHidden()); });
    }
    connect(mTools, &PlacementTools::selectionChanged, this,
            [this] { mProperties->refresh(mDocument); });
    connect(mObjectTypes, &ObjectTypeDock::activated, this,
            [this](std::uint8_t id, std::uint8_t subtype) {
                mTools->insertObject(id, subtype, mMap.viewCentre());
            });
}

void PlacementArea::addToToolBar(QToolBar& bar) {
    bar.addSeparator();
    for (QAction* tool : mToolActions) {
        bar.addAction(tool);
    }
}

// The level pixel under the pointer: "x 1234 ($04D2), y 567 ($0237)"; on the background, with
// a placement tool chosen, why it does nothing there.
void PlacementArea::addStatusWidgets(QStatusBar& line, StatusSide side) {
    if (side == StatusSide::Left) {
        mPixelInfo = new QLabel(&line);
        mPixelInfo->setObjectName("PointerPixels");
        line.addWidget(mPixelInfo);
    }
}

void PlacementArea::attach(LevelDocument* document) {
    mDocument = document;
    mTools->setDocument(document);
    mProperties->refresh(document);
    // The sprites belong to the level before: nothing may draw with them until artReady.
    mMap.canvas().setSprites(nullptr, {});
    mMap.canvas().setPlacements(document != nullptr ? &document->parts() : nullptr);
    if (document != nullptr) {
        mMap.canvas().setZoneAct(document->zoneAct());
    }
    mObjectTypes->showPictures(nullptr, {}, document != nullptr ? document->zoneAct() : ZoneAct{});
}

// Objects and rings drawn with the level's sprites, in the colours the art was drawn in; the
// status line says when the image's object art could not be read.
void PlacementArea::artReady() {
    const EditorSession& session = mContext.session;
    const ColourTable& colours = session.art().colours;
    mMap.canvas().setSprites(session.sprites(), colours, session.art().underwater);
    const auto water = session.waterHeight();
    mMap.canvas().setWaterLine(water ? std::optional<std::int32_t>(*water) : std::nullopt);
    mObjectTypes->showPictures(session.sprites(), colours,
                               mDocument != nullptr ? mDocument->zoneAct() : ZoneAct{});
    showSpriteProblems();
}

void PlacementArea::showSpriteProblems() {
    const auto& problems = mContext.session.spriteProblems();
    if (problems.empty()) {
        return;
    }
    QStringList lines;
    for (const std::string& problem : problems) {
        lines << toQString(problem);
    }
    mContext.note(mContext.session.sprites() == nullptr
                      ? "Objects shown as markers: no object art found"
                      : "Some object art could not be read",
                  lines.join("\n"));
}

void PlacementArea::documentChanged(const DocumentChange& change) {
    if (change.part == Part::Objects || change.part == Part::Rings) {
        mTools->placementsChanged();
    }
    if (change.part == Part::Objects || change.part == Part::Rings ||
        change.part == Part::StartPosition || change.part == Part::Bounds) {
        mMap.canvas().placementsChanged();
        mProperties->refresh(mDocument);
    }
}

// The chosen tool's activation has set the kind edited already.
void PlacementArea::toolChosen(AbstractTool& /*tool*/) {
    const std::optional<PlacementKind> kind = mTools->kind();
    const bool objects = kind == PlacementKind::Objects;
    if (kind) {
        // What the tool edits must be seen.
        mContext.window.findChild<QAction*>(objects ? "MenuObjects" : "MenuRings")
            ->setChecked(true);
    }
    showInvisibleFor(objects);
    mObjectTypes->setVisible(objects);
    mProperties->setVisible(kind.has_value());
    mProperties->refresh(mDocument);
    showPointerPixel(std::nullopt);
}

// The Objects tool shows the objects the game never draws, so that they can be chosen; the
// user's own choice, kept meanwhile on the action for the window memory, comes back with any
// other tool.
void PlacementArea::showInvisibleFor(bool objectsTool) {
    const QVariant chosen = mInvisible->property(kChosenStateProperty);
    if (objectsTool && !chosen.isValid()) {
        mInvisible->setProperty(kChosenStateProperty, mInvisible->isChecked());
        mInvisible->setChecked(true);
    } else if (!objectsTool && chosen.isValid()) {
        mInvisible->setProperty(kChosenStateProperty, QVariant());
        mInvisible->setChecked(chosen.toBool());
    }
}

// The placement tools do nothing on the background plane: the status line says so, and where
// to go, for as long as that holds. (A temporary message of the status line would have no
// room beside the shell's note, which takes the space left.)
QString PlacementArea::whereToPlace() const {
    const AbstractTool* tool = mContext.tools.chosen();
    if (!mTools->kind() || mMap.plane() != Plane::Background || tool == nullptr) {
        return {};
    }
    const QString where = tool->statusText();
    const QAction* foreground = mContext.window.findChild<QAction*>("MenuForeground");
    const QString keys = foreground != nullptr ? keysText(foreground->shortcuts()) : QString();
    return where + (keys.isEmpty() ? QString() : " (" + keys + ")");
}

void PlacementArea::run(EditCommand command) {
    switch (command) {
        case EditCommand::Insert:
            if (*mTools->kind() == PlacementKind::Objects) {
                mTools->insertObject(mObjectTypes->chosenId(), mObjectTypes->chosenSubtype(),
                                     mMap.viewCentre());
            } else {
                mTools->insertRing(mMap.viewCentre());
            }
            break;
        case EditCommand::Delete:
            mTools->deleteSelection();
            break;
        case EditCommand::SelectAll:
            mTools->selectAll();
            break;
        case EditCommand::Deselect:
            mTools->select({});
            break;
        case EditCommand::Cut:
        case EditCommand::Copy:
        case EditCommand::Paste:
            break;
    }
}

void PlacementArea::showPointerPixel(std::optional<QPoint> level) {
    if (mMap.plane() != Plane::Foreground) {
        mPixelInfo->setText(whereToPlace());
        mPixelInfo->setToolTip(mPixelInfo->text().isEmpty()
                                   ? QString()
                                   : "Objects and rings are placed on the foreground only; on "
                                     "the background their tools do nothing");
        return;
    }
    mPixelInfo->setToolTip({});
    if (!level) {
        mPixelInfo->clear();
        return;
    }
    mPixelInfo->setText("x " + pixelText(level->x()) + ", y " + pixelText(level->y()));
}

}  // namespace orvex
