#include "editor/shell/editorwindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStringList>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "document/documentcommands.h"
#include "editor/shell/documentundo.h"
#include "editor/shell/qtdialogs.h"
#include "editor/shell/resizerule.h"
#include "editor/shell/testlevel.h"
#include "editor/shell/uitext.h"
#include "graphics/png.h"
#include "rom/cartridge.h"
#include "rom/romidentity.h"
#include "widgets/linewidget.h"
#include "windows/aboutwindow.h"
#include "windows/centerme.h"

namespace orvex {

namespace {

constexpr int kLevelEntries = 20;
// What the frame, caption and menu bar took around the form at design time: 658 x 504 outside
// for 651 x 458 inside. The resize rule's offsets assume it.
constexpr QSize kDesignFrame(7, 46);
// HScroll1's maximum once a level is shown: the last six columns of a plane can be seen.
constexpr int kPlaneReach = kPlaneColumns - kGridSize;

QString hexByte(std::uint8_t value) {
    return "0x" + QString::number(uint{value}, 16).toUpper().rightJustified(2, '0');
}

QString pathText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// What a write kept: "the ROM as it was is kept as NAME.bak (as Orvex first found it:
// NAME.orig)".
QString keptText(const WriteReport& kept) {
    return "the ROM as it was is kept as " + pathText(kept.previous) +
           " (as Orvex first found it: " + pathText(kept.original) + ")";
}

QString fileNameText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

// The same, short enough for the status line: "kept NAME.bak and NAME.orig".
QString keptNames(const WriteReport& kept) {
    return "kept " + fileNameText(kept.previous) + " and " + fileNameText(kept.original);
}

// The file a drag carries when it is exactly one local file.
QString droppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().constFirst().isLocalFile()) {
        return {};
    }
    return mime->urls().constFirst().toLocalFile();
}

QFont boldSansSerif() {
    QFont font("MS Sans Serif");
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

QPixmap blockPixmap(const LevelArt& art, std::int32_t block) {
    QImage picture(kBlockSize, kBlockSize, QImage::Format_RGB32);
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        const std::uint8_t* from = art.blocks.row(block, y);
        auto* to = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (std::int32_t x = 0; x < kBlockSize; ++x) {
            to[x] = art.colours[from[x] & 0x3Fu];
        }
    }
    return QPixmap::fromImage(std::move(picture));
}

void endProgram(bool immediately) {
    if (immediately) {
        std::exit(0);
    }
    QCoreApplication::quit();
}

}  // namespace

