#include "editor/shell/editorwindow.h"

#include <QApplication>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStringList>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "editor/pieces/piecesarea.h"
#include "editor/shell/dockfit.h"
#include "editor/shell/formparts.h"
#include "editor/shell/keysdialog.h"
#include "editor/shell/qtdialogs.h"
#include "editor/shell/recentfiles.h"
#include "editor/shell/shortcutpassage.h"
#include "editor/shell/testlevel.h"
#include "editor/shell/uitext.h"
#include "editor/shell/windowmemory.h"
#include "graphics/png.h"
#include "rom/cartridge.h"
#include "rom/romidentity.h"
#include "windows/aboutwindow.h"
#include "windows/centerme.h"

namespace orvex {

namespace {

constexpr int kLevelEntries = 20;
// What the frame, caption and menu bar took around the form at design time: 658 x 504 outside
// for 651 x 458 inside. The resize rule's offsets assume it.
constexpr QSize kDesignFrame(7, 46);

// Menu sections: entries of different sections are parted by a separator.
constexpr int kFileSection = 10;
constexpr int kAboutSection = 20;
constexpr int kUndoSection = 10;
constexpr int kClipboardSection = 20;
constexpr int kLevelSection = 50;

// The tools' actions, in MapTool's order.
constexpr std::array<const char*, 6> kToolIds{"ToolPlace", "ToolBrush",   "ToolSelect",
                                              "ToolFill",  "ToolObjects", "ToolRings"};

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

// "level 3 (zone 4, act 1)"
QString levelText(const LevelDocument& document) {
    return QString("level %1 (zone %2, act %3)")
        .arg(document.level() + 1)
        .arg(document.zoneAct().zone)
        .arg(document.zoneAct().act + 1);
}

// The box for a stream that broke off: the old exclamation, then which stream of which level,
// where it broke (offsets as `orvex-tool info` prints them) and what that means for the level.
QString brokenStreamMessage(const BrokenStream& broken, const LevelDocument& document) {
    QString part = toQString(partName(broken.part));
    part[0] = part[0].toUpper();
    QString text =
        QString(
            "%1\n\n%2 of %3 breaks off at offset %4: a copy there reaches before "
            "the start of the decoded data (the stream starts at %5).\n\n")
            .arg(kWeirdOffsetMessage, part, levelText(document),
                 toQString(hexOffset(broken.brokeAt)), toQString(hexOffset(broken.start)));
    if (broken.part == Part::Layout) {
        return text + QString(
                          "Level %1 opens read-only: what was read of its layout is shown, "
                          "and it cannot be saved.")
                          .arg(document.level() + 1);
    }
    return text + "What was read up to there is shown.";
}

void endProgram(bool immediately) {
    if (immediately) {
        std::exit(0);
    }
    QCoreApplication::quit();
}

// The platform's keys for a standard command, or `fallback` where it has none.
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QList<QKeySequence>{fallback} : keys;
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
    mActions = new ActionRegistry(*this);
    mToolGroup = new QActionGroup(this);
    mContext = std::make_unique<AreaContext>(AreaContext{
        *this, *mSession, *mUndo, *mDialogs, nullptr, *mToolGroup, [this] { return isBusy(); },
        [this](MapTool tool) { chooseTool(tool); },
        [this](const QString& text, const QString& details) { showNote(text, details); }});
    createForm();
    createAreas();
    createActions();
    createToolBar();
    for (EditingArea* area : mAreas) {
        area->createDocks();
    }
    letDocksScroll(*this);
    createStatusLine();
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
    mCombo1->removeEventFilter(this);
    mLevelEntry->removeEventFilter(this);
    // The controls go next, while the session they report to still exists: hiding them can
    // still send events (a synthetic mouse move to the cell under the pointer).
    delete takeCentralWidget();
}

// The form: the block column and the map (the map area's), the level selector and its caption.
void EditorWindow::createForm() {
    auto* form = new QWidget(this);
    form->setObjectName("form");
    setCentralWidget(form);
    form->installEventFilter(this);
    mMap = new MapArea(*mContext);
    mMap->createWidgets(*form);
    mCombo1 = createLevelSelector(*form, kLevelEntries);
    mCombo1->stackUnder(&mMap->mapFrame());
    connect(mCombo1, &QComboBox::activated, this, &EditorWindow::onLevelChosen);
    auto* passage = new ShortcutPassage(this);
    mLevelEntry = mCombo1->lineEdit();
    mCombo1->installEventFilter(passage);
    mLevelEntry->installEventFilter(passage);
    mCombo1->installEventFilter(this);
    mLevelEntry->installEventFilter(this);
    createCaptionLine(*form);
    mHost = new WindowHost(this, &mMap->mapFrame());
    mContext->host = mHost;
}

// The editing areas, in the order their menu entries, tool bar sections and status line parts
// appear. A new area is one more line here.
void EditorWindow::createAreas() {
    mAreas.push_back(mMap);
    mPlacements = new PlacementArea(*mContext, *mMap);
    mAreas.push_back(mPlacements);
    mAreas.push_back(new PiecesArea(*mContext, *mMap));
}

void EditorWindow::createActions() {
    createFileActions();
    createEditActions();
    for (EditingArea* area : mAreas) {
        area->createActions(*mActions);
    }
    using Keys = QList<QKeySequence>;
    mActions->add({"MenuPreviousLevel", "Previous Level", Keys{QKeySequence(Qt::Key_PageUp)},
                   "Levels", "View", kLevelSection},
                  [this] { chooseLevelBy(-1); });
    mActions->add({"MenuNextLevel", "Next Level", Keys{QKeySequence(Qt::Key_PageDown)}, "Levels",
                   "View", kLevelSection},
                  [this] { chooseLevelBy(1); });
    mActions->add({"MenuKeys", "Keys...", {}, "Window", "Edit/Preferences", 0},
                  [this] { KeysDialog(*mActions, KeysDialog::Mode::Edit, this).exec(); });
    mActions->add({"MenuShortcuts", "Keyboard Shortcuts", {}, "Window", "Help", 0},
                  [this] { KeysDialog(*mActions, KeysDialog::Mode::List, this).exec(); });
    mActions->buildMenus(*menuBar());
    QMenu* file = mActions->menu("File");
    auto* recentMenu = new QMenu("Open Recent", file);
    recentMenu->setObjectName("MenuRecent");
    file->insertMenu(mActions->action("MenuSave"), recentMenu);
    file->setToolTipsVisible(true);
    mRecent = new RecentFiles(*recentMenu, this);
    connect(mRecent, &RecentFiles::chosen, this, [this](const QString& path) {
        if (!isBusy()) {
            openRomFile(path);
        }
    });
}

void EditorWindow::createFileActions() {
    const auto add = [this](const char* id, const char* text, const QList<QKeySequence>& keys,
                            void (EditorWindow::*slot)()) {
        return mActions->add({id, text, keys, "File", "File", kFileSection},
                             [this, slot] { (this->*slot)(); });
    };
    add("MenuOpen", "Load Levels", QKeySequence::keyBindings(QKeySequence::Open),
        &EditorWindow::onOpen);
    add("MenuSave", "Save Level", QKeySequence::keyBindings(QKeySequence::Save),
        &EditorWindow::onSave);
    add("MenuSaveAs", "Save As...",
        standardKeys(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
        &EditorWindow::onSaveAs)
        ->setToolTip(
            "Writes the ROM under a new name, with this level's edits, and goes on editing that "
            "file");
    add("MenuExport", "Export Level Image...", {}, &EditorWindow::onExport)
        ->setToolTip(
            "Writes the plane shown as a PNG picture, with the edits not saved yet included");
    new TestLevel(*this, *mActions, kFileSection);  // Test Level and Emulator Settings...
    mActions->add({"MenuQuit", "Quit", standardKeys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q),
                   "File", "File", kFileSection},
                  [this] { close(); });
    mActions->add({"MenuAbout", "About Orvex (N.O.V.)", {}, "File", "File", kAboutSection},
                  [this] { AboutWindow(this).exec(); });
}

void EditorWindow::createEditActions() {
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& extra :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
        if (!redoKeys.contains(extra)) {
            redoKeys.append(extra);
        }
    }
    mActions->add({"MenuUndo", "Undo", QKeySequence::keyBindings(QKeySequence::Undo), "Edit",
                   "Edit", kUndoSection},
                  [this] {
                      if (!isBusy()) {
                          mUndo->undo();
                      }
                  });
    mActions->add({"MenuRedo", "Redo", redoKeys, "Edit", "Edit", kUndoSection}, [this] {
        if (!isBusy()) {
            mUndo->redo();
        }
    });
    connect(mUndo, &QUndoStack::canUndoChanged, this, &EditorWindow::updateUndoActions);
    connect(mUndo, &QUndoStack::canRedoChanged, this, &EditorWindow::updateUndoActions);
    connect(mUndo, &QUndoStack::indexChanged, this, &EditorWindow::updateUndoActions);
    updateUndoActions();
    using Keys = QList<QKeySequence>;
    const std::array<std::tuple<const char*, const char*, Keys, EditCommand>, 7> commands{{
        {"MenuCut", "Cut", QKeySequence::keyBindings(QKeySequence::Cut), EditCommand::Cut},
        {"MenuCopy", "Copy", QKeySequence::keyBindings(QKeySequence::Copy), EditCommand::Copy},
        {"MenuPaste", "Paste", QKeySequence::keyBindings(QKeySequence::Paste), EditCommand::Paste},
        {"MenuInsert", "Insert", Keys{QKeySequence(Qt::Key_Insert)}, EditCommand::Insert},
        {"MenuDelete", "Delete", Keys{QKeySequence(Qt::Key_Delete)}, EditCommand::Delete},
        {"MenuSelectAll", "Select All", QKeySequence::keyBindings(QKeySequence::SelectAll),
         EditCommand::SelectAll},
        {"MenuDeselect", "Deselect", Keys{QKeySequence(Qt::Key_Escape)}, EditCommand::Deselect},
    }};
    for (const auto& [id, text, keys, command] : commands) {
        mActions->add({id, text, keys, "Edit", "Edit", kClipboardSection},
                      [this, which = command] { onEdit(which); });
    }
}

