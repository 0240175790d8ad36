// Test Level and Emulator Settings on the real window, the emulator replaced by a recorder.

#include <QDir>
#include <QSettings>

#include "document/documentloader.h"
#include "editor/shell/testlevel.h"
#include "editortestsupport.h"
#include "rom/codepatterns.h"
#include "rom/testimage.h"

namespace orvex::test {

namespace {

std::vector<std::uint8_t> bytesOf(const QString& path) {
    const QByteArray bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

class TestLevelTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QSettings().remove(kEmulatorKey);
        mPath = qgetenv("PATH");
        mF = std::make_unique<EditorFixture>();
        // Never the machine's own emulators: only the folders a test makes are searched.
        testLevel().setGameFolders({});
        testLevel().setLauncher([this](const QString& program, const QStringList& arguments) {
            mRuns.append(QStringList{program} + arguments);
            return mFailure;
        });
    }
    void cleanup() {
        mF.reset();
        mRuns.clear();
        mFailure.clear();
        qputenv("PATH", mPath);
        QSettings().remove(kEmulatorKey);
    }

    void theCopyHoldsTheUnsavedEdits_TheRomFileDoesNot() {
        EditorFixture& f = *mF;
        QSettings().setValue(kEmulatorKey, "emu --rom=\"%f\" --full");
        f.key(Qt::Key_F5);
        QVERIFY(f.dialogs->messages.join("\n").contains("No level is loaded"));
        f.open();
        f.chooseLevel(2);
        const std::vector<std::uint8_t> edited = f.editCorner();
        f.key(Qt::Key_F5);
        QCOMPARE(mRuns.size(), 1);
        const QString first = testLevel().lastImage();
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
        QVERIFY(QFile::exists(testLevel().lastImage()));
    }

    void theSettingsAskWhenNoEmulatorIsKnown_AFailedStartIsReported() {
        EditorFixture& f = *mF;
        f.open();
        qputenv("PATH", QFile::encodeName(f.folder.path()));
        // Debian's blastem, in /usr/games, is found though the path does not name that folder.
        QVERIFY(QDir(f.folder.path()).mkdir("games"));
        const QString games = f.folder.filePath("games");
        QFile blastem(games + "/blastem");
        QVERIFY(blastem.open(QIODevice::WriteOnly));
        blastem.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        blastem.close();
        QCOMPARE(suggestedEmulatorCommand({games}), games + "/blastem %f");
        f.dialogs->emulatorCommands = {"\"my emu\" -x"};
        f.menu("MenuTestLevel");
        QCOMPARE(f.dialogs->emulatorDialogs.size(), 1);
        QVERIFY(f.dialogs->emulatorDialogs[0].second.contains("No emulator was found"));
        QCOMPARE(QSettings().value(kEmulatorKey).toString(), QString("\"my emu\" -x"));
        QCOMPARE(mRuns, QList<QStringList>({{"my emu", "-x", testLevel().lastImage()}}));

        mFailure = "The program my emu was not found.";
        f.menu("MenuTestLevel");
        const QString said = f.dialogs->messages.join("\n");
        QVERIFY(said.contains("The emulator was not started."));
        QVERIFY(said.contains(mFailure));

        // A RetroArch found on the path still needs its core: the settings open, and Cancel
        // starts nothing.
        QSettings().remove(kEmulatorKey);
        QFile retroarch(f.folder.filePath("retroarch"));
        QVERIFY(retroarch.open(QIODevice::WriteOnly));
        retroarch.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        retroarch.close();
        f.menu("MenuTestLevel");
        QCOMPARE(f.dialogs->emulatorDialogs.size(), 2);
        QCOMPARE(f.dialogs->emulatorDialogs[1].first, QString("retroarch -L <core> %f"));
        QVERIFY(f.dialogs->emulatorDialogs[1].second.contains("Replace <core>"));
        QCOMPARE(mRuns.size(), 2);
    }

private:
    TestLevel& testLevel() const { return *mF->window->findChild<TestLevel*>("TestLevel"); }

    std::unique_ptr<EditorFixture> mF;
    QList<QStringList> mRuns;  // program and arguments of each start
    QString mFailure;          // what the launcher answers
    QByteArray mPath;
};

int runTestLevelTest(int argc, char** argv) {
    TestLevelTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "testlevel_test.moc"