// Marks a load or a save: Open, the level choice and Save are refused until it ends.
class EditorWindow::BusyScope {
public:
    explicit BusyScope(EditorWindow& window) : mWindow(window) {
        if (mWindow.mBusyDepth++ == 0) {
            mWindow.setCommandsEnabled(false);
        }
    }
    ~BusyScope() {
        if (--mWindow.mBusyDepth == 0) {
            mWindow.setCommandsEnabled(true);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    EditorWindow& mWindow;
};

EditorWindow::EditorWindow(std::unique_ptr<EditorDialogs> dialogs)
    : mDialogs(std::move(dialogs)), mSession(std::make_unique<EditorSession>()), mExit(endProgram) {
    if (!mDialogs) {
        mDialogs = std::make_unique<QtDialogs>(this);
    }
    setObjectName("Orvex");
    setWindowTitle(kWindowCaption);
    setAcceptDrops(true);
    mUndo = new QUndoStack(this);
    createForm();
    createMenu();
    createEditMenu();
    createViewMenu();
    createStatusLine();
    createMapTools();
    createPlacementTools();
    mHost = new WindowHost(this, mMap);
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height() +
                     findChild<QToolBar*>("ToolBar")->sizeHint().height();
    resize(651, 458 + bars);
    CenterMe(this);
}

EditorWindow::~EditorWindow() {
    // The undo stack clears itself when it is destroyed and reports that to the window, which by
    // then would be only a QWidget; its commands also refer to the session. It goes first, quietly.
    mUndo->disconnect(this);
    delete mUndo;
    mUndo = nullptr;
    // The controls go next, while the session they report to still exists: hiding them can
    // still send events (a synthetic mouse move to the cell under the pointer).
    delete takeCentralWidget();
}

void EditorWindow::createMenu() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("MenuFile");
    mMenuOpen = file->addAction("Load Levels", this, &EditorWindow::onOpen);
    mMenuOpen->setObjectName("MenuOpen");
    mMenuOpen->setShortcut(QKeySequence::Open);
    mRecentMenu = file->addMenu("Open Recent");
    mRecentMenu->setObjectName("MenuRecent");
    fillRecentMenu();
    mMenuSave = file->addAction("Save Level", this, &EditorWindow::onSave);
    mMenuSave->setObjectName("MenuSave");
    mMenuSave->setShortcut(QKeySequence::Save);
    mMenuSaveAs = file->addAction("Save As...", this, &EditorWindow::onSaveAs);
    mMenuSaveAs->setObjectName("MenuSaveAs");
    mMenuSaveAs->setShortcut(QKeySequence::SaveAs);
    mMenuSaveAs->setToolTip(
        "Writes the ROM under a new name, with this level's edits, and goes "
        "on editing that file");
    mMenuExport = file->addAction("Export Level Image...", this, &EditorWindow::onExport);
    mMenuExport->setObjectName("MenuExport");
    mMenuExport->setToolTip(
        "Writes the plane shown as a PNG picture, with the edits not saved yet included");
    new TestLevel(*this, *file);  // Test Level and Emulator Settings...
    file->setToolTipsVisible(true);
    QAction* quit = file->addAction("Quit", this, &QWidget::close);
    quit->setObjectName("MenuQuit");
    // Some platforms have no standard key for Quit.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    quit->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{Qt::CTRL | Qt::Key_Q} : quitKeys);
    file->addSeparator()->setObjectName("esp");
    file->addAction("About Orvex (N.O.V.)", this, &EditorWindow::onAbout)
        ->setObjectName("MenuAbout");
}

void EditorWindow::createStatusLine() {
    QStatusBar* line = statusBar();
    line->setObjectName("StatusLine");
    mPointerInfo = new QLabel(line);
    mPointerInfo->setObjectName("PointerInfo");
    mPointerInfo->setMinimumWidth(1);  // clipped in a narrow window, never widening it
    line->addWidget(mPointerInfo);
    // The level pixel under the pointer: "x 1234 ($04D2), y 567 ($0237)".
    mPixelInfo = new QLabel(line);
    mPixelInfo->setObjectName("PointerPixels");
    line->addWidget(mPixelInfo);
    // Notes (a save, an export, where the backup is) on the right, in the room left over.
    mNote = new QLabel(line);
    mNote->setObjectName("StatusNote");
    mNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addPermanentWidget(mNote, 1);
    // The file, the level and an unsaved mark: "demo.bin, level 1 (zone 0, act 1) *".
    mLevelInfo = new QLabel(line);
    mLevelInfo->setObjectName("LevelInfo");
    line->addPermanentWidget(mLevelInfo);
    // What the open ROM is: "revision 01 (factory tables)".
    mRomInfo = new QLabel(line);
    mRomInfo->setObjectName("RomInfo");
    line->addPermanentWidget(mRomInfo);
    mZoomInfo = new QLabel("100%", line);
    mZoomInfo->setObjectName("ZoomInfo");
    line->addPermanentWidget(mZoomInfo);
}

void EditorWindow::createForm() {
    auto* form = new QWidget(this);
    form->setObjectName("form");
    setCentralWidget(form);
    form->installEventFilter(this);
    mBlocks = new BlockSelector(form);
    createLevelSelector(form);
    mMap = new MapFrame(form);
    connect(mMap, &MapFrame::originChanged, this, &EditorWindow::onOriginChanged);
    createCaptionLine(form);
}

void EditorWindow::createLevelSelector(QWidget* form) {
    mCombo1 = new QComboBox(form);
    mCombo1->setObjectName("Combo1");
    mCombo1->setEditable(true);
    mCombo1->setInsertPolicy(QComboBox::NoInsert);
    for (int entry = 1; entry <= kLevelEntries; ++entry) {
        mCombo1->addItem(QString::number(entry));
    }
    mCombo1->setCurrentIndex(-1);
    mCombo1->setEditText("1");
    mCombo1->setGeometry(40, 0, 46, 21);
    mCombo1->setFont(boldSansSerif());
    QPalette face = mCombo1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    mCombo1->setPalette(face);
    connect(mCombo1, &QComboBox::activated, this, &EditorWindow::onLevelChosen);
}

void EditorWindow::createCaptionLine(QWidget* form) {
    auto* line = new LineWidget(form, {0, 0}, {80, 0}, QColor(128, 128, 128));
    line->setObjectName("Line1");
    auto* label = new QLabel("Level:", form);
    label->setObjectName("Label1");
    label->setGeometry(0, 4, 41, 17);
    label->setFont(boldSansSerif());
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(navy);
    // Lines and labels are drawn on the form itself, below every other control.
    label->lower();
    line->lower();
}

void EditorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

// The form can change size on its own too, when the status line grows or shrinks.
bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        applyLayout();
    }
    return QMainWindow::eventFilter(watched, event);
}

