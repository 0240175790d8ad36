// The piece editors driven through their widgets, mouse and keys: the pixel editor's tools on
// a tile, the chunk and block entry controls bit by bit, Find Unused following the edits, the
// question before the first edit of a piece other levels share, and the palette's colours.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <map>
#include <set>

#include "common/byteorder.h"
#include "editor/pieces/piecesarea.h"
#include "editortestsupport.h"
#include "graphics/palette.h"
#include "piecestestsupport.h"
#include "widgets/qtext.h"

namespace orvex::test {

namespace {

using Pixels = PixelEditor::Pixels;

// A tile from eight rows of eight hex digits, one colour index a digit.
Pixels pattern(const std::array<const char*, 8>& rows) {
    Pixels pixels{};
    for (std::size_t y = 0; y < 8; ++y) {
        for (std::size_t x = 0; x < 8; ++x) {
            const char digit = rows[y][x];
            pixels[y * 8 + x] =
                static_cast<std::uint8_t>(digit <= '9' ? digit - '0' : digit - 'a' + 10);
        }
    }
    return pixels;
}

// Pixel (x, y) of `tile` in 4-bit art: 4 bytes a row, the left pixel in the high nibble.
std::uint8_t pixelOf(const std::vector<std::uint8_t>& art, std::int32_t tile, int x, int y) {
    const std::uint8_t byte = art.at(static_cast<std::size_t>(tile * 32 + y * 4 + x / 2));
    return static_cast<std::uint8_t>(x % 2 == 0 ? byte >> 4 : byte & 15);
}

Pixels documentPixels(const std::vector<std::uint8_t>& art, std::int32_t tile) {
    Pixels pixels{};
    for (int i = 0; i < 64; ++i) {
        pixels[static_cast<std::size_t>(i)] = pixelOf(art, tile, i % 8, i / 8);
    }
    return pixels;
}

// Puts `pixels` on the clipboard as the tile editor's Copy does.
void copyToClipboard(const Pixels& pixels) {
    QByteArray bytes;
    for (std::size_t i = 0; i < 64; i += 2) {
        bytes.append(static_cast<char>((pixels[i] << 4) | pixels[i + 1]));
    }
    auto* data = new QMimeData;
    data->setData("application/x-orvex-tiles", bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

// Clicks a check box on its box, whatever width its layout gave it.
void toggle(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect mark = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, mark.center());
}

void click(PieceSheet& sheet, std::int32_t piece) {
    QTest::mouseClick(&sheet, Qt::LeftButton, {}, sheet.pieceRect(piece).center());
}

void clickItem(QListWidget& list, int row) {
    list.scrollToItem(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(row)).center());
}

std::vector<std::uint8_t> blockPicture(const LevelArt& art, std::int32_t block) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < kBlockSize; ++y) {
        pixels.insert(pixels.end(), art.blocks.row(block, y),
                      art.blocks.row(block, y) + kBlockSize);
    }
    return pixels;
}

}  // namespace

class PieceEditorsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        setOuterSize(mF->window.get(), QSize(1500, 1000));
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // A pencil stroke over four pixels, one crossed twice, changes exactly those pixels of the
    // document's tile and nothing else, is one undo step, and the block in the map's corner is
    // drawn anew with it; undo and redo take it back and forth.
    void aStrokeChangesExactlyThePixelsItCrosses() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(*mF);
        QVERIFY(tile > 0);
        TileDock& tiles = openTiles(tile);
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const std::vector<std::uint8_t> mapBefore = cornerPicture();
        const QList<QPoint> crossed{{1, 1}, {2, 1}, {3, 1}, {3, 2}, {2, 1}};
        std::uint8_t colour = 1;
        while (std::any_of(crossed.begin(), crossed.end(), [&](QPoint p) {
            return pixelOf(before, tile, p.x(), p.y()) == colour;
        })) {
            ++colour;
        }
        click(tiles.colours(), colour);
        f.dialogs->yesNo.append(true);  // both acts load the zone's tiles
        const int steps = count();
        stroke(crossed);
        QCOMPARE(count(), steps + 1);
        QVERIFY(f.window->undoStack().undoText().contains("Draw on tile"));
        const std::vector<std::uint8_t>& after = document().parts().tiles.bytes;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool drawn = crossed.contains(QPoint(x, y));
                QCOMPARE(pixelOf(after, tile, x, y), drawn ? colour : pixelOf(before, tile, x, y));
            }
        }
        QVERIFY(std::equal(after.begin(), after.begin() + tile * 32, before.begin()));
        QVERIFY(std::equal(after.begin() + (tile + 1) * 32, after.end(),
                           before.begin() + (tile + 1) * 32));
        QCOMPARE(tiles.pixelEditor().pixels(), documentPixels(after, tile));
        const std::vector<std::uint8_t> mapAfter = cornerPicture();
        QVERIFY(mapAfter != mapBefore);
        f.menu("MenuUndo");
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(cornerPicture(), mapBefore);
        QCOMPARE(tiles.pixelEditor().pixels(), documentPixels(before, tile));
        f.menu("MenuRedo");
        QCOMPARE(cornerPicture(), mapAfter);
        // A stroke in the colour the pixels already have is no step at all.
        stroke({{1, 1}, {2, 1}});
        QCOMPARE(count(), steps + 1);
    }

    // The fill takes the pixels of the clicked colour joined to it across edges: not past a
    // diagonal wall of another colour, whose two sides touch only at corners, nor an island
    // inside; a fill in the colour already there is no step. The overview, shown meanwhile,
    // redraws every cell the tile reaches.
    void theFillStopsAtOtherColours() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(tile);
        const Pixels walled = pattern({"20000000", "02000000", "00200000", "00020000", "07002000",
                                       "00000200", "00000020", "00000002"});
        f.dialogs->yesNo.append(true);
        paste(walled);
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), walled);
        QTest::mouseClick(f.child<QToolButton>("TileFill"), Qt::LeftButton);
        click(tiles.colours(), 5);
        const int steps = count();
        PixelEditor& pixels = tiles.pixelEditor();
        QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(0, 5).center());
        QCOMPARE(count(), steps + 1);
        const Pixels filled = pattern({"20000000", "52000000", "55200000", "55520000", "57552000",
                                       "55555200", "55555520", "55555552"});
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), filled);
        QVERIFY(overviewShows(f, Plane::Foreground));
        QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(0, 7).center());
        QCOMPARE(count(), steps + 1);
        f.menu("MenuUndo");
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), walled);
    }

    // The picker, chosen by its key as the user set it, makes the pixel's colour index the
    // chosen colour and edits nothing; the pencil then draws in it, on the pixel whose square
    // holds the pointer even at its lower right corner.
    void thePickerChoosesThePixelsColour() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(tile);
        f.dialogs->yesNo.append(true);
        paste(pattern({"10000000", "0c000000", "00000000", "00000000", "00000000", "00000000",
                       "00000000", "00000000"}));
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const int steps = count();
        QVERIFY(!f.window->actions().setKeys("TilePicker", {QKeySequence(Qt::Key_K)}));
        f.key(Qt::Key_K);
        f.window->actions().resetKeys();
        QVERIFY(f.child<QToolButton>("TilePicker")->isChecked());
        PixelEditor& pixels = tiles.pixelEditor();
        QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(1, 1).center());
        QCOMPARE(tiles.colours().chosen(), 0xC);
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(count(), steps);
        QTest::mouseClick(f.child<QToolButton>("TilePencil"), Qt::LeftButton);
        QVERIFY(!f.child<QToolButton>("TilePicker")->isChecked());
        QTest::mouseClick(&pixels, Qt::LeftButton, {},
                          pixels.pixelRect(6, 4).bottomRight() - QPoint(2, 2));
        QCOMPARE(pixelOf(document().parts().tiles.bytes, tile, 6, 4), std::uint8_t{0xC});
        QCOMPARE(pixelOf(document().parts().tiles.bytes, tile, 7, 5), std::uint8_t{0});
        QCOMPARE(count(), steps + 1);
    }

    // Flip V and Flip H mirror the document's tile, a step each; undo takes back one at a time.
    void flipsMirrorTheStoredTile() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(tile);
        const Pixels corner = pattern({"12000000", "30000000", "00000000", "00000000", "00000000",
                                       "00000000", "00000000", "00000000"});
        f.dialogs->yesNo.append(true);
        paste(corner);
        const int steps = count();
        QTest::mouseClick(f.child<QToolButton>("TileFlipV"), Qt::LeftButton);
        const Pixels down = pattern({"00000000", "00000000", "00000000", "00000000", "00000000",
                                     "00000000", "30000000", "12000000"});
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), down);
        QTest::mouseClick(f.child<QToolButton>("TileFlipH"), Qt::LeftButton);
        const Pixels across = pattern({"00000000", "00000000", "00000000", "00000000", "00000000",
                                       "00000000", "00000003", "00000021"});
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), across);
        QCOMPARE(tiles.pixelEditor().pixels(), across);
        QCOMPARE(count(), steps + 2);
        f.menu("MenuUndo");
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), down);
        f.menu("MenuUndo");
        QCOMPARE(documentPixels(document().parts().tiles.bytes, tile), corner);
    }

    // A tile the game fills with other art can be copied (what it shows) but not changed: the
    // pixel editor is off, a paste there changes nothing and asks nothing; pasted into the
    // level's art it is one step, and the same paste again is none.
    void copyFromOtherArtPasteOnlyIntoTheLevels() {
        EditorFixture& f = *mF;
        const std::int32_t own = shownTile(*mF);
        TileDock& tiles = openTiles(own);
        const std::int32_t complete = document().parts().tiles.completeTiles();
        const std::vector<std::uint8_t>& video = f.window->session().art().video.bytes;
        std::int32_t other = complete;
        while (other < kBaseTiles &&
               std::all_of(video.begin() + other * 32, video.begin() + other * 32 + 32,
                           [](std::uint8_t b) { return b == 0; })) {
            ++other;
        }
        QVERIFY(other < kBaseTiles);
        click(tiles.sheet(), other);
        QVERIFY(!tiles.pixelEditor().isEnabled());
        QVERIFY(f.child<QLabel>("TileInfo")->text().contains("cannot be edited here"));
        tiles.sheet().setFocus();
        QTest::keyClick(&tiles.sheet(), Qt::Key_C, Qt::ControlModifier);
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const qsizetype asked = f.dialogs->questions.size();
        QTest::keyClick(&tiles.sheet(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(f.dialogs->questions.size(), asked);
        click(tiles.sheet(), own);
        const int steps = count();
        f.dialogs->yesNo.append(true);
        QTest::keyClick(&tiles.sheet(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(count(), steps + 1);
        QCOMPARE(documentPixels(document().parts().tiles.bytes, own), documentPixels(video, other));
        QTest::keyClick(&tiles.sheet(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(count(), steps + 1);
    }

    // The zoom scales the sheet and a click at the new scale chooses the tile there; the info
    // counts the chunk entries using the tile and follows a chunk edit that uses it once more.
    void zoomAndUseCount() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(0);
        auto* zoom = f.child<QSpinBox>("TileZoom");
        zoom->setFocus();
        QTest::keyClick(zoom, Qt::Key_Up);
        QTest::keyClick(zoom, Qt::Key_Up);
        QCOMPARE(tiles.sheet().scale(), 4);
        QCOMPARE(tiles.sheet().width(), 16 * 8 * 4);
        QTest::mouseClick(&tiles.sheet(), Qt::LeftButton, {},
                          QPoint(4 * 8 * (tile % 16) + 5, 4 * 8 * (tile / 16) + 30));
        QCOMPARE(tiles.chosenTile(), tile);
        const MappingWords& chunks = document().parts().chunks;
        int uses = 0;
        for (std::int32_t w = 0; w < chunks.wordCount(); ++w) {
            uses += (chunks.word(w) & 0x7FF) == tile ? 1 : 0;
        }
        QVERIFY(uses > 0);
        auto* info = f.child<QLabel>("TileInfo");
        QVERIFY(info->text().contains(QString("used by %1 chunk entries").arg(uses)));
        const auto chunk = chunkWithOtherTile(tile);
        QVERIFY(chunk);
        f.menu("MenuChunkEditor");
        ChunkDock& chunkDock = area().chunkDock();
        click(chunkDock.sheet(), chunk->first);
        click(chunkDock.entries(), chunk->second);
        f.dialogs->yesNo.append(true);
        click(tiles.sheet(), tile);
        QVERIFY(info->text().contains(QString("used by %1 chunk entries").arg(uses + 1)));
    }

    // Each control of a chunk entry changes its own bits of that word alone, one step each, and
    // the game's chunk table (what the map draws) follows; undoing them all restores the word.
    void chunkEntryControlsChangeTheirBitsOnly() {
        EditorFixture& f = *mF;
        const auto shown = shownChunk(*mF);
        QVERIFY(shown);
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        click(chunks.sheet(), *shown);
        click(chunks.entries(), 1);
        const std::uint16_t original = *chunks.entryWord(1);
        const int steps = count();
        std::uint16_t expected = original;
        // The entry holds `word` after `step` steps, and so does the chunk table the map draws.
        const auto check = [&](std::uint16_t word, int step) {
            return *chunks.entryWord(1) == word && count() == steps + step &&
                   tableWord(f.window->session().art().chunkTable, *shown * 4 + 1) == word;
        };
        f.dialogs->yesNo.append(true);
        toggle(f.child<QCheckBox>("ChunkFlipX"));
        QVERIFY(check(expected ^= 0x0800, 1));
        toggle(f.child<QCheckBox>("ChunkFlipY"));
        QVERIFY(check(expected ^= 0x1000, 2));
        toggle(f.child<QCheckBox>("ChunkPriority"));
        QVERIFY(check(expected ^= 0x8000, 3));
        auto* line = f.child<QComboBox>("ChunkLine");
        const int next = line->currentIndex() == 3 ? 2 : line->currentIndex() + 1;
        line->setFocus();
        QTest::keyClick(line, next > line->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(
            check(expected = static_cast<std::uint16_t>((expected & ~0x6000) | (next << 13)), 4));
        auto* tile = f.child<QSpinBox>("ChunkTile");
        tile->setFocus();
        QTest::keyClick(tile, (expected & 0x7FF) == 0x7FF ? Qt::Key_Down : Qt::Key_Up);
        const int tileAfter = (expected & 0x7FF) == 0x7FF ? 0x7FE : (expected & 0x7FF) + 1;
        QVERIFY(check(expected = static_cast<std::uint16_t>((expected & 0xF800) | tileAfter), 5));
        for (int i = 0; i < 5; ++i) {
            f.menu("MenuUndo");
        }
        QCOMPARE(*chunks.entryWord(1), original);
        QVERIFY(f.child<QCheckBox>("ChunkFlipX")->isChecked() == ((original & 0x0800) != 0));
    }

    // With "Pick from tile sheet" on, clicked tiles fill the entries in turn from the one
    // clicked, wrapping after the fourth and keeping each entry's other bits; with it off a
    // tile clicked changes nothing. A chunk the level does not hold cannot be edited.
    void tilesPickedFillTheEntriesInTurn() {
        EditorFixture& f = *mF;
        const auto shown = shownChunk(*mF);
        QVERIFY(shown);
        f.menu("MenuTileEditor");
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        PieceSheet& tileSheet = area().tileDock().sheet();
        click(chunks.sheet(), *shown);
        click(chunks.entries(), 2);
        std::array<std::uint16_t, 4> words{};
        for (std::int32_t e = 0; e < 4; ++e) {
            words[static_cast<std::size_t>(e)] = *chunks.entryWord(e);
        }
        f.dialogs->yesNo.append(true);
        const int steps = count();
        const std::array<std::int32_t, 3> picked{5, 6, 7};
        for (const std::int32_t tile : picked) {
            click(tileSheet, tile);
        }
        QCOMPARE(count(), steps + 3);
        for (std::size_t i = 0; i < picked.size(); ++i) {
            const std::size_t entry = (2 + i) % 4;
            QCOMPARE(*chunks.entryWord(std::int32_t(entry)),
                     std::uint16_t((words[entry] & 0xF800) | picked[i]));
        }
        QCOMPARE(*chunks.entryWord(1), words[1]);
        QCOMPARE(chunks.entries().chosen(), 1);
        toggle(f.child<QCheckBox>("ChunkPickTiles"));
        click(tileSheet, 9);
        QCOMPARE(count(), steps + 3);
        QCOMPARE(*chunks.entryWord(1), words[1]);

        const std::int32_t beyond = document().parts().chunks.wordCount() / 4;
        QVERIFY(beyond < kBaseChunks);
        click(chunks.sheet(), beyond);
        QVERIFY(!chunks.entryWord(0));
        QVERIFY(!f.child<QCheckBox>("ChunkFlipX")->isEnabled());
        QVERIFY(f.child<QLabel>("ChunkInfo")->text().contains("not one of the level's own"));
    }

    // The flips and the four solidity boxes of a block entry each change their own bit (10, 11,
    // then 12 to 15 for path 1 top, path 1 sides, path 2 top, path 2 sides), one step each.
    void blockEntryControlsChangeTheirBitsOnly() {
        EditorFixture& f = *mF;
        const std::uint8_t block = f.layout().at(0);
        f.menu("MenuBlockEditor");
        QTest::mouseClick(f.thumbnail(block), Qt::LeftButton);
        BlockDock& blocks = area().blockDock();
        QCOMPARE(blocks.block(), block);
        click(blocks.entries(), 9);
        const std::uint16_t original = *blocks.entryWord(9);
        const std::uint16_t neighbour = *blocks.entryWord(10);
        const int steps = count();
        f.dialogs->yesNo.append(true);
        const std::array<std::pair<const char*, std::uint16_t>, 6> controls{{
            {"BlockFlipX", 0x0400},
            {"BlockFlipY", 0x0800},
            {"BlockSolid0", 0x1000},
            {"BlockSolid1", 0x2000},
            {"BlockSolid2", 0x4000},
            {"BlockSolid3", 0x8000},
        }};
        std::uint16_t expected = original;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            toggle(f.child<QCheckBox>(controls[i].first));
            expected ^= controls[i].second;
            QCOMPARE(*blocks.entryWord(9), expected);
            QCOMPARE(count(), steps + int(i) + 1);
        }
        QCOMPARE(*blocks.entryWord(10), neighbour);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            f.menu("MenuUndo");
        }
        QCOMPARE(*blocks.entryWord(9), original);
    }

    // A drag over the block's entries with "Paint with chosen chunk" paints every entry it
    // crosses, as one step, and the block's picture with them; undo takes it all back.
    void aPaintDragOverEntriesIsOneStep() {
        EditorFixture& f = *mF;
        const std::uint8_t block = f.layout().at(0);
        f.menu("MenuChunkEditor");
        f.menu("MenuBlockEditor");
        QTest::mouseClick(f.thumbnail(block), Qt::LeftButton);
        BlockDock& blocks = area().blockDock();
        const std::uint16_t wordBefore = *blocks.entryWord(0);
        const std::vector<std::uint8_t> pictureBefore = blockPicture(art(), block);
        const std::int32_t chunk = (wordBefore & 0x3FF) == 3 ? 4 : 3;
        click(area().chunkDock().sheet(), chunk);
        toggle(f.child<QCheckBox>("BlockPaint"));
        f.dialogs->yesNo.append(true);
        const int steps = count();
        PieceSheet& entries = blocks.entries();
        QTest::mousePress(&entries, Qt::LeftButton, {}, entries.pieceRect(0).center());
        QTest::mouseMove(&entries, entries.pieceRect(1).center());
        QTest::mouseMove(&entries, entries.pieceRect(2).center());
        QTest::mouseRelease(&entries, Qt::LeftButton, {}, entries.pieceRect(2).center());
        QCOMPARE(count(), steps + 1);
        for (std::int32_t e = 0; e < 3; ++e) {
            QCOMPARE(*blocks.entryWord(e) & 0x3FF, chunk);
        }
        QVERIFY(blockPicture(art(), block) != pictureBefore);
        f.menu("MenuUndo");
        QCOMPARE(*blocks.entryWord(0), wordBefore);
        QCOMPARE(blockPicture(art(), block), pictureBefore);
    }

    // Painting a chunk into an entry says what the entry kept; a rectangle of entries chosen
    // with Shift takes a field together, each keeping its other fields, as one step; Add Chunk
    // appends one empty chunk and chooses it.
    void entriesEditedTogether_PaintingSaysWhatItKeeps_AddChunk() {
        EditorFixture& f = *mF;
        f.menu("MenuChunkEditor");
        f.menu("MenuBlockEditor");
        f.window->map().blockSelector().pickBlock(f.layout().at(0));
        BlockDock& blocks = area().blockDock();
        PieceSheet& entries = blocks.entries();
        click(entries, 0);
        QTest::mouseClick(&entries, Qt::LeftButton, Qt::ShiftModifier,
                          entries.pieceRect(9).center());
        QCOMPARE(entries.selection(), (std::vector<std::int32_t>{0, 1, 8, 9}));
        std::vector<std::uint16_t> before;
        for (std::int32_t e = 0; e < kBlockMappingWords; ++e) {
            before.push_back(*blocks.entryWord(e));
        }
        f.dialogs->yesNo.append(true);  // both acts read the blocks
        const int steps = count();
        const bool solid = (before[0] & 0x1000) != 0;
        toggle(f.child<QCheckBox>("BlockSolid0"));
        QCOMPARE(count(), steps + 1);
        for (std::int32_t e = 0; e < kBlockMappingWords; ++e) {
            const std::uint16_t was = before[static_cast<std::size_t>(e)];
            const bool chosen = e == 0 || e == 1 || e == 8 || e == 9;
            const auto expected =
                chosen ? static_cast<std::uint16_t>((was & ~0x1000) | (solid ? 0 : 0x1000)) : was;
            QCOMPARE(*blocks.entryWord(e), expected);
        }
        QVERIFY(f.child<QLabel>("BlockInfo")->text().contains("4 entries chosen"));

        toggle(f.child<QCheckBox>("BlockPaint"));
        click(area().chunkDock().sheet(), (before[20] & 0x3FF) == 3 ? 4 : 3);
        click(entries, 20);
        QCOMPARE(*blocks.entryWord(20) & 0xFC00, before[20] & 0xFC00);
        QVERIFY2(f.child<QLabel>("BlockInfo")->text().contains("kept its own X and Y flip"),
                 qPrintable(f.child<QLabel>("BlockInfo")->text()));

        const std::int32_t chunks = document().parts().chunks.wordCount() / kChunkMappingWords;
        const std::vector<std::uint8_t> chunkBytes = document().parts().chunks.bytes;
        f.dialogs->yesNo.append(true);
        QTest::mouseClick(f.child<QPushButton>("ChunkAdd"), Qt::LeftButton);
        QCOMPARE(document().parts().chunks.wordCount() / kChunkMappingWords, chunks + 1);
        QCOMPARE(area().chunkDock().chosenChunk(), chunks);
        QVERIFY(std::all_of(document().parts().chunks.bytes.end() - 8,
                            document().parts().chunks.bytes.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
        QVERIFY(f.action("MenuUndo")->text().startsWith("Undo Add chunk"));
        f.menu("MenuUndo");
        QCOMPARE(document().parts().chunks.bytes, chunkBytes);
    }

    // A block counts as used where any level reading the blocks places it: Find Unused, the
    // block editor's count, the question before its first edit and Find Free Block all see the
    // other act too.
    void blockUsesCountEveryLevelReadingTheBlocks() {
        EditorFixture& f = *mF;
        const auto& others = f.window->session().sharingLayouts();
        QVERIFY(!others.empty());
        QCOMPARE(others.front().level, std::int16_t{1});
        const std::vector<std::uint8_t>& other = others.front().layout.bytes();
        // A block the other act places: taken out of this act's layout if it has it.
        const auto placed =
            std::find_if(other.begin(), other.end(), [](std::uint8_t b) { return b != 0; });
        QVERIFY(placed != other.end());
        const std::uint8_t block = *placed;
        LevelDocument& editable = *f.window->session().document();
        const std::vector<std::uint8_t> own = f.layout();
        std::vector<CellBlock> cleared;
        for (std::int32_t at = 0; at < std::int32_t(own.size()); ++at) {
            if (own[static_cast<std::size_t>(at)] == block) {
                cleared.push_back({LayoutCell{at / kLayoutRowBytes, at % kLayoutRowBytes}, 0});
            }
        }
        editable.setBlocks(cleared);
        const auto inOther = std::count(other.begin(), other.end(), block);

        f.menu("MenuFindUnused");
        QListWidget& unused = *f.child<QListWidget>("UnusedBlocks");
        for (int row = 0; row < unused.count(); ++row) {
            QVERIFY(unused.item(row)->data(Qt::UserRole).toInt() != block);
        }
        QVERIFY(f.child<QLabel>("UnusedBlocksHeading")->text().contains("levels 1 and 2"));
        f.menu("MenuBlockEditor");
        f.window->map().blockSelector().pickBlock(block);
        const QString info = f.child<QLabel>("BlockInfo")->text();
        QVERIFY2(info.contains(QString("0 cells in level 1 (shown), %1 in level 2").arg(inOther)),
                 qPrintable(info));
        f.dialogs->yesNo = {false};
        toggle(f.child<QCheckBox>("BlockFlipX"));
        QVERIFY2(f.dialogs->questions.last().text.contains(
                     QString("level 2 (zone 0, act 2): %1 cells hold block %2")
                         .arg(inOther)
                         .arg(dollarHex(block, 2))),
                 qPrintable(f.dialogs->questions.last().text));

        const std::vector<std::uint8_t> now = f.layout();
        std::set<int> held(now.begin(), now.end());
        held.insert(other.begin(), other.end());
        int free = 1;
        while (free < 256 &&
               (held.contains(free) || art().hiddenBlocks.test(static_cast<std::size_t>(free)))) {
            ++free;
        }
        QVERIFY(free < 256);
        QTest::mouseClick(f.child<QPushButton>("BlockFindFree"), Qt::LeftButton);
        QCOMPARE(int{f.selected()}, free);
        QCOMPARE(f.child<QSpinBox>("BlockCopyTarget")->value(), free);
    }

    // Copy into block through its button: the target's 64 words and its picture become the
    // open block's in one step; copying a block into itself or an equal block is no step.
    void copyIntoBlockByItsButton() {
        EditorFixture& f = *mF;
        const std::uint8_t block = f.layout().at(0);
        f.menu("MenuBlockEditor");
        QTest::mouseClick(f.thumbnail(block), Qt::LeftButton);
        const std::int32_t target = block == 0x7F ? 0x7E : 0x7F;
        const std::vector<std::uint8_t> targetBefore = blockPicture(art(), target);
        QVERIFY(targetBefore != blockPicture(art(), block));
        auto* spin = f.child<QSpinBox>("BlockCopyTarget");
        auto* button = f.child<QPushButton>("BlockCopyInto");
        spin->setValue(block);
        const int steps = count();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps);
        spin->setValue(target);
        f.dialogs->yesNo.append(true);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps + 1);
        const MappingWords& mappings = document().parts().blocks;
        for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
            QCOMPARE(mappings.word(target * kBlockMappingWords + w),
                     mappings.word(block * kBlockMappingWords + w));
        }
        QCOMPARE(blockPicture(art(), target), blockPicture(art(), block));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps + 1);
        f.menu("MenuUndo");
        QCOMPARE(blockPicture(art(), target), targetBefore);
    }

    // The demo level uses every tile and chunk: once the chunk editor has moved every entry
    // showing a tile to another tile, and the block editor every entry showing a chunk to
    // another chunk, Find Unused lists them; choosing one in its list chooses it in its sheet
    // and shows that editor; undoing the last edit takes it off the list again.
    void findUnusedFollowsTheEditsThatFreeAPiece() {
        EditorFixture& f = *mF;
        f.menu("MenuFindUnused");
        UnusedDock& unused = area().unusedDock();
        const auto listed = [&unused](std::size_t kind) {
            QList<int> pieces;
            for (int row = 0; row < unused.list(kind).count(); ++row) {
                pieces.append(unused.list(kind).item(row)->data(Qt::UserRole).toInt());
            }
            return pieces;
        };
        const auto choose = [&unused](std::size_t kind, int piece) {
            QListWidget& list = unused.list(kind);
            for (int row = 0; row < list.count(); ++row) {
                if (list.item(row)->data(Qt::UserRole).toInt() == piece) {
                    clickItem(list, row);
                }
            }
        };
        QVERIFY(listed(0).isEmpty() && listed(1).isEmpty());
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        f.dialogs->yesNo = {true, true};
        const std::int32_t tile = freeATile();
        QVERIFY(tile > 0);
        QCOMPARE(listed(0), QList<int>{tile});
        f.menu("MenuChunkEditor");  // hidden, or the tile chosen would go into an entry
        choose(0, tile);
        QVERIFY(area().tileDock().isVisible());
        QCOMPARE(area().tileDock().chosenTile(), tile);
        f.menu("MenuUndo");
        QVERIFY(listed(0).isEmpty());

        const auto [chunk, uses] = rarestChunk();
        QVERIFY(chunk > 0 && !uses.empty());
        f.menu("MenuBlockEditor");
        BlockDock& blocks = area().blockDock();
        auto* chunkBox = f.child<QSpinBox>("BlockChunk");
        for (const std::int32_t word : uses) {
            QTest::mouseClick(f.thumbnail(word / kBlockMappingWords), Qt::LeftButton);
            click(blocks.entries(), word % kBlockMappingWords);
            chunkBox->setFocus();
            QTest::keyClick(chunkBox, Qt::Key_Up);
        }
        QCOMPARE(listed(1), QList<int>{chunk});
        choose(1, chunk);
        QVERIFY(chunks.isVisible());
        QCOMPARE(chunks.chosenChunk(), chunk);
        f.menu("MenuUndo");
        QVERIFY(listed(1).isEmpty());
    }

    // Choosing a tile in Find Unused shows it; it never goes into the chosen chunk entry.
    void choosingAnUnusedTileEditsNothing() {
        EditorFixture& f = *mF;
        f.menu("MenuChunkEditor");
        f.menu("MenuFindUnused");
        f.dialogs->yesNo = {true};
        const std::int32_t tile = freeATile();
        QVERIFY(tile > 0);
        QListWidget& list = area().unusedDock().list(0);
        QVERIFY(list.count() == 1);
        const std::vector<std::uint8_t> before = document().parts().chunks.bytes;
        const int steps = count();
        clickItem(list, 0);
        QCOMPARE(area().tileDock().chosenTile(), tile);
        QCOMPARE(count(), steps);
        QCOMPARE(document().parts().chunks.bytes, before);
    }

    // The first edit of tiles other levels load names each of them and asks, No by default;
    // No changes nothing (the pixel editor shows the stored tile again), Yes edits, and later
    // tile edits do not ask; chunks, a part of their own, ask once for themselves. Here zone 4
    // is made to load zone 0's tiles as well.
    void aSharedPieceAsksOnceNamingTheOtherLevels() {
        mF = std::make_unique<EditorFixture>();
        EditorFixture& f = *mF;
        QVERIFY(writeSharingRom(f.romPath));
        setOuterSize(f.window.get(), QSize(1500, 1000));
        f.open();

        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(tile);
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const Pixels shownBefore = tiles.pixelEditor().pixels();
        click(tiles.colours(), (shownBefore[0] + 1) % 16);
        const qsizetype asked = f.dialogs->questions.size();
        const int steps = count();
        f.dialogs->yesNo = {false};
        stroke({{0, 0}, {1, 0}});
        QCOMPARE(f.dialogs->questions.size(), asked + 1);
        const ScriptedDialogs::Question question = f.dialogs->questions.last();
        QVERIFY(!question.defaultYes);
        for (const char* level :
             {"level 2 (zone 0, act 2)", "level 5 (zone 4, act 1)", "level 6 (zone 4, act 2)"}) {
            QVERIFY2(question.text.contains(level), qPrintable(question.text));
        }
        QVERIFY(!question.text.contains("level 1 ") && !question.text.contains("level 3 "));
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(count(), steps);
        QCOMPARE(tiles.pixelEditor().pixels(), shownBefore);

        f.dialogs->yesNo = {true};
        stroke({{0, 0}, {1, 0}});
        QCOMPARE(f.dialogs->questions.size(), asked + 2);
        QCOMPARE(count(), steps + 1);
        QTest::mouseClick(f.child<QToolButton>("TileFlipV"), Qt::LeftButton);
        click(tiles.colours(), (tiles.pixelEditor().pixels()[5 * 8 + 5] + 1) % 16);
        stroke({{5, 5}});
        QCOMPARE(count(), steps + 3);
        QCOMPARE(f.dialogs->questions.size(), asked + 2);

        f.menu("MenuChunkEditor");
        toggle(f.child<QCheckBox>("ChunkFlipX"));
        QCOMPARE(f.dialogs->questions.size(), asked + 3);
        QVERIFY(f.dialogs->questions.last().text.contains("level 2 (zone 0, act 2)"));
        QVERIFY(!f.dialogs->questions.last().text.contains("level 5"));
    }

    // The answers to the sharing question are for one file: a ROM opened next asks afresh.
    void anotherRomAsksAgain() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(*mF);
        TileDock& tiles = openTiles(tile);
        click(tiles.colours(), (tiles.pixelEditor().pixels()[0] + 1) % 16);
        f.dialogs->yesNo = {true};
        stroke({{0, 0}});
        const QString other = f.folder.filePath("sharing.bin");
        QVERIFY(writeSharingRom(other));
        f.dialogs->romFiles = {other};
        f.dialogs->yesNo = {false};  // no migration
        f.dialogs->yesNoCancel = {Answer::No};
        f.menu("MenuOpen");
        QCOMPARE(QString::fromStdString(f.window->session().rom().romPath().string()), other);
        const qsizetype asked = f.dialogs->questions.size();
        f.dialogs->yesNo = {true};
        click(tiles.sheet(), tile);
        const std::uint8_t colour = (tiles.pixelEditor().pixels()[0] + 1) % 16;
        click(tiles.colours(), colour);
        stroke({{0, 0}});
        QCOMPARE(pixelOf(document().parts().tiles.bytes, tile, 0, 0), colour);
        QCOMPARE(f.dialogs->questions.size(), asked + 1);
        QVERIFY(f.dialogs->questions.last().text.contains("level 5 (zone 4, act 1)"));
    }

    // A level whose pieces no other level loads is edited without a question.
    void anUnsharedPieceAsksNothing() {
        EditorFixture& f = *mF;
        f.chooseLevel(18);  // zone 14 has one act
        QCOMPARE(f.layout(), demoRom().layoutData[18]);
        const std::int32_t tile = shownTile(*mF);
        QVERIFY(tile > 0);
        TileDock& tiles = openTiles(tile);
        click(tiles.colours(), (tiles.pixelEditor().pixels()[0] + 1) % 16);
        const int steps = count();
        const qsizetype asked = f.dialogs->questions.size();
        stroke({{0, 0}});
        QCOMPARE(count(), steps + 1);
        QCOMPARE(f.dialogs->questions.size(), asked);
    }

    // A colour picked from the 512 changes that word alone; lines 1 to 3 ask naming the other
    // act, line 0 asks on its own naming every level, and No there leaves line 0 alone.
    void aPickedColourChangesThatWordAlone() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteDock& palette = area().paletteDock();
        PaletteSwatches& swatches = palette.swatches();
        ConsoleColours& console = palette.consoleColours();
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(37).center());
        QCOMPARE(swatches.selected(), 37);
        const PaletteWords before = document().parts().palette;
        const std::uint16_t word = before.words[37] == 0x0A4C ? 0x0246 : 0x0A4C;
        const qsizetype asked = f.dialogs->questions.size();
        f.dialogs->yesNo = {true};
        QTest::mouseClick(&console, Qt::LeftButton, {},
                          console.squareRect(ConsoleColours::indexOf(word)).center());
        PaletteWords expected = before;
        expected.words[37] = word;
        QVERIFY(document().parts().palette == expected);
        const QString hex = QString::number(word, 16).toUpper().rightJustified(4, '0');
        QVERIFY(f.child<QLabel>("PaletteInfo")->text().startsWith("Line 2, colour 5: $" + hex));
        QCOMPARE(f.dialogs->questions.size(), asked + 1);
        QVERIFY(f.dialogs->questions.last().text.contains("level 2 (zone 0, act 2)"));
        QVERIFY(!f.dialogs->questions.last().text.contains("level 3"));

        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(6).center());
        f.dialogs->yesNo = {false};
        const std::uint16_t grey = before.words[6] == 0x0888 ? 0x0666 : 0x0888;
        QTest::mouseClick(&console, Qt::LeftButton, {},
                          console.squareRect(ConsoleColours::indexOf(grey)).center());
        QCOMPARE(f.dialogs->questions.size(), asked + 2);
        QVERIFY(f.dialogs->questions.last().title.contains("palette line 0"));
        QVERIFY(f.dialogs->questions.last().text.contains("level 20"));
        QVERIFY(document().parts().palette == expected);
        // Yes edits line 0, and its later edits ask nothing.
        f.dialogs->yesNo = {true};
        for (const std::uint16_t colour : {grey, std::uint16_t(0x0CCC)}) {
            QTest::mouseClick(&console, Qt::LeftButton, {},
                              console.squareRect(ConsoleColours::indexOf(colour)).center());
            QCOMPARE(document().parts().palette.words[6], colour);
        }
        QCOMPARE(f.dialogs->questions.size(), asked + 3);
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(50).center());
        QTest::mouseClick(&console, Qt::LeftButton, {},
                          console.squareRect(ConsoleColours::indexOf(0x0EEE)).center());
        QCOMPARE(f.dialogs->questions.size(), asked + 3);
        QCOMPARE(document().parts().palette.words[50], 0x0EEE);
    }

    // Shift with Copy takes the whole line; pasted with a colour of another line selected it
    // replaces that line, one step, and the other lines stay.
    void aWholeLineCopiedAndPasted() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteSwatches& swatches = area().paletteDock().swatches();
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(20).center());
        swatches.setFocus();
        QTest::keyClick(&swatches, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().count('$'), 16);
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(57).center());
        const PaletteWords before = document().parts().palette;
        const int steps = count();
        f.dialogs->yesNo = {true};
        QTest::keyClick(&swatches, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(count(), steps + 1);
        PaletteWords expected = before;
        std::copy(before.words.begin() + 16, before.words.begin() + 32,
                  expected.words.begin() + 48);
        QVERIFY(document().parts().palette == expected);
        f.menu("MenuUndo");
        QVERIFY(document().parts().palette == before);
    }

