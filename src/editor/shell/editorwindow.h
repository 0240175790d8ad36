#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QUndoStack>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/error.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "editor/map/maparea.h"
#include "editor/placements/placementarea.h"
#include "editor/shell/actionregistry.h"
#include "editor/shell/editingarea.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorsession.h"
#include "editor/shell/recentfiles.h"
#include "editor/shell/windowhost.h"

namespace orvex {

inline constexpr const char* kWindowCaption = "Orvex - v 1.00";
inline constexpr const char* kMessageTitle = "Orvex";

// Orvex, the main window, a shell of editing areas: it holds the level session (open, choose
// a level, save, Save As, the unsaved-edits question, the busy state while loading or saving),
// the undo stack, the menus built from the action registry, the status line, recent files and
// Test Level. The areas (the map, placements) bring their actions, docks, tool bar sections and
// status line parts. Its coordinates (the form) are those of the central widget. The commands
// refuse to start while a level is being loaded or saved, and no command drops unsaved edits
// without asking first.
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

    // The Open command once a file has been chosen: the unsaved-edits question, the ROM
    // check, then level "1".
    void openRomFile(const QString& path);
    // Writes the plane shown as a PNG picture, as `orvex-tool render` does; the layout as it is
    // now, unsaved edits included.
    [[nodiscard]] Status exportLevelImage(const QString& path);
    // Chooses a tool in every area, as its menu entry or key does.
    void chooseTool(MapTool tool);

    [[nodiscard]] ActionRegistry& actions() const { return *mActions; }
    [[nodiscard]] MapArea& map() const { return *mMap; }
    [[nodiscard]] PlacementArea& placements() const { return *mPlacements; }

    // The map's and placements' parts, by their old names.
    void showPlane(Plane plane) { mMap->showPlane(plane); }
    [[nodiscard]] Plane plane() const { return mMap->plane(); }
    void setZoom(std::size_t zoom, std::optional<QPoint> about = std::nullopt) {
        mMap->setZoom(zoom, about);
    }
    [[nodiscard]] std::size_t zoom() const { return mMap->zoom(); }
    [[nodiscard]] std::int32_t originColumn() const { return mMap->originColumn(); }
    [[nodiscard]] MapTools& tools() const { return mMap->tools(); }
    [[nodiscard]] PlacementTools& placementTools() const { return mPlacements->tools(); }
    [[nodiscard]] BlockSelector& blockSelector() const { return mMap->blockSelector(); }
    [[nodiscard]] MapFrame& mapFrame() const { return mMap->mapFrame(); }
    [[nodiscard]] OverviewWindow* overview() const { return mMap->overview(); }

    [[nodiscard]] bool isBusy() const { return mBusyDepth > 0; }
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
    class BusyScope;

    void createForm();
    void createAreas();
    void createActions();
    void createFileActions();
    void createEditActions();
    void createStatusLine();
    void createToolBar();
    void applyLayout();

    void onOpen();
    void onOpenRecent();
    void onLevelChosen(int index);
    void onSave();
    void onSaveAs();
    void onExport();
    void onEdit(EditCommand command);
    void chooseLevelBy(int step);
    [[nodiscard]] EditingArea* areaOfTool() const;

    void showLevelInfo();
    void showNote(const QString& text, const QString& details);
    [[nodiscard]] std::optional<QString> plainRomPath(const QString& path);
    void updateUndoActions();

    bool resolveUnsavedEdits();
    void letGoOfLevel();
    bool loadLevelAt(int index);
    void showLoadedDocument();
    bool saveLevelAt(int index);
    [[nodiscard]] Result<SaveReport> saveLevelOnce(std::int16_t level, const SaveOptions& options);
    void showLevelInSelector();
    void showLevelNumber();
    void nameLevelEntries();
    void showRomInfo();
    void showError(const QString& lead, const Error& error);
    void setCommandsEnabled(bool enabled);

    std::unique_ptr<EditorDialogs> mDialogs;
    std::unique_ptr<EditorSession> mSession;
    std::unique_ptr<AreaContext> mContext;
    ActionRegistry* mActions = nullptr;
    QActionGroup* mToolGroup = nullptr;
    QUndoStack* mUndo = nullptr;
    WindowHost* mHost = nullptr;
    QComboBox* mCombo1 = nullptr;
    QLineEdit* mLevelEntry = nullptr;
    MapArea* mMap = nullptr;
    PlacementArea* mPlacements = nullptr;
    std::vector<EditingArea*> mAreas;
    RecentFiles* mRecent = nullptr;
    QLabel* mNote = nullptr;
    QLabel* mLevelInfo = nullptr;
    QLabel* mRomInfo = nullptr;
    ExitHandler mExit;
    int mBusyDepth = 0;
    bool mNoteIsSave = false;  // the note is what the last save said
};

}  // namespace orvex