void EditorWindow::applyLayout() {
    applyResizeRule({this, mMap, mMap->horizontalBar(), mMap->verticalBar(), mBlocks->scrollBar(),
                     mBlocks->viewport(), mMap->corner()},
                    resizeRuleSize());
    updateScrollRanges();  // at other zooms than 100% the reach follows the view's size
    showOverviewArea();
}

// The rule places the map's scroll bars for a window whose frame, caption and menu bar take
// kDesignFrame around the form. Whatever the platform's frames, the status line and the tool
// bar take, it is given the outer size that window would have around the form as it is now, so
// HScroll1, VScroll2 and Canto sit on the form's edges.
QSize EditorWindow::resizeRuleSize() const {
    return centralWidget()->size() + kDesignFrame;
}

bool EditorWindow::event(QEvent* event) {
    // Moving through a menu sends empty status tips, which would wipe the note about the
    // backup; none of the actions has a tip of its own.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        return true;
    }
    return QMainWindow::event(event);
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!isBusy() && !droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void EditorWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (isBusy() || path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended, so the program the file came from is not kept waiting
    // through the questions and the load.
    QMetaObject::invokeMethod(
        this, [this, path] { openRomFile(path); }, Qt::QueuedConnection);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        // A load or a save cannot be stopped half-way; the ROM is written only after the last
        // progress report, so ending here leaves the file as it was.
        event->ignore();
        mExit(true);
        return;
    }
    if (!resolveUnsavedEdits()) {
        event->ignore();
        return;
    }
    event->accept();
    mExit(false);
}

void EditorWindow::onOpen() {
    if (isBusy()) {
        return;
    }
    const QString path = mDialogs->chooseRomFile();
    if (!path.isEmpty()) {
        openRomFile(path);
    }
}

void EditorWindow::openRomFile(const QString& path) {
    if (isBusy() || !resolveUnsavedEdits()) {
        return;
    }
    BusyScope busy(*this);
    const std::optional<QString> plain = plainRomPath(path);
    if (!plain) {
        return;
    }
    const auto approve = [this] {
        return mDialogs->askYesNo(kMigrationTitle, kMigrationPrompt, true);
    };
    const auto checked = mSession->openRom(QFile::encodeName(*plain).toStdString(), approve);
    if (!checked) {
        showError("The ROM " + *plain + " could not be opened.", checked.error());
        refreshOverview();  // what the map shows still: the level before, or nothing
        return;
    }
    // The session dropped the previous ROM's level: nothing may refer to it any more, not even
    // a repaint while the next level loads.
    mUndo->clear();
    attachTools(nullptr);
    mMap->canvas()->setLayout(nullptr, mPlane);
    mMap->canvas()->setPlacements(nullptr);
    mMap->canvas()->setSprites(nullptr, {});
    mObjectTypes->showPictures(nullptr, {});
    mRomInfo->setText(toQString(describeIdentity(*mSession->identity())));
    rememberRecent(*plain);
    mNote->clear();
    if (checked->migrated) {
        const WriteReport& kept = *checked->migrated;
        mDialogs->showMessage(kMessageTitle,
                              "The layouts have been migrated; " + keptText(kept) + ".");
        showNote("Migrated; " + keptNames(kept), keptText(kept));
    }
    mCombo1->setCurrentIndex(0);
    loadLevelAt(0);
}

