// The commands: Open with its ROM check, the level choice, Save, Quit, Export and a dropped
// ROM; how they guard against lost edits and against running in the middle of a load or a
// save; and where the ROM as it was is kept.

#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QUndoStack>
#include <functional>

#include "editor/shell/sessioncontroller.h"
#include "editor/shell/startup.h"
#include "editor/shell/uitext.h"
#include "editortestsupport.h"
#include "rom/romcheck.h"
#include "windows/progresswindow.h"

namespace orvex::test {

namespace {

// The captions the progress windows show, each with "-" when MapaFase is disabled at that
// moment; `atStart` runs as each progress window appears.
struct ProgressLog {
    explicit ProgressLog(EditorFixture& f, const std::function<void()>& atStart = {}) {
        const auto note = [this, frame = f.child("MapaFase")](const QString& caption) {
            captions.append(caption + (frame->isEnabled() ? "" : "-"));
        };
        QObject::connect(&f.window->host(), &WindowHost::progressStarted, f.window.get(),
                         [note, atStart](ProgressWindow* window) {
                             note(window->windowTitle());
                             QObject::connect(window, &ProgressWindow::captionChanged, window,
                                              note);
                             if (atStart) {
                                 atStart();
                             }
                         });
    }
    QStringList captions;
};

// What `orvex-tool render ROM 1 OUT --plane PLANE` writes.
QByteArray toolPicture(const EditorFixture& f, const QString& plane) {
    const QString out = f.folder.filePath("tool-" + plane + ".png");
    QProcess tool;
    tool.start(ORVEX_TOOL_PATH, {"render", f.romPath, "1", out, "--plane", plane});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        qWarning("orvex-tool: %s", tool.readAllStandardError().constData());
    }
    return fileBytes(out);
}

// Drags `urls` onto the window and drops them; whether the window took the drag.
bool dropOn(EditorFixture& f, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = f.window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.window.get(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) {
        QCoreApplication::sendEvent(f.window.get(), &drop);
        QCoreApplication::processEvents();  // the drop opens the file once it has ended
    }
    return enter.isAccepted() && drop.isAccepted();
}

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

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void openChecksTheRomThenLoadsLevelOneAndCancelKeepsEverything() {
        EditorFixture f;
        f.chooseLevel(4);  // no ROM yet: nothing happens
        f.menu("MenuSave");
        f.menu("MenuExport");
        QVERIFY(f.dialogs->questions.isEmpty() && f.dialogs->messages.isEmpty());
        QCOMPARE(f.dialogs->fileDialogs, 0);
        const StartupRom demo(QStringList{"--demo"});  // as `orvex --demo` opens it
        demo.openIn(*f.window);
        QCOMPARE(f.dialogs->questions.size(), 1);
        const ScriptedDialogs::Question& prompt = f.dialogs->questions.first();
        QVERIFY(prompt.title == text(kMigrationTitle) && prompt.defaultYes && !prompt.withCancel);
        QCOMPARE(f.window->levelSelector().currentIndex(), 0);
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        QCOMPARE(f.child<QLabel>("RomInfo")->text(),
                 QString("revision 01 (factory tables, modified)"));

        const std::vector<std::uint8_t> edited = f.editCorner();
        ProgressLog log(f);
        f.menu("MenuOpen");  // Cancel: no second ROM check, no edits question
        QVERIFY(f.dialogs->fileDialogs == 1 && f.dialogs->questions.size() == 1);
        QVERIFY(log.captions.isEmpty() && f.layout() == edited);

        f.dialogs->yesNoCancel = {Answer::No};
        f.setOrigin(40, 7);
        f.chooseLevel(19);
        QVERIFY(f.layout() == demoRom().layoutData[19]);
        QVERIFY(f.dialogs->messages.isEmpty());
        StartupRom(QStringList{"--frobnicate"}).openIn(*f.window);
        QVERIFY(f.dialogs->messages.last().contains("Unknown option --frobnicate"));
    }

