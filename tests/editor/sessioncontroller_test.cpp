// The session controller without a window: the question before unsaved edits go, and a save
// that fails is reported as an error, never as saved.

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
    // Places another block in the top left cell of the level in memory; the layout after.
    std::vector<std::uint8_t> editCorner() {
        LevelDocument& document = *session.document();
        document.setBlock({0, 0}, static_cast<std::uint8_t>(document.layout().bytes().at(0) + 1));
        return layout();
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
    // Cancel keeps the level and its edits, No drops them and leaves the file as it was, Yes
    // saves them before the next level loads.
    void unsavedEditsAreSavedDroppedOrKept() {
        ControllerFixture f;
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        const QByteArray file = fileBytes(f.romPath);
        const std::vector<std::uint8_t> dropped = f.editCorner();
        f.dialogs.yesNoCancel = {Answer::Cancel, Answer::No, Answer::Yes};
        QVERIFY(!f.controller.chooseLevel(4));
        QCOMPARE(f.dialogs.questions.last().title + ": " + f.dialogs.questions.last().text,
                 QString("Orvex: Save changes to level 1?"));
        QVERIFY(f.layout() == dropped && f.session.hasUnsavedEdits() && f.refused.count() == 1);

        QVERIFY(f.controller.chooseLevel(4));
        QVERIFY(f.layout() == demoRom().layoutData[4] && fileBytes(f.romPath) == file);
        QVERIFY(f.controller.chooseLevel(0));  // nothing to lose: no question
        QCOMPARE(f.layout(), demoRom().layoutData[0]);

        const std::vector<std::uint8_t> kept = f.editCorner();
        QVERIFY(f.controller.chooseLevel(2));
        QCOMPARE(f.saved.count(), 1);
        QCOMPARE(f.saved.first().first().toString(),
                 QString("Level 1 saved; kept demo.bin.bak and demo.bin.orig"));
        QVERIFY(f.controller.chooseLevel(0));
        QCOMPARE(f.layout(), kept);               // read back from the file
        QCOMPARE(f.dialogs.questions.size(), 4);  // the migration offer and three questions
        QVERIFY(f.dialogs.messages.isEmpty() && !f.controller.isBusy());
    }

    // A save refused at its question, or one that cannot read the file, shows why and is never
    // reported as saved; the edits stay, and a level choice whose Yes failed keeps the level.
    void aFailedSaveIsShownAndKeepsTheEdits() {
        ControllerFixture f;
        const std::vector<std::uint8_t> edited = f.editCorner();
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
