#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "editor/shell/actionregistry.h"

namespace orvex {

class EditorWindow;

// The settings key of the emulator command line.
inline constexpr const char* kEmulatorKey = "emulatorCommand";
// What the user must replace in a suggested command line before it can run.
inline constexpr const char* kCorePlaceholder = "<core>";

// A command line split into the program and its arguments, %f replaced.
struct EmulatorCommand {
    QString program;
    QStringList arguments;
};

// Splits `line` as a shell would (quotes group words, see QProcess::splitCommand) and puts `file`
// for every %f; when no word holds %f the file goes last. An empty program when `line` is blank.
[[nodiscard]] EmulatorCommand emulatorCommand(const QString& line, const QString& file);

// Where emulators lie that are not on every user's search path: Debian installs its games,
// blastem among them, in /usr/games.
inline const QStringList kGameFolders{"/usr/games"};

// The command line for the first emulator found: blastem, mednafen or retroarch (its Mega Drive
// core left as kCorePlaceholder for the user to fill in), each looked for on the search path,
// then in `gameFolders` (a program found only there is named by its full path). Empty when none
// is installed.
[[nodiscard]] QString suggestedEmulatorCommand(const QStringList& gameFolders = kGameFolders);

// File > Test Level (F5) and File > Emulator Settings...: the open level, with every edit not
// saved yet, is written as a test copy that starts at this level (see LevelSource::testImage:
// the ROM, or a project's last build, with the edits applied in memory) to a temporary file, and
// the emulator command from the settings is started on it without waiting for it. The file stays
// until the next test replaces it or the window goes. The ROM file (or the project) and the
// document are left as they were.
class TestLevel : public QObject {
    Q_OBJECT

public:
    // Starts a program with its arguments and returns at once: an empty text when it started,
    // otherwise why not.
    using Launcher = std::function<QString(const QString& program, const QStringList& arguments)>;

    // Registers its two actions in the File menu's `section`, and belongs to `window`.
    TestLevel(EditorWindow& window, ActionRegistry& actions, int section);

    // Test Level: the test copy of the level shown, then the emulator.
    void run();
    // Emulator Settings: the command line, changed when the dialog is accepted. The text the
    // dialog gave, or nothing on Cancel.
    std::optional<QString> editSettings(const QString& note);

    // The file of the last test copy; empty before the first.
    [[nodiscard]] const QString& lastImage() const { return mLastImage; }
    void setLauncher(Launcher launcher) { mLauncher = std::move(launcher); }
    // The folders searched after the path when no command is stored (kGameFolders until set).
    void setGameFolders(QStringList folders) { mGameFolders = std::move(folders); }

private:
    [[nodiscard]] std::optional<QString> commandLine();
    [[nodiscard]] std::optional<QString> writeTestImage();
    void showError(const QString& lead, const QString& text);

    EditorWindow& mWindow;
    Launcher mLauncher;
    QStringList mGameFolders = kGameFolders;
    std::unique_ptr<QTemporaryDir> mFolder;
    QString mLastImage;
};

}  // namespace orvex
