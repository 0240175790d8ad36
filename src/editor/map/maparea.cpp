#include "editor/map/maparea.h"

#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

#include "editor/map/layouttools.h"
#include "editor/shell/blockuses.h"
#include "editor/shell/resizerule.h"

namespace orvex {

namespace {

// HScroll1's maximum at 100% once a level is shown, in columns: the last six columns of a plane
// can be seen; VScroll2's, in rows.
constexpr int kPlaneReach = kPlaneColumns - kGridSize;
constexpr int kRowReach = 13;

constexpr int kPlaneSection = 10;
constexpr int kToggleSection = 20;
constexpr int kCollisionSection = 25;
constexpr int kZoomSection = 40;
constexpr int kOverviewSection = 60;

QString hexByte(std::uint8_t value) {
    return "0x" + QString::number(uint{value}, 16).toUpper().rightJustified(2, '0');
}

// A load makes the picture of every block, so this loop is the map's hottest: the colours are
// looked up in a local table of all 256 byte values (no mask, and no reload after each store
// into the picture), four pixels a step, the lines found from the picture's bits once.
QPixmap blockPixmap(const LevelArt& art, std::int32_t block, const ColourTable& colours) {
    std::array<QRgb, 256> table{};
    for (std::size_t value = 0; value < table.size(); ++value) {
        table[value] = colours[value & 0x3Fu];
    }
    QImage picture(kBlockSize, kBlockSize, QImage::Format_RGB32);
    uchar* bits = picture.bits();
    const auto lineBytes = static_cast<std::size_t>(picture.bytesPerLine());
    constexpr auto kSide = static_cast<std::size_t>(kBlockSize);
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        const std::uint8_t* from = art.blocks.row(block, y);
        auto* to = reinterpret_cast<QRgb*>(bits + static_cast<std::size_t>(y) * lineBytes);
        for (std::size_t x = 0; x < kSide; x += 4) {
            to[x] = table[from[x]];
            to[x + 1] = table[from[x + 1]];
            to[x + 2] = table[from[x + 2]];
            to[x + 3] = table[from[x + 3]];
        }
    }
    return QPixmap::fromImage(std::move(picture));
}

std::vector<std::int32_t> everyBlock() {
    std::vector<std::int32_t> blocks(kBlockCount);
    std::iota(blocks.begin(), blocks.end(), 0);
    return blocks;
}

// The blocks whose pictures a change of the art changed: every block when the colours changed.
std::vector<std::int32_t> changedBlocks(const EditorSession::AnimationStep& step) {
    return step.colours ? everyBlock() : step.blocks;
}

}  // namespace

MapArea::MapArea(AreaContext& context) : EditingArea(context) {
    setObjectName("MapArea");
    mAnimation = new MapAnimation(context.session, this);
    connect(mAnimation, &MapAnimation::stepped, this, &MapArea::showAnimationStep);
    // The thumbnails keep the level's start: those still to be made are made before it goes.
    connect(mAnimation, &MapAnimation::leavingStart, this, [this] {
        for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
            std::ignore = mBlocks->thumbnail(b)->picture();
        }
    });
}

void MapArea::createWidgets(QWidget& form) {
    mBlocks = new BlockSelector(&form);
    mMap = new MapFrame(&form);
    connect(mMap, &MapFrame::originChanged, this, &MapArea::onOriginChanged);
    mCollision = new CollisionLayer(canvas(), this);
    connect(mCollision, &CollisionLayer::pathShown, this, &MapArea::showPointer);
    connect(&canvas(), &MapCanvas::pointerMoved, this,
            [this](QPoint level) { mPointedPixel = level; });
    canvas().setPictureMaker(
        [this](std::int32_t block, bool underwater) { return blockPicture(block, underwater); });
    mTools = new MapTools(
        canvas(), mContext.undo, [this] { return mBlocks->selectedBlock(); }, this);
    mContext.tools.setCanvas(&canvas());
    canvas().setTools(&mContext.tools);
    connectTools();
}

