// The main window's Edit and View menus, its tool bar and the map's tools, zoom and scrolling.

#include <QActionGroup>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "editor/shell/editorwindow.h"
#include "editor/shell/uitext.h"

namespace orvex {

namespace {

constexpr int kRecentFiles = 8;
constexpr const char* kRecentKey = "recentFiles";
constexpr const char* kFolderKey = "lastFolder";

// Lets the window's shortcuts through the level selector's text field, which would take every
// key for itself: it keeps only what edits a level number (digits, Backspace, Delete, the
// cursor keys, Return).
class ShortcutPassage : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            !editsTheField(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool editsTheField(const QKeyEvent& key) {
        if (key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) {
            return false;
        }
        const int code = key.key();
        return (code >= Qt::Key_0 && code <= Qt::Key_9) || code == Qt::Key_Backspace ||
               code == Qt::Key_Delete || code == Qt::Key_Left || code == Qt::Key_Right ||
               code == Qt::Key_Home || code == Qt::Key_End || code == Qt::Key_Return ||
               code == Qt::Key_Enter;
    }
};

}  // namespace

QAction* EditorWindow::addAction(QMenu* menu, const char* name, const QString& text,
                                 const QList<QKeySequence>& keys, void (EditorWindow::*slot)()) {
    QAction* action = menu->addAction(text, this, slot);
    action->setObjectName(name);
    action->setShortcuts(keys);
    return action;
}

void EditorWindow::createEditMenu() {
    QMenu* edit = menuBar()->addMenu("Edit");
    edit->setObjectName("MenuEdit");
    mMenuUndo = addAction(edit, "MenuUndo", "Undo", QKeySequence::keyBindings(QKeySequence::Undo),
                          &EditorWindow::onUndo);
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& extra :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        if (!redoKeys.contains(extra)) {
            redoKeys.append(extra);
        }
    }
    mMenuRedo = addAction(edit, "MenuRedo", "Redo", redoKeys, &EditorWindow::onRedo);
    connect(mUndo, &QUndoStack::canUndoChanged, this, &EditorWindow::updateUndoActions);
    connect(mUndo, &QUndoStack::canRedoChanged, this, &EditorWindow::updateUndoActions);
    updateUndoActions();
    edit->addSeparator();
    createClipboardActions(edit);
    edit->addSeparator();
    createToolActions(edit);
}

void EditorWindow::createClipboardActions(QMenu* edit) {
    using Keys = QList<QKeySequence>;
    addAction(edit, "MenuCut", "Cut", QKeySequence::keyBindings(QKeySequence::Cut),
              &EditorWindow::onCut);
    addAction(edit, "MenuCopy", "Copy", QKeySequence::keyBindings(QKeySequence::Copy),
              &EditorWindow::onCopy);
    addAction(edit, "MenuPaste", "Paste", QKeySequence::keyBindings(QKeySequence::Paste),
              &EditorWindow::onPaste);
    addAction(edit, "MenuInsert", "Insert", Keys{QKeySequence(Qt::Key_Insert)},
              &EditorWindow::onInsert);
    addAction(edit, "MenuDelete", "Delete", Keys{QKeySequence(Qt::Key_Delete)},
              &EditorWindow::onDelete);
    addAction(edit, "MenuSelectAll", "Select All",
              QKeySequence::keyBindings(QKeySequence::SelectAll), &EditorWindow::onSelectAll);
    addAction(edit, "MenuDeselect", "Deselect", Keys{QKeySequence(Qt::Key_Escape)},
              &EditorWindow::onEscape);
}