private:
    // Writes the demo ROM to `path` with zone 4 (levels 5 and 6) loading zone 0's tile art.
    static bool writeSharingRom(const QString& path) {
        std::vector<std::uint8_t> image = demoRom().image;
        const auto entry = static_cast<std::size_t>(demoRom().profile.levelArtTable + 12 * 4);
        const auto own = readLong(image, std::int64_t(entry));
        if (!own) {
            return false;
        }
        putLong(image, entry,
                (static_cast<std::uint32_t>(*own) & 0xFF000000u) |
                    static_cast<std::uint32_t>(demoRom().zones[0].tiles.offset));
        return writeBytes(path, image);
    }
    PiecesArea& area() const { return *mF->window->findChild<PiecesArea*>("PiecesArea"); }
    const LevelDocument& document() const { return *mF->window->session().document(); }
    const LevelArt& art() const { return mF->window->session().art(); }
    int count() const { return mF->window->undoStack().count(); }
    std::vector<std::uint8_t> cornerPicture() const {
        return blockPicture(art(), mF->layout().at(0));
    }

    // Shows the tile editor with `tile` clicked in its sheet.
    TileDock& openTiles(std::int32_t tile) {
        mF->menu("MenuTileEditor");
        TileDock& tiles = area().tileDock();
        click(tiles.sheet(), tile);
        return tiles;
    }
    // A pencil gesture: pressed on the first pixel, moved over the others, released on the last.
    void stroke(const QList<QPoint>& pixels) {
        PixelEditor& editor = area().tileDock().pixelEditor();
        const auto at = [&](QPoint p) { return editor.pixelRect(p.x(), p.y()).center(); };
        QTest::mousePress(&editor, Qt::LeftButton, {}, at(pixels.first()));
        for (const QPoint p : pixels.mid(1)) {
            QTest::mouseMove(&editor, at(p));
        }
        QTest::mouseRelease(&editor, Qt::LeftButton, {}, at(pixels.last()));
    }
    // Pastes `pixels` over the chosen tile with the platform's key.
    void paste(const Pixels& pixels) {
        copyToClipboard(pixels);
        PieceSheet& sheet = area().tileDock().sheet();
        sheet.setFocus();
        QTest::keyClick(&sheet, Qt::Key_V, Qt::ControlModifier);
    }

    // The tile of the level's art that the fewest words of the game's chunk table show, all of
    // them in chunks the level stores as the game has them, and those words.
    std::pair<std::int32_t, std::vector<std::int32_t>> rarestTile() const {
        const LevelParts& parts = document().parts();
        const std::vector<std::uint8_t>& table = art().chunkTable;
        const std::int32_t own =
            std::min<std::int32_t>(parts.chunks.wordCount(), std::int32_t(table.size() / 2));
        std::map<std::int32_t, std::vector<std::int32_t>> uses;
        std::set<std::int32_t> changedByTheGame;
        for (std::int32_t w = 0; w < std::int32_t(table.size() / 2); ++w) {
            const std::int32_t tile = tableWord(table, w) & 0x7FF;
            uses[tile].push_back(w);
            if (w >= own || parts.chunks.word(w) != tableWord(table, w)) {
                changedByTheGame.insert(tile);
            }
        }
        const std::vector<TileUse> kinds = videoTileUses(parts, mF->window->session().levelStart());
        std::pair<std::int32_t, std::vector<std::int32_t>> rarest{0, {}};
        for (const auto& [tile, words] : uses) {
            if (tile > 0 && tile < parts.tiles.completeTiles() &&
                !changedByTheGame.contains(tile) &&
                kinds[static_cast<std::size_t>(tile)] == TileUse::LevelArt &&
                (rarest.second.empty() || words.size() < rarest.second.size())) {
                rarest = {tile, words};
            }
        }
        return rarest;
    }
    // Moves every entry of the game's chunk table that shows the rarest tile to the next tile
    // through the chunk editor's tile box; returns that tile.
    std::int32_t freeATile() {
        const auto [tile, entries] = rarestTile();
        ChunkDock& chunks = area().chunkDock();
        auto* tileBox = mF->child<QSpinBox>("ChunkTile");
        for (const std::int32_t word : entries) {
            click(chunks.sheet(), word / kChunkMappingWords);
            click(chunks.entries(), word % kChunkMappingWords);
            tileBox->setFocus();
            QTest::keyClick(tileBox, Qt::Key_Up);
        }
        return entries.empty() ? 0 : tile;
    }
    // The chunk of the level's own that the fewest words of its block mappings show, all of
    // them in blocks the block column lets one choose, and those words.
    std::pair<std::int32_t, std::vector<std::int32_t>> rarestChunk() const {
        const MappingWords& blocks = document().parts().blocks;
        std::map<std::int32_t, std::vector<std::int32_t>> uses;
        std::set<std::int32_t> withheld;
        for (std::int32_t w = 0; w < blocks.wordCount(); ++w) {
            const std::int32_t chunk = blocks.word(w) & 0x3FF;
            uses[chunk].push_back(w);
            if (!mF->thumbnail(w / kBlockMappingWords)->isEnabled()) {
                withheld.insert(chunk);
            }
        }
        std::pair<std::int32_t, std::vector<std::int32_t>> rarest{0, {}};
        for (const auto& [chunk, words] : uses) {
            if (chunk > 0 && chunk < document().parts().chunks.wordCount() / 4 &&
                !withheld.contains(chunk) &&
                (rarest.second.empty() || words.size() < rarest.second.size())) {
                rarest = {chunk, words};
            }
        }
        return rarest;
    }
    // A chunk of the level's and one of its entries whose tile is not `tile`.
    std::optional<std::pair<std::int32_t, std::int32_t>> chunkWithOtherTile(
        std::int32_t tile) const {
        const MappingWords& chunks = document().parts().chunks;
        for (std::int32_t w = kChunkMappingWords; w < chunks.wordCount(); ++w) {
            if ((chunks.word(w) & 0x7FF) != tile) {
                return std::pair{w / kChunkMappingWords, w % kChunkMappingWords};
            }
        }
        return std::nullopt;
    }

    std::unique_ptr<EditorFixture> mF;
};

int runPieceEditorsTest(int argc, char** argv) {
    PieceEditorsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "pieceeditors_test.moc"
