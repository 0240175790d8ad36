#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QUndoStack>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/error.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "editor/map/blockselector.h"
#include "editor/map/mapframe.h"
#include "editor/map/maptools.h"
#include "editor/placements/placementdocks.h"
#include "editor/placements/placementtools.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorsession.h"
#include "editor/shell/windowhost.h"
#include "graphics/levelimage.h"
#include "windows/overviewwindow.h"

namespace orvex {

inline constexpr const char* kWindowCaption = "Orvex - v 1.00";
inline constexpr const char* kMessageTitle = "Orvex";

// Orvex, the main window: the level selector Combo1, the block selector, the map view, the
// File, Edit and View menus and the status line. Its coordinates (the form) are those of the
// central widget. The commands refuse to start while a level is being loaded or saved, and no
// command drops unsaved edits without asking first.
//
// The map view shows one plane of the layout: the foreground (layout columns 0..127) or the
// background (128..255), HScroll1 choosing the first column within it, at one of six zooms.
// The tools (MapTools) edit it; every edit is one command on the undo stack, which a level load
// clears. A right click on a map cell picks its block; the status line tells the layout row,
// column and block under the pointer, the zoom, the file and level, and an unsaved mark.
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
    // Shows the foreground or the background plane in the map view.
    void showPlane(Plane plane);
    // Writes the plane shown as a PNG picture, as `orvex-tool render` does; the layout as it is
    // now, unsaved edits included.
    [[nodiscard]] Status exportLevelImage(const QString& path);

    // The layout column of the map view's first column: HScroll1 in the plane shown.
    [[nodiscard]] std::int32_t originColumn() const;
    [[nodiscard]] Plane plane() const { return mPlane; }
    // One of kZoomCellSizes; `about` (a point of the canvas) stays over the same cell.
    void setZoom(std::size_t zoom, std::optional<QPoint> about = std::nullopt);
    [[nodiscard]] std::size_t zoom() const { return mZoom; }
    [[nodiscard]] MapTools& tools() const { return *mTools; }
    [[nodiscard]] PlacementTools& placementTools() const { return *mPlacements; }
    // Chooses a tool, as its menu entry or key does.
    void chooseTool(MapTool tool);

    [[nodiscard]] bool isBusy() const { return mBusyDepth > 0; }
    [[nodiscard]] const EditorSession& session() const { return *mSession; }
    [[nodiscard]] EditorDialogs& dialogs() const { return *mDialogs; }
    [[nodiscard]] WindowHost& host() const { return *mHost; }
    [[nodiscard]] BlockSelector& blockSelector() const { return *mBlocks; }
    [[nodiscard]] MapFrame& mapFrame() const { return *mMap; }
    [[nodiscard]] QComboBox& levelSelector() const { return *mCombo1; }
    [[nodiscard]] const QUndoStack& undoStack() const { return *mUndo; }
    // The overview window once "Level Overview" has made it.
    [[nodiscard]] OverviewWindow* overview() const { return mOverview; }
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

    void createMenu();
    void createEditMenu();
    void createToolActions(QMenu* edit);
    void createClipboardActions(QMenu* edit);
    void createViewMenu();
    void createViewToggles(QMenu* view);
    void createZoomActions(QMenu* view);
    void createLevelActions(QMenu* view);
    void createStatusLine();
    void createMapTools();
    void createPlacementTools();
    void attachTools(LevelDocument* document);
    void onInsert();
    void showPointerPixel(std::optional<QPoint> level);
    [[nodiscard]] QPoint viewCentre() const;
    QAction* addAction(QMenu* menu, const char* name, const QString& text,
                       const QList<QKeySequence>& keys, void (EditorWindow::*slot)());
    void createForm();
    void createLevelSelector(QWidget* form);
    void createCaptionLine(QWidget* form);

    void onOpen();
    void onOpenRecent();
    void onLevelChosen(int index);
    void onSave();
    void onSaveAs();
    void onAbout();
    void onPointerMoved(std::optional<PlaneCell> cell);
    void onOriginChanged();
    void onScrollRequested(int columns, int rows);
    void onCopy();
    void onCut();
    void onPaste();
    void onDelete();
    void onSelectAll();
    void onEscape();
    void onPreviousLevel();
    void onNextLevel();
    void onUndo();
    void onRedo();
    void onExport();
    void onOverview();
    void onOverviewClicked(int column, int row);

    void onDocumentChanged(const DocumentChange& change);
    void showPointer();
    void showLevelInfo();
    void rememberRecent(const QString& path);
    void fillRecentMenu();
    void showMapOrigin();
    void updateScrollRanges();
    void chooseLevelBy(int step);
    void showNote(const QString& text, const QString& details);
    [[nodiscard]] std::optional<QString> plainRomPath(const QString& path);
    [[nodiscard]] std::optional<std::uint8_t> blockAt(LayoutCell cell) const;
    void refreshOverview();
    void showOverviewArea();
    void updateUndoActions();
    void widenColumnReach();
    void applyLayout();
    [[nodiscard]] QSize resizeRuleSize() const;

    bool resolveUnsavedEdits();
    bool loadLevelAt(int index);
    void showLoadedDocument(const LoadedLevel& loaded);
    void showSprites();
    bool saveLevelAt(int index);
    [[nodiscard]] Result<SaveReport> saveLevelOnce(std::int16_t level, const SaveOptions& options);
    void showDrawnBlock(std::int32_t block);
    void clearThumbnails();
    void clearPictures();
    void showLevelInSelector();
    void showError(const QString& lead, const Error& error);
    void setCommandsEnabled(bool enabled);

    std::unique_ptr<EditorDialogs> mDialogs;
    std::unique_ptr<EditorSession> mSession;
    BlockSelector* mBlocks = nullptr;
    MapFrame* mMap = nullptr;
    QComboBox* mCombo1 = nullptr;
    WindowHost* mHost = nullptr;
    QAction* mMenuOpen = nullptr;
    QMenu* mRecentMenu = nullptr;
    QAction* mMenuSave = nullptr;
    QAction* mMenuSaveAs = nullptr;
    QAction* mMenuExport = nullptr;
    QAction* mMenuUndo = nullptr;
    QAction* mMenuRedo = nullptr;
    QUndoStack* mUndo = nullptr;
    std::array<QAction*, 2> mPlaneActions{};  // Foreground, Background
    QLabel* mPointerInfo = nullptr;
    QLabel* mNote = nullptr;
    QLabel* mRomInfo = nullptr;
    QLabel* mZoomInfo = nullptr;
    QLabel* mLevelInfo = nullptr;
    MapTools* mTools = nullptr;
    PlacementTools* mPlacements = nullptr;
    ObjectTypeDock* mObjectTypes = nullptr;
    PlacementPropertiesDock* mProperties = nullptr;
    QLabel* mPixelInfo = nullptr;
    std::size_t mZoom = kActualSizeZoom;
    OverviewWindow* mOverview = nullptr;
    Plane mPlane = Plane::Foreground;
    std::optional<QPoint> mPointedCell;  // the view cell under the pointer: column, row
    ExitHandler mExit;
    int mBusyDepth = 0;
};

}  // namespace orvex