void EditorWindow::createToolActions(QMenu* edit) {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    auto* group = new QActionGroup(this);
    const std::array<std::tuple<const char*, const char*, Qt::Key, MapTool>, 6> tools{{
        {"ToolPlace", "Place", Qt::Key_P, MapTool::Place},
        {"ToolBrush", "Brush", Qt::Key_B, MapTool::Brush},
        {"ToolSelect", "Select", Qt::Key_S, MapTool::Select},
        {"ToolFill", "Fill", Qt::Key_F, MapTool::Fill},
        {"ToolObjects", "Objects", Qt::Key_O, MapTool::Objects},
        {"ToolRings", "Rings", Qt::Key_R, MapTool::Rings},
    }};
    for (const auto& [name, text, key, tool] : tools) {
        if (tool == MapTool::Objects) {
            bar->addSeparator();
        }
        QAction* action =
            edit->addAction(text, this, [this, choice = tool] { chooseTool(choice); });
        action->setObjectName(name);
        action->setShortcut(QKeySequence(key));
        action->setCheckable(true);
        action->setChecked(tool == MapTool::Place);
        group->addAction(action);
        bar->addAction(action);
    }
}

void EditorWindow::createViewMenu() {
    QMenu* view = menuBar()->addMenu("View");
    view->setObjectName("MenuView");
    auto* planes = new QActionGroup(this);
    planes->setExclusive(true);
    const std::array<std::tuple<const char*, const char*, Plane, Qt::Key>, 2> choices{
        {{"MenuForeground", "Foreground", Plane::Foreground, Qt::Key_1},
         {"MenuBackground", "Background", Plane::Background, Qt::Key_2}}};
    for (const auto& [name, text, plane, key] : choices) {
        QAction* action =
            view->addAction(text, this, [this, choice = plane] { showPlane(choice); });
        action->setObjectName(name);
        action->setShortcut(QKeySequence(Qt::CTRL | key));
        action->setCheckable(true);
        action->setChecked(plane == mPlane);
        planes->addAction(action);
        mPlaneActions[static_cast<std::size_t>(plane)] = action;
    }
    view->addSeparator();
    createViewToggles(view);
    view->addSeparator();
    createZoomActions(view);
    view->addSeparator();
    createLevelActions(view);
    view->addSeparator();
    view->addAction("Level Overview", this, &EditorWindow::onOverview)
        ->setObjectName("MenuOverview");
}

void EditorWindow::createViewToggles(QMenu* view) {
    MapCanvas* canvas = mMap->canvas();
    const std::array<std::tuple<const char*, const char*, Qt::Key>, 3> toggles{{
        {"MenuGrid", "Grid", Qt::Key_G},
        {"MenuNumbers", "Block Numbers", Qt::Key_N},
        {"MenuHighlight", "Highlight Uses", Qt::Key_H},
    }};
    for (const auto& [name, text, key] : toggles) {
        QAction* action = view->addAction(text);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(key));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, canvas, which = key](bool on) {
            if (which == Qt::Key_G) {
                canvas->setGrid(on);
            } else if (which == Qt::Key_N) {
                canvas->setNumbers(on);
            } else {
                canvas->setHighlight(on ? std::optional<std::uint8_t>(mBlocks->selectedBlock())
                                        : std::nullopt);
            }
        });
    }
    using Overlay = MapCanvas::Overlay;
    const std::array<std::tuple<const char*, const char*, Overlay>, 5> overlays{{
        {"MenuObjects", "Objects", Overlay::Objects},
        {"MenuRings", "Rings", Overlay::Rings},
        {"MenuStart", "Start Position", Overlay::Start},
        {"MenuBounds", "Boundaries", Overlay::Bounds},
        {"MenuWater", "Water", Overlay::Water},
    }};
    view->addSeparator();
    for (const auto& [name, text, overlay] : overlays) {
        QAction* action = view->addAction(text);
        action->setObjectName(name);
        action->setCheckable(true);
        connect(action, &QAction::toggled, this,
                [canvas, which = overlay](bool on) { canvas->setOverlay(which, on); });
    }
    connect(mBlocks, &BlockSelector::selectedBlockChanged, this, [this, canvas](int block) {
        if (findChild<QAction*>("MenuHighlight")->isChecked()) {
            canvas->setHighlight(static_cast<std::uint8_t>(block));
        }
        mTools->refreshPreview();
        showPointer();
    });
}

