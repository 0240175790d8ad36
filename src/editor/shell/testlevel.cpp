#include "editor/shell/testlevel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <array>
#include <utility>

#include "editor/shell/editorwindow.h"
#include "editor/shell/uitext.h"
#include "rom/romimage.h"

namespace orvex {

namespace {

constexpr const char* kFileMark = "%f";

QString startDetached(const QString& program, const QStringList& arguments) {
    if (QProcess::startDetached(program, arguments)) {
        return {};
    }
    if (QStandardPaths::findExecutable(program).isEmpty() && !QFileInfo(program).isExecutable()) {
        return "The program " + program + " was not found.";
    }
    return "The program " + program + " could not be started.";
}

QString storedCommand() {
    return QSettings().value(kEmulatorKey).toString().trimmed();
}

}  // namespace

EmulatorCommand emulatorCommand(const QString& line, const QString& file) {
    QStringList words = QProcess::splitCommand(line);
    if (words.isEmpty()) {
        return {};
    }
    const QString program = words.takeFirst();
    bool placed = false;
    for (QString& word : words) {
        placed = placed || word.contains(kFileMark);
        word.replace(kFileMark, file);
    }
    if (!placed) {
        words.append(file);
    }
    return {program, words};
}

QString suggestedEmulatorCommand(const QStringList& gameFolders) {
    const std::array<std::pair<const char*, QString>, 3> known{{
        {"blastem", "%f"},
        {"mednafen", "%f"},
        {"retroarch", QString("-L %1 %f").arg(kCorePlaceholder)},
    }};
    for (const auto& [program, arguments] : known) {
        if (!QStandardPaths::findExecutable(program).isEmpty()) {
            return QString(program) + " " + arguments;
        }
    }
    for (const auto& [program, arguments] : known) {
        const QString found = QStandardPaths::findExecutable(program, gameFolders);
        if (!found.isEmpty()) {
            return (found.contains(' ') ? '"' + found + '"' : found) + " " + arguments;
        }
    }
    return {};
}

TestLevel::TestLevel(EditorWindow& window, ActionRegistry& actions, int section)
    : QObject(&window), mWindow(window), mLauncher(startDetached) {
    setObjectName("TestLevel");
    QAction* test = actions.add(
        {"MenuTestLevel", "Test Level", {QKeySequence(Qt::Key_F5)}, "File", "File", section},
        [this] { run(); });
    test->setToolTip(
        "Starts this level in an emulator, with the edits not saved yet; the ROM file is not "
        "changed");
    QAction* settings =
        actions.add({"MenuEmulatorSettings", "Emulator Settings...", {}, "File", "File", section},
                    [this] { editSettings({}); });
    settings->setToolTip("The command Test Level starts the emulator with");
}

void TestLevel::run() {
    if (mWindow.isBusy()) {
        return;
    }
    if (mWindow.session().document() == nullptr) {
        mWindow.dialogs().showMessage(kMessageTitle,
                                      "No level is loaded. Open a ROM with File > Load Levels "
                                      "or a project with File > Open Project first; Test Level "
                                      "then starts the level shown.");
        return;
    }
    const auto line = commandLine();
    if (!line) {
        return;
    }
    const auto file = writeTestImage();
    if (!file) {
        return;
    }
    const EmulatorCommand command = emulatorCommand(*line, *file);
    const QString failure = mLauncher(command.program, command.arguments);
    if (!failure.isEmpty()) {
        showError("The emulator was not started.",
                  failure + "\n\nThe command (File > Emulator Settings...) is: " + *line);
        return;
    }
    mWindow.statusBar()->showMessage(QString("Level %1 started in %2")
                                         .arg(mWindow.session().document()->level() + 1)
                                         .arg(QFileInfo(command.program).fileName()),
                                     5000);
}

// The stored command line; when there is none, the suggested one. The dialog opens first when
// neither can run as it is.
std::optional<QString> TestLevel::commandLine() {
    QString line = storedCommand();
    QString note;
    if (line.isEmpty()) {
        line = suggestedEmulatorCommand(mGameFolders);
        if (line.isEmpty()) {
            note =
                "No emulator was found (blastem, mednafen or retroarch). Enter the command that "
                "starts yours.";
        }
    }
    if (line.contains(kCorePlaceholder)) {
        note = QString(
                   "Replace %1 with the file of RetroArch's Mega Drive core "
                   "(genesis_plus_gx_libretro, for one).")
                   .arg(kCorePlaceholder);
    }
    if (!note.isEmpty()) {
        const auto edited = editSettings(note);
        if (!edited || edited->isEmpty()) {
            return std::nullopt;
        }
        line = *edited;
    }
    if (line.contains(kCorePlaceholder)) {
        showError("The emulator was not started.",
                  QString("The emulator command still holds %1: replace it with the file of the "
                          "emulator's Mega Drive core in File > Emulator Settings...")
                      .arg(kCorePlaceholder));
        return std::nullopt;
    }
    return line;
}

std::optional<QString> TestLevel::editSettings(const QString& note) {
    QString current = storedCommand();
    if (current.isEmpty()) {
        current = suggestedEmulatorCommand(mGameFolders);
    }
    const auto line = mWindow.dialogs().askEmulatorCommand(current, note);
    if (!line) {
        return std::nullopt;
    }
    const QString accepted = line->trimmed();
    QSettings settings;
    if (accepted.isEmpty()) {
        settings.remove(kEmulatorKey);
    } else {
        settings.setValue(kEmulatorKey, accepted);
    }
    return accepted;
}

// The test copy of the document as it is now, in the temporary folder; the previous copy goes.
std::optional<QString> TestLevel::writeTestImage() {
    const EditorSession& session = mWindow.session();
    const LevelDocument& document = *session.document();
    const QString lead = QString("No test copy of level %1 was made.").arg(document.level() + 1);
    // The image (a project's last build) with the edits made in memory; nothing on disk changes.
    auto test = session.source().testImage(document, nullptr);
    if (!test) {
        showError(lead, toQString(test.error().describe()));
        return std::nullopt;
    }
    if (!mFolder || !mFolder->isValid()) {
        mFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orvex-test-XXXXXX");
    }
    if (!mFolder->isValid()) {
        showError(lead, "No temporary folder could be made: " + mFolder->errorString());
        mFolder.reset();
        return std::nullopt;
    }
    // Named after the ROM file or the project's folder.
    const QString rom = QFile::decodeName(session.source().path().filename().c_str());
    const QString path = mFolder->filePath(
        QString("%1-level%2.bin").arg(QFileInfo(rom).completeBaseName()).arg(document.level() + 1));
    if (Status written = writeOutputFile(QFile::encodeName(path).toStdString(), *test); !written) {
        showError(lead, toQString(written.error().describe()));
        return std::nullopt;
    }
    if (!mLastImage.isEmpty() && mLastImage != path) {
        QFile::remove(mLastImage);
    }
    mLastImage = path;
    return path;
}

void TestLevel::showError(const QString& lead, const QString& text) {
    mWindow.dialogs().showMessage(kMessageTitle, lead + "\n\n" + text);
}

}  // namespace orvex
