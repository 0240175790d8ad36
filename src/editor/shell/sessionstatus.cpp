#include "editor/shell/sessionstatus.h"

#include <QStringList>

#include "editor/shell/uitext.h"
#include "rom/romidentity.h"

namespace orvex {

namespace {

// "layout: level/layout/EHZ_1.kos", one line a part, then what cannot be saved and why.
QString placesText(const LevelPlaces& places) {
    QStringList lines;
    for (const Part part : kAllParts) {
        QStringList paths;
        for (const SourceFile* file : places.filesOf(part)) {
            paths << (file->line > 0
                          ? QString("%1, line %2").arg(toQString(file->path)).arg(file->line)
                          : toQString(file->path));
        }
        if (!paths.isEmpty()) {
            lines << toQString(partName(part)) + ": " + paths.join(", ");
        }
    }
    for (const auto& [part, reason] : places.readOnly) {
        lines << "read-only: " + toQString(reason);
    }
    for (const std::string& note : places.notes) {
        lines << toQString(note);
    }
    return lines.join("\n");
}

}  // namespace

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
                            .arg(toQString(mSession.source().displayName()), levelText(*document))
                            .arg(state));
    showLevelFiles();
}

// For a project, where each part of the level lies; for an image, the file's full path.
void SessionStatus::showLevelFiles() {
    LevelSource& source = mSession.source();
    const LevelDocument* document = mSession.document();
    if (document == mFilesOf && source.builds() == mFilesBuild) {
        return;
    }
    mFilesOf = document;
    mFilesBuild = source.builds();
    const QString path = QFile::decodeName(QByteArray::fromStdString(source.path().string()));
    if (source.kind() != SourceKind::Project) {
        mLevelInfo->setToolTip(path);
        return;
    }
    mLevelInfo->setToolTip(QString("%1\nLevel %2's files, in the project:\n%3")
                               .arg(path)
                               .arg(document->level() + 1)
                               .arg(placesText(source.places(document->level()))));
}

void SessionStatus::showRomInfo() {
    mRomInfo->setText(toQString(describeIdentity(*mSession.identity())));
    // A new source: the files are those of its levels.
    mFilesOf = nullptr;
}

}  // namespace orvex