void EditorWindow::createToolBar() {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    for (EditingArea* area : mAreas) {
        area->addToToolBar(*bar);
    }
}

// The areas' parts on the left; the notes, the file and level, and what the ROM is on the right,
// before the areas' right-hand parts.
void EditorWindow::createStatusLine() {
    QStatusBar* line = statusBar();
    line->setObjectName("StatusLine");
    for (EditingArea* area : mAreas) {
        area->addStatusWidgets(*line, EditingArea::StatusSide::Left);
    }
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
    for (EditingArea* area : mAreas) {
        area->addStatusWidgets(*line, EditingArea::StatusSide::Right);
    }
}

void EditorWindow::chooseTool(MapTool tool) {
    mActions->action(kToolIds[static_cast<std::size_t>(tool)])->setChecked(true);
    for (EditingArea* area : mAreas) {
        area->toolChosen(tool);
    }
}

EditingArea* EditorWindow::areaOfTool() const {
    const MapTool tool = mMap->tools().tool();
    const auto found = std::find_if(mAreas.begin(), mAreas.end(), [tool](const EditingArea* area) {
        return area->ownsTool(tool);
    });
    return found == mAreas.end() ? nullptr : *found;
}

// The Edit commands act on what the chosen tool edits; those that change the level wait for a
// load or a save to end.
void EditorWindow::onEdit(EditCommand command) {
    const bool changes = command == EditCommand::Cut || command == EditCommand::Paste ||
                         command == EditCommand::Delete || command == EditCommand::Insert;
    if (changes && isBusy()) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    for (EditingArea* area : mAreas) {
        if (focus != nullptr && area->runFor(focus, command)) {
            return;
        }
    }
    if (EditingArea* area = areaOfTool()) {
        area->run(command);
    }
}

void EditorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

// The form can change size on its own too, when the status line grows or shrinks. The level
// selector's field takes only a level's number: Return or leaving the field with anything else
// in it shows the level in memory again.
bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        applyLayout();
    }
    // The combo box hands its focus and keys to the field without the field's filters.
    if (watched == mLevelEntry || watched == mCombo1) {
        const bool enter = event->type() == QEvent::KeyPress &&
                           (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if ((enter || event->type() == QEvent::FocusOut) &&
            mCombo1->findText(mLevelEntry->text()) < 0) {
            showLevelNumber();
            return enter;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// The rule places the map's scroll bars for a window whose frame, caption and menu bar take
// kDesignFrame around the form. Whatever the platform's frames, the status line and the tool
// bar take, it is given the outer size that window would have around the form as it is now, so
// HScroll1, VScroll2 and Canto sit on the form's edges.
void EditorWindow::applyLayout() {
    mMap->applyLayout(centralWidget()->size() + kDesignFrame);
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
    storeWindowMemory(*this);
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
        return;
    }
    // The session dropped the previous ROM's level: nothing may refer to it any more, not even
    // a repaint while the next level loads.
    mUndo->clear();
    letGoOfLevel();
    showRomInfo();
    nameLevelEntries();
    mRecent->remember(*plain);
    mNote->clear();
    if (checked->migrationFailed) {
        showError(
            "The layouts were not migrated, and the ROM is shown as it is: nothing was "
            "written.",
            *checked->migrationFailed);
        showNote("Not migrated", toQString(checked->migrationFailed->describe()));
    }
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
    // The selector loses the focus while it is disabled for the load.
    const bool fromTheField = focusWidget() == mCombo1 || mCombo1->isAncestorOf(focusWidget());
    if (!resolveUnsavedEdits()) {
        showLevelInSelector();
        return;
    }
    // The keys go back to the map and its tools once the level is chosen.
    if (loadLevelAt(index) && fromTheField) {
        mMap->mapFrame().canvas()->setFocus();
    }
}

void EditorWindow::onSave() {
    if (isBusy()) {
        return;
    }
    if (!mSession->hasRom() || mCombo1->currentIndex() < 0) {
        showNote("Nothing to save: no level is open (File > Load Levels)", {});
        return;
    }
    saveLevelAt(mCombo1->currentIndex());
}

// Save As: the file as it is now goes to the new name, which becomes the open ROM; then the
// level is saved there as Save does, its edits included.
void EditorWindow::onSaveAs() {
    if (isBusy()) {
        return;
    }
    if (!mSession->hasRom()) {
        showNote("Nothing to save: no ROM is open (File > Load Levels)", {});
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
    mRecent->remember(path);
    showLevelInfo();
    if (mSession->hasUnsavedEdits() && !saveLevelAt(*mSession->shownLevel())) {
        return;
    }
    showNote("Saved as " + QFileInfo(path).fileName(), path);
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
        return renderPlane(art.blocks, mSession->document()->layout(), mMap->plane(), mHost);
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

void EditorWindow::letGoOfLevel() {
    for (EditingArea* area : mAreas) {
        area->attach(nullptr);
    }
}

bool EditorWindow::loadLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    Result<LoadedLevel> loaded = [&] {
        BusyScope busy(*this);
        ProgressScope progress(*mHost);
        auto read = mSession->loadLevel(level);
        if (read) {
            showLoadedDocument();
        }
        return read;
    }();
    if (!loaded) {
        showLevelInSelector();
        showError(QString("Level %1 could not be loaded.").arg(index + 1), loaded.error());
        return false;
    }
    for (EditingArea* area : mAreas) {
        area->levelShown();
    }
    showLevelInfo();
    // Reported once the progress window has gone, with the level drawn behind the box.
    for (const BrokenStream& broken : loaded->brokenStreams) {
        mDialogs->showMessage(kMessageTitle, brokenStreamMessage(broken, *mSession->document()));
    }
    if (!loaded->warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : loaded->warnings) {
            lines << toQString(warning);
        }
        mDialogs->showMessage(kMessageTitle, lines.join("\n"));
    }
    return true;
}

// A new document is in the session: the undo stack of the old one goes, the areas take the new
// one and follow its changes, and its art is drawn.
void EditorWindow::showLoadedDocument() {
    mUndo->clear();
    // What the last save said was of the level before.
    if (mNoteIsSave) {
        showNote({}, {});
    }
    LevelDocument* document = mSession->document();
    for (EditingArea* area : mAreas) {
        area->attach(document);
    }
    document->addListener([this](const DocumentChange& change) {
        for (EditingArea* area : mAreas) {
            area->documentChanged(change);
        }
        // What the last save said no longer holds once the level differs from the file again.
        if (mSession->hasUnsavedEdits() && mNoteIsSave) {
            showNote({}, {});
        }
        showLevelInfo();
    });
    mSession->drawArt(mHost, [this](std::int32_t block) {
        for (EditingArea* area : mAreas) {
            area->blockDrawn(block);
        }
    });
    for (EditingArea* area : mAreas) {
        area->artReady();
    }
}

// A level whose parts all are as in the file is not written: the status line says so. Otherwise
// the layout is written with every part that was edited, as a save always has.
bool EditorWindow::saveLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    if (mSession->loadedLevel() == level && !mSession->hasUnsavedEdits()) {
        showNote(QString("Level %1: nothing to save").arg(index + 1),
                 "No part of the level differs from the file; the file was not written");
        mNoteIsSave = true;
        return true;
    }
    SaveOptions options;
    Result<SaveReport> saved = saveLevelOnce(level, options);
    // Each question answered Yes adds its option and saves again; the file is written once.
    for (int asked = 0; asked < 3 && !saved; ++asked) {
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
        } else if (code == ErrorCode::ArtMustMove && !options.moveGrownArt) {
            if (!mDialogs->askYesNo(kMessageTitle,
                                    moveArtQuestion(toQString(saved.error().message)), false)) {
                saved = makeError(ErrorCode::Cancelled, "Nothing was saved");
                break;
            }
            options.moveGrownArt = true;
        } else {
            break;
        }
        saved = saveLevelOnce(level, options);
    }
    if (!saved) {
        showError(QString("Level %1 was not saved.").arg(index + 1), saved.error());
        return false;
    }
    if (saved->written.keptBackups()) {
        showNote(QString("Level %1 saved; ").arg(index + 1) + keptNames(saved->written),
                 keptText(saved->written));
    } else {
        showNote(QString("Level %1 saved").arg(index + 1),
                 "No backups: the file was written by Save As just before");
    }
    mNoteIsSave = true;
    showLevelInfo();
    showRomInfo();
    return true;
}