// A copier dump is never opened as it is: its owner is offered a plain copy beside it, which
// is opened instead (at once, when an identical copy is already there). Empty when nothing is
// to be opened.
std::optional<QString> EditorWindow::plainRomPath(const QString& path) {
    const std::filesystem::path file = QFile::encodeName(path).toStdString();
    auto bytes = RomImage(file).readAll();
    const DumpFormat format = bytes ? detectDumpFormat(*bytes) : DumpFormat::Plain;
    if (format == DumpFormat::Plain || format == DumpFormat::Unrecognised) {
        return path;  // the ROM check says what is wrong with anything else
    }
    const std::filesystem::path copy = plainCopyPath(file);
    const std::vector<std::uint8_t> image = plainImage(*bytes, format);
    const QString copyText = QFile::decodeName(copy.c_str());
    if (auto existing = RomImage(copy).readAll(); existing && *existing == image) {
        return copyText;
    }
    if (!mDialogs->askYesNo(kMessageTitle,
                            "This is " + toQString(describeDumpFormat(format)) +
                                ". Save a plain copy as " + fileNameText(copy) + " and open it?",
                            true)) {
        return std::nullopt;
    }
    if (Status written = writeNewFile(copy, image); !written) {
        showError("No plain copy of " + path + " could be saved.", written.error());
        return std::nullopt;
    }
    return copyText;
}

void EditorWindow::onLevelChosen(int index) {
    if (isBusy() || !mSession->hasRom()) {
        return;
    }
    if (!resolveUnsavedEdits()) {
        showLevelInSelector();
        return;
    }
    loadLevelAt(index);
}

void EditorWindow::onSave() {
    if (isBusy() || !mSession->hasRom() || mCombo1->currentIndex() < 0) {
        return;
    }
    saveLevelAt(mCombo1->currentIndex());
}

// Save As: the file as it is now goes to the new name, which becomes the open ROM; then the
// level is saved there as Save does, its edits included.
void EditorWindow::onSaveAs() {
    if (isBusy() || !mSession->hasRom()) {
        return;
    }
    const QString path = mDialogs->chooseRomFileToSave();
    if (path.isEmpty()) {
        return;
    }
    const Status copied = [&] {
        BusyScope busy(*this);
        return mSession->copyRomTo(QFile::encodeName(path).toStdString());
    }();
    if (!copied) {
        showError("The ROM was not saved as " + path + ".", copied.error());
        return;
    }
    rememberRecent(path);
    showLevelInfo();
    if (mSession->shownLevel()) {
        saveLevelAt(*mSession->shownLevel());
    }
}

void EditorWindow::onAbout() {
    AboutWindow about(this);
    about.exec();
}

void EditorWindow::onOriginChanged() {
    showMapOrigin();
    showOverviewArea();
    showPointer();
}

void EditorWindow::onUndo() {
    if (!isBusy()) {
        mUndo->undo();
    }
}

void EditorWindow::onRedo() {
    if (!isBusy()) {
        mUndo->redo();
    }
}

void EditorWindow::onExport() {
    if (isBusy() || !mSession->shownLevel()) {
        return;
    }
    const QString path = mDialogs->chooseImageFile();
    if (path.isEmpty()) {
        return;
    }
    const Status written = exportLevelImage(path);
    if (!written) {
        showError("The level image was not written.", written.error());
        return;
    }
    showNote("Level image written to " + QFileInfo(path).fileName(), path);
}

Status EditorWindow::exportLevelImage(const QString& path) {
    BusyScope busy(*this);
    const LevelArt& art = mSession->art();
    const IndexedImage picture = [&] {
        ProgressScope progress(*mHost);
        return renderPlane(art.blocks, mSession->document()->layout(), mPlane, mHost);
    }();
    const std::filesystem::path file = QFile::encodeName(path).toStdString();
    if (sameFile(file, mSession->rom().romPath())) {
        return makeError(ErrorCode::FileWrite, path.toStdString() +
                                                   " is the open ROM; choose another file for "
                                                   "the picture");
    }
    auto png = encodeIndexedPng(picture, art.colours);
    if (!png) {
        return png.error();
    }
    return writeOutputFile(file, *png);
}

