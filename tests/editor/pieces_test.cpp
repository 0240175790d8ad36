// The piece editors in the real window: a tile added and drawn on, tiles and colours copied
// through the Edit menu and the keys, a colour picked and undone, grown art on a save, and
// Find Unused following the layout.

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QToolButton>

#include "editor/pieces/piecesarea.h"
#include "editortestsupport.h"
#include "graphics/palette.h"
#include "piecestestsupport.h"

namespace orvex::test {

class PiecesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        setOuterSize(mF->window.get(), QSize(1500, 1000));
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // Add Tile grows the art by one empty tile that can be drawn on at once; undoing both steps
    // gives back the art as it was, byte for byte.
    void addTileGrowsTheArtByOneStep() {
        EditorFixture& f = *mF;
        f.menu("MenuTileEditor");
        TileDock& tiles = area().tileDock();
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const std::int32_t count = document().parts().tiles.completeTiles();
        const int steps = f.window->undoStack().count();
        f.dialogs->yesNo.append(true);  // both acts share the zone's tiles
        QTest::mouseClick(f.child<QToolButton>("TileAdd"), Qt::LeftButton);
        QCOMPARE(document().parts().tiles.completeTiles(), count + 1);
        QCOMPARE(f.window->undoStack().count(), steps + 1);
        QCOMPARE(tiles.sheet().chosen(), count);
        QVERIFY(tiles.editable(count));
        tiles.colours().choose(3);
        PixelEditor& pixels = tiles.pixelEditor();
        QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(4, 4).center());
        QCOMPARE(f.window->undoStack().count(), steps + 2);
        QCOMPARE(
            document().parts().tiles.bytes.at(static_cast<std::size_t>(count) * 32 + 4 * 4 + 2),
            std::uint8_t{0x30});
        f.menu("MenuUndo");
        f.menu("MenuUndo");
        QCOMPARE(document().parts().tiles.bytes, before);
        QVERIFY(!tiles.editable(count));
    }

    // Edit > Copy and Edit > Paste act on the tile sheet while it has the focus, as its keys do.
    void theEditMenuCopiesAndPastesTiles() {
        EditorFixture& f = *mF;
        const std::int32_t shown = shownTile(f);
        QVERIFY(shown > 0);
        f.menu("MenuTileEditor");
        TileDock& tiles = area().tileDock();
        tiles.sheet().choose(shown);
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        tiles.sheet().setFocus();
        QCOMPARE(QApplication::focusWidget(), &tiles.sheet());
        const std::vector<std::uint8_t> layout = f.layout();
        f.menu("MenuCopy");
        const std::int32_t target = otherTile(f, shown);
        tiles.sheet().choose(target);
        f.dialogs->yesNo.append(true);  // both acts share the zone's tiles
        f.menu("MenuPaste");
        QCOMPARE(tiles.pixelEditor().pixels(), tilePixels(document().parts().tiles.bytes, shown));
        QCOMPARE(tilePixels(document().parts().tiles.bytes, target),
                 tilePixels(document().parts().tiles.bytes, shown));
        QCOMPARE(f.layout(), layout);  // the map's cells were not pasted into
    }

    // A colour picked from the console's colours is stored, drawn in the art's colours and
    // undone in one step.
    void aPaletteEditAndItsUndo() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteDock& palette = area().paletteDock();
        QVERIFY(palette.isVisible());
        const QImage mapBefore = f.canvas()->grab().toImage();
        QTest::mouseClick(&palette.swatches(), Qt::LeftButton, {},
                          palette.swatches().squareRect(17).center());
        const std::uint16_t before = document().parts().palette.words[17];
        const std::uint16_t word = before == 0x0E0E ? 0x00E0 : 0x0E0E;
        f.dialogs->yesNo.append(true);  // both acts load the palette
        QTest::mouseClick(
            &palette.consoleColours(), Qt::LeftButton, {},
            palette.consoleColours().squareRect(ConsoleColours::indexOf(word)).center());
        QCOMPARE(document().parts().palette.words[17], word);
        QCOMPARE(f.window->session().art().colours[17], colourOf(word));
        f.menu("MenuUndo");
        QCOMPARE(document().parts().palette.words[17], before);
        QCOMPARE(f.canvas()->grab().toImage(), mapBefore);
    }

    // Copy and Paste of a colour: the word goes to the selected colour, one step.
    void copyAndPasteAColour() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteSwatches& swatches = area().paletteDock().swatches();
        swatches.select(20);
        swatches.setFocus();
        QTest::keyClick(&swatches, Qt::Key_C, Qt::ControlModifier);
        swatches.select(21);
        const int steps = f.window->undoStack().count();
        f.dialogs->yesNo.append(true);
        QTest::keyClick(&swatches, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(document().parts().palette.words[21], document().parts().palette.words[20]);
        QVERIFY(f.window->undoStack().count() <= steps + 1);
    }

    // Tile art that no longer fits its place: the save offers to move it; No writes nothing, Yes
    // moves it to the end of the file in the same save.
    void grownArtIsMovedOnlyWhenTheSaveIsAllowedTo() {
        EditorFixture& f = *mF;
        std::vector<std::uint8_t> noise(32 * 96);
        std::uint32_t state = 0x2026u;
        for (std::uint8_t& byte : noise) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        f.window->session().document()->setTiles(0, noise);
        const QByteArray before = fileBytes(f.romPath);
        f.dialogs->yesNo = {false};
        f.menu("MenuSave");
        QVERIFY(!f.dialogs->questions.isEmpty());
        QVERIFY(f.dialogs->questions.last().text.contains("Move it to the end of the file"));
        QCOMPARE(fileBytes(f.romPath), before);
        QVERIFY(f.unsaved());
        f.dialogs->yesNo = {true};
        f.menu("MenuSave");
        QVERIFY(!f.unsaved());
        QVERIFY(fileBytes(f.romPath) != before);
    }

    // Find Unused lists the blocks no cell holds; placing one takes it off the list, and choosing
    // one in the list chooses it in the block column.
    void findUnusedFollowsTheLayout() {
        EditorFixture& f = *mF;
        f.menu("MenuFindUnused");
        QListWidget& blocks = area().unusedDock().list(2);
        QVERIFY(blocks.count() > 0);
        const int block = blocks.item(0)->data(Qt::UserRole).toInt();
        const std::vector<std::uint8_t> layout = f.layout();
        QVERIFY(std::find(layout.begin(), layout.end(), block) == layout.end());
        blocks.setCurrentRow(0);
        QCOMPARE(int{f.selected()}, block);
        const int listed = blocks.count();
        f.place(block, 0);
        QCOMPARE(blocks.count(), listed - 1);
        const UnusedPieces unused =
            findUnused(document().parts(), f.window->session().levelStart());
        QCOMPARE(area().unusedDock().list(0).count(), qsizetype(unused.tiles.size()));
        QCOMPARE(area().unusedDock().list(1).count(), qsizetype(unused.chunks.size()));
    }

private:
    PiecesArea& area() const { return *mF->window->findChild<PiecesArea*>("PiecesArea"); }
    const LevelDocument& document() const { return *mF->window->session().document(); }

    std::unique_ptr<EditorFixture> mF;
};

int runPiecesTest(int argc, char** argv) {
    PiecesTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "pieces_test.moc"