    // A copier dump is never opened as it is: No writes nothing, Yes writes the plain image
    // beside it and opens that; the next time the identical copy is opened without asking.
    void aDumpIsOfferedAsAPlainCopy() {
        EditorFixture f;
        const auto& plain = demoRom().image;
        QByteArray smd(512, '\0');
        for (std::size_t block = 0; block < plain.size(); block += 16384) {
            for (std::size_t start : {std::size_t{1}, std::size_t{0}}) {
                for (std::size_t at = start; at < 16384; at += 2) {
                    smd.append(static_cast<char>(plain[block + at]));
                }
            }
        }
        const QString dump = f.folder.filePath("s2.smd");
        const QString copy = f.folder.filePath("s2.bin");
        QVERIFY(writeBytes(dump, smd));
        f.dialogs->yesNo = {false};
        f.window->controller().openRomFile(dump);
        QCOMPARE(f.dialogs->questions.size(), 1);
        QVERIFY(f.dialogs->questions[0].text.contains("Save a plain copy as s2.bin"));
        QVERIFY(!QFile::exists(copy) && !f.window->session().hasRom());

        f.dialogs->yesNo = {true, false};  // the copy, then no migration
        f.window->controller().openRomFile(dump);
        QCOMPARE(f.dialogs->questions.size(), 3);
        QCOMPARE(f.window->session().rom().romPath().filename().string(), std::string("s2.bin"));
        QCOMPARE(f.layout(), demoRom().layoutData[0]);
        QVERIFY(fileBytes(copy) ==
                QByteArray(reinterpret_cast<const char*>(plain.data()), qsizetype(plain.size())));
        QVERIFY(fileBytes(dump) == smd);

        f.dialogs->yesNo = {false};
        f.window->controller().openRomFile(dump);
        QCOMPARE(f.dialogs->questions.size(), 4);  // only the migration offer
        QVERIFY(f.dialogs->messages.isEmpty());
    }

    void unsavedEditsAreNeverDroppedWithoutAsking() {
        EditorFixture f;
        const QString other = f.folder.filePath("other.bin");
        QVERIFY(QFile::copy(f.romPath, other));
        f.open(true);
        const std::vector<std::uint8_t> edited = f.editCorner();
        f.dialogs->yesNoCancel = {Answer::Cancel, Answer::Yes,    Answer::No, Answer::Cancel,
                                  Answer::No,     Answer::Cancel, Answer::No};
        f.chooseLevel(4);  // Cancel
        const ScriptedDialogs::Question& asked = f.dialogs->questions.last();
        QCOMPARE(asked.title + ": " + asked.text, "Orvex: Save changes to level 1?");
        QVERIFY(asked.withCancel && f.layout() == edited);
        QCOMPARE(f.window->levelSelector().currentIndex(), 0);
        f.chooseLevel(4);  // Yes: saved, then level 5
        QCOMPARE(f.layout(), demoRom().layoutData[4]);
        f.chooseLevel(0);  // no edits, no question
        QCOMPARE(f.layout(), edited);
        f.editCorner();
        f.chooseLevel(0);  // No: the edit is dropped
        QCOMPARE(f.layout(), edited);

        const std::vector<std::uint8_t> again = f.editCorner();
        QVERIFY(!dropOn(f, {QUrl::fromLocalFile(other), QUrl::fromLocalFile(f.romPath)}));
        QVERIFY(!dropOn(f, {QUrl("https://example.org/rom.bin")}));
        QVERIFY(dropOn(f, {QUrl::fromLocalFile(other)}));  // Cancel
        QCOMPARE(f.layout(), again);
        QVERIFY(dropOn(f, {QUrl::fromLocalFile(other)}));  // No, then the ROM check
        QCOMPARE(f.window->session().rom().romPath().string(), other.toStdString());
        QCOMPARE(f.dialogs->questions.last().title, text(kMigrationTitle));
        QVERIFY(f.layout() == demoRom().layoutData[0] && f.window->undoStack().count() == 0);

        f.editCorner();
        f.menu("MenuQuit");  // Cancel
        QVERIFY(f.exits.isEmpty() && f.window->isVisible());
        f.window->close();  // No
        QCOMPARE(f.exits, QList<bool>({false}));
        QCOMPARE(f.dialogs->questions.size(), 9);
    }