// The overview lives in a dock below the map, inside the main window, so it never covers the
// map or its status line; it scrolls when the window is narrower than the plane.
void EditorWindow::onOverview() {
    if (mOverview == nullptr) {
        auto* dock = new QDockWidget("Level Overview", this);
        dock->setObjectName("OverviewDock");
        dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
        auto* scroller = new QScrollArea(dock);
        mOverview = new OverviewWindow(scroller);
        scroller->setWidget(mOverview);
        scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        scroller->setMinimumHeight(mOverview->height() + 2 * scroller->frameWidth() +
                                   scroller->horizontalScrollBar()->sizeHint().height());
        dock->setWidget(scroller);
        addDockWidget(Qt::BottomDockWidgetArea, dock);
        connect(mOverview, &OverviewWindow::cellClicked, this, &EditorWindow::onOverviewClicked);
    }
    findChild<QDockWidget*>("OverviewDock")->show();
    refreshOverview();
}

// The clicked cell goes to the middle of the map view, as far as the scroll bars reach.
void EditorWindow::onOverviewClicked(int column, int row) {
    if (isBusy()) {
        return;
    }
    const QSize seen = mMap->visibleGridArea() / mMap->canvas()->cellSize();
    QScrollBar* across = mMap->horizontalBar();
    QScrollBar* down = mMap->verticalBar();
    across->setValue(std::clamp(column - seen.width() / 2, across->minimum(), across->maximum()));
    down->setValue(std::clamp(row - seen.height() / 2, down->minimum(), down->maximum()));
}

void EditorWindow::showPlane(Plane plane) {
    if (isBusy()) {
        plane = mPlane;
    }
    mPlaneActions[static_cast<std::size_t>(plane)]->setChecked(true);
    if (plane == mPlane) {
        return;
    }
    mPlane = plane;
    attachTools(mSession->document());
    showMapOrigin();
    refreshOverview();
    showPointer();
}

std::int32_t EditorWindow::originColumn() const {
    return firstColumn(mPlane) + mMap->originColumn();
}

// The canvas shows the plane from the scroll bars' origin.
void EditorWindow::showMapOrigin() {
    const LevelDocument* document = mSession->document();
    mMap->canvas()->setLayout(document != nullptr ? &document->layout() : nullptr, mPlane);
    mMap->canvas()->setPlacements(document != nullptr ? &document->parts() : nullptr);
    mMap->canvas()->setOrigin({mMap->originRow(), mMap->originColumn()});
}

std::optional<std::uint8_t> EditorWindow::blockAt(LayoutCell cell) const {
    const LevelDocument* document = mSession->document();
    return document != nullptr ? document->layout().blockAt(cell) : std::nullopt;
}

// The document's layout changed (an edit, its undo or redo): the map cells (picture assignments
// only) and the overview's cells in the rectangle.
void EditorWindow::onDocumentChanged(const DocumentChange& change) {
    if (change.part != Part::Layout) {
        mMap->canvas()->update();  // placements and art show on the canvas too
        if (change.part == Part::Objects || change.part == Part::Rings) {
            mPlacements->placementsChanged();
            mProperties->refresh(mSession->document());
        }
        showLevelInfo();
        return;
    }
    mMap->canvas()->updateLayoutCells(change.cells);
    if (mOverview != nullptr && mOverview->isVisible()) {
        const CellRect& cells = change.cells;
        for (std::int32_t row = cells.row; row < cells.row + cells.rows; ++row) {
            for (std::int32_t column = cells.column; column < cells.column + cells.columns;
                 ++column) {
                const bool inPlane = (column >= kPlaneColumns) == (mPlane == Plane::Background);
                const auto block = blockAt({row, column});
                if (inPlane && block) {
                    mOverview->updateCell(column % kPlaneColumns, row, *block);
                }
            }
        }
    }
    showPointer();
    showLevelInfo();
}

void EditorWindow::onPointerMoved(std::optional<PlaneCell> cell) {
    if (cell) {
        mPointedCell = QPoint(cell->column - mMap->originColumn(), cell->row - mMap->originRow());
    } else {
        mPointedCell.reset();
    }
    showPointer();
}

