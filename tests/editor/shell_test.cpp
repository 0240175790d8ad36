// The shell: its action registry and keys, and the areas taking and letting go of a level.

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTextStream>
#include <set>

#include "editor/shell/keysdialog.h"
#include "editor/shell/startup.h"
#include "editor/shell/windowmemory.h"
#include "editortestsupport.h"
#include "rom/checksum.h"

namespace orvex::test {

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QSettings().remove("keys"); }
    void cleanup() { QSettings().remove("keys"); }

    // No two actions of any area share a key as shipped.
    void defaultKeysAreUnique() {
        EditorFixture f;
        std::set<QString> seen;
        for (const ActionSpec& spec : f.window->actions().specs()) {
            for (const QKeySequence& key : f.window->actions().action(spec.id)->shortcuts()) {
                QVERIFY(seen.insert(key.toString()).second);
            }
        }
        QVERIFY(seen.size() > 30);
    }

    // A changed key acts at once and survives a restart; Reset All gives the defaults back.
    void aChangedKeyActsAtOnceAndSurvivesARestart() {
        const QKeySequence key(Qt::CTRL | Qt::ALT | Qt::Key_G);
        {
            EditorFixture f;
            f.open();
            KeysDialog dialog(f.window->actions(), KeysDialog::Mode::Edit, f.window.get());
            QCOMPARE(dialog.assign(rowOf(f, "MenuGrid"), key).contains("Grid"), true);
            QCOMPARE(f.action("MenuGrid")->shortcuts(), QList<QKeySequence>{key});
            f.key(Qt::CTRL | Qt::ALT | Qt::Key_G);
            QVERIFY(f.action("MenuGrid")->isChecked());
            f.key(Qt::Key_G);  // the old key does nothing now
            QVERIFY(f.action("MenuGrid")->isChecked());
        }
        EditorFixture restarted;
        QCOMPARE(restarted.action("MenuGrid")->shortcuts(), QList<QKeySequence>{key});
        KeysDialog dialog(restarted.window->actions(), KeysDialog::Mode::Edit,
                          restarted.window.get());
        QTest::mouseClick(dialog.findChild<QPushButton*>("ResetKeys"), Qt::LeftButton);
        QCOMPARE(restarted.action("MenuGrid")->shortcuts(),
                 QList<QKeySequence>{QKeySequence(Qt::Key_G)});
        EditorFixture again;
        QCOMPARE(again.action("MenuGrid")->shortcuts(),
                 QList<QKeySequence>{QKeySequence(Qt::Key_G)});
    }

    // A key another action has is refused, naming both, and nothing changes.
    void aConflictIsRefusedWithBothNames() {
        EditorFixture f;
        KeysDialog dialog(f.window->actions(), KeysDialog::Mode::Edit, f.window.get());
        const QString refused =
            dialog.assign(rowOf(f, "MenuGrid"), QKeySequence(Qt::CTRL | Qt::Key_S));
        QVERIFY(refused.contains("\"Save Level\"") && refused.contains("\"Grid\""));
        QCOMPARE(f.action("MenuGrid")->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::Key_G)});
        QVERIFY(!QSettings().contains("keys/MenuGrid"));
    }

    // Areas letting go of a level in either order never draw or edit through what is gone.
    void areasLetGoInAnyOrder() {
        EditorFixture f;
        f.open();
        f.menu("MenuObjects");
        f.menu("ToolObjects");
        LevelDocument* document = f.window->session().document();
        const std::array<std::array<EditingArea*, 2>, 2> orders{
            {{&f.window->map(), &f.window->placements()},
             {&f.window->placements(), &f.window->map()}}};
        for (const auto& order : orders) {
            for (EditingArea* area : order) {
                area->attach(nullptr);
                f.window->grab();
            }
            QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, f.cellPoint(7));
            for (EditingArea* area : order) {
                area->attach(document);
                f.window->grab();
            }
        }
        f.window->map().artReady();
        f.window->placements().artReady();
        QVERIFY(f.shows(0, f.layout()[0]));
    }

    // A broken layout is named (level, part, offset) once progress has gone; it opens read-only.
    void aBrokenLayoutIsNamedAndItsLevelIsReadOnly() {
        EditorFixture f(2);
        f.open();
        bool progressShown = true;
        f.dialogs->whileShown = [&] {
            progressShown = f.window->host().progressWindow() != nullptr;
        };
        f.chooseLevel(2);
        QVERIFY(!progressShown);
        const DemoRom& demo = demoRom(2);
        const QString broken = QString::number(demo.layouts[2].offset + 6, 16).toUpper();
        QCOMPARE(f.dialogs->messages.size(), 1);
        const QStringList lines = f.dialogs->messages.takeFirst().split("\n\n");
        QCOMPARE(lines.value(0), "Orvex: Argh, weird offset!");
        QVERIFY(
            lines.value(1).startsWith(QString("Layout of level 3 (zone %1, act %2) breaks off at "
                                              "offset 0x%3:")
                                          .arg(demo.levelZone[2])
                                          .arg(demo.levelAct[2] + 1)
                                          .arg(broken)));
        QVERIFY(lines.value(2).startsWith("Level 3 opens read-only"));
        QVERIFY(f.child<QLabel>("LevelInfo")
                    ->text()
                    .endsWith("level 3 (zone " + QString::number(demo.levelZone[2]) + ", act " +
                              QString::number(demo.levelAct[2] + 1) + "), read-only"));
        f.chooseLevel(1);
        QVERIFY(!f.child<QLabel>("LevelInfo")->text().contains("read-only"));
    }

    // What the window remembers on closing the next one reads; a first start fills the screen.
    void theWindowIsRememberedAcrossARestart() {
        forgetWindowMemory();
        QSize closedAt;
        {
            EditorFixture f;
            restoreWindowMemory(*f.window);
            const QSize screen = f.window->screen()->availableGeometry().size();
            QVERIFY(f.window->frameGeometry().width() > screen.width() * 3 / 4 &&
                    f.window->frameGeometry().height() > screen.height() * 3 / 4);
            for (const char* shown : {"MenuObjects", "MenuRings", "MenuStart"}) {
                QVERIFY2(f.action(shown)->isChecked(), shown);
            }
            QVERIFY(!f.action("MenuGrid")->isChecked() && !f.action("MenuWater")->isChecked());
            f.open();
            f.menu("MenuGrid");
            f.action("MenuRings")->setChecked(false);
            f.window->map().setZoom(1);
            f.key(Qt::Key_R);
            f.child<QComboBox>("TileLine")->setCurrentIndex(2);
            setOuterSize(f.window.get(), QSize(700, 560));
            closedAt = f.window->size();
            f.window->close();
            QCOMPARE(f.exits, QList<bool>{false});
        }
        EditorWindow restarted(std::make_unique<ScriptedDialogs>());
        restoreWindowMemory(restarted);
        QCOMPARE(restarted.size(), closedAt);
        QVERIFY(restarted.findChild<QAction*>("MenuGrid")->isChecked());
        QVERIFY(restarted.findChild<QAction*>("MenuObjects")->isChecked());
        QVERIFY(restarted.findChild<QAction*>("MenuRings")->isChecked());
        QCOMPARE(restarted.map().zoom(), std::size_t{1});
        QCOMPARE(restarted.tools().chosen()->id(), "ToolRings");
        QCOMPARE(restarted.findChild<QComboBox*>("TileLine")->currentIndex(), 2);
        restarted.show();
        QVERIFY(QTest::qWaitForWindowExposed(&restarted));
        QVERIFY(restarted.findChild<QDockWidget*>("PropertiesDock")->isVisible());
        QVERIFY(!restarted.findChild<QDockWidget*>("ObjectListDock")->isVisible());
        QCOMPARE(restarted.focusWidget(), restarted.map().mapFrame().canvas());
        forgetWindowMemory();
    }

    // The level field takes level numbers only; letters reach no tool, a bad number is undone.
    void theLevelSelectorTakesOnlyLevelNumbers() {
        EditorFixture f;
        f.open();
        f.chooseLevel(2);
        const DemoRom& demo = demoRom();
        QCOMPARE(
            f.window->levelSelector().itemData(2, Qt::ToolTipRole).toString(),
            QString("Level 3: zone %1, act %2").arg(demo.levelZone[2]).arg(demo.levelAct[2] + 1));
        QLineEdit* field = f.window->levelSelector().lineEdit();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        const auto type = [field](const char* keys) {
            QTest::mouseClick(field, Qt::LeftButton);
            field->selectAll();
            QTest::keyClicks(QApplication::focusWidget(), keys);
        };
        type("abc");
        QCOMPARE(field->text(), QString("3"));
        QCOMPARE(f.window->tools().chosen()->id(), "ToolPlace");  // B would have chosen the Brush
        type("25");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(field->text(), QString("3"));
        QCOMPARE(f.layout(), demo.layoutData[2]);
        type("0");
        f.canvas()->setFocus();
        QCOMPARE(field->text(), QString("3"));
        type("7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.layout(), demo.layoutData[6]);
        QCOMPARE(f.window->focusWidget(), f.canvas());  // the keys are the tools' again
        f.key(Qt::Key_B);
        QCOMPARE(f.window->tools().chosen()->id(), "ToolBrush");
    }

    // Every dock open, the window and its status line stay within the screen.
    void theDocksKeepTheWindowOnTheScreen() {
        EditorFixture f;
        f.open();
        const QRect screen = f.window->screen()->availableGeometry();
        f.window->move(screen.topLeft());
        setOuterSize(f.window.get(), screen.size());
        for (const char* id : {"MenuPaletteEditor", "MenuTileEditor", "MenuChunkEditor",
                               "MenuBlockEditor", "MenuFindUnused", "MenuShapeEditor"}) {
            f.action(id)->setChecked(true);
        }
        f.key(Qt::Key_O);  // Object Types and Properties too
        QCoreApplication::processEvents();
        const QSize outer = f.window->frameGeometry().size();
        QVERIFY(outer.width() <= screen.width() && outer.height() <= screen.height());
        QVERIFY(f.window->rect().contains(f.window->statusBar()->geometry()));
        for (QDockWidget* dock : f.window->findChildren<QDockWidget*>()) {
            if (dock->objectName() != "OverviewDock") {
                QVERIFY(dock->isVisible());
            }
        }
    }

    // Small things: usage, one-combination keys, the mouse in the key list, Save's reasons, a
    // migrated image named modified, a dock from the View menu, notes and undo per level, and a
    // level opening at its start.
    void theSmallThingsAreAsAUserExpects() {
        QString outText;
        QString errText;
        QTextStream out(&outText);
        QTextStream err(&errText);
        QCOMPARE(answerWithoutWindow({"--help"}, out, err), std::optional<int>(0));
        QVERIFY(outText.startsWith("Usage: orvex"));
        QCOMPARE(answerWithoutWindow({"--bogus"}, out, err), std::optional<int>(2));
        QVERIFY(errText.contains("unknown option --bogus"));
        QVERIFY(!answerWithoutWindow({"--demo"}, out, err));

        EditorFixture f;
        auto* note = f.child<QLabel>("StatusNote");
        f.menu("MenuSave");
        QVERIFY(note->text().contains("Nothing to save"));
        f.open(true);
        QVERIFY(f.child<QLabel>("RomInfo")->text().contains("modified"));

        KeysDialog keys(f.window->actions(), KeysDialog::Mode::Edit, f.window.get());
        const QString refused =
            keys.assign(rowOf(f, "MenuGrid"), QKeySequence("Ctrl+A, Backspace"));
        QVERIFY(refused.contains("sequence"));
        QCOMPARE(f.action("MenuGrid")->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::Key_G)});
        KeysDialog list(f.window->actions(), KeysDialog::Mode::List, f.window.get());
        QVERIFY(!list.table().findItems("Mouse: Map", Qt::MatchExactly).isEmpty());

        f.key(Qt::Key_O);
        f.child<QDockWidget>("ObjectListDock")->close();
        QVERIFY(!f.action("MenuObjectTypes")->isChecked());
        f.menu("MenuObjectTypes");
        QVERIFY(f.child<QDockWidget>("ObjectListDock")->isVisible());

        f.menu("ToolPlace");
        f.editCorner();
        f.menu("MenuSave");
        QVERIFY(note->text().contains("saved"));
        f.chooseLevel(1);
        QVERIFY(!note->text().contains("saved"));
        QCOMPARE(f.action("MenuUndo")->text(), QString("Undo"));
        const StartPosition start = *f.window->session().document()->parts().start;
        const QPoint topLeft = f.canvas()->levelPoint(QPointF(0, 0));
        const QPoint bottomRight =
            f.canvas()->levelPoint(QPointF(f.window->map().mapFrame().visibleGridArea().width(),
                                           f.window->map().mapFrame().visibleGridArea().height()));
        QVERIFY(QRect(topLeft, bottomRight).contains(start.x, start.y));
    }

    // A save that writes a factory image makes it "modified" in the status line at once.
    void aSavedFactoryImageIsModifiedAtOnce() {
        EditorFixture f;
        std::vector<std::uint8_t> image = demoRom().image;
        const RomProfile& profile = demoRom().profile;
        // The factory sum, through a word no table uses.
        const std::size_t filler = 0x7F00;
        const std::uint16_t sum = *computeChecksum(image, profile.header);
        putWord(
            image, filler,
            static_cast<std::uint16_t>(*readWord(image, filler) + profile.factoryChecksum - sum));
        putWord(image, static_cast<std::size_t>(profile.header.checksum), profile.factoryChecksum);
        QVERIFY(writeBytes(f.romPath, image));
        f.open();
        auto* info = f.child<QLabel>("RomInfo");
        QCOMPARE(info->text(), QString("revision 01 (factory tables)"));
        f.editCorner();
        f.menu("MenuSave");
        QCOMPARE(info->text(), QString("revision 01 (factory tables, modified)"));
    }

private:
    static int rowOf(const EditorFixture& f, const char* id) {
        const auto& specs = f.window->actions().specs();
        for (std::size_t row = 0; row < specs.size(); ++row) {
            if (QString(specs[row].id) == id) {
                return static_cast<int>(row);
            }
        }
        return -1;
    }
};

int runShellTest(int argc, char** argv) {
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "shell_test.moc"
