#include "editor/pieces/tiledock.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMimeData>
#include <QScrollArea>
#include <QVBoxLayout>

#include "editor/pieces/pixeltools.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

constexpr std::int32_t kSheetColumns = 16;
const char* const kTileMime = "application/x-orvex-tiles";

QString tileText(std::int32_t tile) {
    return dollarHex(tile, 3);
}

void markTiles(std::vector<TileUse>& uses, std::int32_t first, std::int32_t count, TileUse use) {
    for (std::int32_t t = std::max(0, first); t < std::min(first + count, kBaseTiles); ++t) {
        uses[static_cast<std::size_t>(t)] = use;
    }
}

void markWrites(std::vector<TileUse>& uses, const std::vector<VideoWrite>& writes) {
    for (const VideoWrite& write : writes) {
        const auto bytes = static_cast<std::int32_t>(write.bytes.size());
        markTiles(uses, write.address / kTileBytes, (bytes + kTileBytes - 1) / kTileBytes,
                  TileUse::SpriteArt);
    }
}

QColor markOf(TileUse use) {
    switch (use) {
        case TileUse::Free:
            return {40, 40, 40, 170};
        case TileUse::Animation:
            return {40, 90, 255, 110};
        case TileUse::SpriteArt:
            return {40, 220, 60, 110};
        case TileUse::LevelArt:
            break;
    }
    return Qt::transparent;
}

}  // namespace

std::vector<TileUse> videoTileUses(const LevelParts& parts, const LevelStart& start) {
    std::vector<TileUse> uses(kBaseTiles, TileUse::Free);
    markTiles(uses, 0, start.copiedTiles.value_or(parts.tiles.completeTiles()), TileUse::LevelArt);
    markWrites(uses, start.titleScreen);
    markWrites(uses, start.afterArt);
    for (const AnimationScript& script : start.scripts) {
        markTiles(uses, script.destination, script.tilesPerFrame, TileUse::Animation);
    }
    return uses;
}

TileDock::TileDock(PieceEdits& edits, const EditorSession& session, ActionRegistry& actions,
                   const QString& area, QWidget* parent)
    : QDockWidget("Tiles", parent), mEdits(edits), mSession(session) {
    setObjectName("TileArea");
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    mSheet = new PieceSheet(kBaseTiles, 8, kSheetColumns, body);
    mSheet->setObjectName("TileSheet");
    mSheet->setPainter([this](std::int32_t tile, QImage& picture) {
        const std::array<QRgb, 16> colours = lineColours();
        const std::uint8_t* pixels = mSession.art().tiles.variant(tile);
        for (int i = 0; i < 64; ++i) {
            picture.setPixel(i % 8, i / 8, colours[pixels[i] & 15]);
        }
    });
    auto* scroller = new QScrollArea(body);
    scroller->setObjectName("TileSheetScroller");
    scroller->setWidget(mSheet);
    scroller->setMinimumWidth(kSheetColumns * 8 * 2 + 24);
    row->addWidget(scroller, 1);
    row->addWidget(createTools(body, actions, area));
    setWidget(body);
    connect(mSheet, &PieceSheet::pieceChosen, this, [this] { showChosen(); });
    connect(mSheet, &PieceSheet::copyRequested, this, &TileDock::copyTile);
    connect(mSheet, &PieceSheet::pasteRequested, this, &TileDock::pasteTile);
    connect(mPixels, &PixelEditor::edited, this, [this](const PixelEditor::Pixels& pixels) {
        storeTile(chosenTile(), tileBytes(pixels), "Draw on");
    });
    connect(mPixels, &PixelEditor::colourPicked, this, [this](int c) { mColours->choose(c); });
    connect(mColours, &PieceSheet::pieceChosen, this,
            [this](int c) { mPixels->setColour(static_cast<std::uint8_t>(c)); });
    mColours->choose(1);
}

