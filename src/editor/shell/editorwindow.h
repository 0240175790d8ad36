#pragma once

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QUndoStack>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "editor/map/maparea.h"
#include "editor/placements/placementarea.h"
#include "editor/shell/actionregistry.h"
#include "editor/shell/editingarea.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorsession.h"
#include "editor/shell/recentfiles.h"
#include "editor/shell/sessioncontroller.h"
#include "editor/shell/sessionstatus.h"
#include "editor/shell/toolmanager.h"
#include "editor/shell/windowhost.h"

namespace orvex {

inline constexpr const char* kWindowCaption = "Orvex - v 1.00";

// Orvex, the main window, a shell of editing areas: it composes the areas, the menus built from
// the action registry, the level selector, the status line, recent files and Test Level, and
// holds the undo stack. The session controller runs the level's life (open, choose a level,
// save, Save As, the unsaved-edits question, the busy state while loading or saving); the window
// shows what it reports. The areas (the map, placements, pieces) bring their actions, docks,
// tool bar sections and status line parts. Its coordinates (the form) are those of the central
// widget. The commands refuse to start while a level is being loaded or saved, and no command
// drops unsaved edits without asking first.
class EditorWindow : public QMainWindow {
    Q_OBJECT

public:
    // How the program ends: at once (in the middle of a load or a save) or through the event
    // loop. Tests replace it.
    using ExitHandler = std::function<void(bool immediately)>;

    explicit EditorWindow(std::unique_ptr<EditorDialogs> dialogs = nullptr);
    ~EditorWindow() override;
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    [[nodiscard]] ActionRegistry& actions() const { return *mActions; }
    // The tools of the map's canvas, which the map and placements areas register.
    [[nodiscard]] ToolManager& tools() const { return *mTools; }
    [[nodiscard]] MapArea& map() const { return *mMap; }
    [[nodiscard]] PlacementArea& placements() const { return *mPlacements; }

    // Open, the level choice, Save, Save As and Export; the unsaved-edits question.
    [[nodiscard]] SessionController& controller() const { return *mController; }
    [[nodiscard]] bool isBusy() const { return mController->isBusy(); }
    [[nodiscard]] const EditorSession& session() const { return *mSession; }
    [[nodiscard]] EditorDialogs& dialogs() const { return *mDialogs; }
    [[nodiscard]] WindowHost& host() const { return *mHost; }
    [[nodiscard]] QComboBox& levelSelector() const { return *mCombo1; }
    [[nodiscard]] const QUndoStack& undoStack() const { return *mUndo; }
    void setExitHandler(ExitHandler handler) { mExit = std::move(handler); }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createForm();
    void createAreas();
    void createActions();
    void createFileActions();
    void createEditActions();
    void createStatusLine();
    void createToolBar();
    void applyLayout();

    void connectController();

    void onLevelChosen(int index);
    void onEdit(EditCommand command);
    void chooseLevelBy(int step);
    [[nodiscard]] EditingArea* areaOfTool() const;
    void updateUndoActions();

    void showRomOpened(const QString& path);
    void attachDocument(LevelDocument* document);
    void letGoOfLevel();
    void showLevelInSelector();
    void showLevelNumber();
    void nameLevelEntries();
    void setCommandsEnabled(bool enabled);

    std::unique_ptr<EditorDialogs> mDialogs;
    std::unique_ptr<EditorSession> mSession;
    std::unique_ptr<SessionController> mController;
    std::unique_ptr<SessionStatus> mStatus;
    std::unique_ptr<AreaContext> mContext;
    ActionRegistry* mActions = nullptr;
    ToolManager* mTools = nullptr;
    QUndoStack* mUndo = nullptr;
    WindowHost* mHost = nullptr;
    QComboBox* mCombo1 = nullptr;
    QLineEdit* mLevelEntry = nullptr;
    MapArea* mMap = nullptr;
    PlacementArea* mPlacements = nullptr;
    std::vector<EditingArea*> mAreas;
    RecentFiles* mRecent = nullptr;
    ExitHandler mExit;
};

}  // namespace orvex
