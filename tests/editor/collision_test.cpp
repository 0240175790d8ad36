// Collision in the real window: the ground over the map for each path, a chunk's shape picked
// from the sheet, a shape drawn, and the question before an edit reaching other levels or paths.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "editor/pieces/piecesarea.h"
#include "editortestsupport.h"

namespace orvex::test {

namespace {

// A cell of the foreground whose block has a chunk entry solid on path 1 with a shape.
struct Ground {
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::int32_t entry = 0;  // 0..63 inside the block
    std::int32_t chunk = 0;
};

std::optional<Ground> findGround(const LevelDocument& document) {
    const LevelParts& parts = document.parts();
    const Layout& layout = document.layout();
    for (std::int32_t row = 0; row < layout.completeRows(); ++row) {
        const auto cells = layout.planeRow(Plane::Foreground, row);
        for (std::int32_t column = 0; column < 8; ++column) {
            const std::uint8_t block = cells[static_cast<std::size_t>(column)];
            for (std::int32_t e = 0; e < kBlockMappingWords; ++e) {
                const std::int32_t at = block * kBlockMappingWords + e;
                if (at >= parts.blocks.wordCount()) {
                    break;
                }
                const std::uint16_t word = parts.blocks.word(at);
                const auto chunk = static_cast<std::size_t>(word & 0x3FF);
                if ((word & 0x3000) == 0x3000 && chunk < parts.collision[0].size() &&
                    parts.collision[0][chunk] != 0) {
                    return Ground{row, column, e, static_cast<std::int32_t>(chunk)};
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace

class CollisionTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
        mGround = findGround(document());
        QVERIFY(mGround);
        mF->setOrigin(mGround->column, mGround->row);
    }
    void cleanup() { mF.reset(); }

    // C cycles Off, Path 1, Path 2; the ground shows over the map while a path is shown, and the
    // status line names the shape and its angle under the pointer.
    void theViewCyclesThroughThePaths() {
        EditorFixture& f = *mF;
        const QPoint entry((mGround->entry % 8) * 16 + 8, (mGround->entry / 8) * 16 + 8);
        QTest::mouseMove(f.canvas(), entry);
        const QImage plain = f.canvas()->grab().toImage();
        f.key(Qt::Key_C);
        QVERIFY(f.action("MenuCollisionPath1")->isChecked());
        QVERIFY(f.canvas()->grab().toImage() != plain);
        const QString status = f.child<QLabel>("PointerInfo")->text();
        QVERIFY(status.contains("angle"));
        QVERIFY(status.contains("path 1"));
        f.key(Qt::Key_C);
        QVERIFY(f.action("MenuCollisionPath2")->isChecked());
        f.key(Qt::Key_C);
        QVERIFY(f.action("MenuCollisionOff")->isChecked());
        QCOMPARE(f.canvas()->grab().toImage(), plain);
    }

    // The shape sheet opens within the screen with the keyboard's focus; Escape closes it with
    // nothing changed, an arrow and Return take the next shape, a click takes one: each a step,
    // asked about first (the zone's index is shared), the ground in the map following it.
    void aChunkShapeIsPickedFromTheSheet() {
        EditorFixture& f = *mF;
        f.menu("MenuCollisionPath1");
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        chunks.sheet().choose(mGround->chunk);
        const std::uint8_t before = *chunks.chunkShape(0);
        const QImage ground = f.canvas()->grab().toImage();
        const std::vector<std::uint8_t> index = document().parts().collision[0];
        const int steps = f.window->undoStack().count();
        QTest::mouseClick(&chunks.shapeButton(0), Qt::LeftButton);
        auto* popup = chunks.findChild<QWidget*>("ShapePicker");
        QVERIFY(popup != nullptr && popup->isVisible());
        QVERIFY(f.window->screen()->availableGeometry().contains(popup->frameGeometry()));
        auto* sheet = popup->findChild<PieceSheet*>("ShapePickerSheet");
        QCOMPARE(QApplication::focusWidget(), sheet);
        QCOMPARE(sheet->chosen(), int{before});
        QVERIFY(popup->findChild<QLabel*>("ShapePickerLegend")->text().contains("solid"));
        QTest::keyClick(sheet, Qt::Key_Escape);
        QCoreApplication::processEvents();
        popup = chunks.findChild<QWidget*>("ShapePicker");
        QVERIFY((popup == nullptr || !popup->isVisible()) && *chunks.chunkShape(0) == before);

        QTest::mouseClick(&chunks.shapeButton(0), Qt::LeftButton);
        sheet = chunks.findChild<PieceSheet*>("ShapePickerSheet");
        const std::uint8_t next = before < 255 ? static_cast<std::uint8_t>(before + 1) : 254;
        QTest::keyClick(sheet, before < 255 ? Qt::Key_Right : Qt::Key_Left);
        f.dialogs->yesNo.append(true);
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(*chunks.chunkShape(0), next);
        QTest::mouseClick(&chunks.shapeButton(0), Qt::LeftButton);
        sheet = chunks.findChild<PieceSheet*>("ShapePickerSheet");
        QTest::mouseClick(sheet, Qt::LeftButton, {}, sheet->pieceRect(0).center());
        QCOMPARE(document().parts().collision[0][static_cast<std::size_t>(mGround->chunk)], 0);
        QCOMPARE(f.window->undoStack().count(), steps + 2);
        QVERIFY(f.canvas()->grab().toImage() != ground);
        f.menu("MenuUndo");
        f.menu("MenuUndo");
        QCOMPARE(document().parts().collision[0], index);
        QCOMPARE(f.canvas()->grab().toImage(), ground);
    }

    // Drawing in the shape editor asks first, since every zone shares the shapes; No changes
    // nothing, Yes stores the heights computed from the mask as one undo step.
    void aShapeStrokeAsksThenStoresHeights() {
        EditorFixture& f = *mF;
        f.menu("MenuShapeEditor");
        ShapeDock& shapes = area().shapeDock();
        const std::uint8_t shape =
            document().parts().collision[0][static_cast<std::size_t>(mGround->chunk)];
        shapes.sheet().choose(shape);
        const CollisionShapes original = *document().parts().shapes;
        ShapeEditor& editor = shapes.editor();
        // The top row's first four pixels turned over: made solid, or emptied where solid.
        const bool solid = !shapeMask(original.shapes[shape]).solid(0, 0);
        const Qt::MouseButton button = solid ? Qt::LeftButton : Qt::RightButton;
        const auto stroke = [&] {
            QTest::mousePress(&editor, button, {}, editor.pixelRect(0, 0).center());
            QTest::mouseMove(&editor, editor.pixelRect(3, 0).center());
            QTest::mouseRelease(&editor, button, {}, editor.pixelRect(3, 0).center());
        };
        const int steps = f.window->undoStack().count();
        f.dialogs->yesNo.append(false);
        stroke();
        QVERIFY(!f.dialogs->questions.isEmpty());
        QVERIFY(f.dialogs->questions.last().text.contains("collision shapes"));
        QCOMPARE(*document().parts().shapes, original);
        QCOMPARE(f.window->undoStack().count(), steps);
        f.dialogs->yesNo.append(true);
        stroke();
        QCOMPARE(f.window->undoStack().count(), steps + 1);
        const Shape& stored = document().parts().shapes->shapes[shape];
        for (int x = 0; x < 4; ++x) {
            QCOMPARE(shapeMask(stored).solid(x, 0), solid);
        }
        QCOMPARE(stored.vertical, verticalHeights(shapeMask(stored)));
        QCOMPARE(stored.angle, surfaceAngle(shapeMask(stored)));
        f.menu("MenuUndo");
        QCOMPARE(*document().parts().shapes, original);
    }

    // Where both paths read one index, an edit of path 1 names path 2 too and changes both.
    void oneIndexForBothPathsChangesBoth() {
        EditorFixture& f = *mF;
        const std::vector<ZoneAct>& levels = f.window->session().levels();
        const auto oil = std::find_if(levels.begin(), levels.end(),
                                      [](const ZoneAct& act) { return act.zone == 10; });
        QVERIFY(oil != levels.end());
        f.chooseLevel(static_cast<int>(oil - levels.begin()));
        QVERIFY(document().pathsShareIndex());
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        chunks.sheet().choose(1);
        const auto before = chunks.chunkShape(0);
        QVERIFY(before);
        f.dialogs->yesNo.append(true);
        chunks.setChunkShape(0, static_cast<std::uint8_t>(*before + 1));
        QVERIFY(f.dialogs->questions.last().text.contains("path 2"));
        QCOMPARE(chunks.chunkShape(1), std::optional<std::uint8_t>(*before + 1));
    }

private:
    PiecesArea& area() const { return *mF->window->findChild<PiecesArea*>("PiecesArea"); }
    const LevelDocument& document() const { return *mF->window->session().document(); }

    std::unique_ptr<EditorFixture> mF;
    std::optional<Ground> mGround;
};

int runCollisionTest(int argc, char** argv) {
    CollisionTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "collision_test.moc"