void MapArea::connectTools() {
    connect(&canvas(), &MapCanvas::moved, this, &MapArea::onPointerMoved);
    connect(&canvas(), &MapCanvas::left, this, [this] { onPointerMoved(std::nullopt); });
    connect(&canvas(), &MapCanvas::pickRequested, mTools, &MapTools::pickAt);
    connect(mTools, &MapTools::blockPicked, this,
            [this](std::uint8_t block) { mBlocks->pickBlock(block); });
    connect(&canvas(), &MapCanvas::scrollRequested, this, &MapArea::scrollBy);
    mBlocks->setBlockUses([this](std::uint8_t block) { return blockUses(block); });
    connect(&canvas(), &MapCanvas::zoomRequested, this, [this](int steps, QPoint point) {
        const auto wanted = static_cast<std::int64_t>(mZoom) + steps;
        setZoom(static_cast<std::size_t>(
                    std::clamp<std::int64_t>(wanted, 0, kZoomCellSizes.size() - 1)),
                point);
    });
    connect(mBlocks, &BlockSelector::selectedBlockChanged, this, [this](int block) {
        if (mHighlight->isChecked()) {
            canvas().setHighlight(static_cast<std::uint8_t>(block));
        }
        mTools->refreshPreview();
        showPointer();
    });
}

// "used by 3 cells of this plane", and where other levels read these blocks, how many of
// their cells hold it; empty without a level.
QString MapArea::blockUses(std::uint8_t block) const {
    if (mDocument == nullptr) {
        return {};
    }
    std::int32_t count = 0;
    const Layout& layout = mDocument->layout();
    for (std::size_t at = 0; at < layout.size(); ++at) {
        const bool inPlane = (static_cast<std::int32_t>(at % kLayoutRowBytes) >= kPlaneColumns) ==
                             (mPlane == Plane::Background);
        count += inPlane && layout.bytes()[at] == block ? 1 : 0;
    }
    QString text = QString("used by %1 cell%2 of this plane").arg(count).arg(count == 1 ? "" : "s");
    const std::vector<LevelUses> uses = orvex::blockUses(mContext.session, block);
    for (std::size_t i = 1; i < uses.size(); ++i) {
        text += QString("; %1 in level %2").arg(uses[i].cells).arg(uses[i].level + 1);
    }
    return text;
}

void MapArea::applyLayout(QSize ruleSize) {
    applyResizeRule({&mContext.window, mMap, mMap->horizontalBar(), mMap->verticalBar(),
                     mBlocks->scrollBar(), mBlocks->viewport(), mMap->corner()},
                    ruleSize);
    mMap->fitToBars();
    updateScrollRanges();  // the pages, and at other zooms than 100% the reach, follow the view
    showOverviewArea();
}

void MapArea::createActions(ActionRegistry& actions) {
    createToolActions(actions);
    createViewActions(actions);
    mCollision->createActions(actions, name(), kCollisionSection);
}

// The layout tools, Place first (chosen at the start).
void MapArea::createToolActions(ActionRegistry& actions) {
    const auto add = [&](std::unique_ptr<AbstractTool> tool) {
        mToolActions.push_back(mContext.tools.add(std::move(tool), actions, name()));
    };
    add(std::make_unique<PlaceTool>(*mTools));
    add(std::make_unique<BrushTool>(*mTools));
    add(std::make_unique<SelectTool>(*mTools));
    add(std::make_unique<FillTool>(*mTools));
}

