// Disassembly projects in the real window, built by the tests' build program: opened, saved into
// their files and read back from the new build, played; a failing build shows its output. Test
// Level and Emulator Settings, the emulator replaced by a recorder.

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <chrono>
#include <filesystem>

#include "document/documentloader.h"
#include "editor/shell/buildsettings.h"
#include "editor/shell/startup.h"
#include "editor/shell/testlevel.h"
#include "editortestsupport.h"
#include "project/syntheticproject.h"
#include "rom/codepatterns.h"
#include "rom/testimage.h"

namespace orvex::test {

namespace {

std::vector<std::uint8_t> bytesOf(const QString& path) {
    const QByteArray bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// An empty file at `path` that its owner may run.
bool makeProgram(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
}

// A window with a synthetic project in a folder of its own; the output of every build is kept.
struct ProjectFixture : EditorFixture {
    ProjectFixture() {
        setBuildCommand(build);
        const Status written =
            testing::writeSyntheticProject(QFile::encodeName(project).toStdString());
        if (!written) {
            qFatal("no synthetic project: %s", written.error().describe().c_str());
        }
        QObject::connect(&window->host(), &WindowHost::progressStarted,
                         [this](ProgressWindow* progress) {
                             QObject::connect(progress, &ProgressWindow::outputAppended,
                                              [this](const QString& text) { output += text; });
                         });
    }
    ~ProjectFixture() { QSettings().remove(kBuildCommandKey); }
    ProjectFixture(const ProjectFixture&) = delete;
    ProjectFixture& operator=(const ProjectFixture&) = delete;

    static void setBuildCommand(const QString& line) {
        QSettings().setValue(kBuildCommandKey, line);
    }
    // Open Project on `path` (this fixture's project by default).
    void openProject(const QString& path = {}) {
        dialogs->projectFolders.append(path.isEmpty() ? project : path);
        menu("MenuOpenProject");
    }
    QString file(const QString& relative) const { return project + "/" + relative; }
    // The listing made older than every source: the next open or load builds first.
    void makeStale() const {
        const auto listing = std::filesystem::path(file("s2.lst").toStdString());
        std::filesystem::last_write_time(
            listing, std::filesystem::last_write_time(listing) - std::chrono::hours(1));
    }
    // The layout file of level 1.
    QString layoutFile() const {
        return file(QString("level/layout/%1_1.kos")
                        .arg(QString::fromStdString(testing::syntheticZoneName(
                            testing::syntheticProjectRom().levelZone[0]))));
    }
    // Level `level` of the project's last build.
    std::vector<std::uint8_t> builtLayout(std::int16_t level) const {
        auto read = loadDocument(bytesOf(file("s2built.bin")), profile(), level);
        return read ? read->document->layout().bytes() : std::vector<std::uint8_t>{};
    }
    // Where the tables of the project's last build lie, as the window read them.
    const RomProfile& profile() const { return window->session().identity()->profile; }
    QString levelInfo() const { return child<QLabel>("LevelInfo")->text(); }

    QString build = QString::fromStdString(testing::testBuildProgram());
    QString project = folder.filePath("hack");
    QString output;
};

}  // namespace

class ProjectTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QSettings().remove(kEmulatorKey);
        mPath = qgetenv("PATH");
    }
    void cleanup() {
        mRuns.clear();
        mFailure.clear();
        qputenv("PATH", mPath);
        QSettings().remove(kEmulatorKey);
    }

