#pragma once

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/error.h"
#include "editor/blockselector.h"
#include "editor/editordialogs.h"
#include "editor/editorsession.h"
#include "editor/mapframe.h"
#include "editor/windowhost.h"

namespace orvex {

inline constexpr const char* kWindowCaption = "Orvex - v 1.00";
inline constexpr const char* kMessageTitle = "Orvex";

// Orvex, the main window: the level selector Combo1, the block selector, the map view and the
// File menu. Its coordinates (the form) are those of the central widget. The commands refuse
// to start while a level is being loaded or saved, and no command drops unsaved edits without
// asking first.
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

    // The Open command once a file has been chosen: the ROM check, then level "1".
    void openRomFile(const QString& path);
    // Shows the layout from column x, row y in the 36 cells; cells outside the layout keep
    // their pictures.
    void redrawMap(std::int32_t x, std::int32_t y);
    // Shows `block` in the cell and stores it in the layout byte the cell shows, if any.
    void placeBlock(std::int32_t cell, std::uint8_t block);

    [[nodiscard]] bool isBusy() const { return mBusyDepth > 0; }
    [[nodiscard]] const EditorSession& session() const { return *mSession; }
    [[nodiscard]] EditorDialogs& dialogs() const { return *mDialogs; }
    [[nodiscard]] WindowHost& host() const { return *mHost; }
    [[nodiscard]] BlockSelector& blockSelector() const { return *mBlocks; }
    [[nodiscard]] MapFrame& mapFrame() const { return *mMap; }
    [[nodiscard]] QComboBox& levelSelector() const { return *mCombo1; }
    void setExitHandler(ExitHandler handler) { mExit = std::move(handler); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class BusyScope;

    void createMenu();
    void createForm();
    void createLevelSelector(QWidget* form);
    void createCaptionLine(QWidget* form);

    void onOpen();
    void onLevelChosen(int index);
    void onSave();
    void onAbout();
    void onMapClicked(int cell);
    void onMapMouseMoved(int cell);
    void onOriginChanged();

    bool resolveUnsavedEdits();
    bool loadLevelAt(int index);
    bool saveLevelAt(int index);
    void showLevelPictures();
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
    QAction* mMenuSave = nullptr;
    ExitHandler mExit;
    int mBusyDepth = 0;
};

}  // namespace orvex
