// The map view on the real window: zoom, scrolling by pixels, the scroll bars, panning, the
// overview's drag, the status line after a scroll and what shows beside the bars; and the map's
// layers painted on an image.

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>

#include "editor/map/maplayers.h"
#include "editortestsupport.h"

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

}  // namespace

class MapViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // From 12.5%, where the whole layout is seen with room below it, the zoom keys come back
    // into the layout, about the middle of what was seen of it.
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
        QVERIFY2(std::abs(back.x() - centre.x()) <= 16, qPrintable(QString::number(back.x())));
        QVERIFY(std::abs(back.y() - kLayoutRows * 128 / 2) <= 16);

        f.key(Qt::CTRL | Qt::Key_Minus);
        f.key(Qt::CTRL | Qt::Key_Minus);
        f.key(Qt::CTRL | Qt::Key_Minus);
        for (const int size : {32, 64, 128, 256}) {
            f.key(Qt::CTRL | Qt::Key_Plus);
            QCOMPARE(f.canvas()->cellSize(), size);
            QVERIFY(viewInsideLayout(f));
        }
    }

    // A notch moves the view the same distance on screen at every zoom: a third of a cell at
    // 100%. The arrow keys move one cell.
    void theWheelScrollsByPixels() {
        EditorFixture& f = *mF;
        f.setOrigin(20, 2);
        const QPoint start = f.window->map().mapFrame().origin();
        turnWheel(f, -120);
        QCOMPARE(f.window->map().mapFrame().origin(), start + QPoint(0, 42));  // 128 / 3
        turnWheel(f, -240);
        QCOMPARE(f.window->map().mapFrame().origin(), start + QPoint(0, 128));
        turnWheel(f, 360, Qt::ShiftModifier);
        QCOMPARE(f.window->map().mapFrame().origin(), start + QPoint(-128, 128));

        f.window->map().setZoom(5);  // 400%
        const QPoint zoomed = f.window->map().mapFrame().origin();
        turnWheel(f, -360);
        QCOMPARE(f.window->map().mapFrame().origin(), zoomed + QPoint(0, 128));
        QTest::keyClick(f.canvas(), Qt::Key_Down);
        QCOMPARE(f.window->map().mapFrame().origin(), zoomed + QPoint(0, 128 + 512));
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

    // The middle button, and the left one with Space held, drag the plane along; the tools see
    // nothing of it.
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

    void draggingInTheOverviewPansTheMap() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        OverviewWindow* overview = f.window->map().overview();
        f.setOrigin(10, 2);
        const QPoint held = overview->viewRect().center();
        QTest::mousePress(overview, Qt::LeftButton, {}, held);
        QCOMPARE(f.origin(), QPoint(10, 2));  // taking hold of the frame does not move it
        QTest::mouseMove(overview, held + QPoint(16, 8));
        QTest::mouseRelease(overview, Qt::LeftButton, {}, held + QPoint(16, 8));
        QCOMPARE(f.origin(), QPoint(12, 3));
        QCOMPARE(overview->viewRect().topLeft(), QPoint(12 * 8, 3 * 8));
    }

    // After a scroll the status line names the cell and the level pixel now under the pointer.
    void theStatusLineFollowsAScroll() {
        EditorFixture& f = *mF;
        f.setOrigin(10, 2);
        QTest::mouseMove(f.canvas(), f.cellPoint(7));
        auto* cell = f.child<QLabel>("PointerInfo");
        auto* pixel = f.child<QLabel>("PointerPixels");
        QVERIFY(cell->text().startsWith("Row 3, column 11:"));
        const QString before = pixel->text();
        QVERIFY(before.startsWith("x 1472 "));
        f.setOrigin(12, 5);
        QVERIFY(cell->text().startsWith("Row 6, column 13:"));
        QVERIFY(pixel->text().startsWith("x 1728 "));
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

    // The layers painted on an image, without a window: the blocks in the level's colours above
    // the water line and in the underwater ones from its row down, the placements over both.
    void theLayersPaintInOrderAndSplitAtTheWater() {
        const Layout layout(std::vector<std::uint8_t>(2 * kLayoutRowBytes, 0));
        BlockLayerPainter blocks;
        blocks.setLayout(&layout, Plane::Foreground);
        QPixmap dry(kCellSize, kCellSize);
        dry.fill(Qt::red);
        QPixmap wet(kCellSize, kCellSize);
        wet.fill(Qt::blue);
        blocks.setBlockPicture(0, dry, wet);
        LevelParts parts;
        parts.start = StartPosition{100, 150};
        PlacementPainter placements;
        placements.setPlacements(&parts);
        placements.setOverlay(PlacementPainter::Overlay::Start, true);
        placements.setOverlay(PlacementPainter::Overlay::Water, true);
        placements.setWaterLine(64);
        const MapGeometry view{kCellSize, QPoint(0, 0), QSize(256, 256)};
        QImage image(view.size, QImage::Format_RGB32);
        QPainter painter(&image);
        paintMapLayers(painter, image.rect(), view, blocks, placements);
        painter.end();
        QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(image.pixelColor(10, 63), QColor(120, 200, 255));  // the line, above the split
        QCOMPARE(image.pixelColor(10, 64), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(92, 150), QColor(0, 230, 90));  // the start, over the cells
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
