#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>

#include "editor/shell/editorsession.h"

namespace orvex {

// The session's part of the status line, on its right: a note (what a save, an export or a
// migration did, its details in the tooltip), the ROM file or the project and the level with a
// mark while there are unsaved edits (for a project, the file of each part of the level in the
// tooltip), and what the open image is. The labels belong to the status line.
class SessionStatus {
public:
    // Adds the three labels to `line` as permanent widgets; reads `session`, which it borrows.
    SessionStatus(QStatusBar& line, const EditorSession& session);

    void showNote(const QString& text, const QString& details);
    // A note of what a save did: it holds until the level differs from the file again.
    void showSaveNote(const QString& text, const QString& details);
    // Empties the note's text (its tooltip stays).
    void clearNote() { mNote->clear(); }
    // The level in memory changed: an edit, its undo or redo.
    void levelChanged();
    // Another level is shown: what the last save said was of the level before.
    void levelLoaded();
    // The file or project, the level with its zone and act, and a star while there are unsaved
    // edits, or "read-only" for a level whose layout broke off; empty without a level.
    void showLevelInfo();
    void showRomInfo();

private:
    void showLevelFiles();

    const EditorSession& mSession;
    QLabel* mNote = nullptr;
    QLabel* mLevelInfo = nullptr;
    QLabel* mRomInfo = nullptr;
    bool mNoteIsSave = false;  // the note is what the last save said
    // The level and build the tooltip of LevelInfo was made for: it changes only with them.
    const LevelDocument* mFilesOf = nullptr;
    std::int32_t mFilesBuild = -1;
};

}  // namespace orvex
