// Disassembly projects in the real window: opened through File > Open Project, built with the
// tests' build program as the build command, edited, saved into their files and read back from
// the new build; a build that fails shows its output.

#include <QDir>
#include <QLabel>
#include <QSettings>

#include "editor/shell/buildsettings.h"
#include "editortestsupport.h"
#include "project/syntheticproject.h"

namespace orvex::test {

namespace {

// A window with a synthetic project written (and built) in a folder of its own, the tests' build
// program as the build command.
struct ProjectFixture : EditorFixture {
    ProjectFixture() {
        QSettings().setValue(kBuildCommandKey, QString::fromStdString(testing::testBuildProgram()));
        const Status written =
            testing::writeSyntheticProject(QFile::encodeName(project).toStdString());
        if (!written) {
            qFatal("no synthetic project: %s", written.error().describe().c_str());
        }
    }
    ~ProjectFixture() { QSettings().remove(kBuildCommandKey); }

    // Open Project on `path` (this fixture's project by default).
    void openProject(const QString& path = {}) {
        dialogs->projectFolders.append(path.isEmpty() ? project : path);
        menu("MenuOpenProject");
    }
    QString file(const QString& relative) const { return project + "/" + relative; }

    QString project = folder.filePath("hack");
};

}  // namespace

class ProjectTest : public QObject {
    Q_OBJECT

private slots:
    // A folder that is no project is refused with what it lacks, and whatever was open stays.
    void aFolderThatIsNoProjectIsRefusedNamingWhatItLacks() {
        ProjectFixture f;
        f.open();
        const QString plain = f.folder.filePath("plain");
        QVERIFY(QDir().mkpath(plain) && writeBytes(plain + "/build.lua", QByteArray("-- build")));
        f.openProject(plain);
        QCOMPARE(f.dialogs->messages.size(), 1);
        const QString message = f.dialogs->messages.first();
        QVERIFY2(message.contains("was not opened") && message.contains("no .asm"),
                 qPrintable(message));
        QCOMPARE(f.window->session().rom().romPath().filename().string(), std::string("demo.bin"));
        QVERIFY(f.window->session().document() != nullptr);
    }
};

int runProjectTest(int argc, char** argv) {
    ProjectTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "project_test.moc"