// The status line: the layout row and column of the cell under the pointer (the view cell last
// seen there, in the view as it is now), the block stored there and the selected block.
void EditorWindow::showPointer() {
    const QString selected = "selected block " + hexByte(mBlocks->selectedBlock());
    if (!mPointedCell) {
        mPointerInfo->setText("Selected block " + hexByte(mBlocks->selectedBlock()));
        return;
    }
    const std::int32_t row = mMap->originRow() + mPointedCell->y();
    const std::int32_t column = originColumn() + mPointedCell->x();
    const LayoutCell pointed{row, column};
    QString stored = "no level loaded";
    if (const auto block = blockAt(pointed)) {
        stored = "block " + hexByte(*block);
    } else if (mSession->shownLevel()) {
        stored = "outside the layout";
    }
    mPointerInfo->setText(
        QString("Row %1, column %2: %3 \u2014 %4").arg(row).arg(column).arg(stored, selected));
}

void EditorWindow::showNote(const QString& text, const QString& details) {
    mNote->setText(text);
    mNote->setToolTip(details);
}

void EditorWindow::refreshOverview() {
    if (mOverview == nullptr || !mOverview->isVisible()) {
        return;
    }
    const LevelDocument* document = mSession->document();
    mOverview->showPlane(mSession->art(), document != nullptr ? document->layout() : Layout(),
                         mPlane);
    showOverviewArea();
}

// The overview's rectangle: the map view's origin and the cells it shows, a part cell as a
// fraction.
void EditorWindow::showOverviewArea() {
    if (mOverview == nullptr) {
        return;
    }
    const QSizeF seen = QSizeF(mMap->visibleGridArea()) / mMap->canvas()->cellSize();
    mOverview->setViewArea(QRectF(QPointF(mMap->originColumn(), mMap->originRow()), seen));
}

void EditorWindow::updateUndoActions() {
    mMenuUndo->setEnabled(!isBusy() && mUndo->canUndo());
    mMenuRedo->setEnabled(!isBusy() && mUndo->canRedo());
}

// Widens HScroll1 from its design reach to the whole plane: columns 0..127 of it.
void EditorWindow::widenColumnReach() {
    mMap->horizontalBar()->setMaximum(kPlaneReach);
}

bool EditorWindow::resolveUnsavedEdits() {
    if (!mSession->hasUnsavedEdits()) {
        return true;
    }
    const int level = *mSession->loadedLevel();
    const QString question = QString("Save changes to level %1?").arg(level + 1);
    switch (mDialogs->askYesNoCancel(kMessageTitle, question)) {
        case EditorDialogs::Answer::Yes:
            return saveLevelAt(level);
        case EditorDialogs::Answer::No:
            return true;
        case EditorDialogs::Answer::Cancel:
            break;
    }
    return false;
}

bool EditorWindow::loadLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    Result<LoadedLevel> loaded = [&] {
        BusyScope busy(*this);
        ProgressScope progress(*mHost);
        auto read = mSession->loadLevel(level);
        if (read) {
            showLoadedDocument(*read);
        }
        return read;
    }();
    if (!loaded) {
        showLevelInSelector();
        showError(QString("Level %1 could not be loaded.").arg(index + 1), loaded.error());
        return false;
    }
    updateScrollRanges();
    mMap->horizontalBar()->setValue(0);
    mMap->verticalBar()->setValue(0);
    attachTools(mSession->document());
    showMapOrigin();
    if (mOverview != nullptr) {
        mOverview->forgetBlocks();
    }
    refreshOverview();
    showPointer();
    showLevelInfo();
    if (!loaded->warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : loaded->warnings) {
            lines << toQString(warning);
        }
        mDialogs->showMessage(kMessageTitle, lines.join("\n"));
    }
    return true;
}

// A new document is in the session: the undo stack of the old one goes, the window follows the
// new one's changes, and its art is drawn into the thumbnails. A stream that broke off is
// reported first, once for each.
void EditorWindow::showLoadedDocument(const LoadedLevel& loaded) {
    // The session dropped the sprites of the level before: nothing may draw with them, not even
    // a repaint under the message boxes below.
    mMap->canvas()->setSprites(nullptr, {});
    mUndo->clear();
    attachTools(mSession->document());
    mMap->canvas()->setLayout(&mSession->document()->layout(), mPlane);
    mMap->canvas()->setPlacements(&mSession->document()->parts());
    mSession->document()->addListener(
        [this](const DocumentChange& change) { onDocumentChanged(change); });
    for (std::size_t broken = 0; broken < loaded.brokenStreams.size(); ++broken) {
        mDialogs->showMessage(kMessageTitle, kWeirdOffsetMessage);
    }
    mSession->drawArt(mHost, [this](std::int32_t block) { showDrawnBlock(block); });
    showSprites();
}