void EditorWindow::createZoomActions(QMenu* view) {
    using Keys = QList<QKeySequence>;
    QAction* in = view->addAction("Zoom In", this, [this] { setZoom(mZoom + 1); });
    in->setObjectName("MenuZoomIn");
    in->setShortcuts(
        Keys{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* out =
        view->addAction("Zoom Out", this, [this] { setZoom(mZoom > 0 ? mZoom - 1 : 0); });
    out->setObjectName("MenuZoomOut");
    out->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QAction* actual = view->addAction("Actual Size", this, [this] { setZoom(kActualSizeZoom); });
    actual->setObjectName("MenuActualSize");
    actual->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

void EditorWindow::createLevelActions(QMenu* view) {
    addAction(view, "MenuPreviousLevel", "Previous Level", {QKeySequence(Qt::Key_PageUp)},
              &EditorWindow::onPreviousLevel);
    addAction(view, "MenuNextLevel", "Next Level", {QKeySequence(Qt::Key_PageDown)},
              &EditorWindow::onNextLevel);
}

void EditorWindow::createMapTools() {
    MapCanvas* canvas = mMap->canvas();
    mTools = new MapTools(
        *canvas, *mUndo, [this] { return mBlocks->selectedBlock(); }, this);
    connect(mTools, &MapTools::pointerMoved, this, &EditorWindow::onPointerMoved);
    connect(mTools, &MapTools::blockPicked, this,
            [this](std::uint8_t block) { mBlocks->pickBlock(block); });
    connect(canvas, &MapCanvas::scrollRequested, this, &EditorWindow::onScrollRequested);
    mBlocks->setBlockUses([this](std::uint8_t block) -> std::optional<std::int32_t> {
        const LevelDocument* document = mSession->document();
        if (document == nullptr) {
            return std::nullopt;
        }
        std::int32_t count = 0;
        const Layout& layout = document->layout();
        for (std::size_t at = 0; at < layout.size(); ++at) {
            const bool inPlane = (static_cast<std::int32_t>(at % kLayoutRowBytes) >=
                                  kPlaneColumns) == (mPlane == Plane::Background);
            count += inPlane && layout.bytes()[at] == block ? 1 : 0;
        }
        return count;
    });
    connect(canvas, &MapCanvas::zoomRequested, this, [this](int steps, QPoint point) {
        const auto wanted = static_cast<std::int64_t>(mZoom) + steps;
        setZoom(static_cast<std::size_t>(
                    std::clamp<std::int64_t>(wanted, 0, kZoomCellSizes.size() - 1)),
                point);
    });
    auto* passage = new ShortcutPassage(this);
    mCombo1->installEventFilter(passage);
    mCombo1->lineEdit()->installEventFilter(passage);
}

void EditorWindow::setZoom(std::size_t zoom, std::optional<QPoint> about) {
    zoom = std::min(zoom, kZoomCellSizes.size() - 1);
    if (zoom == mZoom) {
        return;
    }
    MapCanvas* canvas = mMap->canvas();
    const QSize seen = mMap->visibleGridArea();
    const QPoint at = about.value_or(QPoint(seen.width() / 2, seen.height() / 2));
    const PlaneCell fixed = canvas->cellAt(at);
    mZoom = zoom;
    const std::int32_t size = kZoomCellSizes[zoom];
    canvas->setCellSize(size);
    updateScrollRanges();
    mMap->horizontalBar()->setValue(fixed.column - at.x() / size);
    mMap->verticalBar()->setValue(fixed.row - at.y() / size);
    mZoomInfo->setText(QString::number(size * 100.0 / kCellSize) + "%");
    showMapOrigin();
    showOverviewArea();
}

// At 100% the scroll bars keep the design's reach; at the other zooms they reach as far as the
// plane's last column and the layout's last row can come into view.
void EditorWindow::updateScrollRanges() {
    const LevelDocument* document = mSession->document();
    if (document == nullptr) {
        return;
    }
    if (mZoom == kActualSizeZoom) {
        widenColumnReach();
        mMap->verticalBar()->setMaximum(13);
        return;
    }
    const std::int32_t size = kZoomCellSizes[mZoom];
    const QSize seen = mMap->visibleGridArea() / size;
    const auto rows = static_cast<std::int32_t>((document->layout().size() + kLayoutRowBytes - 1) /
                                                kLayoutRowBytes);
    mMap->horizontalBar()->setMaximum(std::max(0, kPlaneColumns - seen.width()));
    mMap->verticalBar()->setMaximum(std::max(0, rows - seen.height()));
}

void EditorWindow::onScrollRequested(int columns, int rows) {
    QScrollBar* across = mMap->horizontalBar();
    QScrollBar* down = mMap->verticalBar();
    across->setValue(across->value() + columns);
    down->setValue(down->value() + rows);
}

void EditorWindow::onCopy() {
    const CellPattern copied = mTools->selectedCells();
    if (!copied.isEmpty()) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(patternText(copied)));
    }
}

void EditorWindow::onCut() {
    if (isBusy() || mPlacements->kind()) {
        return;
    }
    onCopy();
    mTools->clearSelectedCells("Cut");
}

void EditorWindow::onPaste() {
    if (isBusy() || mPlacements->kind()) {
        return;
    }
    const auto pattern = parsePatternText(QGuiApplication::clipboard()->text().toStdString());
    if (!pattern) {
        statusBar()->showMessage("The clipboard holds no cells to paste", 3000);
        return;
    }
    mTools->startPaste(*pattern);
}

void EditorWindow::onDelete() {
    if (isBusy()) {
        return;
    }
    if (mPlacements->kind()) {
        mPlacements->deleteSelection();
    } else {
        mTools->clearSelectedCells("Delete");
    }
}

void EditorWindow::onSelectAll() {
    if (mPlacements->kind()) {
        mPlacements->selectAll();
    } else {
        mTools->selectAll();
    }
}

void EditorWindow::onEscape() {
    if (mPlacements->kind()) {
        mPlacements->select({});
    } else {
        mTools->cancel();
    }
}

void EditorWindow::onPreviousLevel() {
    chooseLevelBy(-1);
}

void EditorWindow::onNextLevel() {
    chooseLevelBy(1);
}

void EditorWindow::chooseLevelBy(int step) {
    const auto shown = mSession->shownLevel();
    if (isBusy() || !shown) {
        return;
    }
    const int level = *shown + step;
    if (level < 0 || level >= mCombo1->count()) {
        return;
    }
    mCombo1->setCurrentIndex(level);
    onLevelChosen(level);
}

// The file, the level with its zone and act, and a star while there are unsaved edits.
void EditorWindow::showLevelInfo() {
    const LevelDocument* document = mSession->document();
    if (!mSession->hasRom() || document == nullptr) {
        mLevelInfo->clear();
        return;
    }
    const QString file =
        QFile::decodeName(QByteArray::fromStdString(mSession->rom().romPath().filename().string()));
    mLevelInfo->setText(QString("%1, level %2 (zone %3, act %4)%5")
                            .arg(file)
                            .arg(document->level() + 1)
                            .arg(document->zoneAct().zone)
                            .arg(document->zoneAct().act + 1)
                            .arg(mSession->hasUnsavedEdits() ? " *" : ""));
}

void EditorWindow::rememberRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(kRecentKey).toStringList();
    const QString full = QFileInfo(path).absoluteFilePath();
    recent.removeAll(full);
    recent.prepend(full);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    settings.setValue(kRecentKey, recent);
    settings.setValue(kFolderKey, QFileInfo(full).absolutePath());
    fillRecentMenu();
}

void EditorWindow::fillRecentMenu() {
    mRecentMenu->clear();
    const QStringList recent = QSettings().value(kRecentKey).toStringList();
    for (const QString& path : recent) {
        QAction* entry =
            mRecentMenu->addAction(QFileInfo(path).fileName(), this, &EditorWindow::onOpenRecent);
        entry->setData(path);
        entry->setToolTip(path);
    }
    mRecentMenu->setEnabled(!recent.isEmpty());
}

void EditorWindow::onOpenRecent() {
    if (auto* entry = qobject_cast<QAction*>(sender()); entry != nullptr && !isBusy()) {
        openRomFile(entry->data().toString());
    }
}

}  // namespace orvex
