// The editor window on level 1 of the demo ROM: its resize rule, the map, clicks,
// undo and redo, picking, the status line, the background, the overview, progress and About.

#include <QApplication>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>

#include "editor/shell/windowhost.h"
#include "editortestsupport.h"
#include "windows/progresswindow.h"

namespace orvex::test {

namespace {

// The layout byte at (row, column).
std::uint8_t at(const EditorFixture& f, int row, int column) {
    return f.layout().at(std::size_t(256 * row + column));
}

bool thumbnailInView(const EditorFixture& f, int block) {
    QWidget* viewport = f.window->map().blockSelector().viewport();
    return viewport->rect().contains(
        QRect(f.thumbnail(block)->mapTo(viewport, QPoint(0, 0)), QSize(64, 64)));
}

// "U" when Undo is enabled, "R" when Redo is, "*" with unsaved edits.
QString undoState(const EditorFixture& f) {
    return QString(f.action("MenuUndo")->isEnabled() ? "U" : "") +
           (f.action("MenuRedo")->isEnabled() ? "R" : "") + (f.unsaved() ? "*" : "");
}

// Whether all of `widget` lies inside the form (the central widget), clear of the status line.
bool wholeInForm(const EditorFixture& f, const char* name) {
    QWidget* widget = f.child(name);
    QWidget* form = f.window->centralWidget();
    const QRect inForm(widget->mapTo(form, QPoint(0, 0)), widget->size());
    return form->rect().contains(inForm) &&
           !QRect(form->mapTo(f.window.get(), inForm.topLeft()), inForm.size())
                .intersects(f.window->statusBar()->geometry());
}

}  // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // Whatever the frames and the bars take, the map's scroll bars lie whole inside the form.
    void resizeRuleAndTheStatusLine() {
        EditorFixture& f = *mF;
        for (const int statusHeight : {60, 0}) {  // a tall status line, then as it is
            f.window->statusBar()->setMinimumHeight(statusHeight);
            for (const QSize outer : {QSize(658, 504), QSize(881, 833), QSize(1500, 1200)}) {
                setOuterSize(f.window.get(), outer);
                for (const char* name : {"HScroll1", "VScroll2", "Canto", "VScroll1"}) {
                    QVERIFY2(wholeInForm(f, name), name);
                }
            }
        }
        QWidget* frame = f.child("MapaFase");
        const QPoint corner = f.child("Canto")->pos();
        QCOMPARE(frame->childAt(corner.x() - 1, 10), f.canvas());
        QCOMPARE(frame->childAt(10, corner.y() + 1), f.child("HScroll1"));
        QCOMPARE(f.window->map().mapFrame().visibleGridArea(),
                 QSize(f.child("VScroll2")->x(), f.child("HScroll1")->y()));
    }

    // Stage reports become bar widths: over 305 pixels rounding half to even, blocks counted
    // from block 0, a save over 317.
    void progressReportsBecomeBarWidths() {
        QWidget owner;
        WindowHost host(&owner, nullptr);
        QList<int> widths;
        QObject::connect(&host, &WindowHost::progressStarted, [&](ProgressWindow* window) {
            QObject::connect(window, &ProgressWindow::barWidthChanged,
                             [&](int width) { widths << width; });
        });
        ProgressScope scope(host);
        for (int done = 0; done <= 8192; ++done) {
            host.progress(Stage::Tiles, done, 8192);
            if (done == 4097) {
                QCOMPARE(widths.last(), 152);  // 152.5
            }
        }
        QCOMPARE(widths.size(), 306);  // once for each whole width 0..305
        host.progress(Stage::Blocks, 0, 256);
        host.progress(Stage::Blocks, 1, 256);
        QCOMPARE(widths.last(), 0);
        host.progress(Stage::Blocks, 128, 256);
        QCOMPARE(widths.last(), 152);  // 305 x 127 / 255 = 151.9
        host.progress(Stage::Encoding, 4096, 4096);
        QCOMPARE(widths.last(), 317);
    }