    // A file that cannot be opened, and a save of a level not loaded completely, are refused with
    // a message; the window stays usable.
    void refusalsAndErrorsAreShown() {
        EditorFixture f(2);  // level 3's layout breaks off
        f.dialogs->romFiles = {f.folder.filePath("missing.bin")};
        f.menu("MenuOpen");
        QVERIFY(f.dialogs->messages.takeFirst().contains("missing.bin could not be opened."));
        f.open();  // migrating would refuse the broken layout
        f.chooseLevel(2);
        f.menu("MenuSave");
        QCOMPARE(f.dialogs->messages.size(), 2);
        QVERIFY(f.dialogs->messages.first().startsWith("Orvex: Argh, weird offset!\n"));
        QVERIFY(f.dialogs->messages.last().contains("not loaded completely"));
        f.chooseLevel(1);  // still usable
        QCOMPARE(f.layout(), demoRom().layoutData[1]);
    }

    void commandsAreRefusedWhileALevelLoadsButQuitEndsAtOnce() {
        EditorFixture f;
        f.open();
        f.editCorner();
        f.dialogs->yesNoCancel = {Answer::No};
        ProgressLog log(f, [&f] {
            QVERIFY(!f.action("MenuOpen")->isEnabled() && !f.window->levelSelector().isEnabled());
            f.dialogs->romFiles = {f.romPath};
            f.menu("MenuOpen");
            f.menu("MenuSave");
            emit f.window->levelSelector().activated(7);
            f.menu("MenuQuit");
            f.window->close();
        });
        f.chooseLevel(5);
        QCOMPARE(log.captions.count("Orvex ...-"), 1);  // nothing started inside the load
        QCOMPARE(f.dialogs->fileDialogs, 1);
        QCOMPARE(f.exits, QList<bool>({true, true}));
        QCOMPARE(f.dialogs->questions.size(), 2);  // the migration prompt and the edits
        QVERIFY(f.layout() == demoRom().layoutData[5] && f.action("MenuSave")->isEnabled());
    }

    void exportWritesTheFileTheToolWrites() {
        EditorFixture f;
        f.open();
        const QString foreground = f.folder.filePath("foreground.png");
        const QString background = f.folder.filePath("background.png");
        const QString edited = f.folder.filePath("edited.png");
        f.dialogs->imageFiles = {foreground, background};
        f.menu("MenuExport");
        QVERIFY(!fileBytes(foreground).isEmpty());
        QCOMPARE(fileBytes(foreground), toolPicture(f, "fg"));
        f.menu("MenuBackground");
        f.menu("MenuExport");
        QCOMPARE(fileBytes(background), toolPicture(f, "bg"));
        f.menu("MenuExport");                 // Cancel: nothing written
        QCOMPARE(f.dialogs->fileDialogs, 4);  // the ROM, then three pictures
        f.editCorner();                       // the export takes the layout as edited
        f.dialogs->imageFiles = {edited};
        f.menu("MenuExport");
        QVERIFY(!fileBytes(edited).isEmpty() && fileBytes(edited) != fileBytes(background));
        QVERIFY(f.dialogs->messages.isEmpty());
        const QByteArray rom = fileBytes(f.romPath);
        f.dialogs->imageFiles = {f.romPath};  // never over the open ROM
        f.menu("MenuExport");
        QVERIFY(f.dialogs->messages.last().contains("is the open ROM"));
        QCOMPARE(fileBytes(f.romPath), rom);
    }

