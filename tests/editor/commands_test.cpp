// The commands: Open with its ROM check, the level choice, Save and Quit, and how they guard
// against lost edits and against running in the middle of a load or a save.

#include "editor/startup.h"
#include "editortestsupport.h"
#include "rom/romcheck.h"
#include "windows/progresswindow.h"

namespace orvex::test {

namespace {

using Answer = EditorDialogs::Answer;

// The captions the progress windows show, each with "-" when MapaFase is disabled at that
// moment; `during` runs at every caption change.
struct ProgressLog {
    explicit ProgressLog(EditorFixture& f, std::function<void()> whileRunning = {})
        : during(std::move(whileRunning)) {
        QWidget* frame = f.child<QWidget>("MapaFase");
        QObject::connect(&f.window->host(), &WindowHost::progressStarted, f.window.get(),
                         [this, frame](ProgressWindow* window) {
                             note(window->windowTitle(), frame);
                             QObject::connect(window, &ProgressWindow::captionChanged, window,
                                              [this, frame](const QString& caption) {
                                                  note(caption, frame);
                                                  if (during) {
                                                      during();
                                                  }
                                              });
                         });
    }
    void note(const QString& caption, QWidget* frame) {
        captions.append(caption + (frame->isEnabled() ? "" : "-"));
    }

    QStringList captions;
    std::function<void()> during;
};

void editCellZero(EditorFixture& f) {
    f.setOrigin(0, 0);
    f.place(f.layout().at(0) == 0x33 ? 0x34 : 0x33, 0);
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void openChecksTheRomThenLoadsLevelOne() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.chooseLevel(4);  // no ROM yet: nothing happens
        f.menu("MenuSave");
        QVERIFY(f.dialogs->questions.isEmpty() && f.dialogs->messages.isEmpty());
        f.open(false);
        QCOMPARE(f.dialogs->questions.size(), 1);
        const ScriptedDialogs::Question& prompt = f.dialogs->questions.first();
        QCOMPARE(prompt.title, QString::fromUtf8(kMigrationTitle.data(), kMigrationTitle.size()));
        QCOMPARE(prompt.text, QString::fromUtf8(kMigrationPrompt.data(), kMigrationPrompt.size()));
        QVERIFY(prompt.defaultYes && !prompt.withCancel);
        QCOMPARE(f.child<QComboBox>("Combo1")->currentIndex(), 0);
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        f.setOrigin(40, 7);
        f.chooseLevel(19);
        QCOMPARE(f.layout(), demoRom().layoutData[19]);
        QCOMPARE(
            f.child<QScrollBar>("HScroll1")->value() + f.child<QScrollBar>("VScroll2")->value(), 0);
        QVERIFY(f.dialogs->messages.isEmpty());
    }

    void progressWindowDuringALoadAndASave() {
        EditorFixture f;
        QVERIFY(f.exposed);
        ProgressLog log(f);
        f.open(true);
        QCOMPARE(log.captions,
                 QStringList({"Orvex ...-", "Extracting 8x8 Tiles ...-",
                              "Extracting 16x16 Tiles ...-", "Extracting 128x128 Tiles ...-"}));
        QVERIFY(f.child<QWidget>("MapaFase")->isEnabled());
        QVERIFY(f.window->findChild<ProgressWindow*>() == nullptr);
        editCellZero(f);
        const std::vector<std::uint8_t> edited = f.layout();
        f.menu("MenuSave");
        QCOMPARE(log.captions.mid(4), QStringList({"Orvex ...-", "Saving Level...-"}));
        QCOMPARE(f.dialogs->messages.size(), 1);  // only the note on the migration's backup
        QVERIFY(!f.window->session().hasUnsavedEdits());
        f.chooseLevel(0);
        QCOMPARE(f.layout(), edited);  // read back from the file
    }

    void cancellingTheFileDialogChangesNothing() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.open(false);
        editCellZero(f);
        const std::vector<std::uint8_t> edited = f.layout();
        ProgressLog log(f);
        f.menu("MenuOpen");
        QCOMPARE(f.dialogs->fileDialogs, 2);
        QCOMPARE(f.dialogs->questions.size(), 1);  // no second ROM check, no edits question
        QVERIFY(log.captions.isEmpty());
        QCOMPARE(f.layout(), edited);
    }