    void aboutOpensModallyAndOkClosesIt() {
        EditorFixture& f = *mF;
        for (int opening = 0; opening < 2; ++opening) {
            QString seen;
            QTimer::singleShot(0, [&seen] {
                QWidget* about = QApplication::activeModalWidget();
                seen = about->objectName();
                for (const auto* label : about->findChildren<QLabel*>()) {
                    QVERIFY(label->width() >= label->sizeHint().width());
                }
                QTest::mouseClick(about->findChild<QPushButton*>("Command1"), Qt::LeftButton);
            });
            f.menu("MenuAbout");
            QCOMPARE(seen, "About");
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
    }
    // Cells show the layout and the selected block under the pointer; a click stores where it
    // points, a press and release on two cells nothing.
    void cellsShowTheLayoutAndClicksStoreWhereTheyPoint() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QTest::mouseClick(f.thumbnail(200), Qt::LeftButton);
        QTest::mouseMove(f.canvas(), f.cellPoint(14));
        QVERIFY(f.shows(14, 200));
        drag(f.canvas(), f.cellPoint(15), f.cellPoint(16));
        QVERIFY(f.shows(14, at(f, 2, 2)) && f.shows(16, 200) && f.layout() == loaded);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.canvas(), &leave);
        f.setOrigin(120, 10);
        for (int k = 0; k < 36; ++k) {
            QVERIFY(f.shows(k, at(f, 10 + k / 6, 120 + k % 6)));
        }
        // At row 13 the view's rows 3 to 5 lie past the layout and are drawn empty.
        f.window->map().mapFrame().verticalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(f.shows(0, at(f, 13, 120)) && f.shows(17, at(f, 15, 125)));
        QCOMPARE(f.canvas()->shownBlock(f.canvas()->cellAt(f.cellPoint(35))), std::nullopt);

