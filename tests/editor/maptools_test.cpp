// The map's tools, zoom, scrolling and keys on the real window.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "editortestsupport.h"

namespace orvex::test {

namespace {

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

}  // namespace

class MapToolsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
    }
    void cleanup() { mF.reset(); }

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

    void zoomKeepsTheCellUnderThePointer() {
        EditorFixture& f = *mF;
        f.setOrigin(20, 2);
        const QPoint pointer(300, 200);
        const PlaneCell under = f.canvas()->cellAt(pointer);
        for (const int steps : {-1, 2, -1}) {  // 50%, 200%, 100%
            QWheelEvent wheel(pointer, f.canvas()->mapToGlobal(pointer), {}, {0, 120 * steps},
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(f.canvas(), &wheel);
            QCOMPARE(f.canvas()->cellAt(pointer), under);
        }
        f.menu("MenuZoomOut");
        f.menu("MenuZoomOut");
        QCOMPARE(f.canvas()->cellSize(), 32);
        QCOMPARE(f.child<QLabel>("ZoomInfo")->text(), QString("25%"));
        f.menu("MenuActualSize");
        QCOMPARE(f.canvas()->cellSize(), 128);
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

private:
    std::unique_ptr<EditorFixture> mF;
};

int runMapToolsTest(int argc, char** argv) {
    MapToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "maptools_test.moc"