void MapArea::createViewActions(ActionRegistry& actions) {
    const std::array<std::tuple<const char*, const char*, Plane, Qt::Key>, 2> planes{
        {{"MenuForeground", "Foreground", Plane::Foreground, Qt::Key_1},
         {"MenuBackground", "Background", Plane::Background, Qt::Key_2}}};
    auto* group = new QActionGroup(this);
    for (const auto& [id, text, plane, key] : planes) {
        QAction* action = actions.add(
            {id, text, {QKeySequence(Qt::CTRL | key)}, name(), "View", kPlaneSection, true},
            [this, choice = plane] { showPlane(choice); });
        action->setChecked(plane == mPlane);
        group->addAction(action);
        mPlaneActions[static_cast<std::size_t>(plane)] = action;
    }
    const auto toggle = [&](const char* id, const char* text, Qt::Key key, auto apply) {
        QAction* action =
            actions.add({id, text, {QKeySequence(key)}, name(), "View", kToggleSection, true});
        connect(action, &QAction::toggled, this, apply);
        return action;
    };
    toggle("MenuGrid", "Grid", Qt::Key_G, [this](bool on) { canvas().setGrid(on); });
    toggle("MenuNumbers", "Block Numbers", Qt::Key_N, [this](bool on) { canvas().setNumbers(on); });
    mHighlight = toggle("MenuHighlight", "Highlight Uses", Qt::Key_H, [this](bool on) {
        canvas().setHighlight(on ? std::optional<std::uint8_t>(mBlocks->selectedBlock())
                                 : std::nullopt);
    });
    toggle("MenuAnimate", "Animate", Qt::Key_A, [this](bool on) { mAnimation->setRunning(on); });
    using Keys = QList<QKeySequence>;
    actions.add(
        {"MenuZoomIn", "Zoom In",
         Keys{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
         name(), "View", kZoomSection},
        [this] { setZoom(mZoom + 1); });
    actions.add({"MenuZoomOut", "Zoom Out", Keys{QKeySequence(Qt::CTRL | Qt::Key_Minus)}, name(),
                 "View", kZoomSection},
                [this] { setZoom(mZoom > 0 ? mZoom - 1 : 0); });
    actions.add({"MenuActualSize", "Actual Size", Keys{QKeySequence(Qt::CTRL | Qt::Key_0)}, name(),
                 "View", kZoomSection},
                [this] { setZoom(kActualSizeZoom); });
    actions.add({"MenuOverview", "Level Overview", {}, name(), "View", kOverviewSection},
                [this] { onOverview(); });
}

void MapArea::addToToolBar(QToolBar& bar) {
    for (QAction* tool : mToolActions) {
        bar.addAction(tool);
    }
}

void MapArea::addStatusWidgets(QStatusBar& line, StatusSide side) {
    if (side == StatusSide::Left) {
        mPointerInfo = new QLabel(&line);
        mPointerInfo->setObjectName("PointerInfo");
        mPointerInfo->setMinimumWidth(1);  // clipped in a narrow window, never widening it
        line.addWidget(mPointerInfo);
        return;
    }
    mZoomInfo = new QLabel("100%", &line);
    mZoomInfo->setObjectName("ZoomInfo");
    line.addPermanentWidget(mZoomInfo);
}

void MapArea::attach(LevelDocument* document) {
    mDocument = document;
    mTools->setDocument(document);
    canvas().setLayout(document != nullptr ? &document->layout() : nullptr, mPlane);
    mCollision->attach(document);
    if (document == nullptr) {
        clearPictures();
    }
}

// Block rendering of a load: the thumbnails are emptied when the first block is drawn and then
// filled one by one, each as its block is drawn; the progress window shows the block too. The
// pictures are made when first shown or asked for, so a load makes only those in view; the map
// makes its own when it draws a cell.
void MapArea::blockDrawn(std::int32_t block) {
    if (block == 0) {
        clearPictures();
    }
    PictureCell* thumbnail = mBlocks->thumbnail(block);
    thumbnail->setPictureMaker([this, block] { return blockPicture(block, false); });
    if (ProgressWindow* progress = mContext.host->progressWindow()) {
        progress->bufferedImage()->setPictureMaker([thumbnail] { return thumbnail->picture(); });
    }
}

// A block's picture from the art as it is now: in the underwater colours (null for an act
// without water) or the level's.
QPixmap MapArea::blockPicture(std::int32_t block, bool underwater) const {
    const LevelArt& art = mContext.session.art();
    if (!underwater) {
        return blockPixmap(art, block, art.colours);
    }
    return art.underwater ? blockPixmap(art, block, *art.underwater) : QPixmap();
}

// Another frame of the animation: only the blocks it changed are drawn again (every block when
// the colours changed), and only as the map shows them. The thumbnails and the overview keep
// the level's start.
void MapArea::showAnimationStep(const EditorSession::AnimationStep& step) {
    canvas().forgetBlockPictures(changedBlocks(step));
}

// The map shows no block while a load draws them, and makes each picture when a cell first shows
// it once all are drawn.
void MapArea::artReady() {
    canvas().forgetBlockPictures(everyBlock());
    if (mOverview != nullptr) {
        mOverview->forgetBlocks();
    }
    mBlocks->setWithheld(mContext.session.art().hiddenBlocks);
    mAnimation->restart();
    showMissingStartTables();
}

// A build whose code does not show where a level-start table lies is drawn without what that
// table adds; the status line says what is missing.
void MapArea::showMissingStartTables() {
    const std::vector<std::string> missing = mContext.session.missingStartTables();
    if (missing.empty()) {
        return;
    }
    QStringList names;
    for (const std::string& table : missing) {
        names << QString::fromStdString(table);
    }
    mContext.note("Drawn without: " + names.join(", "),
                  "These tables of the game's level start were not found in this image, so the "
                  "level is drawn without what they add:\n" +
                      names.join("\n"));
}

// A level opens where the player starts: the start position in the middle of the view (as far
// as the bars reach), or the top left corner when the image has no start table.
void MapArea::levelShown() {
    updateScrollRanges();
    QPoint origin;
    const auto& start = mDocument != nullptr ? mDocument->parts().start : std::nullopt;
    if (start && mPlane == Plane::Foreground) {
        const QSize seen = mMap->visibleGridArea();
        const double scale = static_cast<double>(canvas().cellSize()) / kCellSize;
        origin = QPoint(static_cast<int>(start->x * scale) - seen.width() / 2,
                        static_cast<int>(start->y * scale) - seen.height() / 2);
    }
    mMap->horizontalBar()->setValue(std::max(0, origin.x()));
    mMap->verticalBar()->setValue(std::max(0, origin.y()));
    showMapOrigin();
    refreshOverview();
    showPointer();
}

void MapArea::clearPictures() {
    for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
        mBlocks->thumbnail(b)->setPicture({});
    }
    canvas().clearBlockPictures();
}