    // A stale project builds first and names each part's file; a save writes the layout's file
    // and builds, the level reading back; Test Level plays unsaved edits, the project untouched.
    void aProjectBuildsOpensSavesAndReadsBack() {
        ProjectFixture f;
        f.makeStale();
        f.openProject();
        QVERIFY(f.dialogs->messages.isEmpty());
        QVERIFY(f.output.contains(f.build) && f.output.contains("Assembling s2.asm") &&
                f.output.contains("s2.lst is older than"));
        QVERIFY(f.levelInfo().startsWith("project hack, level 1"));
        const QString files = f.child<QLabel>("LevelInfo")->toolTip();
        QVERIFY(files.contains("layout: " + QDir(f.project).relativeFilePath(f.layoutFile())) &&
                files.contains("s2.asm, line "));
        QCOMPARE(f.child<QMenu>("MenuRecent")->actions().first()->text(), QString("hack/"));

        const QByteArray before = fileBytes(f.layoutFile());
        const std::vector<std::uint8_t> edited = f.editCorner();
        QVERIFY(f.levelInfo().endsWith(" *"));
        f.output.clear();
        f.menu("MenuSave");
        QVERIFY(f.dialogs->messages.isEmpty());
        QCOMPARE(f.child<QLabel>("StatusNote")->text(),
                 QString("Level 1 saved into 1 file and built"));
        QVERIFY(f.output.contains("Wrote s2built.bin"));
        QVERIFY(fileBytes(f.layoutFile()) != before && !f.unsaved());
        QCOMPARE(f.builtLayout(0), edited);
        f.chooseLevel(3);
        f.chooseLevel(0);
        QCOMPARE(f.layout(), edited);

        QSettings().setValue(kEmulatorKey, "emu %f");
        TestLevel* test = recordRuns(f);
        const QByteArray saved = fileBytes(f.layoutFile());
        const QByteArray built = fileBytes(f.file("s2built.bin"));
        const std::vector<std::uint8_t> played = f.editCorner();
        f.key(Qt::Key_F5);
        QCOMPARE(mRuns, QList<QStringList>({{"emu", test->lastImage()}}));
        auto copy = loadDocument(bytesOf(test->lastImage()), f.profile(), 0);
        QVERIFY(copy.ok());
        QCOMPARE(copy->document->layout().bytes(), played);
        QVERIFY(fileBytes(f.layoutFile()) == saved && fileBytes(f.file("s2built.bin")) == built);
        QVERIFY(f.unsaved());
        f.dialogs->yesNoCancel = {Answer::No};  // the window closes without saving
    }

    // A failing build shows its output: on opening, the ROM stays open; after a save, the files
    // stay saved.
    void aFailingBuildShowsItsOutputAndKeepsTheFiles() {
        ProjectFixture f;
        f.open();
        f.makeStale();
        const QByteArray image = fileBytes(f.file("s2built.bin"));
        ProjectFixture::setBuildCommand(f.build + " no-such-folder");
        f.openProject();
        QCOMPARE(f.dialogs->messages.size(), 1);
        const QString shown = f.dialogs->messages.takeFirst();
        QVERIFY(shown.contains("its build failed") && shown.contains("exit status 1") &&
                shown.contains("Assembling s2.asm in no-such-folder"));
        QVERIFY(f.output.contains("error: "));
        QVERIFY(fileBytes(f.file("s2built.bin")) == image);
        QVERIFY(f.levelInfo().startsWith("demo.bin, level 1"));

        ProjectFixture::setBuildCommand(f.build);
        StartupRom(QStringList{f.project + "/"}).openIn(*f.window);
        QVERIFY(f.levelInfo().startsWith("project hack, level 1"));
        const QByteArray built = fileBytes(f.file("s2built.bin"));
        const QByteArray before = fileBytes(f.layoutFile());
        f.editCorner();
        ProjectFixture::setBuildCommand(f.build + " no-such-folder");
        f.menu("MenuSave");
        QCOMPARE(f.dialogs->messages.size(), 1);
        QVERIFY(f.dialogs->messages.first().contains("saved into its files, but the build "
                                                     "failed") &&
                f.dialogs->messages.first().contains("no-such-folder"));
        QVERIFY(fileBytes(f.layoutFile()) != before && fileBytes(f.file("s2built.bin")) == built);
        QVERIFY(f.child<QLabel>("StatusNote")->text().contains("the build failed"));
    }

    // A folder that is no project is refused naming what it lacks; the build command is a setting.
    void aFolderThatIsNoProjectIsRefusedNamingWhatItLacks() {
        ProjectFixture f;
        f.open();
        const QString plain = f.folder.filePath("plain");
        QVERIFY(QDir().mkpath(plain) && writeBytes(plain + "/build.lua", QByteArray("-- build")));
        f.openProject(plain);
        QCOMPARE(f.dialogs->messages.size(), 1);
        const QString message = f.dialogs->messages.first();
        QVERIFY(message.contains("was not opened") && message.contains("no .asm"));
        QVERIFY(f.levelInfo().startsWith("demo.bin, level 1"));

        f.dialogs->buildCommands = {"  make rom  "};
        f.menu("MenuBuildCommand");
        QCOMPARE(f.dialogs->buildDialogs.first().first, f.build);
        QCOMPARE(storedBuildCommand(), QString("make rom"));
    }

