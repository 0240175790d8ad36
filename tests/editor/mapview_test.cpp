// The editor window on level 1 of the demo ROM: its resize rule, the map view (zoom, scrolling,
// the bars, panning, the overview), clicks, the map's tools, undo and redo, picking, the status
// line, the background, progress and About; and the level as the game shows it at its start:
// Hill Top's withheld blocks, the underwater colours, the animation, and the status line naming
// the tables an image lacks.

#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "editor/map/mapanimation.h"
#include "editor/shell/windowhost.h"
#include "editortestsupport.h"
#include "rom/starttables.h"
#include "windows/progresswindow.h"

namespace orvex::test {

namespace {

constexpr int kLayoutRows = 16;  // the demo levels' layouts

QScrollBar* across(const EditorFixture& f) {
    return f.window->map().mapFrame().horizontalBar();
}

QScrollBar* down(const EditorFixture& f) {
    return f.window->map().mapFrame().verticalBar();
}

// Turns the wheel over the middle of the canvas by `angle` (eighths of a degree).
void turnWheel(const EditorFixture& f, int angle, Qt::KeyboardModifiers keys = {}) {
    const QPoint at(200, 150);
    QWheelEvent wheel(at, f.canvas()->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, keys,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.canvas(), &wheel);
}

// Whether the view lies within the plane's columns and the layout's rows.
bool viewInsideLayout(const EditorFixture& f) {
    const QRect view(f.window->map().mapFrame().origin(),
                     f.window->map().mapFrame().visibleGridArea());
    const int size = f.canvas()->cellSize();
    return QRect(0, 0, kPlaneColumns * size, kLayoutRows * size).contains(view);
}

constexpr int kHillTopLevel = 10;
constexpr int kAquaticRuinLevel = 12;

// The colour the art gives canvas point `at` (100%, the view at the level's top left cell
// `origin`), in the colours above or below the water.
QRgb expectedColour(const EditorFixture& f, QPoint at, bool underwater) {
    const MapCanvas& canvas = *f.canvas();
    const auto block = canvas.shownBlock(canvas.cellAt(at));
    const LevelArt& art = f.window->session().art();
    const QPoint level = canvas.levelPoint(at);
    const std::uint8_t index = art.blocks.pixel(*block, level.x() % 128, level.y() % 128);
    const ColourTable& colours = underwater ? *art.underwater : art.colours;
    return colours[index & 0x3F];
}

// The layout byte of plane cell (row, column) of the foreground.
std::uint8_t byteAt(const EditorFixture& f, int row, int column) {
    return f.layout().at(static_cast<std::size_t>(256 * row + column));
}

int differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int count = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        count += a[i] != b[i] ? 1 : 0;
    }
    return count;
}

// The centre of plane cell (row, column) on the canvas.
QPoint pointOf(const EditorFixture& f, int row, int column) {
    return f.canvas()->cellRect({row, column}).center();
}

const QColor kTapMark(250, 0, 250);  // no level colour

// A tool of a test's own: it records what it hears of the mouse, in canvas pixels, and marks
// the last point on the canvas.
class TapTool : public AbstractTool {
public:
    explicit TapTool(QStringList& heard)
        : AbstractTool({"ToolTap", "Tap", QKeySequence(Qt::Key_T)}), mHeard(heard) {}
    void mousePressed(const ToolEvent& event) override { note("press", event); }
    void mouseMoved(const ToolEvent& event) override { note("move", event); }
    void mouseReleased(const ToolEvent& event) override { note("release", event); }
    void paintPreview(QPainter& painter, const ToolPaintContext& /*context*/) const override {
        painter.fillRect(QRect(mLast - QPoint(2, 2), QSize(5, 5)), kTapMark);
    }

private:
    void note(const char* what, const ToolEvent& event) {
        mHeard << QString("%1 %2,%3").arg(what).arg(event.position.x()).arg(event.position.y());
        mLast = event.position.toPoint();
        updatePreview();
    }
    QStringList& mHeard;
    QPoint mLast;
};

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

class MapViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // From 12.5% (the whole layout seen) the zoom keys come back into the layout, about the
    // middle of what was seen of it.
    void zoomKeysKeepTheViewInsideTheLayout() {
        EditorFixture& f = *mF;
        f.setOrigin(40, 6);
        const QPoint centre = f.window->map().viewCentre();
        for (int out = 0; out < 3; ++out) {
            f.key(Qt::CTRL | Qt::Key_Minus);
        }
        QCOMPARE(f.canvas()->cellSize(), 16);
        QVERIFY(!down(f)->isEnabled() && across(f)->isEnabled());
        f.key(Qt::CTRL | Qt::Key_0);
        QCOMPARE(f.canvas()->cellSize(), 128);
        QVERIFY(viewInsideLayout(f));
        const QPoint back = f.window->map().viewCentre();
        QVERIFY(std::abs(back.x() - centre.x()) <= 16);
        QVERIFY(std::abs(back.y() - kLayoutRows * 128 / 2) <= 16);

        for (int out = 0; out < 3; ++out) {
            f.key(Qt::CTRL | Qt::Key_Minus);
        }
        for (const int size : {32, 64, 128, 256}) {
            f.key(Qt::CTRL | Qt::Key_Plus);
            QCOMPARE(f.canvas()->cellSize(), size);
            QCOMPARE(f.child<QLabel>("ZoomInfo")->text(), QString("%1%").arg(size * 100 / 128));
            QVERIFY(viewInsideLayout(f));
        }
    }

    // With Ctrl the wheel zooms about the cell under the pointer. A notch moves the view a third
    // of a cell at 100%, as far on screen at every zoom; an arrow key one cell.
    void theWheelZoomsAndScrollsByPixels() {
        EditorFixture& f = *mF;
        f.setOrigin(20, 2);
        const PlaneCell under = f.canvas()->cellAt(QPoint(200, 150));
        for (const int steps : {-1, 2, -1}) {  // 50%, 200%, 100%
            turnWheel(f, 120 * steps, Qt::ControlModifier);
            QCOMPARE(f.canvas()->cellAt(QPoint(200, 150)), under);
        }
        f.setOrigin(20, 2);
        const auto origin = [&f] { return f.window->map().mapFrame().origin(); };
        const QPoint start = origin();
        turnWheel(f, -120);
        QCOMPARE(origin(), start + QPoint(0, 42));  // 128 / 3
        turnWheel(f, -240);
        QCOMPARE(origin(), start + QPoint(0, 128));
        turnWheel(f, 360, Qt::ShiftModifier);
        QCOMPARE(origin(), start + QPoint(-128, 128));
        f.window->map().setZoom(5);  // 400%
        const QPoint zoomed = origin();
        turnWheel(f, -360);
        QCOMPARE(origin(), zoomed + QPoint(0, 128));
        QTest::keyClick(f.canvas(), Qt::Key_Down);
        QCOMPARE(origin(), zoomed + QPoint(0, 128 + 512));
    }

    // The bars' pages are the view, and a bar with nothing to scroll is disabled.
    void theBarsShowTheViewAndRestWhenAllFits() {
        EditorFixture& f = *mF;
        const QSize seen = f.window->map().mapFrame().visibleGridArea();
        QCOMPARE(across(f)->pageStep(), seen.width());
        QCOMPARE(down(f)->pageStep(), seen.height());
        QCOMPARE(across(f)->maximum(), (128 - 6) * 128);  // as far as the design reaches
        QCOMPARE(down(f)->maximum(), 13 * 128);
        f.window->map().setZoom(1);  // 25%: 512 pixels of rows
        QVERIFY(down(f)->isEnabled());
        QCOMPARE(down(f)->maximum(), kLayoutRows * 32 - seen.height());
        f.window->map().setZoom(0);
        QVERIFY(!down(f)->isEnabled() && across(f)->isEnabled());
        setOuterSize(f.window.get(), QSize(2300, 700));
        QVERIFY(!down(f)->isEnabled() && !across(f)->isEnabled());
        QCOMPARE(f.window->map().mapFrame().origin(), QPoint(0, 0));
    }

    // The middle button, or the left with Space held, drags the plane; the tools see nothing.
    void draggingPans() {
        EditorFixture& f = *mF;
        f.setOrigin(10, 2);
        const std::vector<std::uint8_t> loaded = f.layout();
        const QPoint start = f.window->map().mapFrame().origin();
        const QPoint from(300, 200);
        QTest::mousePress(f.canvas(), Qt::MiddleButton, {}, from);
        QTest::mouseMove(f.canvas(), from - QPoint(30, 20));
        QTest::mouseRelease(f.canvas(), Qt::MiddleButton, {}, from - QPoint(30, 20));
        QCOMPARE(f.window->map().mapFrame().origin(), start + QPoint(30, 20));

        f.canvas()->setFocus();
        QTest::keyPress(f.canvas(), Qt::Key_Space);
        QTest::mousePress(f.canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(f.canvas(), from + QPoint(50, 10));
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, from + QPoint(50, 10));
        QTest::keyRelease(f.canvas(), Qt::Key_Space);
        QCOMPARE(f.window->map().mapFrame().origin(), start + QPoint(-20, 10));
        QCOMPARE(f.layout(), loaded);
        QCOMPARE(f.window->undoStack().count(), 0);
    }

    // Whatever docks open and close, what lies right of VScroll2 is the form, not the map.
    void nothingOfTheMapShowsBesideTheBars() {
        EditorFixture& f = *mF;
        for (const char* tool : {"ToolObjects", "ToolPlace"}) {
            f.menu(tool);
            QApplication::processEvents();
            QWidget* form = f.window->centralWidget();
            QWidget* bar = f.child("VScroll2");
            const QImage shown = form->grab().toImage();
            const QPoint beside = bar->mapTo(form, QPoint(bar->width() + 1, bar->height() / 2));
            QVERIFY2(shown.pixelColor(beside) == form->palette().color(QPalette::Window), tool);
            QCOMPARE(f.canvas()->size(), f.window->map().mapFrame().visibleGridArea());
        }
    }

    // Hill Top's overwritten blocks cannot be chosen, by click or by picking; other zones offer
    // every block.
    void hillTopsOverwrittenBlocksAreWithheld() {
        EditorFixture& f = *mF;
        BlockSelector& blocks = f.window->map().blockSelector();
        QVERIFY(!blocks.isWithheld(0x20));
        f.chooseLevel(kHillTopLevel);
        const LevelArt& art = f.window->session().art();
        QCOMPARE(art.hiddenBlocks.count(), 50u);
        QVERIFY(blocks.isWithheld(0x20) && blocks.isWithheld(0xF8) && !blocks.isWithheld(0x01));
        QVERIFY(!f.thumbnail(0x20)->isEnabled());
        QTest::mouseClick(f.thumbnail(1), Qt::LeftButton);
        QTest::mouseClick(f.thumbnail(0x20), Qt::LeftButton);
        blocks.pickBlock(0x21);
        QCOMPARE(f.selected(), 1);
        f.chooseLevel(0);
        QVERIFY(!blocks.isWithheld(0x20) && f.thumbnail(0x20)->isEnabled());
    }

    // With View > Water on, the rows from the water line down take the underwater colours, to
    // the row; off, the level's own.
    void belowTheWaterLineTheUnderwaterColoursAreDrawn() {
        EditorFixture& f = *mF;
        setOuterSize(f.window.get(), QSize(1400, 1000));
        f.chooseLevel(kAquaticRuinLevel);
        const auto line = f.window->session().waterHeight();
        QVERIFY(line && f.window->session().art().underwater);
        f.setOrigin(0, *line / 128);
        const int top = *line % 128;  // the line's canvas row
        f.action("MenuWater")->setChecked(true);
        QApplication::processEvents();
        int differing = 0;
        for (int x = 1; x < 640; x += 7) {
            const QImage shown = f.canvas()->grab().toImage();
            const QPoint above(x, top - 2);  // above the line drawn at the water's edge
            const QPoint below(x, top);      // the line's own row is under water
            QCOMPARE(shown.pixel(above), expectedColour(f, above, false));
            QCOMPARE(shown.pixel(below), expectedColour(f, below, true));
            differing += expectedColour(f, below, true) != expectedColour(f, below, false);
            if (differing > 3) {
                break;
            }
        }
        QVERIFY(differing > 3);
        f.action("MenuWater")->setChecked(false);
        QApplication::processEvents();
        const QPoint below(1, top + 3);
        QCOMPARE(f.canvas()->grab().toImage().pixel(below), expectedColour(f, below, false));
    }

    // View > Animate has a key of its own and is off at first; frames change the animated
    // blocks on the map but not the thumbnails, and turning it off shows the start again.
    void animationPlaysTheScriptsAndStopsAtTheStart() {
        EditorFixture& f = *mF;
        QAction* animate = f.action("MenuAnimate");
        QVERIFY(animate->isCheckable() && !animate->isChecked());
        QCOMPARE(animate->shortcut(), QKeySequence(Qt::Key_A));
        auto* animation = f.window->findChild<MapAnimation*>();
        QVERIFY(animation != nullptr && f.window->session().animates());
        QList<std::int32_t> redrawn;
        connect(animation, &MapAnimation::stepped, this,
                [&redrawn](const EditorSession::AnimationStep& step) {
                    redrawn.append(QList<std::int32_t>(step.blocks.begin(), step.blocks.end()));
                });
        animate->setChecked(true);
        animation->advance(30);
        QCOMPARE(f.window->session().shownFrame(), 30);
        QVERIFY(!redrawn.isEmpty());
        const QImage thumbnail = f.thumbnail(redrawn.last())->picture().toImage();
        animate->setChecked(false);
        QCOMPARE(f.window->session().shownFrame(), 0);
        f.chooseLevel(0);  // the thumbnails kept the start, as a fresh load makes them
        QCOMPARE(thumbnail, f.thumbnail(redrawn.last())->picture().toImage());
    }

    // An image whose code no longer names Hill Top's extra art opens and draws; the status line
    // names what the picture lacks.
    void aMissingTableIsNamedInTheStatusLine() {
        EditorFixture f;
        std::vector<std::uint8_t> image = demoRom().image;
        const LocatedStartTables located = locateStartTables(image, demoRom().profile);
        const StartTableReport& art = located.reports.front();
        QVERIFY(art.codeAt.has_value());
        image[static_cast<std::size_t>(*art.codeAt)] ^= 0xFF;
        QVERIFY(writeBytes(f.romPath, image));
        f.open();
        f.chooseLevel(kHillTopLevel);
        const QString note = f.child<QLabel>("StatusNote")->text();
        QVERIFY(note.startsWith("Drawn without: ") && note.contains(text(art.name)));
    }

    // The brush previews under the pointer until it leaves the map; a stroke is one undo step.
    void aBrushStrokeIsOneUndoStep_ThePreviewGoesWhenThePointerLeaves() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QTest::mouseClick(f.thumbnail(0xEE), Qt::LeftButton);
        f.key(Qt::Key_B);
        QCOMPARE(f.window->tools().chosen()->id(), "ToolBrush");
        QTest::mouseMove(f.canvas(), pointOf(f, 1, 1));
        QCOMPARE(f.canvas()->shownBlock({1, 1}), 0xEE);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.canvas(), &leave);
        QCOMPARE(f.canvas()->shownBlock({1, 1}), byteAt(f, 1, 1));
        QVERIFY(f.child<QLabel>("PointerInfo")->text().startsWith("Selected block"));
        QTest::mousePress(f.canvas(), Qt::LeftButton, {}, pointOf(f, 1, 0));
        QTest::mouseMove(f.canvas(), pointOf(f, 1, 2));  // a jump: cell (1, 1) is painted too
        QTest::mouseMove(f.canvas(), pointOf(f, 2, 3));
        QTest::mouseMove(f.canvas(), pointOf(f, 2, 4));
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, pointOf(f, 2, 4));
        QCOMPARE(differences(f.layout(), loaded), 5);
        QCOMPARE(byteAt(f, 1, 1), 0xEE);
        QCOMPARE(f.window->undoStack().count(), 1);
        f.key(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(f.layout(), loaded);
    }

    // Adding a tool is one class and one line: the line gives it an entry in the Edit menu and
    // its key, which chooses it instead of the others, the map's mouse goes to it and the map
    // shows its preview while it is chosen.
    void aToolIsOneClassAndOneRegistrationLine() {
        EditorFixture& f = *mF;
        QStringList heard;
        f.window->tools().add(std::make_unique<TapTool>(heard), f.window->actions(), "Test");
        QAction* tap = f.action("ToolTap");
        QVERIFY(f.child<QMenu>("MenuEdit")->actions().contains(tap));
        const std::vector<std::uint8_t> loaded = f.layout();
        f.key(Qt::Key_T);
        QVERIFY(tap->isChecked() && !f.action("ToolPlace")->isChecked());
        drag(f.canvas(), QPoint(10, 20), QPoint(50, 60));
        QCOMPARE(heard, (QStringList{"press 10,20", "move 30,40", "move 50,60", "release 50,60"}));
        QCOMPARE(f.layout(), loaded);                                         // Place heard nothing
        QCOMPARE(f.canvas()->grab().toImage().pixelColor(50, 60), kTapMark);  // over the layers
        f.key(Qt::Key_P);
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, QPoint(10, 20));
        QVERIFY(!tap->isChecked() && heard.size() == 4);
        QVERIFY(f.canvas()->grab().toImage().pixelColor(50, 60) != kTapMark);
    }

    void copyAndPasteCarryBlockNumbersIntoAnotherLevel() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_S);
        QTest::mousePress(f.canvas(), Qt::LeftButton, {}, pointOf(f, 2, 1));
        QTest::mouseMove(f.canvas(), pointOf(f, 3, 3));
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, pointOf(f, 3, 3));
        QCOMPARE(f.window->map().tools().selection(), (std::optional<CellRect>{{2, 1, 2, 3}}));
        f.menu("MenuCopy");
        std::vector<std::uint8_t> copied;
        for (int row = 2; row <= 3; ++row) {
            for (int column = 1; column <= 3; ++column) {
                copied.push_back(byteAt(f, row, column));
            }
        }
        QCOMPARE(QApplication::clipboard()->text().count('\n'), 2);

        f.chooseLevel(4);  // another zone; the selection goes with the level
        QVERIFY(!f.window->map().tools().selection());
        f.menu("MenuBackground");
        f.setOrigin(0, 0);
        f.menu("MenuPaste");
        QVERIFY(f.window->map().tools().isPasting());
        QTest::mouseMove(f.canvas(), pointOf(f, 0, 0));
        QCOMPARE(f.canvas()->shownBlock({1, 2}), copied[5]);  // the preview
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, pointOf(f, 0, 0));
        QVERIFY(!f.window->map().tools().isPasting());
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(f.layout()[static_cast<std::size_t>(256 * (i / 3) + 128 + i % 3)], copied[i]);
        }
        QCOMPARE(f.window->undoStack().count(), 1);
    }

    void fillCutAndDeleteAreOneStepEach() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QTest::mouseClick(f.thumbnail(0x33), Qt::LeftButton);
        f.key(Qt::Key_F);
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, pointOf(f, 0, 0));
        QVERIFY(differences(f.layout(), loaded) > 0);
        QCOMPARE(byteAt(f, 0, 0), 0x33);
        for (std::size_t i = 0; i < loaded.size(); ++i) {  // only cells that held row 0's block
            QVERIFY(f.layout()[i] == loaded[i] || (loaded[i] == loaded[0] && i % 256 < 128));
        }
        QCOMPARE(f.window->undoStack().count(), 1);

        f.menu("MenuSelectAll");
        QCOMPARE(f.window->map().tools().selection(), (std::optional<CellRect>{{0, 0, 16, 128}}));
        f.menu("MenuCut");
        const std::vector<std::uint8_t> cut = f.layout();
        QCOMPARE(std::count(cut.begin(), cut.begin() + 128, 0), 128);
        QCOMPARE(f.window->undoStack().count(), 2);
        QCOMPARE(QApplication::clipboard()->text().count('\n'), 16);
        f.key(Qt::Key_Escape);
        QVERIFY(!f.window->map().tools().selection());
    }

    void undoWorksWhileTheLevelSelectorHasTheFocus() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        f.editCorner();
        f.window->levelSelector().lineEdit()->setFocus();
        f.key(Qt::CTRL | Qt::Key_Z);
        QVERIFY(f.window->levelSelector().hasFocus());
        QCOMPARE(f.layout(), loaded);
        f.key(Qt::CTRL | Qt::Key_Y);
        QVERIFY(f.layout() != loaded);
    }

    // Save As writes the edits under the new name and goes on with it, the original kept; both
    // are recent files; backups come only with later saves of the new file.
    void saveAsContinuesWithTheNewFile() {
        EditorFixture& f = *mF;
        const QByteArray original = fileBytes(f.romPath);
        const std::vector<std::uint8_t> edited = f.editCorner();
        const QString copy = f.folder.filePath("copy.bin");
        f.dialogs->saveFiles = {copy};
        f.menu("MenuSaveAs");
        QCOMPARE(fileBytes(f.romPath), original);
        QCOMPARE(f.window->session().rom().romPath().string(), copy.toStdString());
        QVERIFY(!f.unsaved());
        QVERIFY(!QFile::exists(copy + ".bak") && !QFile::exists(copy + ".orig"));
        auto* note = f.child<QLabel>("StatusNote");
        QCOMPARE(note->text(), QString("Saved as copy.bin"));
        QVERIFY(f.child<QLabel>("LevelInfo")->text().startsWith("copy.bin, level 1"));
        f.chooseLevel(0);
        QCOMPARE(f.layout(), edited);  // read back from the copy
        const QList<QAction*> recent = f.child<QMenu>("MenuRecent")->actions();
        QVERIFY(recent.size() >= 2 && recent[0]->text() == "copy.bin");
        f.menu("MenuSave");
        QCOMPARE(note->text(), QString("Level 1: nothing to save"));
        QVERIFY(!QFile::exists(copy + ".bak"));
        f.editCorner();
        QCOMPARE(note->text(), QString());
        f.menu("MenuSave");
        QCOMPARE(note->text(), QString("Level 1 saved; kept copy.bin.bak and copy.bin.orig"));
        QVERIFY(QFile::exists(copy + ".bak") && QFile::exists(copy + ".orig"));
    }

    // Placements are drawn over the foreground where they lie, never over the background.
    void placementsShowOverTheForeground() {
        EditorFixture& f = *mF;
        const ObjectPlacement& object = demoRom().objects[0].front();
        const QPoint at(object.x, object.y);  // 100% from the origin: one pixel a level pixel
        const QColor plain = f.canvas()->grab().toImage().pixelColor(at);
        f.action("MenuObjects")->setChecked(true);
        QVERIFY(f.canvas()->overlayShown(MapCanvas::Overlay::Objects));
        QVERIFY(f.canvas()->grab().toImage().pixelColor(at) != plain);
        f.menu("MenuBackground");  // placements belong to the foreground
        const QColor background = f.canvas()->grab().toImage().pixelColor(at);
        f.action("MenuObjects")->setChecked(false);
        QCOMPARE(f.canvas()->grab().toImage().pixelColor(at), background);
    }

    // Whatever the frames and the bars take, the map's scroll bars sit on the form's edges.
    void resizeRuleAndTheStatusLine() {
        EditorFixture& f = *mF;
        for (const int statusHeight : {60, 0}) {  // a tall status line, then as it is
            f.window->statusBar()->setMinimumHeight(statusHeight);
            for (const QSize outer : {QSize(658, 504), QSize(881, 833), QSize(1500, 1200)}) {
                setOuterSize(f.window.get(), outer);
                for (const char* name : {"HScroll1", "VScroll2", "Canto", "VScroll1"}) {
                    QVERIFY2(wholeInForm(f, name), name);
                }
                QWidget* form = f.window->centralWidget();  // the design's gaps: 2 below, 3 right
                QCOMPARE(form->height() - f.child("HScroll1")->mapTo(form, QPoint(0, 0)).y() -
                             f.child("HScroll1")->height(),
                         2);
                QCOMPARE(form->width() - f.child("VScroll2")->mapTo(form, QPoint(0, 0)).x() -
                             f.child("VScroll2")->width(),
                         3);
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
        QVERIFY(f.shows(14, byteAt(f, 2, 2)) && f.shows(16, 200) && f.layout() == loaded);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.canvas(), &leave);
        f.setOrigin(120, 10);
        for (int k = 0; k < 36; ++k) {
            QVERIFY(f.shows(k, byteAt(f, 10 + k / 6, 120 + k % 6)));
        }
        // At row 13 the view's rows 3 to 5 lie past the layout and are drawn empty.
        f.window->map().mapFrame().verticalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(f.shows(0, byteAt(f, 13, 120)) && f.shows(17, byteAt(f, 15, 125)));
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
        f.window->map().blockSelector().scrollBar()->setValue(128);  // the strip's end, aligned
        QCOMPARE(f.thumbnail(250)->mapTo(f.child("Picture1"), QPoint(0, 0)).y(), 0);
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
            return "0x" +
                   QString::number(byteAt(f, row, column), 16).rightJustified(2, '0').toUpper();
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
            QVERIFY(f.shows(k, byteAt(f, k / 6, 128 + k % 6)));
        }
        std::vector<std::uint8_t> expected = loaded;
        expected[128] = std::uint8_t((loaded[128] + 1) % 256);
        QCOMPARE(f.editCorner(), expected);  // byte 128 of row 0, not byte 0
        QTest::mouseClick(f.canvas(), Qt::RightButton, {}, f.cellPoint(1));
        QCOMPARE(f.selected(), loaded[129]);
        f.menu("MenuForeground");
        QVERIFY(f.shows(0, loaded[0]));
    }

    // The overview shows the level and follows its edits; a click or a drag there moves the view.
    void overviewFollowsTheLevelAndMovesTheView() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        OverviewWindow* overview = f.window->map().overview();
        QVERIFY(overview->isVisible() && overview->objectName() == "Overview");
        QVERIFY(overviewShows(f, Plane::Foreground));
        f.setOrigin(10, 2);
        const QSize seen = f.window->map().mapFrame().visibleGridArea();
        QCOMPARE(overview->viewRect(),
                 QRectF(80, 16, seen.width() / 16.0, seen.height() / 16.0).toAlignedRect());
        const QPoint held = overview->viewRect().center();  // taking hold moves nothing
        QTest::mousePress(overview, Qt::LeftButton, {}, held);
        QCOMPARE(f.origin(), QPoint(10, 2));
        QTest::mouseMove(overview, held + QPoint(16, 8));
        QTest::mouseRelease(overview, Qt::LeftButton, {}, held + QPoint(16, 8));
        QCOMPARE(f.origin(), QPoint(12, 3));
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

int runMapViewTest(int argc, char** argv) {
    MapViewTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "mapview_test.moc"
