#include "editor/shell/editorwindow.h"

#include <QApplication>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "editor/pieces/piecesarea.h"
#include "editor/shell/buildsettings.h"
#include "editor/shell/dockfit.h"
#include "editor/shell/formparts.h"
#include "editor/shell/keysdialog.h"
#include "editor/shell/qtdialogs.h"
#include "editor/shell/recentfiles.h"
#include "editor/shell/shortcutpassage.h"
#include "editor/shell/testlevel.h"
#include "editor/shell/uitext.h"
#include "editor/shell/windowmemory.h"
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
constexpr int kToolSection = 30;
constexpr int kLevelSection = 50;

// The file or folder a drag carries when it is exactly one local one.
QString droppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().constFirst().isLocalFile()) {
        return {};
    }
    return mime->urls().constFirst().toLocalFile();
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
    mTools = new ToolManager("Edit", kToolSection, this);
    connect(mTools, &ToolManager::toolChosen, this, [this](AbstractTool& tool) {
        for (EditingArea* area : mAreas) {
            area->toolChosen(tool);
        }
    });
    mController = std::make_unique<SessionController>(*mSession, *mDialogs, *mUndo);
    mContext = std::make_unique<AreaContext>(AreaContext{
        *this, *mSession, *mUndo, *mDialogs, nullptr, *mTools, [this] { return isBusy(); },
        [this](const QString& text, const QString& details) { mStatus->showNote(text, details); }});
    createForm();
    createAreas();
    createActions();
    createToolBar();
    for (EditingArea* area : mAreas) {
        area->createDocks();
    }
    letDocksScroll(*this);
    createStatusLine();
    connectController();
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
    mController->setProgress(mHost);
    mController->setBuildListener(mHost);
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
            mController->openPath(path);
        }
    });
}