    void theCopyHoldsTheUnsavedEdits_TheRomFileDoesNot() {
        EditorFixture f;
        TestLevel& test = *recordRuns(f);
        QSettings().setValue(kEmulatorKey, "emu --rom=\"%f\" --full");
        f.key(Qt::Key_F5);
        QVERIFY(f.dialogs->messages.join("\n").contains("No level is loaded"));
        f.open();
        f.chooseLevel(2);
        const std::vector<std::uint8_t> edited = f.editCorner();
        f.key(Qt::Key_F5);
        QCOMPARE(mRuns.size(), 1);
        const QString first = test.lastImage();
        QCOMPARE(mRuns[0], QStringList({"emu", "--rom=" + first, "--full"}));

        const std::vector<std::uint8_t> copy = bytesOf(first);
        const RomProfile& profile = demoRom().profile;
        auto level = loadDocument(copy, profile, 2);
        QVERIFY(level.ok());
        QCOMPARE(level->document->layout().bytes(), edited);
        const auto start =
            std::size_t(findPattern(demoRom().image, parsePattern(kTitleStartCode)).at(0));
        QCOMPARE(copy[start + 10], demoRom().levelZone[2]);
        QCOMPARE(copy[start + 11], demoRom().levelAct[2]);
        QCOMPARE(bytesOf(f.romPath), demoRom().image);
        QVERIFY(f.unsaved());

        f.dialogs->yesNoCancel = {Answer::No};
        f.chooseLevel(3);  // the next copy replaces this one
        f.menu("MenuTestLevel");
        QCOMPARE(mRuns.size(), 2);
        QVERIFY(!QFile::exists(first));
        QVERIFY(QFile::exists(test.lastImage()));
    }

    void theSettingsAskWhenNoEmulatorIsKnown_AFailedStartIsReported() {
        EditorFixture f;
        TestLevel& test = *recordRuns(f);
        f.open();
        qputenv("PATH", QFile::encodeName(f.folder.path()));
        // Debian's blastem, in /usr/games, is found though the path does not name that folder.
        const QString games = f.folder.filePath("games");
        QVERIFY(QDir(f.folder.path()).mkdir("games") && makeProgram(games + "/blastem"));
        QCOMPARE(suggestedEmulatorCommand({games}), games + "/blastem %f");
        f.dialogs->emulatorCommands = {"\"my emu\" -x"};
        f.menu("MenuTestLevel");
        QCOMPARE(f.dialogs->emulatorDialogs.size(), 1);
        QVERIFY(f.dialogs->emulatorDialogs[0].second.contains("No emulator was found"));
        QCOMPARE(QSettings().value(kEmulatorKey).toString(), QString("\"my emu\" -x"));
        QCOMPARE(mRuns, QList<QStringList>({{"my emu", "-x", test.lastImage()}}));

        mFailure = "The program my emu was not found.";
        f.menu("MenuTestLevel");
        const QString said = f.dialogs->messages.join("\n");
        QVERIFY(said.contains("The emulator was not started."));
        QVERIFY(said.contains(mFailure));

        // A RetroArch found on the path still needs its core: the settings open, and Cancel
        // starts nothing.
        QSettings().remove(kEmulatorKey);
        QVERIFY(makeProgram(f.folder.filePath("retroarch")));
        f.menu("MenuTestLevel");
        QCOMPARE(f.dialogs->emulatorDialogs.size(), 2);
        QCOMPARE(f.dialogs->emulatorDialogs[1].first, QString("retroarch -L <core> %f"));
        QVERIFY(f.dialogs->emulatorDialogs[1].second.contains("Replace <core>"));
        QCOMPARE(mRuns.size(), 2);
    }

private:
    // Test Level of `f`'s window, its starts recorded and answered with mFailure; never the
    // machine's own emulators: only the folders a test makes are searched.
    TestLevel* recordRuns(EditorFixture& f) {
        auto* test = f.window->findChild<TestLevel*>("TestLevel");
        test->setGameFolders({});
        test->setLauncher([this](const QString& program, const QStringList& arguments) {
            mRuns.append(QStringList{program} + arguments);
            return mFailure;
        });
        return test;
    }

    QList<QStringList> mRuns;  // program and arguments of each start
    QString mFailure;          // what the launcher answers
    QByteArray mPath;
};

int runProjectTest(int argc, char** argv) {
    ProjectTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "project_test.moc"