        f.setOrigin(10, 2);
        f.place(5, 7);
        QCOMPARE(f.selected(), 5);
        QVERIFY(f.layout()[779] == 5 && f.shows(7, 5));
        f.setOrigin(120, 10);
        f.place(7, 35);
        QCOMPARE(f.layout()[3965], 7);
        f.setOrigin(4, 13);
        const std::vector<std::uint8_t> before = f.layout();
        f.place(77, 20);  // grid row 3: layout row 16 does not exist
        QVERIFY(f.layout() == before);
        QCOMPARE(f.canvas()->shownBlock(f.canvas()->cellAt(f.cellPoint(20))), std::nullopt);
        QCOMPARE(f.window->undoStack().count(), 2);
    }

    void undoRedoAndTheUnsavedStateThroughTheKeys() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QCOMPARE(undoState(f), "");
        const std::uint8_t first = f.editCorner()[0];
        const auto second = std::uint8_t((loaded[1] + 1) % 256);
        f.place(second, 1);
        f.place(second, 1);  // the same block again: no command
        QCOMPARE(f.window->undoStack().count(), 2);
        // After each key: the blocks in cells 0 and 1, and the state.
        const QList<std::tuple<QKeyCombination, std::uint8_t, std::uint8_t, QString>> steps = {
            {Qt::CTRL | Qt::Key_Z, first, loaded[1], "UR*"},
            {Qt::CTRL | Qt::Key_Z, loaded[0], loaded[1], "R"},
            {Qt::CTRL | Qt::Key_Y, first, loaded[1], "UR*"},
            {Qt::CTRL | Qt::Key_S, first, loaded[1], "UR"},
            {Qt::CTRL | Qt::Key_Z, loaded[0], loaded[1], "R*"},
            {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, first, loaded[1], "UR"},
            {Qt::CTRL | Qt::Key_Y, first, second, "U*"}};
        for (const auto& [key, block0, block1, state] : steps) {
            f.window->activateWindow();  // again after the progress window of a save
            QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
            QTest::keyClick(f.window.get(), key.key(), key.keyboardModifiers());
            QVERIFY(f.shows(0, block0) && f.shows(1, block1));
            QCOMPARE(std::pair(f.layout()[0], f.layout()[1]), std::pair(block0, block1));
            QCOMPARE(undoState(f), state);
        }
        QTest::keyClick(f.window.get(), Qt::Key_Q, Qt::ControlModifier);  // Cancel
        QCOMPARE(f.dialogs->questions.last().text, "Save changes to level 1?");
        f.dialogs->yesNoCancel = {Answer::No};
        f.chooseLevel(1);  // a load clears the history
        QCOMPARE(f.window->undoStack().count(), 0);
        QCOMPARE(undoState(f), "");
    }

    // A right click picks the block under it, marks it and scrolls the selector to it.
    void aRightClickPicksAndScrollsTheSelectorToIt() {
        EditorFixture& f = *mF;
        f.place(200, 8);
        f.place(3, 9);
        QTest::mouseClick(f.thumbnail(0), Qt::LeftButton);
        QVERIFY(f.thumbnail(0)->isMarked() && !f.thumbnail(3)->isMarked());
        QTest::mouseClick(f.canvas(), Qt::RightButton, {}, f.cellPoint(8));
        QCOMPARE(f.selected(), 200);
        QVERIFY(f.thumbnail(200)->isMarked() && !f.thumbnail(0)->isMarked());
        QVERIFY(thumbnailInView(f, 200));
        const QImage framed = f.thumbnail(200)->grab().toImage();
        QVERIFY(framed.pixelColor(0, 0) == kMarkColour && framed.pixelColor(63, 32) == kMarkColour);
        QTest::mouseClick(f.canvas(), Qt::RightButton, {}, f.cellPoint(9));  // back up the strip
        QVERIFY(f.selected() == 3 && thumbnailInView(f, 3));
        f.setOrigin(0, 13);
        QTest::mouseClick(f.canvas(), Qt::RightButton, {},
                          f.cellPoint(30));  // layout row 18 does not exist
        QCOMPARE(f.selected(), 3);
        QCOMPARE(f.window->undoStack().count(), 2);  // picking stores nothing
    }

    // The status line names the cell, its block and the pixel under the pointer, after a scroll
    // too.
    void statusLineTellsWhatIsUnderThePointer() {
        EditorFixture& f = *mF;
        auto* pointer = f.child<QLabel>("PointerInfo");
        QCOMPARE(pointer->parentWidget(), f.child("StatusLine"));
        const auto hex = [&f](int row, int column) {
            return "0x" + QString::number(at(f, row, column), 16).rightJustified(2, '0').toUpper();
        };
        f.setOrigin(10, 2);
        QTest::mouseClick(f.thumbnail(5), Qt::LeftButton);
        QTest::mouseMove(f.canvas(), f.cellPoint(7));
        QCOMPARE(pointer->text(),
                 QString::fromUtf8("Row 3, column 11: block %1 \u2014 selected block 0x05")
                     .arg(hex(3, 11)));
        QTest::mouseClick(f.canvas(), Qt::RightButton, {}, f.cellPoint(7));
        QVERIFY(pointer->text().endsWith("selected block " + hex(3, 11)));
        QVERIFY(f.child<QLabel>("PointerPixels")->text().startsWith("x 1472 ($05C0), y 448 "));
        f.setOrigin(12, 5);
        QVERIFY(pointer->text().startsWith("Row 6, column 13:"));
        QVERIFY(f.child<QLabel>("PointerPixels")->text().startsWith("x 1728 "));
        f.setOrigin(10, 2);
        f.menu("MenuBackground");
        QVERIFY(pointer->text().startsWith("Row 3, column 139: block " + hex(3, 139)));
        f.setOrigin(0, 13);
        QTest::mouseMove(
            f.canvas(), f.cellPoint(20) - QPoint(54, 54));  // grid row 3 lies partly under HScroll1
        QVERIFY(pointer->text().startsWith("Row 16, column 130: outside"));
    }

    void backgroundPlaneEditsTheSecondHalfOfEachRow() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        f.menu("MenuBackground");
        QVERIFY(f.action("MenuBackground")->isChecked() &&
                !f.action("MenuForeground")->isChecked());
        for (int k = 0; k < 36; ++k) {
            QVERIFY(f.shows(k, at(f, k / 6, 128 + k % 6)));
        }
        std::vector<std::uint8_t> expected = loaded;
        expected[128] = std::uint8_t((loaded[128] + 1) % 256);
        QCOMPARE(f.editCorner(), expected);  // byte 128 of row 0, not byte 0
        QTest::mouseClick(f.canvas(), Qt::RightButton, {}, f.cellPoint(1));
        QCOMPARE(f.selected(), loaded[129]);
        f.menu("MenuForeground");
        QVERIFY(f.shows(0, loaded[0]));
    }

    void overviewFollowsTheLevelAndMovesTheView() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        OverviewWindow* overview = f.window->map().overview();
        QVERIFY(overview->isVisible() && overview->objectName() == "Overview");
        QCOMPARE(overview->picture().size(), QSize(1024, 128));
        QVERIFY(overviewShows(f, Plane::Foreground));
        f.setOrigin(10, 2);
        const QSize seen = f.window->map().mapFrame().visibleGridArea();
        QCOMPARE(overview->viewRect(),
                 QRectF(80, 16, seen.width() / 16.0, seen.height() / 16.0).toAlignedRect());
        const QList<std::pair<QPoint, QPoint>> clicks = {
            // column, row -> origin
            {{100, 12}, {100 - seen.width() / 256, 12 - seen.height() / 256}},
            {{127, 15}, {122, 13}},
            {{0, 0}, {0, 0}}};
        for (const auto& [clicked, origin] : clicks) {
            QTest::mouseClick(overview, Qt::LeftButton, {}, clicked * 8 + QPoint(3, 3));
            QCOMPARE(f.origin(), origin);
        }
        f.editCorner();  // one cell patched in place
        QVERIFY(overviewShows(f, Plane::Foreground));
        f.menu("MenuBackground");
        QVERIFY(overviewShows(f, Plane::Background));
        f.dialogs->yesNoCancel = {Answer::No};
        f.chooseLevel(3);
        QVERIFY(f.layout() == demoRom().layoutData[3] && overviewShows(f, Plane::Background));
    }

private:
    std::unique_ptr<EditorFixture> mF;
};

int runEditorWindowTest(int argc, char** argv) {
    EditorWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "editorwindow_test.moc"
