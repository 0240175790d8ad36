#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstdint>
#include <optional>

#include "common/error.h"
#include "common/progress.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "document/layout.h"
#include "document/leveldocument.h"
#include "document/levelsource.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorsession.h"

namespace orvex {

// The life of the level in the editor, without any widget: opening a ROM (a copier dump offered
// as a plain copy, the migration offered), choosing a level, saving it (the questions before
// overwriting a file changed on disk or moving lists and art, each Yes saving again), Save As,
// the export of a plane, and the unsaved-edits question before anything lets the level in memory
// go. Every question and error box goes through the dialogs, the data through the session; what
// came of a command goes out as signals for the window to show. While a ROM or a level is read
// or written the controller is busy, and its commands refuse to start until that ends.
//
// A ROM file is one kind of source, opened through openRomFile; a disassembly project the other,
// opened through openProject: its build runs when its last one is not current and after every
// save, its output shown as it runs.
class SessionController : public QObject {
    Q_OBJECT

public:
    // Borrows all three. `undo` holds commands on the session's document: it is cleared
    // whenever that document goes.
    SessionController(EditorSession& session, EditorDialogs& dialogs, QUndoStack& undo,
                      QObject* parent = nullptr);

    // Where loads, drawing, saves and exports report their progress; none until set.
    void setProgress(ProgressSink* progress) {
        mProgress = progress != nullptr ? progress : &mQuiet;
    }
    // Told of every build a project runs (its command, its output as it comes); none until set.
    void setBuildListener(BuildListener* builds) { mBuilds = builds; }

    [[nodiscard]] bool isBusy() const { return mBusyDepth > 0; }

    // Open: the file dialog, then openRomFile with the file chosen; nothing on Cancel.
    void open();
    // Opens the ROM file at `path`: the unsaved-edits question, a plain copy of a copier dump,
    // the ROM check with the migration offer, then level 1. A refusal or an error leaves the
    // ROM open before open; errors are shown.
    void openRomFile(const QString& path);
    // Open Project: the folder dialog, then openProject with the folder chosen; nothing on Cancel.
    void chooseProject();
    // Opens the disassembly project in `folder`: the unsaved-edits question, the folder check (a
    // folder that is not a project is refused, naming what it lacks), its build when the last
    // one is not current (the command from the settings; a failure shows the end of its output,
    // and nothing is read), then level 1. A refusal or an error leaves open what was open.
    void openProject(const QString& folder);
    // Opens `path` as what it is: a folder as a project, anything else as a ROM file.
    void openPath(const QString& path);
    // Loads level `index` (0-based) of the open ROM, after the unsaved-edits question; true once
    // it is shown. A refusal or a failed load emits levelRefused.
    bool chooseLevel(int index);
    // Save Level for level `index`, the one in memory; true when it was saved or there was
    // nothing to save. Failures and refusals are shown, never reported as saved.
    bool save(int index);
    // Save As: the file dialog; the ROM as it is now goes to the new name, which becomes the
    // open ROM, then the level is saved there as Save does, its edits included.
    void saveAs();
    // Export Level Image: the file dialog, then exportLevelImage; an error is shown.
    void exportImage(Plane plane);
    // Writes `plane` of the level in memory as a PNG picture, as `orvex-tool render` does; the
    // layout as it is now, unsaved edits included. Refuses the open ROM's own path.
    [[nodiscard]] Status exportLevelImage(const QString& path, Plane plane);
    // The question before the level in memory goes: true when it may go (no unsaved edits, Yes
    // and a save that succeeded, or No), false on Cancel or a failed save.
    bool resolveUnsavedEdits();

signals:
    // A load, a save or an export started (true) or ended (false).
    void busyChanged(bool busy);
    // `path` is the open ROM or project now; the previous one's level was let go with its undo
    // history.
    void romOpened(const QString& path);
    // Save As wrote the ROM to `path`, which is the open ROM now.
    void romSavedAs(const QString& path);
    // A new document is in the session, its art not drawn yet; then each block as it is drawn,
    // and artReady once all is drawn. All three come while the load is busy.
    void documentLoaded(LevelDocument* document);
    void blockDrawn(std::int32_t block);
    void artReady();
    // The level loaded is shown: the load has ended.
    void levelShown();
    // A level choice was refused or failed: the level in memory (if any) stays.
    void levelRefused();
    // What a save of the level did (or that there was nothing to save), with details.
    void levelSaved(const QString& note, const QString& details);
    // A note for the status line: a migration, Save As, an export.
    void noted(const QString& text, const QString& details);

private:
    class BusyScope;

    [[nodiscard]] std::optional<QString> plainRomPath(const QString& path);
    bool loadLevelAt(int index);
    void drawLoadedLevel();
    void reportLoad(const LoadedLevel& loaded);
    void reportProblems(const QString& lead, const std::vector<std::string>& problems);
    bool saveLevelAt(int index);
    void reportSave(int index, const SaveReport& saved);
    void reportProjectSave(int index, const SaveReport& saved);
    [[nodiscard]] Result<SaveReport> saveLevelOnce(std::int16_t level, const SaveOptions& options);
    void showError(const QString& lead, const Error& error);

    EditorSession& mSession;
    EditorDialogs& mDialogs;
    QUndoStack& mUndo;
    ProgressSink mQuiet;  // reports to no one
    ProgressSink* mProgress = &mQuiet;
    BuildListener* mBuilds = nullptr;
    int mBusyDepth = 0;
};

}  // namespace orvex
