// The session controller without a window: a save that fails is reported as an error, never as
// saved. (The question before unsaved edits go is asked through the window in commands_test.)

#include <QSignalSpy>
#include <QUndoStack>

#include "editor/shell/sessioncontroller.h"
#include "editortestsupport.h"

namespace orvex::test {

namespace {

// A controller on the demo ROM, level 1 loaded, the migration declined.
struct ControllerFixture {
    ControllerFixture() {
        if (!writeBytes(romPath, demoRom().image)) {
            qFatal("cannot write %s", qPrintable(romPath));
        }
        dialogs.yesNo = {false};
        controller.openRomFile(romPath);
    }
    std::vector<std::uint8_t> layout() const { return session.document()->layout().bytes(); }

    QTemporaryDir folder;
    QString romPath = folder.filePath("demo.bin");
    ScriptedDialogs dialogs;
    EditorSession session;
    QUndoStack undo;
    SessionController controller{session, dialogs, undo};
    QSignalSpy refused{&controller, &SessionController::levelRefused};
    QSignalSpy saved{&controller, &SessionController::levelSaved};
};

}  // namespace

class SessionControllerTest : public QObject {
    Q_OBJECT

private slots:
    // A save refused at its question, or one that cannot read the file, shows why and is never
    // reported as saved; the edits stay, and a level choice whose Yes failed keeps the level.
    void aFailedSaveIsShownAndKeepsTheEdits() {
        ControllerFixture f;
        LevelDocument& document = *f.session.document();
        document.setBlock({0, 0}, static_cast<std::uint8_t>(document.layout().bytes().at(0) + 1));
        const std::vector<std::uint8_t> edited = f.layout();
        QFile file(f.romPath);  // another program changes the layout on disk
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.seek(f.session.document()->stored(Part::Layout)[0].offset));
        file.write("\xFF\xFF", 2);
        file.close();
        f.dialogs.yesNo = {false};  // do not overwrite it
        QVERIFY(!f.controller.save(0));
        QVERIFY(f.dialogs.questions.last().text.contains("changed on disk"));
        QVERIFY(f.dialogs.messages.takeFirst().startsWith("Orvex: Level 1 was not saved.\n\n"));

        QVERIFY(QFile::remove(f.romPath));
        f.dialogs.yesNoCancel = {Answer::Yes};
        QVERIFY(!f.controller.chooseLevel(3));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().startsWith("Orvex: Level 1 was not saved.\n\n"));
        QVERIFY(f.saved.isEmpty() && f.refused.count() == 1);
        QVERIFY(f.layout() == edited && f.session.hasUnsavedEdits() && !f.controller.isBusy());
    }
};

int runSessionControllerTest(int argc, char** argv) {
    SessionControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "sessioncontroller_test.moc"