    void progressAndTheRomAsItWasAfterALoadAndASave() {
        const auto& image = demoRom().image;
        const QByteArray original(reinterpret_cast<const char*>(image.data()),
                                  qsizetype(image.size()));
        for (const bool migrate : {true, false}) {
            EditorFixture f;
            ProgressLog log(f);
            f.open(migrate);
            QCOMPARE(log.captions,
                     QStringList({"Orvex ...-", "Extracting 8x8 Tiles ...-",
                                  "Extracting 16x16 Tiles ...-", "Extracting 128x128 Tiles ...-"}));
            QVERIFY(f.child("MapaFase")->isEnabled() && !f.window->findChild<ProgressWindow*>());
            const QString backup = f.romPath + ".bak";
            const QString kept = "the ROM as it was is kept as %1 (as Orvex first found it: %2)";
            QCOMPARE(f.dialogs->messages.join(""),
                     migrate ? "Orvex: The layouts have been migrated; " +
                                   kept.arg(backup, f.romPath + ".orig") + "."
                             : QString());
            QCOMPARE(QFile::exists(backup), migrate);
            auto* note = f.child<QLabel>("StatusNote");
            QByteArray before = fileBytes(f.romPath);
            for (int save = 0; save < 2; ++save) {
                f.editCorner();
                f.menu("MenuSave");
                QCOMPARE(note->text(),
                         QString("Level 1 saved; kept demo.bin.bak and demo.bin.orig"));
                QCOMPARE(note->toolTip(), kept.arg(backup, f.romPath + ".orig"));
                QCOMPARE(fileBytes(backup), before);  // the file just before this save
                QCOMPARE(fileBytes(f.romPath + ".orig"), original);
                before = fileBytes(f.romPath);
            }
            QCOMPARE(log.captions.mid(4, 2), QStringList({"Orvex ...-", "Saving Level...-"}));
            QVERIFY(f.child("MapaFase")->isEnabled() && !f.unsaved());
            const std::vector<std::uint8_t> saved = f.layout();
            f.chooseLevel(0);
            QCOMPARE(f.layout(), saved);  // read back from the file
        }
    }

    // Without a window, a save refused at its question or unable to read the file shows why and
    // is never reported as saved; the edits stay, and a choice whose Yes failed keeps the level.
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

    // While a level loads, the thumbnails are emptied and then filled in block order, each before
    // the bar moves on; the progress window shows the block just drawn.
    void thumbnailsFillOneByOneWhileBlocksAreDrawn() {
        EditorFixture f;
        QStringList faults;
        int steps = 0;
        const auto check = [&](ProgressWindow* window) {
            if (window->windowTitle() != "Extracting 128x128 Tiles ...") {
                return;
            }
            const int drawn = steps++ % 256;
            for (int b = 0; b < 256; ++b) {
                if (f.thumbnail(b)->picture().isNull() != (b > drawn)) {
                    faults << QString("thumbnail %1 at block %2").arg(b).arg(drawn);
                }
            }
            if (window->bufferedImage()->picture().cacheKey() !=
                f.thumbnail(drawn)->picture().cacheKey()) {
                faults << QString("BufferedImage at block %1").arg(drawn);
            }
        };
        QObject::connect(&f.window->host(), &WindowHost::progressStarted, f.window.get(),
                         [&](ProgressWindow* window) {
                             QObject::connect(window, &ProgressWindow::barWidthChanged, window,
                                              [&check, window] { check(window); });
                         });
        f.open();
        QCOMPARE(steps, 256);
        f.chooseLevel(1);  // the first level's pictures go before the second one's are drawn
        QCOMPARE(steps, 512);
        QCOMPARE(faults.mid(0, 3), QStringList());
    }
};

int runCommandsTest(int argc, char** argv) {
    CommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "commands_test.moc"