QWidget* TileDock::createTools(QWidget* body, ActionRegistry& actions, const QString& area) {
    auto* tools = new QWidget(body);
    auto* column = new QVBoxLayout(tools);
    auto* view = new QHBoxLayout;
    mZoom = new QSpinBox(tools);
    mZoom->setObjectName("TileZoom");
    mZoom->setRange(2, 8);
    mZoom->setSuffix("x");
    mLine = new QComboBox(tools);
    mLine->setObjectName("TileLine");
    for (int line = 0; line < kPaletteLines; ++line) {
        mLine->addItem(QString("Line %1").arg(line));
    }
    mLine->setCurrentIndex(1);
    view->addWidget(mZoom);
    view->addWidget(mLine);
    column->addLayout(view);
    mMap = new QCheckBox("Video memory map", tools);
    mMap->setObjectName("TileMemoryMap");
    mMap->setToolTip(
        "Grey: free. Green: sprite art of the cue lists. Blue: animation tiles. "
        "Unmarked: the level's art.");
    column->addWidget(mMap);
    mPixels = new PixelEditor(tools);
    column->addWidget(mPixels);
    mColours = new PieceSheet(16, 1, 16, tools);
    mColours->setObjectName("TileColours");
    mColours->setScale(12);
    mColours->setPainter([this](std::int32_t c, QImage& picture) {
        picture.fill(lineColours()[static_cast<std::size_t>(c)]);
    });
    column->addWidget(mColours);
    auto* buttons = new QGridLayout;
    addPixelTools(*buttons, actions, area);
    const std::array<std::pair<const char*, bool>, 2> flips{{{"Flip H", true}, {"Flip V", false}}};
    for (std::size_t i = 0; i < flips.size(); ++i) {
        auto* button = new QToolButton(tools);
        button->setText(flips[i].first);
        button->setObjectName(flips[i].second ? "TileFlipH" : "TileFlipV");
        connect(button, &QToolButton::clicked, this,
                [this, across = flips[i].second] { flip(across); });
        buttons->addWidget(button, 1, static_cast<int>(i));
    }
    auto* add = new QToolButton(tools);
    add->setText("Add Tile");
    add->setObjectName("TileAdd");
    add->setToolTip("Add an empty tile after the level's last one");
    connect(add, &QToolButton::clicked, this, &TileDock::addTile);
    buttons->addWidget(add, 1, 2);
    column->addLayout(buttons);
    mInfo = new QLabel(tools);
    mInfo->setObjectName("TileInfo");
    mInfo->setWordWrap(true);
    column->addWidget(mInfo);
    column->addStretch();
    connect(mZoom, &QSpinBox::valueChanged, this, [this](int zoom) { mSheet->setScale(zoom); });
    connect(mLine, &QComboBox::currentIndexChanged, this, [this] { artChanged(); });
    connect(mMap, &QCheckBox::toggled, this, [this] { refresh(); });
    return tools;
}

// The pencil (chosen at the start), the fill and the picker: a button each in the first row.
void TileDock::addPixelTools(QGridLayout& buttons, ActionRegistry& actions, const QString& area) {
    mPixelTools = new ToolManager(QString(), 0, this);
    mPixelTools->setCanvas(mPixels);
    mPixels->setTools(mPixelTools);
    const std::array<QAction*, 3> chosen{
        mPixelTools->add(std::make_unique<PencilTool>(*mPixels), actions, area),
        mPixelTools->add(std::make_unique<PixelFillTool>(*mPixels), actions, area),
        mPixelTools->add(std::make_unique<PickerTool>(*mPixels), actions, area)};
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        auto* button = new QToolButton(mPixels->parentWidget());
        button->setDefaultAction(chosen[i]);
        button->setObjectName(chosen[i]->objectName());
        buttons.addWidget(button, 0, static_cast<int>(i));
    }
}

std::array<QRgb, 16> TileDock::lineColours() const {
    std::array<QRgb, 16> colours{};
    const ColourTable& table = mSession.art().colours;
    const auto first = static_cast<std::size_t>(mLine->currentIndex() * kLineColours);
    for (std::size_t c = 0; c < colours.size(); ++c) {
        colours[c] = table[first + c];
    }
    return colours;
}

bool TileDock::editable(std::int32_t tile) const {
    const LevelDocument* document = mEdits.document();
    return document != nullptr && tile >= 0 && tile < document->parts().tiles.completeTiles();
}

void TileDock::refresh() {
    const LevelDocument* document = mEdits.document();
    mUses = document != nullptr ? videoTileUses(document->parts(), mSession.levelStart())
                                : std::vector<TileUse>(kBaseTiles, TileUse::Free);
    mTileCount = document != nullptr ? document->parts().tiles.completeTiles() : -1;
    std::vector<QColor> marks;
    if (mMap->isChecked()) {
        for (const TileUse use : mUses) {
            marks.push_back(markOf(use));
        }
    }
    mSheet->setMarks(std::move(marks));
    artChanged();
}