// A layout edit (or its undo or redo): the map cells (picture assignments only) and the
// overview's cells in the rectangle. An edit of the art: the blocks it reaches are drawn again
// in the map, the block column and the overview (all of them when the colours changed).
void MapArea::documentChanged(const DocumentChange& change) {
    mCollision->documentChanged(change);
    if (change.part != Part::Layout) {
        showArtChange(mContext.session.applyChange(change));
        return;
    }
    canvas().updateLayoutCells(change.cells);
    updateOverviewCells(change.cells);
    showPointer();
}

// The pictures of the blocks an edit reached are made again when they are next shown, so a
// piece used by many blocks costs only the cells and thumbnails in view.
void MapArea::showArtChange(const EditorSession::AnimationStep& step) {
    const std::vector<std::int32_t> blocks = changedBlocks(step);
    for (const std::int32_t block : blocks) {
        mBlocks->thumbnail(block)->setPictureMaker(
            [this, block] { return blockPicture(block, false); });
    }
    canvas().forgetBlockPictures(blocks);
    if (mOverview != nullptr && mOverview->isVisible() && mDocument != nullptr) {
        mOverview->blocksChanged(mContext.session.art(), mDocument->layout(), mPlane, blocks);
    }
}

void MapArea::updateOverviewCells(const CellRect& cells) {
    if (mOverview == nullptr || !mOverview->isVisible()) {
        return;
    }
    for (std::int32_t row = cells.row; row < cells.row + cells.rows; ++row) {
        for (std::int32_t column = cells.column; column < cells.column + cells.columns; ++column) {
            const bool inPlane = (column >= kPlaneColumns) == (mPlane == Plane::Background);
            const auto block = blockAt({row, column});
            if (inPlane && block) {
                mOverview->updateCell(column % kPlaneColumns, row, *block);
            }
        }
    }
}

void MapArea::run(EditCommand command) {
    switch (command) {
        case EditCommand::Copy:
        case EditCommand::Cut:
            if (const CellPattern copied = mTools->selectedCells(); !copied.isEmpty()) {
                QGuiApplication::clipboard()->setText(QString::fromStdString(patternText(copied)));
            }
            if (command == EditCommand::Cut) {
                mTools->clearSelectedCells("Cut");
            }
            break;
        case EditCommand::Paste:
            if (const auto pattern =
                    parsePatternText(QGuiApplication::clipboard()->text().toStdString())) {
                mTools->startPaste(*pattern);
            } else {
                mContext.window.statusBar()->showMessage("The clipboard holds no cells to paste",
                                                         3000);
            }
            break;
        case EditCommand::Delete:
            mTools->clearSelectedCells("Delete");
            break;
        case EditCommand::SelectAll:
            mTools->selectAll();
            break;
        case EditCommand::Deselect:
            mTools->cancel();
            break;
        case EditCommand::Insert:
            break;
    }
}

void MapArea::setCommandsEnabled(bool enabled) {
    for (QAction* choice : mPlaneActions) {
        choice->setEnabled(enabled);
    }
}

