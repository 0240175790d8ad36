// The map view on the real window: zoom, scrolling, the bars, panning, the overview's drag; and
// the level as the game shows it at its start: Hill Top's withheld blocks, the underwater
// colours, the animation, and the status line naming the tables an image lacks.

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>

#include "editor/map/mapanimation.h"
#include "editortestsupport.h"
#include "rom/starttables.h"

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
            QVERIFY(viewInsideLayout(f));
        }
    }

    // A notch moves the view a third of a cell at 100%, as far on screen at every zoom; an
    // arrow key one cell.
    void theWheelScrollsByPixels() {
        EditorFixture& f = *mF;
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

    // Taking hold of the overview's frame does not move the map; dragging it does.
    void draggingInTheOverviewPansTheMap() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        OverviewWindow* overview = f.window->map().overview();
        f.setOrigin(10, 2);
        const QPoint held = overview->viewRect().center();
        QTest::mousePress(overview, Qt::LeftButton, {}, held);
        QCOMPARE(f.origin(), QPoint(10, 2));
        QTest::mouseMove(overview, held + QPoint(16, 8));
        QTest::mouseRelease(overview, Qt::LeftButton, {}, held + QPoint(16, 8));
        QCOMPARE(f.origin(), QPoint(12, 3));
        QCOMPARE(overview->viewRect().topLeft(), QPoint(12 * 8, 3 * 8));
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

private:
    std::unique_ptr<EditorFixture> mF;
};

int runMapViewTest(int argc, char** argv) {
    MapViewTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "mapview_test.moc"