void TileDock::artChanged() {
    const LevelDocument* document = mEdits.document();
    if (document != nullptr && document->parts().tiles.completeTiles() != mTileCount) {
        mTileCount = document->parts().tiles.completeTiles();
        refresh();  // what fills each tile of video memory changed
        return;
    }
    mSheet->update();
    mColours->update();
    showChosen();
}

// The chosen tile in the pixel editor: the level's art as stored, or (not editable) what the
// game puts there at level start.
void TileDock::showChosen() {
    const std::int32_t tile = chosenTile();
    const LevelDocument* document = mEdits.document();
    const bool own = editable(tile);
    mPixels->setEnabled(own);
    const std::vector<std::uint8_t>& bytes =
        own ? document->parts().tiles.bytes : mSession.art().video.bytes;
    mPixels->setPixels(tilePixels(bytes, tile), lineColours());
    QString text = "Tile " + tileText(tile);
    if (document == nullptr) {
        mInfo->setText(text);
        return;
    }
    static const std::array<const char*, 4> kUseNames{"free", "the level's art", "animation tiles",
                                                      "sprite art of the cue lists"};
    const auto use = static_cast<std::size_t>(mUses[static_cast<std::size_t>(tile)]);
    text += QString(": %1; used by %2 chunk entries").arg(kUseNames[use]).arg(chunkUses(tile));
    if (!own) {
        text += " (not the level's art: cannot be edited here)";
    }
    mInfo->setText(text);
}

// The chunk mapping words of the level whose tile (bits 0-10) is `tile`.
std::int32_t TileDock::chunkUses(std::int32_t tile) const {
    const MappingWords& chunks = mEdits.document()->parts().chunks;
    std::int32_t count = 0;
    for (std::int32_t w = 0; w < chunks.wordCount(); ++w) {
        count += (chunks.word(w) & 0x07FF) == tile ? 1 : 0;
    }
    return count;
}

void TileDock::storeTile(std::int32_t tile, const std::vector<std::uint8_t>& bytes,
                         const char* what) {
    if (!editable(tile)) {
        return;
    }
    const std::vector<std::uint8_t>& art = mEdits.document()->parts().tiles.bytes;
    const auto at = static_cast<std::ptrdiff_t>(tile) * kTileBytes;
    std::vector<std::uint8_t> before(art.begin() + at, art.begin() + at + kTileBytes);
    if (before != bytes) {
        mEdits.push(Part::TileArt, false,
                    std::make_unique<SetTilesCommand>(
                        tile, std::move(before), bytes,
                        std::string(what) + " tile " + tileText(tile).toStdString()));
    }
    showChosen();
}

// The art grows by one tile; a save checks it against the tiles the level's cue lists and
// animations fill after it.
void TileDock::addTile() {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    const std::int32_t count = document->parts().tiles.completeTiles();
    if (count >= kBaseTiles) {
        return;
    }
    if (mEdits.push(Part::TileArt, false,
                    std::make_unique<SetTileCountCommand>(
                        count, count + 1, "Add tile " + tileText(count).toStdString()))) {
        mSheet->choose(count);
    }
}

void TileDock::flip(bool horizontal) {
    const std::int32_t tile = chosenTile();
    if (editable(tile)) {
        const auto pixels = tilePixels(mEdits.document()->parts().tiles.bytes, tile);
        storeTile(tile, tileBytes(flipped(pixels, horizontal)), "Mirror");
    }
}

void TileDock::copyTile() const {
    const std::int32_t tile = chosenTile();
    const std::vector<std::uint8_t> bytes = tileBytes(tilePixels(
        editable(tile) ? mEdits.document()->parts().tiles.bytes : mSession.art().video.bytes,
        tile));
    auto* copied = new QMimeData;
    copied->setData(kTileMime, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size())));
    copied->setText(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()))
                        .toHex(' '));
    QGuiApplication::clipboard()->setMimeData(copied);
}

void TileDock::pasteTile() {
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    const QByteArray bytes = held != nullptr ? held->data(kTileMime) : QByteArray();
    if (bytes.size() != kTileBytes) {
        return;
    }
    storeTile(chosenTile(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()), "Paste");
}

}  // namespace orvex