// The point of the plane under `about` stays there. Without it the middle of the part of the
// view that shows the plane goes to the middle of the view (so a view reaching past the layout's
// last row comes back into it).
void MapArea::setZoom(std::size_t zoom, std::optional<QPoint> about) {
    zoom = std::min(zoom, kZoomCellSizes.size() - 1);
    if (zoom == mZoom) {
        return;
    }
    const std::int32_t before = canvas().cellSize();
    const QPointF origin = mMap->origin();
    QPointF from = about.value_or(QPoint());  // on the canvas, before and after
    QPointF to = from;
    if (!about) {
        const QRectF seen(origin, QSizeF(mMap->visibleGridArea()));
        const QRectF plane(0, 0, kPlaneColumns * before, layoutRows() * before);
        const QRectF shown = seen & plane;
        from = (shown.isEmpty() ? seen : shown).center() - origin;
        to = seen.center() - origin;
    }
    const QPointF fixed = (origin + from) / before;  // in cells
    mZoom = zoom;
    const std::int32_t size = kZoomCellSizes[zoom];
    const QPointF wanted = fixed * size - to;
    // The bars take the new size's pixels before the canvas hears of it, so that the view (and
    // the pointer's cell the tools hear of) moves once.
    mSettingZoom = true;
    updateScrollRanges();
    mMap->horizontalBar()->setValue(static_cast<int>(std::floor(wanted.x())));
    mMap->verticalBar()->setValue(static_cast<int>(std::floor(wanted.y())));
    mSettingZoom = false;
    canvas().setView(size, mMap->origin());
    mZoomInfo->setText(QString::number(size * 100.0 / kCellSize) + "%");
    showMapOrigin();
    showOverviewArea();
}

std::int32_t MapArea::layoutRows() const {
    return mDocument != nullptr
               ? static_cast<std::int32_t>((mDocument->layout().size() + kLayoutRowBytes - 1) /
                                           kLayoutRowBytes)
               : 0;
}

// The bars' pages are the view; at 100% they keep the design's reach, at the other zooms they
// reach as far as the plane's last column and the layout's last row can come into view. A bar
// with nothing to scroll is disabled.
void MapArea::updateScrollRanges() {
    QScrollBar* across = mMap->horizontalBar();
    QScrollBar* down = mMap->verticalBar();
    const QSize seen = mMap->visibleGridArea();
    const std::int32_t size = kZoomCellSizes[mZoom];
    across->setPageStep(std::max(1, seen.width()));
    down->setPageStep(std::max(1, seen.height()));
    across->setSingleStep(kCellSize / 3);
    down->setSingleStep(kCellSize / 3);
    if (mDocument == nullptr) {
        return;
    }
    if (mZoom == kActualSizeZoom) {
        across->setMaximum(kPlaneReach * kCellSize);
        down->setMaximum(kRowReach * kCellSize);
    } else {
        across->setMaximum(std::max(0, kPlaneColumns * size - seen.width()));
        down->setMaximum(std::max(0, layoutRows() * size - seen.height()));
    }
    across->setEnabled(across->maximum() > 0);
    down->setEnabled(down->maximum() > 0);
}

void MapArea::scrollBy(QPoint pixels) {
    QScrollBar* across = mMap->horizontalBar();
    QScrollBar* down = mMap->verticalBar();
    across->setValue(across->value() + pixels.x());
    down->setValue(down->value() + pixels.y());
}

void MapArea::showPlane(Plane plane) {
    if (mContext.isBusy()) {
        plane = mPlane;
    }
    mPlaneActions[static_cast<std::size_t>(plane)]->setChecked(true);
    if (plane == mPlane) {
        return;
    }
    mPlane = plane;
    mTools->setDocument(mDocument);
    emit planeChanged(plane);
    showMapOrigin();
    refreshOverview();
    showPointer();
}

std::int32_t MapArea::originColumn() const {
    return firstColumn(mPlane) + mMap->originColumn();
}

QPoint MapArea::viewCentre() const {
    const QSize seen = mMap->visibleGridArea();
    return canvas().levelPoint(QPointF(seen.width() / 2.0, seen.height() / 2.0));
}

// The canvas shows the plane from the scroll bars' origin.
void MapArea::showMapOrigin() {
    canvas().setLayout(mDocument != nullptr ? &mDocument->layout() : nullptr, mPlane);
    canvas().setOrigin(mMap->origin());
}

