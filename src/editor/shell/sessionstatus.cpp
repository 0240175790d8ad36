#include "editor/shell/sessionstatus.h"

#include "editor/shell/uitext.h"
#include "rom/romidentity.h"

namespace orvex {

SessionStatus::SessionStatus(QStatusBar& line, const EditorSession& session) : mSession(session) {
    // Notes (a save, an export, where the backup is) on the right, in the room left over.
    mNote = new QLabel(&line);
    mNote->setObjectName("StatusNote");
    mNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line.addPermanentWidget(mNote, 1);
    // The file, the level and an unsaved mark: "demo.bin, level 1 (zone 0, act 1) *".
    mLevelInfo = new QLabel(&line);
    mLevelInfo->setObjectName("LevelInfo");
    line.addPermanentWidget(mLevelInfo);
    // What the open ROM is: "revision 01 (factory tables)".
    mRomInfo = new QLabel(&line);
    mRomInfo->setObjectName("RomInfo");
    line.addPermanentWidget(mRomInfo);
}

void SessionStatus::showNote(const QString& text, const QString& details) {
    mNote->setText(text);
    mNote->setToolTip(details);
    mNoteIsSave = false;
}

void SessionStatus::showSaveNote(const QString& text, const QString& details) {
    showNote(text, details);
    mNoteIsSave = true;
}

void SessionStatus::levelChanged() {
    // What the last save said no longer holds once the level differs from the file again.
    if (mSession.hasUnsavedEdits() && mNoteIsSave) {
        showNote({}, {});
    }
    showLevelInfo();
}

void SessionStatus::levelLoaded() {
    if (mNoteIsSave) {
        showNote({}, {});
    }
}

void SessionStatus::showLevelInfo() {
    const LevelDocument* document = mSession.document();
    if (!mSession.hasRom() || document == nullptr) {
        mLevelInfo->clear();
        return;
    }
    const QString state = !document->layoutComplete()  ? ", read-only"
                          : mSession.hasUnsavedEdits() ? " *"
                                                       : "";
    mLevelInfo->setText(QString("%1, %2%3")
                            .arg(fileNameText(mSession.rom().romPath()), levelText(*document))
                            .arg(state));
}

void SessionStatus::showRomInfo() {
    mRomInfo->setText(toQString(describeIdentity(*mSession.identity())));
}

}  // namespace orvex