Result<SaveReport> EditorWindow::saveLevelOnce(std::int16_t level, const SaveOptions& options) {
    BusyScope busy(*this);
    return mSession->saveLevel(level, mHost, options);
}

// The selector's field shows the number of the level in memory, or "1" before one is loaded.
void EditorWindow::showLevelNumber() {
    const auto shown = mSession->shownLevel();
    mCombo1->setEditText(QString::number(shown ? *shown + 1 : 1));
}

// Each entry of the selector names its zone and act in its tooltip.
void EditorWindow::nameLevelEntries() {
    const std::vector<ZoneAct>& levels = mSession->levels();
    for (int entry = 0; entry < mCombo1->count(); ++entry) {
        const auto index = static_cast<std::size_t>(entry);
        mCombo1->setItemData(entry,
                             index < levels.size() ? QString("Level %1: zone %2, act %3")
                                                         .arg(entry + 1)
                                                         .arg(levels[index].zone)
                                                         .arg(levels[index].act + 1)
                                                   : QString(),
                             Qt::ToolTipRole);
    }
}

void EditorWindow::showRomInfo() {
    mRomInfo->setText(toQString(describeIdentity(*mSession->identity())));
}

// After a refused or failed level choice the selector shows the level in memory again.
void EditorWindow::showLevelInSelector() {
    const auto shown = mSession->shownLevel();
    if (shown) {
        mCombo1->setCurrentIndex(*shown);
        return;
    }
    letGoOfLevel();
    mCombo1->setCurrentIndex(-1);
    mCombo1->setEditText("1");
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

// The file, the level with its zone and act, and a star while there are unsaved edits, or
// "read-only" for a level whose layout broke off.
void EditorWindow::showLevelInfo() {
    const LevelDocument* document = mSession->document();
    if (!mSession->hasRom() || document == nullptr) {
        mLevelInfo->clear();
        return;
    }
    const QString state = !document->layoutComplete()   ? ", read-only"
                          : mSession->hasUnsavedEdits() ? " *"
                                                        : "";
    mLevelInfo->setText(QString("%1, %2%3")
                            .arg(fileNameText(mSession->rom().romPath()), levelText(*document))
                            .arg(state));
}

void EditorWindow::showNote(const QString& text, const QString& details) {
    mNote->setText(text);
    mNote->setToolTip(details);
    mNoteIsSave = false;
}

// Undo and Redo name the step they take: "Undo Move 2 objects".
void EditorWindow::updateUndoActions() {
    QAction* undo = mActions->action("MenuUndo");
    QAction* redo = mActions->action("MenuRedo");
    undo->setEnabled(!isBusy() && mUndo->canUndo());
    redo->setEnabled(!isBusy() && mUndo->canRedo());
    undo->setText(mUndo->canUndo() ? "Undo " + mUndo->undoText() : QString("Undo"));
    redo->setText(mUndo->canRedo() ? "Redo " + mUndo->redoText() : QString("Redo"));
}

void EditorWindow::showError(const QString& lead, const Error& error) {
    mDialogs->showMessage(kMessageTitle, lead + "\n\n" + toQString(error.describe()));
}

void EditorWindow::setCommandsEnabled(bool enabled) {
    for (const char* id : {"MenuOpen", "MenuSave", "MenuExport"}) {
        mActions->action(id)->setEnabled(enabled);
    }
    for (EditingArea* area : mAreas) {
        area->setCommandsEnabled(enabled);
    }
    mCombo1->setEnabled(enabled);
    updateUndoActions();
}

}  // namespace orvex
