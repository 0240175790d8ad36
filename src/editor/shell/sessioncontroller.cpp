#include "editor/shell/sessioncontroller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <filesystem>
#include <vector>

#include "editor/shell/buildsettings.h"
#include "editor/shell/uitext.h"
#include "graphics/levelimage.h"
#include "graphics/png.h"
#include "project/buildrunner.h"
#include "project/projectfolder.h"
#include "rom/cartridge.h"
#include "rom/romimage.h"

namespace orvex {

namespace {

QString pathText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// What a write kept: "the ROM as it was is kept as NAME.bak (as Orvex first found it:
// NAME.orig)".
QString keptText(const WriteReport& kept) {
    if (!kept.originalIsCopy) {
        return "the ROM as it was is kept as " + pathText(kept.previous) + " (" +
               pathText(kept.original) + " is not a file Orvex wrote, so it holds no copy)";
    }
    return "the ROM as it was is kept as " + pathText(kept.previous) +
           " (as Orvex first found it: " + pathText(kept.original) + ")";
}

// The files a project save replaced, one a line: "level/layout/EHZ_1.kos (448 -> 464 bytes;
// levels 1, 2 read it)".
QString savedFilesText(const std::vector<FileWrite>& files) {
    QStringList lines;
    for (const FileWrite& file : files) {
        QStringList levels;
        for (const std::int16_t level : file.levels) {
            levels << QString::number(level + 1);
        }
        lines << QString("%1 (%2 -> %3 bytes; %4 %5 %6)")
                     .arg(toQString(file.path))
                     .arg(file.previousBytes)
                     .arg(file.bytes)
                     .arg(levels.size() == 1 ? "level" : "levels", levels.join(", "),
                          levels.size() == 1 ? "reads it" : "read it");
    }
    return lines.join("\n");
}

// The same, short enough for the status line: "kept NAME.bak and NAME.orig".
QString keptNames(const WriteReport& kept) {
    if (!kept.originalIsCopy) {
        return "kept " + fileNameText(kept.previous);
    }
    return "kept " + fileNameText(kept.previous) + " and " + fileNameText(kept.original);
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

}  // namespace

// Marks a load or a save: Open, the level choice and Save are refused until it ends.
class SessionController::BusyScope {
public:
    explicit BusyScope(SessionController& controller) : mController(controller) {
        if (mController.mBusyDepth++ == 0) {
            emit mController.busyChanged(true);
        }
    }
    ~BusyScope() {
        if (--mController.mBusyDepth == 0) {
            emit mController.busyChanged(false);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    SessionController& mController;
};

SessionController::SessionController(EditorSession& session, EditorDialogs& dialogs,
                                     QUndoStack& undo, QObject* parent)
    : QObject(parent), mSession(session), mDialogs(dialogs), mUndo(undo) {}

void SessionController::open() {
    if (isBusy()) {
        return;
    }
    const QString path = mDialogs.chooseRomFile();
    if (!path.isEmpty()) {
        openRomFile(path);
    }
}

void SessionController::openRomFile(const QString& path) {
    if (isBusy() || !resolveUnsavedEdits()) {
        return;
    }
    BusyScope busy(*this);
    const std::optional<QString> plain = plainRomPath(path);
    if (!plain) {
        return;
    }
    const auto approve = [this] {
        return mDialogs.askYesNo(kMigrationTitle, kMigrationPrompt, true);
    };
    const auto checked = mSession.openRom(QFile::encodeName(*plain).toStdString(), approve);
    if (!checked) {
        showError("The ROM " + *plain + " could not be opened.", checked.error());
        return;
    }
    // The session dropped the previous ROM's level: nothing may refer to it any more, not even
    // a repaint while the next level loads.
    mUndo.clear();
    emit romOpened(*plain);
    if (checked->migrationFailed) {
        showError(
            "The layouts were not migrated, and the ROM is shown as it is: nothing was "
            "written.",
            *checked->migrationFailed);
        emit noted("Not migrated", toQString(checked->migrationFailed->describe()));
    }
    if (checked->migrated) {
        const WriteReport& kept = *checked->migrated;
        mDialogs.showMessage(kMessageTitle,
                             "The layouts have been migrated; " + keptText(kept) + ".");
        emit noted("Migrated; " + keptNames(kept), keptText(kept));
    }
    loadLevelAt(0);
}

void SessionController::chooseProject() {
    if (isBusy()) {
        return;
    }
    const QString folder = mDialogs.chooseProjectFolder();
    if (!folder.isEmpty()) {
        openProject(folder);
    }
}

void SessionController::openPath(const QString& path) {
    if (QFileInfo(path).isDir()) {
        openProject(path);
    } else {
        openRomFile(path);
    }
}

void SessionController::openProject(const QString& folder) {
    if (isBusy() || !resolveUnsavedEdits()) {
        return;
    }
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const std::filesystem::path path = QFile::encodeName(root).toStdString();
    // Refused before anything runs: a file is never taken for a project, nor a plain folder.
    if (auto checked = openProjectFolder(path); !checked) {
        showError("The folder " + root + " was not opened.", checked.error());
        return;
    }
    const auto opened = [&] {
        BusyScope busy(*this);
        SourceOptions options;
        options.buildCommand = buildCommandSetting();
        options.builds = mBuilds;
        return mSession.openSource(path, options, [] { return false; });
    }();
    if (!opened) {
        const bool built = opened.error().code == ErrorCode::BuildFailed;
        showError("The project " + root + " was not opened" +
                      (built ? ": its build failed, and nothing was read or written." : "."),
                  opened.error());
        return;
    }
    mUndo.clear();
    emit romOpened(root);
    if (loadLevelAt(0)) {
        reportProblems("The project's build lets through what the game cannot read:",
                       mSession.source().problems());
    }
}

// A copier dump is never opened as it is: its owner is offered a plain copy beside it, which
// is opened instead (at once, when an identical copy is already there). Empty when nothing is
// to be opened.
std::optional<QString> SessionController::plainRomPath(const QString& path) {
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
    if (!mDialogs.askYesNo(kMessageTitle,
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

bool SessionController::chooseLevel(int index) {
    if (isBusy() || !mSession.hasRom()) {
        return false;
    }
    if (!resolveUnsavedEdits()) {
        emit levelRefused();
        return false;
    }
    return loadLevelAt(index);
}

bool SessionController::save(int index) {
    if (isBusy()) {
        return false;
    }
    if (!mSession.hasRom() || index < 0) {
        emit noted("Nothing to save: no level is open (File > Load Levels)", {});
        return false;
    }
    return saveLevelAt(index);
}

void SessionController::saveAs() {
    if (isBusy()) {
        return;
    }
    if (!mSession.hasRom()) {
        emit noted("Nothing to save: no ROM is open (File > Load Levels)", {});
        return;
    }
    const QString path = mDialogs.chooseRomFileToSave();
    if (path.isEmpty()) {
        return;
    }
    const Status copied = [&] {
        BusyScope busy(*this);
        return mSession.copyRomTo(QFile::encodeName(path).toStdString());
    }();
    if (!copied) {
        showError("The ROM was not saved as " + path + ".", copied.error());
        return;
    }
    emit romSavedAs(path);
    if (mSession.hasUnsavedEdits() && !saveLevelAt(*mSession.shownLevel())) {
        return;
    }
    emit noted("Saved as " + QFileInfo(path).fileName(), path);
}

void SessionController::exportImage(Plane plane) {
    if (isBusy() || !mSession.shownLevel()) {
        return;
    }
    const QString path = mDialogs.chooseImageFile();
    if (path.isEmpty()) {
        return;
    }
    const Status written = exportLevelImage(path, plane);
    if (!written) {
        showError("The level image was not written.", written.error());
        return;
    }
    emit noted("Level image written to " + QFileInfo(path).fileName(), path);
}

Status SessionController::exportLevelImage(const QString& path, Plane plane) {
    BusyScope busy(*this);
    const LevelArt& art = mSession.art();
    const IndexedImage picture = [&] {
        ProgressScope progress(*mProgress);
        return renderPlane(art.blocks, mSession.document()->layout(), plane, mProgress);
    }();
    const std::filesystem::path file = QFile::encodeName(path).toStdString();
    if (sameFile(file, mSession.rom().romPath())) {
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

bool SessionController::resolveUnsavedEdits() {
    if (!mSession.hasUnsavedEdits()) {
        return true;
    }
    const int level = *mSession.loadedLevel();
    const QString question = QString("Save changes to level %1?").arg(level + 1);
    switch (mDialogs.askYesNoCancel(kMessageTitle, question)) {
        case EditorDialogs::Answer::Yes:
            return saveLevelAt(level);
        case EditorDialogs::Answer::No:
            return true;
        case EditorDialogs::Answer::Cancel:
            break;
    }
    return false;
}

bool SessionController::loadLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    Result<LoadedLevel> loaded = [&] {
        BusyScope busy(*this);
        ProgressScope progress(*mProgress);
        // A project builds first when a file changed since its last build.
        mSession.source().setBuildCommand(buildCommandSetting());
        auto read = mSession.loadLevel(level);
        if (read) {
            drawLoadedLevel();
        }
        return read;
    }();
    if (!loaded) {
        emit levelRefused();
        showError(QString("Level %1 could not be loaded.").arg(index + 1), loaded.error());
        return false;
    }
    emit levelShown();
    reportLoad(*loaded);
    return true;
}

// A new document is in the session: the undo stack of the old one goes, the window's areas take
// the new one, and its art is drawn.
void SessionController::drawLoadedLevel() {
    mUndo.clear();
    emit documentLoaded(mSession.document());
    mSession.drawArt(mProgress, [this](std::int32_t block) { emit blockDrawn(block); });
    emit artReady();
}

// What a project's build let through, each naming the file to mend; nothing when all is well.
void SessionController::reportProblems(const QString& lead,
                                       const std::vector<std::string>& problems) {
    if (problems.empty()) {
        return;
    }
    QStringList lines{lead};
    for (const std::string& problem : problems) {
        lines << "- " + toQString(problem);
    }
    mDialogs.showMessage(kMessageTitle, lines.join("\n"));
}

// Reported once the progress window has gone, with the level drawn behind the box.
void SessionController::reportLoad(const LoadedLevel& loaded) {
    for (const BrokenStream& broken : loaded.brokenStreams) {
        mDialogs.showMessage(kMessageTitle, brokenStreamMessage(broken, *mSession.document()));
    }
    if (!loaded.warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : loaded.warnings) {
            lines << toQString(warning);
        }
        mDialogs.showMessage(kMessageTitle, lines.join("\n"));
    }
}

// A level whose parts all are as in the file is not written: the note says so. Otherwise the
// layout is written with every part that was edited, as a save always has.
bool SessionController::saveLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    if (mSession.loadedLevel() == level && !mSession.hasUnsavedEdits()) {
        emit levelSaved(QString("Level %1: nothing to save").arg(index + 1),
                        "No part of the level differs from the file; the file was not written");
        return true;
    }
    SaveOptions options;
    Result<SaveReport> saved = saveLevelOnce(level, options);
    // Each question answered Yes adds its option and saves again; the file is written once.
    for (int asked = 0; asked < 3 && !saved; ++asked) {
        const ErrorCode code = saved.error().code;
        if (code == ErrorCode::ChangedOnDisk) {
            const QString question = mSession.source().kind() == SourceKind::Project
                                         ? changedFileQuestion(toQString(saved.error().message))
                                         : changedOnDiskQuestion(index);
            if (!mDialogs.askYesNo(kMessageTitle, question, false)) {
                saved = makeError(ErrorCode::Cancelled, "Nothing was saved");
                break;
            }
            options.overwriteChangesOnDisk = true;
        } else if (code == ErrorCode::ListsMustMove) {
            if (!mDialogs.askYesNo(kMessageTitle,
                                   moveListsQuestion(toQString(saved.error().message)), false)) {
                saved = makeError(ErrorCode::Cancelled, "Nothing was saved");
                break;
            }
            options.movePlacementLists = true;
        } else if (code == ErrorCode::ArtMustMove && !options.moveGrownArt) {
            if (!mDialogs.askYesNo(kMessageTitle, moveArtQuestion(toQString(saved.error().message)),
                                   false)) {
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
    reportSave(index, *saved);
    return true;
}

void SessionController::reportSave(int index, const SaveReport& saved) {
    if (mSession.source().kind() == SourceKind::Project) {
        reportProjectSave(index, saved);
    } else if (saved.written.keptBackups()) {
        emit levelSaved(QString("Level %1 saved; ").arg(index + 1) + keptNames(saved.written),
                        keptText(saved.written));
    } else {
        emit levelSaved(QString("Level %1 saved").arg(index + 1),
                        "No backups: the file was written by Save As just before");
    }
}

// The files written and the build after them. A build that failed leaves the files written and
// the last build's image in use: its output is shown, and the level keeps what was saved.
void SessionController::reportProjectSave(int index, const SaveReport& saved) {
    const QString files = savedFilesText(saved.files);
    if (saved.buildFailed) {
        emit levelSaved(QString("Level %1 saved; the build failed").arg(index + 1), files);
        showError(QString("Level %1 was saved into its files, but the build failed: the files "
                          "stay as saved, and the last build's image is still the one in use.")
                      .arg(index + 1),
                  *saved.buildFailed);
        return;
    }
    emit levelSaved(
        QString("Level %1 saved into %2 and built")
            .arg(index + 1)
            .arg(saved.files.size() == 1 ? QString("1 file")
                                         : QString("%1 files").arg(saved.files.size())),
        files + "\n\nThe build's output:\n" + toQString(BuildRun{saved.buildOutput}.tail(12)));
    reportProblems("The new build lets through what the game cannot read:", saved.problems);
}

Result<SaveReport> SessionController::saveLevelOnce(std::int16_t level,
                                                    const SaveOptions& options) {
    BusyScope busy(*this);
    // The command as the settings hold it now: it may have changed since the project opened.
    if (mSession.hasRom() && mSession.source().kind() == SourceKind::Project) {
        mSession.source().setBuildCommand(buildCommandSetting());
        mSession.source().setKeepsBackups(projectBackupsSetting());
    }
    return mSession.saveLevel(level, mProgress, options);
}

void SessionController::showError(const QString& lead, const Error& error) {
    mDialogs.showMessage(kMessageTitle, lead + "\n\n" + toQString(error.describe()));
}

}  // namespace orvex
