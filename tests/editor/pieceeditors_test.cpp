// The piece editors driven through their widgets: pixel tools, palette, chunk and block entries,
// Find Unused, grown art, and the question before a piece other levels share is edited.

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
#include "graphics/levelart.h"
#include "graphics/levelstart.h"
#include "graphics/palette.h"
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

// Word `index` of the game's chunk table.
std::uint16_t tableWord(const std::vector<std::uint8_t>& table, std::int32_t index) {
    const auto at = static_cast<std::size_t>(index) * 2;
    return static_cast<std::uint16_t>((table.at(at) << 8) | table.at(at + 1));
}

// A tile of the level's own art the map's corner block shows (the game's chunk table); or 0.
std::int32_t shownTile(const EditorFixture& f) {
    const LevelParts& parts = f.window->session().document()->parts();
    const std::vector<std::uint8_t>& table = f.window->session().art().chunkTable;
    const std::vector<TileUse> uses = videoTileUses(parts, f.window->session().levelStart());
    const std::uint8_t block = f.layout().at(0);
    for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
        const std::int32_t chunk = parts.blocks.word(block * kBlockMappingWords + w) & 0x3FF;
        for (std::int32_t q = 0; q < kChunkMappingWords; ++q) {
            const auto index = chunk * kChunkMappingWords + q;
            if ((index + 1) * 2 > std::int32_t(table.size())) {
                continue;
            }
            const std::int32_t tile = tableWord(table, index) & 0x7FF;
            if (tile > 0 && tile < parts.tiles.completeTiles() &&
                uses[static_cast<std::size_t>(tile)] == TileUse::LevelArt) {
                return tile;
            }
        }
    }
    return 0;
}

// A chunk of the level's own that the corner block shows as the level stores it.
std::optional<std::int32_t> shownChunk(const EditorFixture& f) {
    const LevelParts& parts = f.window->session().document()->parts();
    const std::vector<std::uint8_t>& table = f.window->session().art().chunkTable;
    const std::uint8_t block = f.layout().at(0);
    for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
        const std::int32_t chunk = parts.blocks.word(block * kBlockMappingWords + w) & 0x3FF;
        const auto at = static_cast<std::size_t>(chunk * 8);
        if (chunk > 0 && (chunk + 1) * kChunkMappingWords <= parts.chunks.wordCount() &&
            at + 8 <= table.size() &&
            std::equal(table.begin() + at, table.begin() + at + 8,
                       parts.chunks.bytes.begin() + at)) {
            return chunk;
        }
    }
    return std::nullopt;
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

using Uses = std::map<std::int32_t, std::vector<std::int32_t>>;