void EditorWindow::createFileActions() {
    const auto add = [this](const char* id, const char* text, const QList<QKeySequence>& keys,
                            std::function<void()> run) {
        return mActions->add({id, text, keys, "File", "File", kFileSection}, std::move(run));
    };
    add("MenuOpen", "Load Levels", QKeySequence::keyBindings(QKeySequence::Open),
        [this] { mController->open(); });
    add("MenuOpenProject", "Open Project...", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        [this] { mController->chooseProject(); });
    add("MenuSave", "Save Level", QKeySequence::keyBindings(QKeySequence::Save),
        [this] { mController->save(mCombo1->currentIndex()); });
    add("MenuSaveAs", "Save As...",
        standardKeys(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
        [this] { mController->saveAs(); })
        ->setToolTip(
            "Writes the ROM under a new name, with this level's edits, and goes on editing that "
            "file");
    add("MenuExport", "Export Level Image...", {},
        [this] { mController->exportImage(mMap->plane()); })
        ->setToolTip(
            "Writes the plane shown as a PNG picture, with the edits not saved yet included");
    new TestLevel(*this, *mActions, kFileSection);  // Test Level and Emulator Settings...
    add("MenuBuildCommand", "Build Command...", {}, [this] { editBuildCommand(*mDialogs, {}); });
    bindProjectBackups(*add("MenuProjectBackups", "Keep Backups in Projects", {}, [] {}));
    describeProjectActions(*mActions);
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
    mStatus = std::make_unique<SessionStatus>(*line, *mSession);
    for (EditingArea* area : mAreas) {
        area->addStatusWidgets(*line, EditingArea::StatusSide::Right);
    }
}

EditingArea* EditorWindow::areaOfTool() const {
    const AbstractTool* tool = mTools->chosen();
    const auto found = std::find_if(mAreas.begin(), mAreas.end(), [tool](const EditingArea* area) {
        return tool != nullptr && area->ownsTool(*tool);
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
        this, [this, path] { mController->openPath(path); }, Qt::QueuedConnection);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        // A load or a save cannot be stopped half-way; the ROM is written only after the last
        // progress report, so ending here leaves the file as it was.
        event->ignore();
        mExit(true);
        return;
    }
    if (!mController->resolveUnsavedEdits()) {
        event->ignore();
        return;
    }
    storeWindowMemory(*this);
    event->accept();
    mExit(false);
}

void EditorWindow::onLevelChosen(int index) {
    // The selector loses the focus while it is disabled for the load.
    const bool fromTheField = focusWidget() == mCombo1 || mCombo1->isAncestorOf(focusWidget());
    // The keys go back to the map and its tools once the level is chosen.
    if (mController->chooseLevel(index) && fromTheField) {
        mMap->mapFrame().canvas()->setFocus();
    }
}

// The window shows what the controller reports: the busy state as disabled commands, a new
// ROM and level in the selector, the areas and the status line.
void EditorWindow::connectController() {
    SessionController* controller = mController.get();
    connect(controller, &SessionController::busyChanged, this,
            [this](bool busy) { setCommandsEnabled(!busy); });
    connect(controller, &SessionController::romOpened, this, &EditorWindow::showRomOpened);
    connect(controller, &SessionController::romSavedAs, this, [this](const QString& path) {
        mRecent->remember(path);
        mStatus->showLevelInfo();
    });
    connect(controller, &SessionController::documentLoaded, this, &EditorWindow::attachDocument);
    connect(controller, &SessionController::blockDrawn, this, [this](std::int32_t block) {
        for (EditingArea* area : mAreas) {
            area->blockDrawn(block);
        }
    });
    connect(controller, &SessionController::artReady, this, [this] {
        for (EditingArea* area : mAreas) {
            area->artReady();
        }
    });
    connect(controller, &SessionController::levelShown, this, [this] {
        for (EditingArea* area : mAreas) {
            area->levelShown();
        }
        mStatus->showLevelInfo();
    });
    connect(controller, &SessionController::levelRefused, this, &EditorWindow::showLevelInSelector);
    connect(controller, &SessionController::levelSaved, this,
            [this](const QString& note, const QString& details) {
                mStatus->showSaveNote(note, details);
                mStatus->showLevelInfo();
                mStatus->showRomInfo();
            });
    connect(
        controller, &SessionController::noted, this,
        [this](const QString& text, const QString& details) { mStatus->showNote(text, details); });
}

// The previous ROM's level is gone: nothing may refer to it any more. The selector names the new
// ROM's levels and shows level 1, which loads next.
void EditorWindow::showRomOpened(const QString& path) {
    letGoOfLevel();
    mStatus->showRomInfo();
    nameLevelEntries();
    mRecent->remember(path);
    mStatus->clearNote();
    mCombo1->setCurrentIndex(0);
}

// The areas take the new document and follow its changes.
void EditorWindow::attachDocument(LevelDocument* document) {
    mStatus->levelLoaded();
    for (EditingArea* area : mAreas) {
        area->attach(document);
    }
    document->addListener([this](const DocumentChange& change) {
        for (EditingArea* area : mAreas) {
            area->documentChanged(change);
        }
        mStatus->levelChanged();
    });
}

void EditorWindow::letGoOfLevel() {
    for (EditingArea* area : mAreas) {
        area->attach(nullptr);
    }
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

void EditorWindow::updateUndoActions() {
    QAction* undo = mActions->action("MenuUndo");
    QAction* redo = mActions->action("MenuRedo");
    undo->setEnabled(!isBusy() && mUndo->canUndo());
    redo->setEnabled(!isBusy() && mUndo->canRedo());
    undo->setText(mUndo->canUndo() ? "Undo " + mUndo->undoText() : QString("Undo"));
    redo->setText(mUndo->canRedo() ? "Redo " + mUndo->redoText() : QString("Redo"));
}

void EditorWindow::setCommandsEnabled(bool enabled) {
    for (const char* id : {"MenuOpen", "MenuOpenProject", "MenuSave", "MenuExport"}) {
        mActions->action(id)->setEnabled(enabled);
    }
    for (EditingArea* area : mAreas) {
        area->setCommandsEnabled(enabled);
    }
    mCombo1->setEnabled(enabled);
    updateUndoActions();
}

}  // namespace orvex