std::optional<std::uint8_t> MapArea::blockAt(LayoutCell cell) const {
    return mDocument != nullptr ? mDocument->layout().blockAt(cell) : std::nullopt;
}

void MapArea::onOriginChanged() {
    if (mSettingZoom) {
        return;
    }
    showMapOrigin();
    showOverviewArea();
    showPointer();
}

void MapArea::onPointerMoved(std::optional<PlaneCell> cell) {
    mPointedCell = cell;
    showPointer();
}

// The status line: the layout row and column of the cell under the pointer (the canvas reports
// it again when the view moves under it), the block stored there and the selected block.
void MapArea::showPointer() {
    const QString selected = "selected block " + hexByte(mBlocks->selectedBlock());
    if (!mPointedCell) {
        mPointerInfo->setText("Selected block " + hexByte(mBlocks->selectedBlock()));
        return;
    }
    const std::int32_t row = mPointedCell->row;
    const std::int32_t column = firstColumn(mPlane) + mPointedCell->column;
    QString stored = "no level loaded";
    if (const auto block = blockAt({row, column})) {
        stored = "block " + hexByte(*block);
    } else if (mContext.session.shownLevel()) {
        stored = "outside the layout";
    }
    QString text =
        QString("Row %1, column %2: %3 \u2014 %4").arg(row).arg(column).arg(stored, selected);
    if (const auto block = blockAt({row, column}); block && mCollision->path()) {
        const QPoint inBlock(mPointedPixel.x() % kBlockSize, mPointedPixel.y() % kBlockSize);
        text += " \u2014 " + mCollision->pointerText(*block, inBlock.x(), inBlock.y());
    }
    mPointerInfo->setText(text);
}

// The overview lives in a dock below the map, inside the main window, so it never covers the
// map or its status line; it scrolls when the window is narrower than the plane.
void MapArea::onOverview() {
    if (mOverview == nullptr) {
        auto* dock = new QDockWidget("Level Overview", &mContext.window);
        dock->setObjectName("OverviewDock");
        dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
        auto* scroller = new QScrollArea(dock);
        mOverview = new OverviewWindow(scroller);
        scroller->setWidget(mOverview);
        scroller->setWidgetResizable(true);  // the overview fills the dock as far as it can
        scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        scroller->setMinimumHeight(mOverview->minimumHeight() + 2 * scroller->frameWidth() +
                                   scroller->horizontalScrollBar()->sizeHint().height());
        dock->setWidget(scroller);
        mContext.window.addDockWidget(Qt::BottomDockWidgetArea, dock);
        connect(mOverview, &OverviewWindow::cellClicked, this, &MapArea::onOverviewClicked);
        connect(mOverview, &OverviewWindow::viewDragged, this, &MapArea::onOverviewDragged);
    }
    mContext.window.findChild<QDockWidget*>("OverviewDock")->show();
    refreshOverview();
}

// The clicked cell goes to the middle of the map view, as far as the scroll bars reach.
void MapArea::onOverviewClicked(int column, int row) {
    if (mContext.isBusy()) {
        return;
    }
    const std::int32_t size = canvas().cellSize();
    const QSize seen = mMap->visibleGridArea() / size;
    mMap->horizontalBar()->setValue((column - seen.width() / 2) * size);
    mMap->verticalBar()->setValue((row - seen.height() / 2) * size);
}

// A drag in the overview carries the view with it, `cells` at a time.
void MapArea::onOverviewDragged(QPointF cells) {
    if (!mContext.isBusy()) {
        scrollBy((cells * canvas().cellSize()).toPoint());
    }
}

void MapArea::refreshOverview() {
    if (mOverview == nullptr || !mOverview->isVisible()) {
        return;
    }
    mOverview->showPlane(mContext.session.art(),
                         mDocument != nullptr ? mDocument->layout() : Layout(), mPlane);
    showOverviewArea();
}

// The overview's rectangle: the map view's origin and the cells it shows, a part cell as a
// fraction.
void MapArea::showOverviewArea() {
    if (mOverview == nullptr) {
        return;
    }
    const std::int32_t size = canvas().cellSize();
    mOverview->setViewArea(
        QRectF(QPointF(mMap->origin()) / size, QSizeF(mMap->visibleGridArea()) / size));
}

}  // namespace orvex