// Objects and rings drawn with the level's sprites, in the colours the art was drawn in; the
// status line says when the image's object art could not be read.
void EditorWindow::showSprites() {
    const ColourTable& colours = mSession->art().colours;
    mMap->canvas()->setSprites(mSession->sprites(), colours);
    const auto water = mSession->waterHeight();
    mMap->canvas()->setWaterLine(water ? std::optional<std::int32_t>(*water) : std::nullopt);
    mObjectTypes->showPictures(mSession->sprites(), colours);
    const auto& problems = mSession->spriteProblems();
    if (!problems.empty()) {
        QStringList lines;
        for (const std::string& problem : problems) {
            lines << toQString(problem);
        }
        showNote(mSession->sprites() == nullptr ? "Objects shown as markers: no object art found"
                                                : "Some object art could not be read",
                 lines.join("\n"));
    }
}

bool EditorWindow::saveLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    SaveOptions options;
    Result<SaveReport> saved = saveLevelOnce(level, options);
    // Each question answered Yes adds its option and saves again; the file is written once.
    for (int asked = 0; asked < 2 && !saved; ++asked) {
        const ErrorCode code = saved.error().code;
        if (code == ErrorCode::ChangedOnDisk) {
            if (!mDialogs->askYesNo(kMessageTitle, changedOnDiskQuestion(index), false)) {
                saved = makeError(ErrorCode::Cancelled, "Nothing was saved");
                break;
            }
            options.overwriteChangesOnDisk = true;
        } else if (code == ErrorCode::ListsMustMove) {
            if (!mDialogs->askYesNo(kMessageTitle,
                                    moveListsQuestion(toQString(saved.error().message)), false)) {
                saved = makeError(ErrorCode::Cancelled, "Nothing was saved");
                break;
            }
            options.movePlacementLists = true;
        } else {
            break;
        }
        saved = saveLevelOnce(level, options);
    }
    if (!saved) {
        showError(QString("Level %1 was not saved.").arg(index + 1), saved.error());
        return false;
    }
    showNote(QString("Level %1 saved; ").arg(index + 1) + keptNames(saved->written),
             keptText(saved->written));
    showLevelInfo();
    return true;
}

Result<SaveReport> EditorWindow::saveLevelOnce(std::int16_t level, const SaveOptions& options) {
    BusyScope busy(*this);
    return mSession->saveLevel(level, mHost, options);
}

// Block rendering of a load: the thumbnails are emptied when the first block is drawn and then
// filled one by one, each as its block is drawn; the progress window shows the block too.
void EditorWindow::showDrawnBlock(std::int32_t block) {
    if (block == 0) {
        clearPictures();
    }
    const QPixmap pixmap = blockPixmap(mSession->art(), block);
    mBlocks->thumbnail(block)->setPicture(pixmap);
    mMap->canvas()->setBlockPicture(block, pixmap);
    if (ProgressWindow* progress = mHost->progressWindow()) {
        progress->bufferedImage()->setPixmap(pixmap);
    }
}

void EditorWindow::clearThumbnails() {
    for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
        mBlocks->thumbnail(b)->setPicture({});
    }
}

void EditorWindow::clearPictures() {
    clearThumbnails();
    mMap->canvas()->clearBlockPictures();
}

// After a refused or failed level choice the selector shows the level in memory again.
void EditorWindow::showLevelInSelector() {
    const auto shown = mSession->shownLevel();
    if (shown) {
        mCombo1->setCurrentIndex(*shown);
        return;
    }
    clearPictures();
    mCombo1->setCurrentIndex(-1);
    mCombo1->setEditText("1");
}

void EditorWindow::showError(const QString& lead, const Error& error) {
    mDialogs->showMessage(kMessageTitle, lead + "\n\n" + toQString(error.describe()));
}

void EditorWindow::setCommandsEnabled(bool enabled) {
    mMenuOpen->setEnabled(enabled);
    mMenuSave->setEnabled(enabled);
    mMenuExport->setEnabled(enabled);
    for (QAction* choice : mPlaneActions) {
        choice->setEnabled(enabled);
    }
    mCombo1->setEnabled(enabled);
    updateUndoActions();
}

}  // namespace orvex
