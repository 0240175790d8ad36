// The piece editors in the real window: a pixel drawn on a tile, a colour picked, pasted and
// undone, each one undo step and shown in the map at once; the question before the first edit
// of a piece other levels share.

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

    // Line 0 is every level's: the first edit of it names them and asks; No changes nothing,
    // Yes edits and is not asked again.
    void theSharedLineAsksFirst() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteDock& palette = area().paletteDock();
        palette.swatches().select(3);
        const std::uint16_t before = document().parts().palette.words[3];
        const auto pick = [&](std::uint16_t word) {
            QTest::mouseClick(
                &palette.consoleColours(), Qt::LeftButton, {},
                palette.consoleColours().squareRect(ConsoleColours::indexOf(word)).center());
        };
        const qsizetype asked = f.dialogs->questions.size();
        f.dialogs->yesNo.append(false);
        pick(before == 0x0002 ? 0x0004 : 0x0002);
        QCOMPARE(f.dialogs->questions.size(), asked + 1);
        QVERIFY(f.dialogs->questions.last().text.contains("level 20"));
        QCOMPARE(document().parts().palette.words[3], before);
        f.dialogs->yesNo.append(true);
        pick(0x0EEE);
        QCOMPARE(document().parts().palette.words[3], 0x0EEE);
        pick(0x0CCC);
        QCOMPARE(document().parts().palette.words[3], 0x0CCC);
        QCOMPARE(f.dialogs->questions.size(), asked + 2);
    }

    // A tile picked from the tile sheet into a chunk entry is one step, shown in the map at once,
    // and undone.
    void aChunkEntryEditIsOneUndoStepShownInTheMap() {
        EditorFixture& f = *mF;
        const auto chunk = shownChunk(f);
        QVERIFY(chunk);
        f.menu("MenuTileEditor");
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        QVERIFY(chunks.isVisible());
        chunks.sheet().choose(*chunk);
        chunks.entries().choose(0);
        const std::uint16_t word = *chunks.entryWord(0);
        const QImage mapBefore = f.canvas()->grab().toImage();
        const int steps = f.window->undoStack().count();
        f.dialogs->yesNo.append(true);
        const std::int32_t tile = otherTile(f, word & 0x7FF);
        PieceSheet& tileSheet = area().tileDock().sheet();
        QTest::mouseClick(&tileSheet, Qt::LeftButton, {}, tileSheet.pieceRect(tile).center());
        QCOMPARE(f.window->undoStack().count(), steps + 1);
        QCOMPARE(*chunks.entryWord(0), std::uint16_t((word & 0xF800) | tile));
        QCOMPARE(chunks.entries().chosen(), 1);
        QVERIFY(f.canvas()->grab().toImage() != mapBefore);
        f.menu("MenuUndo");
        QCOMPARE(*chunks.entryWord(0), word);
        QCOMPARE(f.canvas()->grab().toImage(), mapBefore);
    }

    // The block chosen in the block column opens in the block editor; a chunk painted into an
    // entry is one step, shown in the map and undone.
    void aBlockEntryEditIsOneUndoStepShownInTheMap() {
        EditorFixture& f = *mF;
        const std::uint8_t block = f.layout().at(0);
        f.menu("MenuChunkEditor");
        f.menu("MenuBlockEditor");
        QTest::mouseClick(f.thumbnail((block + 1) % 256), Qt::LeftButton);
        QTest::mouseClick(f.thumbnail(block), Qt::LeftButton);
        BlockDock& blocks = area().blockDock();
        QCOMPARE(blocks.block(), block);
        const std::uint16_t word = *blocks.entryWord(0);
        const auto chunk = static_cast<std::int32_t>(otherChunk(word & 0x3FF));
        area().chunkDock().sheet().choose(chunk);
        f.child<QCheckBox>("BlockPaint")->setChecked(true);
        const QImage mapBefore = f.canvas()->grab().toImage();
        const int steps = f.window->undoStack().count();
        f.dialogs->yesNo.append(true);
        QTest::mouseClick(&blocks.entries(), Qt::LeftButton, {},
                          blocks.entries().pieceRect(0).center());
        QCOMPARE(f.window->undoStack().count(), steps + 1);
        QCOMPARE(*blocks.entryWord(0), std::uint16_t((word & 0xFC00) | chunk));
        QVERIFY(f.canvas()->grab().toImage() != mapBefore);
        f.menu("MenuUndo");
        QCOMPARE(*blocks.entryWord(0), word);
        QCOMPARE(f.canvas()->grab().toImage(), mapBefore);
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
        const auto contents = [&f] {
            QFile file(f.romPath);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = contents();
        f.dialogs->yesNo = {false};
        f.menu("MenuSave");
        QVERIFY(!f.dialogs->questions.isEmpty());
        QVERIFY(f.dialogs->questions.last().text.contains("Move it to the end of the file"));
        QCOMPARE(contents(), before);
        QVERIFY(f.unsaved());
        f.dialogs->yesNo = {true};
        f.menu("MenuSave");
        QVERIFY(!f.unsaved());
        QVERIFY(contents() != before);
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
    // A chunk whose picture differs from that of `chunk`.
    std::int32_t otherChunk(std::int32_t chunk) const {
        const LevelArt& art = mF->window->session().art();
        for (std::int32_t c = 1; c < kBaseChunks; ++c) {
            if (!std::equal(art.chunks.variant(c), art.chunks.variant(c) + 256,
                            art.chunks.variant(chunk))) {
                return c;
            }
        }
        return 0;
    }
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