    void unsavedEditsAreNeverDroppedWithoutAsking() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.open(true);
        editCellZero(f);
        const std::vector<std::uint8_t> edited = f.layout();
        f.dialogs->yesNoCancel = {Answer::Cancel, Answer::Yes, Answer::No, Answer::Cancel,
                                  Answer::No};
        f.chooseLevel(4);  // Cancel
        QCOMPARE(f.dialogs->questions.last().title, QString("Orvex"));
        QCOMPARE(f.dialogs->questions.last().text, QString("Save changes to level 1?"));
        QVERIFY(f.dialogs->questions.last().withCancel);
        QCOMPARE(f.layout(), edited);
        QCOMPARE(f.child<QComboBox>("Combo1")->currentIndex(), 0);
        f.chooseLevel(4);  // Yes: saved, then level 5
        QCOMPARE(f.layout(), demoRom().layoutData[4]);
        f.chooseLevel(0);  // no edits, no question
        QCOMPARE(f.layout(), edited);
        editCellZero(f);
        f.chooseLevel(0);  // No: the edit is dropped
        QCOMPARE(f.layout(), edited);
        editCellZero(f);
        f.menu("MenuQuit");  // Cancel
        QVERIFY(f.exits.isEmpty() && f.window->isVisible());
        f.window->close();  // No
        QCOMPARE(f.exits, QList<bool>({false}));
        QCOMPARE(f.dialogs->questions.size(), 6);
    }

    void refusalsAndErrorsAreShown() {
        EditorFixture f(std::int16_t{2});  // level 3's layout breaks off
        QVERIFY(f.exposed);
        f.dialogs->romFiles = {f.folder.filePath("missing.bin")};
        f.menu("MenuOpen");
        QVERIFY(f.dialogs->messages.takeFirst().contains("missing.bin could not be opened."));
        f.open(false);  // migrating would refuse the broken layout
        QCOMPARE(f.layout(), demoRom(2).layoutData[0]);
        editCellZero(f);
        QFile file(f.romPath);  // another program changes the layout on disk
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.seek(f.window->session().level().snapshot.layoutOffset));
        file.write("\xFF\xFF", 2);
        file.close();
        f.dialogs->yesNo = {false};  // do not overwrite it
        f.menu("MenuSave");
        QVERIFY(f.dialogs->questions.last().text.contains("changed on disk"));
        QCOMPARE(f.dialogs->messages.size(), 1);
        QVERIFY(f.dialogs->messages.first().startsWith("Orvex: Level 1 was not saved."));
        QVERIFY(f.dialogs->messages.takeFirst().contains("Nothing was saved"));

        f.dialogs->yesNoCancel = {Answer::No};
        f.chooseLevel(2);
        QCOMPARE(f.dialogs->messages.takeFirst(), QString("Orvex: Argh, weird offset!"));
        f.menu("MenuSave");
        QVERIFY(f.dialogs->messages.takeFirst().contains("not loaded completely"));
        f.chooseLevel(1);  // still usable
        QCOMPARE(f.layout(), demoRom().layoutData[1]);
    }

    void commandsAreRefusedWhileALevelLoadsButQuitEndsAtOnce() {
        EditorFixture f;
        QVERIFY(f.exposed);
        f.open(false);
        editCellZero(f);
        f.dialogs->yesNoCancel = {Answer::No};
        bool first = true;
        ProgressLog log(f, [&f, &first] {
            if (!std::exchange(first, false)) {
                return;
            }
            QVERIFY(!f.child<QAction>("MenuOpen")->isEnabled());
            QVERIFY(!f.child<QComboBox>("Combo1")->isEnabled());
            f.dialogs->romFiles = {f.romPath};
            f.menu("MenuOpen");
            f.menu("MenuSave");
            emit f.child<QComboBox>("Combo1")->activated(7);
            f.menu("MenuQuit");
            f.window->close();
        });
        f.chooseLevel(5);
        QCOMPARE(log.captions.count("Orvex ...-"), 1);  // nothing started inside the load
        QCOMPARE(f.dialogs->fileDialogs, 1);
        QCOMPARE(f.exits, QList<bool>({true, true}));
        QCOMPARE(f.dialogs->questions.size(), 2);  // the migration prompt and the edits
        QCOMPARE(f.layout(), demoRom().layoutData[5]);
        QVERIFY(f.child<QAction>("MenuSave")->isEnabled());
    }

    void commandLineOpensTheDemoRom() {
        const StartupRom demo(QStringList{"--demo"});
        QVERIFY(QFile::exists(demo.path()));
        EditorFixture f;
        QVERIFY(f.exposed);
        demo.openIn(*f.window);
        QCOMPARE(f.dialogs->questions.size(), 1);
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        QCOMPARE(StartupRom(QStringList{f.romPath}).path(), f.romPath);
        StartupRom(QStringList{"--frobnicate"}).openIn(*f.window);
        QVERIFY(f.dialogs->messages.last().contains("Unknown option --frobnicate"));
    }
};

int runCommandsTest(int argc, char** argv) {
    CommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "commands_test.moc"