// The piece above 0 that `accept` takes with the fewest uses, and those uses; or {0, {}}.
template <typename Accept>
std::pair<std::int32_t, std::vector<std::int32_t>> fewest(const Uses& uses, Accept accept) {
    std::pair<std::int32_t, std::vector<std::int32_t>> rarest{0, {}};
    for (const auto& [piece, words] : uses) {
        if (piece > 0 && accept(piece) &&
            (rarest.second.empty() || words.size() < rarest.second.size())) {
            rarest = {piece, words};
        }
    }
    return rarest;
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

    // A stroke changes exactly the pixels it crosses, one step, redrawn on the map; a no-op is
    // none.
    void aStrokeChangesExactlyThePixelsItCrosses() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(f);
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
        std::vector<std::uint8_t> expected = before;  // the left pixel in the high nibble
        for (const QPoint p : crossed) {
            std::uint8_t& byte = expected.at(std::size_t(tile * 32 + p.y() * 4 + p.x() / 2));
            byte = std::uint8_t(p.x() % 2 == 0 ? (byte & 0x0F) | (colour << 4)
                                               : (byte & 0xF0) | colour);
        }
        QCOMPARE(document().parts().tiles.bytes, expected);
        const std::vector<std::uint8_t> mapAfter = cornerPicture();
        QVERIFY(mapAfter != mapBefore);
        f.menu("MenuUndo");
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(cornerPicture(), mapBefore);
        QCOMPARE(tiles.pixelEditor().pixels(), documentPixels(before, tile));
        f.menu("MenuRedo");
        QCOMPARE(cornerPicture(), mapAfter);
        stroke({{1, 1}, {2, 1}});
        QCOMPARE(count(), steps + 1);
    }

    // Picker (by a user's key) edits nothing; fill stops at a diagonal wall; pencil; flips.
    void thePixelToolsOnAPastedTile() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        const std::int32_t tile = shownTile(f);
        TileDock& tiles = openTiles(tile);
        PixelEditor& pixels = tiles.pixelEditor();
        const auto clickPixel = [&pixels](int x, int y) {
            QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(x, y).center());
        };
        const auto stored = [&] { return documentPixels(document().parts().tiles.bytes, tile); };
        const Pixels walled = pattern({"20000000", "02000000", "00200000", "00020000", "07002000",
                                       "00000200", "00000020", "00000002"});
        f.dialogs->yesNo.append(true);
        paste(walled);
        QCOMPARE(stored(), walled);
        const int steps = count();
        QVERIFY(!f.window->actions().setKeys("TilePicker", {QKeySequence(Qt::Key_K)}));
        f.key(Qt::Key_K);
        f.window->actions().resetKeys();
        QVERIFY(f.child<QToolButton>("TilePicker")->isChecked());
        clickPixel(1, 4);
        QCOMPARE(tiles.colours().chosen(), 7);
        QCOMPARE(stored(), walled);
        QCOMPARE(count(), steps);

        QTest::mouseClick(f.child<QToolButton>("TileFill"), Qt::LeftButton);
        QVERIFY(!f.child<QToolButton>("TilePicker")->isChecked());
        click(tiles.colours(), 5);
        clickPixel(0, 5);
        Pixels drawn = pattern({"20000000", "52000000", "55200000", "55520000", "57552000",
                                "55555200", "55555520", "55555552"});
        QCOMPARE(stored(), drawn);
        QVERIFY(overviewShows(f, Plane::Foreground));
        clickPixel(0, 7);
        QCOMPARE(count(), steps + 1);
        QTest::mouseClick(f.child<QToolButton>("TilePencil"), Qt::LeftButton);
        QTest::mouseClick(&pixels, Qt::LeftButton, {},
                          pixels.pixelRect(6, 4).bottomRight() - QPoint(2, 2));
        drawn[4 * 8 + 6] = 5;
        QCOMPARE(stored(), drawn);

        Pixels down{};
        Pixels across{};
        for (std::size_t i = 0; i < 64; ++i) {
            down[i] = drawn[(7 - i / 8) * 8 + i % 8];
            across[i] = drawn[63 - i];  // flipped both ways
        }
        QTest::mouseClick(f.child<QToolButton>("TileFlipV"), Qt::LeftButton);
        QCOMPARE(stored(), down);
        QTest::mouseClick(f.child<QToolButton>("TileFlipH"), Qt::LeftButton);
        QCOMPARE(stored(), across);
        QCOMPARE(pixels.pixels(), across);
        QCOMPARE(count(), steps + 4);
        f.menu("MenuUndo");
        QCOMPARE(stored(), down);
        f.menu("MenuUndo");
        QCOMPARE(stored(), drawn);
    }

    // Other art is copied, never changed; Copy/Paste act on the focused sheet; a re-paste is none.
    void copyFromOtherArtPasteOnlyIntoTheLevels() {
        EditorFixture& f = *mF;
        const std::int32_t own = shownTile(f);
        TileDock& tiles = openTiles(own);
        const std::vector<std::uint8_t>& video = f.window->session().art().video.bytes;
        std::int32_t other = document().parts().tiles.completeTiles();
        while (other < kBaseTiles &&
               std::all_of(video.begin() + other * 32, video.begin() + other * 32 + 32,
                           [](std::uint8_t b) { return b == 0; })) {
            ++other;
        }
        QVERIFY(other < kBaseTiles);
        click(tiles.sheet(), other);
        QVERIFY(!tiles.pixelEditor().isEnabled());
        QVERIFY(f.child<QLabel>("TileInfo")->text().contains("cannot be edited here"));
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        tiles.sheet().setFocus();
        f.menu("MenuCopy");
        const std::vector<std::uint8_t> before = document().parts().tiles.bytes;
        const std::vector<std::uint8_t> layout = f.layout();
        const qsizetype asked = f.dialogs->questions.size();
        QTest::keyClick(&tiles.sheet(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(document().parts().tiles.bytes, before);
        QCOMPARE(f.dialogs->questions.size(), asked);
        click(tiles.sheet(), own);
        tiles.sheet().setFocus();
        const int steps = count();
        f.dialogs->yesNo.append(true);
        f.menu("MenuPaste");
        QCOMPARE(count(), steps + 1);
        QCOMPARE(documentPixels(document().parts().tiles.bytes, own), documentPixels(video, other));
        QCOMPARE(tiles.pixelEditor().pixels(), documentPixels(video, other));
        QCOMPARE(f.layout(), layout);
        QTest::keyClick(&tiles.sheet(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(count(), steps + 1);
    }

    // A click on the zoomed sheet chooses the tile there; its count of uses follows a chunk edit.
    void zoomAndUseCount() {
        EditorFixture& f = *mF;
        const std::int32_t tile = shownTile(f);
        TileDock& tiles = openTiles(0);
        auto* zoom = f.child<QSpinBox>("TileZoom");
        zoom->setFocus();
        QTest::keyClick(zoom, Qt::Key_Up);
        QTest::keyClick(zoom, Qt::Key_Up);
        QTest::mouseClick(&tiles.sheet(), Qt::LeftButton, {},
                          QPoint(4 * 8 * (tile % 16) + 5, 4 * 8 * (tile / 16) + 30));
        QCOMPARE(tiles.chosenTile(), tile);
        const MappingWords& chunks = document().parts().chunks;
        int uses = 0;
        std::optional<std::int32_t> otherWord;  // an entry of the level's own with another tile
        for (std::int32_t w = 0; w < chunks.wordCount(); ++w) {
            const bool shows = (chunks.word(w) & 0x7FF) == tile;
            uses += shows ? 1 : 0;
            if (!shows && !otherWord && w >= kChunkMappingWords) {
                otherWord = w;
            }
        }
        QVERIFY(uses > 0 && otherWord);
        auto* info = f.child<QLabel>("TileInfo");
        QVERIFY(info->text().contains(QString("used by %1 chunk entries").arg(uses)));
        f.menu("MenuChunkEditor");
        ChunkDock& chunkDock = area().chunkDock();
        click(chunkDock.sheet(), *otherWord / kChunkMappingWords);
        click(chunkDock.entries(), *otherWord % kChunkMappingWords);
        f.dialogs->yesNo.append(true);
        click(tiles.sheet(), tile);
        QVERIFY(info->text().contains(QString("used by %1 chunk entries").arg(uses + 1)));
    }

    // Each chunk entry control sets its bits alone; picked tiles fill entries in turn, wrapping.
    void chunkEntryControlsAndPickedTiles() {
        EditorFixture& f = *mF;
        const auto shown = shownChunk(f);
        QVERIFY(shown);
        f.menu("MenuTileEditor");
        f.menu("MenuChunkEditor");
        ChunkDock& chunks = area().chunkDock();
        click(chunks.sheet(), *shown);
        click(chunks.entries(), 1);
        const std::uint16_t original = *chunks.entryWord(1);
        const int steps = count();
        std::uint16_t expected = original;
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

        PieceSheet& tileSheet = area().tileDock().sheet();
        click(chunks.entries(), 2);
        std::array<std::uint16_t, 4> words{};
        for (std::int32_t e = 0; e < 4; ++e) {
            words[static_cast<std::size_t>(e)] = *chunks.entryWord(e);
        }
        const int picks = count();
        const std::array<std::int32_t, 3> picked{5, 6, 7};
        for (const std::int32_t pick : picked) {
            click(tileSheet, pick);
        }
        QCOMPARE(count(), picks + 3);
        for (std::size_t i = 0; i < picked.size(); ++i) {
            const std::size_t entry = (2 + i) % 4;
            QCOMPARE(*chunks.entryWord(std::int32_t(entry)),
                     std::uint16_t((words[entry] & 0xF800) | picked[i]));
        }
        QCOMPARE(*chunks.entryWord(1), words[1]);
        QCOMPARE(chunks.entries().chosen(), 1);
        toggle(f.child<QCheckBox>("ChunkPickTiles"));
        click(tileSheet, 9);
        QCOMPARE(count(), picks + 3);
        QCOMPARE(*chunks.entryWord(1), words[1]);

        const std::int32_t beyond = document().parts().chunks.wordCount() / 4;
        QVERIFY(beyond < kBaseChunks);
        click(chunks.sheet(), beyond);
        QVERIFY(!chunks.entryWord(0));
        QVERIFY(!f.child<QCheckBox>("ChunkFlipX")->isEnabled());
        QVERIFY(f.child<QLabel>("ChunkInfo")->text().contains("not one of the level's own"));
    }

    // Shift-chosen entries take flag boxes together; paint keeps flags; Copy Into is one step.
    void blockEntriesPaintAndCopyInto() {
        EditorFixture& f = *mF;
        const std::uint8_t block = f.layout().at(0);
        f.menu("MenuChunkEditor");
        f.menu("MenuBlockEditor");
        QTest::mouseClick(f.thumbnail(block), Qt::LeftButton);
        BlockDock& blocks = area().blockDock();
        QCOMPARE(blocks.block(), block);
        PieceSheet& entries = blocks.entries();
        click(entries, 0);
        QTest::mouseClick(&entries, Qt::LeftButton, Qt::ShiftModifier,
                          entries.pieceRect(9).center());
        QCOMPARE(entries.selection(), (std::vector<std::int32_t>{0, 1, 8, 9}));
        QVERIFY(f.child<QLabel>("BlockInfo")->text().contains("4 entries chosen"));
        const auto words = [&blocks] {
            std::vector<std::uint16_t> all;
            for (std::int32_t e = 0; e < kBlockMappingWords; ++e) {
                all.push_back(*blocks.entryWord(e));
            }
            return all;
        };
        const std::vector<std::uint16_t> original = words();
        std::vector<std::uint16_t> expected = original;
        const int steps = count();
        f.dialogs->yesNo.append(true);  // both acts read the blocks
        const std::array<std::pair<const char*, std::uint16_t>, 6> controls{{
            {"BlockFlipX", 0x0400},
            {"BlockFlipY", 0x0800},
            {"BlockSolid0", 0x1000},
            {"BlockSolid1", 0x2000},
            {"BlockSolid2", 0x4000},
            {"BlockSolid3", 0x8000},
        }};
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const auto [name, bit] = controls[i];
            const bool set = (expected[0] & bit) == 0;  // the box shows the first entry
            toggle(f.child<QCheckBox>(name));
            for (const std::size_t e : std::array<std::size_t, 4>{0, 1, 8, 9}) {
                expected[e] =
                    static_cast<std::uint16_t>(set ? expected[e] | bit : expected[e] & ~bit);
            }
            QCOMPARE(words(), expected);
            QCOMPARE(count(), steps + int(i) + 1);
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            f.menu("MenuUndo");
        }
        QCOMPARE(words(), original);

        const std::vector<std::uint8_t> pictureBefore = blockPicture(art(), block);
        const std::uint16_t chunk = (original[0] & 0x3FF) == 3 ? 4 : 3;
        click(area().chunkDock().sheet(), chunk);
        toggle(f.child<QCheckBox>("BlockPaint"));
        QTest::mousePress(&entries, Qt::LeftButton, {}, entries.pieceRect(0).center());
        QTest::mouseMove(&entries, entries.pieceRect(1).center());
        QTest::mouseMove(&entries, entries.pieceRect(2).center());
        QTest::mouseRelease(&entries, Qt::LeftButton, {}, entries.pieceRect(2).center());
        QCOMPARE(count(), steps + 1);
        for (std::size_t e = 0; e < 3; ++e) {
            QCOMPARE(words()[e], std::uint16_t((original[e] & 0xFC00) | chunk));
        }
        QVERIFY(f.child<QLabel>("BlockInfo")->text().contains("kept its own X and Y flip"));
        QVERIFY(blockPicture(art(), block) != pictureBefore);

        const std::int32_t target = block == 0x7F ? 0x7E : 0x7F;
        const std::vector<std::uint8_t> targetBefore = blockPicture(art(), target);
        QVERIFY(targetBefore != blockPicture(art(), block));
        auto* spin = f.child<QSpinBox>("BlockCopyTarget");
        auto* button = f.child<QPushButton>("BlockCopyInto");
        spin->setValue(block);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps + 1);
        spin->setValue(target);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps + 2);
        const MappingWords& mappings = document().parts().blocks;
        for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
            QCOMPARE(mappings.word(target * kBlockMappingWords + w),
                     mappings.word(block * kBlockMappingWords + w));
        }
        QCOMPARE(blockPicture(art(), target), blockPicture(art(), block));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(count(), steps + 2);
        f.menu("MenuUndo");
        QCOMPARE(blockPicture(art(), target), targetBefore);
    }

    // Add Tile and Add Chunk append one empty piece, chosen and editable, one step each.
    void addTileAndAddChunkAppendOneEmptyPiece() {
        EditorFixture& f = *mF;
        f.menu("MenuTileEditor");
        TileDock& tiles = area().tileDock();
        const std::vector<std::uint8_t> tileBytes = document().parts().tiles.bytes;
        const std::int32_t tileCount = document().parts().tiles.completeTiles();
        const int steps = count();
        f.dialogs->yesNo = {true, true};  // both acts share the tiles, and the chunks
        QTest::mouseClick(f.child<QToolButton>("TileAdd"), Qt::LeftButton);
        QCOMPARE(document().parts().tiles.completeTiles(), tileCount + 1);
        QCOMPARE(tiles.sheet().chosen(), tileCount);
        tiles.colours().choose(3);
        PixelEditor& pixels = tiles.pixelEditor();
        QTest::mouseClick(&pixels, Qt::LeftButton, {}, pixels.pixelRect(4, 4).center());
        QCOMPARE(count(), steps + 2);
        QCOMPARE(document().parts().tiles.bytes.at(std::size_t(tileCount) * 32 + 4 * 4 + 2),
                 std::uint8_t{0x30});
        f.menu("MenuUndo");
        f.menu("MenuUndo");
        QCOMPARE(document().parts().tiles.bytes, tileBytes);
        QVERIFY(!tiles.editable(tileCount));

        f.menu("MenuChunkEditor");
        const std::int32_t chunks = document().parts().chunks.wordCount() / kChunkMappingWords;
        const std::vector<std::uint8_t> chunkBytes = document().parts().chunks.bytes;
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

    // A block the other act places is used: Find Unused, the count, the question, Find Free.
    void blockUsesCountEveryLevelReadingTheBlocks() {
        EditorFixture& f = *mF;
        const auto& others = f.window->session().sharingLayouts();
        QVERIFY(!others.empty());
        QCOMPARE(others.front().level, std::int16_t{1});
        const std::vector<std::uint8_t>& other = others.front().layout.bytes();
        const auto placed =
            std::find_if(other.begin(), other.end(), [](std::uint8_t b) { return b != 0; });
        QVERIFY(placed != other.end());
        const std::uint8_t block = *placed;
        const std::vector<std::uint8_t> own = f.layout();
        std::vector<CellBlock> cleared;
        for (std::int32_t at = 0; at < std::int32_t(own.size()); ++at) {
            if (own[static_cast<std::size_t>(at)] == block) {
                cleared.push_back({LayoutCell{at / kLayoutRowBytes, at % kLayoutRowBytes}, 0});
            }
        }
        f.window->session().document()->setBlocks(cleared);
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
        QVERIFY(info.contains(QString("0 cells in level 1 (shown), %1 in level 2").arg(inOther)));
        f.dialogs->yesNo = {false};
        toggle(f.child<QCheckBox>("BlockFlipX"));
        QVERIFY(f.dialogs->questions.last().text.contains(
            QString("level 2 (zone 0, act 2): %1 cells hold block %2")
                .arg(inOther)
                .arg(dollarHex(block, 2))));

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

    // A freed tile or chunk is listed in Find Unused until undone; choosing it edits nothing.
    void findUnusedFollowsTheEdits() {
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
        const std::vector<std::uint8_t> chunkBytes = document().parts().chunks.bytes;
        const int steps = count();
        choose(0, tile);
        QVERIFY(area().tileDock().isVisible());
        QCOMPARE(area().tileDock().chosenTile(), tile);
        QCOMPARE(count(), steps);
        QCOMPARE(document().parts().chunks.bytes, chunkBytes);
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

        const QList<int> freeBlocks = listed(2);
        QVERIFY(!freeBlocks.isEmpty());
        choose(2, freeBlocks.last());
        QCOMPARE(int{f.selected()}, freeBlocks.last());
        f.place(freeBlocks.last(), 0);
        QCOMPARE(listed(2), freeBlocks.mid(0, freeBlocks.size() - 1));
    }

    // Shared tiles ask once a part and file, naming the other levels, No by default.
    void aSharedPieceAsksOnceNamingTheOtherLevels() {
        mF = std::make_unique<EditorFixture>();
        EditorFixture& f = *mF;
        QVERIFY(writeSharingRom(f.romPath));
        setOuterSize(f.window.get(), QSize(1500, 1000));
        f.open();

        const std::int32_t tile = shownTile(f);
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
            QVERIFY(question.text.contains(level));
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

        f.menu("MenuChunkEditor");  // hidden, or a tile clicked would go into its entry
        const QString other = f.folder.filePath("other.bin");
        QVERIFY(QFile::copy(f.romPath, other));
        f.dialogs->romFiles = {other};
        f.dialogs->yesNoCancel = {Answer::No};
        f.menu("MenuOpen");
        const qsizetype reopened = f.dialogs->questions.size();
        f.dialogs->yesNo = {true};
        click(tiles.sheet(), tile);
        const auto colour = std::uint8_t((tiles.pixelEditor().pixels()[0] + 1) % 16);
        click(tiles.colours(), colour);
        stroke({{0, 0}});
        QCOMPARE(pixelOf(document().parts().tiles.bytes, tile, 0, 0), colour);
        QCOMPARE(f.dialogs->questions.size(), reopened + 1);
        QVERIFY(f.dialogs->questions.last().text.contains("level 5 (zone 4, act 1)"));

        f.dialogs->yesNoCancel = {Answer::No};
        f.chooseLevel(18);  // zone 14 has one act
        QCOMPARE(f.layout(), demoRom().layoutData[18]);
        const std::int32_t alone = shownTile(f);
        QVERIFY(alone > 0);
        click(tiles.sheet(), alone);
        click(tiles.colours(), (tiles.pixelEditor().pixels()[0] + 1) % 16);
        const int before18 = count();
        const qsizetype asked18 = f.dialogs->questions.size();
        stroke({{0, 0}});
        QCOMPARE(count(), before18 + 1);
        QCOMPARE(f.dialogs->questions.size(), asked18);
    }

    // A picked colour changes its word alone; line 0 asks on its own, naming every level.
    void aPickedColourChangesThatWordAlone() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        const QImage mapBefore = f.canvas()->grab().toImage();
        PaletteDock& palette = area().paletteDock();
        PaletteSwatches& swatches = palette.swatches();
        ConsoleColours& console = palette.consoleColours();
        const auto pick = [&console](std::uint16_t word) {
            QTest::mouseClick(&console, Qt::LeftButton, {},
                              console.squareRect(ConsoleColours::indexOf(word)).center());
        };
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(37).center());
        QCOMPARE(swatches.selected(), 37);
        const PaletteWords before = document().parts().palette;
        const std::uint16_t word = before.words[37] == 0x0A4C ? 0x0246 : 0x0A4C;
        const qsizetype asked = f.dialogs->questions.size();
        const int steps = count();
        f.dialogs->yesNo = {true};
        pick(word);
        PaletteWords expected = before;
        expected.words[37] = word;
        QVERIFY(document().parts().palette == expected);
        QCOMPARE(art().colours[37], colourOf(word));
        const QString hex = QString::number(word, 16).toUpper().rightJustified(4, '0');
        QVERIFY(f.child<QLabel>("PaletteInfo")->text().startsWith("Line 2, colour 5: $" + hex));
        QCOMPARE(f.dialogs->questions.size(), asked + 1);
        QVERIFY(f.dialogs->questions.last().text.contains("level 2 (zone 0, act 2)"));
        QVERIFY(!f.dialogs->questions.last().text.contains("level 3"));

        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(6).center());
        f.dialogs->yesNo = {false};
        const std::uint16_t grey = before.words[6] == 0x0888 ? 0x0666 : 0x0888;
        pick(grey);
        QCOMPARE(f.dialogs->questions.size(), asked + 2);
        QVERIFY(f.dialogs->questions.last().title.contains("palette line 0"));
        QVERIFY(f.dialogs->questions.last().text.contains("level 20"));
        QVERIFY(document().parts().palette == expected);
        f.dialogs->yesNo = {true};
        for (const std::uint16_t colour : {grey, std::uint16_t(0x0CCC)}) {
            pick(colour);
            QCOMPARE(document().parts().palette.words[6], colour);
        }
        QCOMPARE(f.dialogs->questions.size(), asked + 3);
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(50).center());
        pick(0x0EEE);
        QCOMPARE(f.dialogs->questions.size(), asked + 3);
        QCOMPARE(document().parts().palette.words[50], 0x0EEE);
        for (int step = count(); step > steps; --step) {
            f.menu("MenuUndo");
        }
        QVERIFY(document().parts().palette == before);
        QCOMPARE(f.canvas()->grab().toImage(), mapBefore);
    }

    // Copy and Paste carry a colour; with Shift, Copy takes the line, pasted over another line.
    void coloursAndWholeLinesCopiedAndPasted() {
        EditorFixture& f = *mF;
        f.menu("MenuPaletteEditor");
        PaletteSwatches& swatches = area().paletteDock().swatches();
        PaletteWords expected = document().parts().palette;
        swatches.select(20);
        swatches.setFocus();
        QTest::keyClick(&swatches, Qt::Key_C, Qt::ControlModifier);
        swatches.select(21);
        f.dialogs->yesNo = {true};
        QTest::keyClick(&swatches, Qt::Key_V, Qt::ControlModifier);
        expected.words[21] = expected.words[20];
        QVERIFY(document().parts().palette == expected);

        const PaletteWords before = expected;
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(20).center());
        QTest::keyClick(&swatches, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().count('$'), 16);
        QTest::mouseClick(&swatches, Qt::LeftButton, {}, swatches.squareRect(57).center());
        const int steps = count();
        QTest::keyClick(&swatches, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(count(), steps + 1);
        std::copy(before.words.begin() + 16, before.words.begin() + 32,
                  expected.words.begin() + 48);
        QVERIFY(document().parts().palette == expected);
        f.menu("MenuUndo");
        QVERIFY(document().parts().palette == before);
    }

    // Art grown past its place is moved to the file's end only when the save is allowed to.
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
        QVERIFY(f.dialogs->questions.last().text.contains("Move it to the end of the file"));
        QCOMPARE(fileBytes(f.romPath), before);
        QVERIFY(f.unsaved());
        f.dialogs->yesNo = {true};
        f.menu("MenuSave");
        QVERIFY(!f.unsaved());
        QVERIFY(fileBytes(f.romPath) != before);
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
    int count() const { return mF->window->undoStack().index(); }
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

    // The level's tile fewest words of the game's chunk table show (all as the level stores).
    std::pair<std::int32_t, std::vector<std::int32_t>> rarestTile() const {
        const LevelParts& parts = document().parts();
        const std::vector<std::uint8_t>& table = art().chunkTable;
        const std::int32_t own =
            std::min<std::int32_t>(parts.chunks.wordCount(), std::int32_t(table.size() / 2));
        Uses uses;
        std::set<std::int32_t> changedByTheGame;
        for (std::int32_t w = 0; w < std::int32_t(table.size() / 2); ++w) {
            const std::int32_t tile = tableWord(table, w) & 0x7FF;
            uses[tile].push_back(w);
            if (w >= own || parts.chunks.word(w) != tableWord(table, w)) {
                changedByTheGame.insert(tile);
            }
        }
        const std::vector<TileUse> kinds = videoTileUses(parts, mF->window->session().levelStart());
        return fewest(uses, [&](std::int32_t tile) {
            return tile < parts.tiles.completeTiles() && !changedByTheGame.contains(tile) &&
                   kinds[static_cast<std::size_t>(tile)] == TileUse::LevelArt;
        });
    }
    // Moves every entry showing the rarest tile to the next tile in the chunk editor; that tile.
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
    // The level's chunk the fewest words of its blocks show (all in blocks one can choose).
    std::pair<std::int32_t, std::vector<std::int32_t>> rarestChunk() const {
        const MappingWords& blocks = document().parts().blocks;
        Uses uses;
        std::set<std::int32_t> withheld;
        for (std::int32_t w = 0; w < blocks.wordCount(); ++w) {
            const std::int32_t chunk = blocks.word(w) & 0x3FF;
            uses[chunk].push_back(w);
            if (!mF->thumbnail(w / kBlockMappingWords)->isEnabled()) {
                withheld.insert(chunk);
            }
        }
        return fewest(uses, [&](std::int32_t chunk) {
            return chunk < document().parts().chunks.wordCount() / 4 && !withheld.contains(chunk);
        });
    }

    std::unique_ptr<EditorFixture> mF;
};

int runPieceEditorsTest(int argc, char** argv) {
    PieceEditorsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "pieceeditors_test.moc"
