#include "editor/pieces/chunkdock.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "document/artlimits.h"
#include "editor/collision/shapeviews.h"
#include "editor/shell/dockfit.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

// A chunk entry's pattern word: bit 15 priority, bits 13-14 palette line, bit 12 Y flip,
// bit 11 X flip, bits 0-10 tile.
constexpr std::uint16_t kPriority = 0x8000;
// The game's chunk table: 768 chunks ($1800 bytes).
constexpr std::int32_t kMostChunks = static_cast<std::int32_t>(kMaxChunkMappingBytes / 8);
constexpr std::uint16_t kFlipY = 0x1000;
constexpr std::uint16_t kFlipX = 0x0800;
constexpr std::uint16_t kTileBits = 0x07FF;

}  // namespace

ChunkDock::ChunkDock(PieceEdits& edits, const EditorSession& session, QWidget* parent)
    : QDockWidget("Chunks", parent), mEdits(edits), mSession(session) {
    setObjectName("ChunkArea");
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    mSheet = new PieceSheet(kBaseChunks, kChunkSide, 16, body);
    mSheet->setObjectName("ChunkSheet");
    mSheet->setPainter([this](std::int32_t chunk, QImage& picture) {
        for (int y = 0; y < kChunkSide; ++y) {
            for (int x = 0; x < kChunkSide; ++x) {
                picture.setPixel(x, y, colourAt(chunk, x, y));
            }
        }
    });
    auto* scroller = new QScrollArea(body);
    scroller->setWidget(mSheet);
    scroller->setMinimumWidth(16 * kChunkSide * 2 + 24);
    row->addWidget(scroller, 1);
    row->addWidget(createControls(body));
    setWidget(body);
    connect(mSheet, &PieceSheet::pieceChosen, this, [this] { refresh(); });
    connect(mEntries, &PieceSheet::pieceChosen, this, [this] { showEntry(); });
}

QWidget* ChunkDock::createControls(QWidget* body) {
    auto* controls = new QWidget(body);
    auto* column = new QVBoxLayout(controls);
    // The chosen chunk large, one quarter (an entry) a piece.
    mEntries = new PieceSheet(4, 8, 2, controls);
    mEntries->setObjectName("ChunkEntries");
    mEntries->setScale(12);
    mEntries->setPainter([this](std::int32_t entry, QImage& picture) {
        const int left = (entry % 2) * 8;
        const int top = (entry / 2) * 8;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                picture.setPixel(x, y, colourAt(chosenChunk(), left + x, top + y));
            }
        }
    });
    column->addWidget(mEntries);
    auto* form = new QFormLayout;
    mTile = new QSpinBox(controls);
    mTile->setObjectName("ChunkTile");
    mTile->setRange(0, kTileBits);
    mTile->setDisplayIntegerBase(16);
    mTile->setPrefix("$");
    mLine = new QComboBox(controls);
    mLine->setObjectName("ChunkLine");
    for (int line = 0; line < kPaletteLines; ++line) {
        mLine->addItem(QString::number(line));
    }
    mFlipX = new QCheckBox("X flip", controls);
    mFlipX->setObjectName("ChunkFlipX");
    mFlipY = new QCheckBox("Y flip", controls);
    mFlipY->setObjectName("ChunkFlipY");
    mPriority = new QCheckBox("Priority", controls);
    mPriority->setObjectName("ChunkPriority");
    form->addRow("Tile", mTile);
    form->addRow("Palette line", mLine);
    form->addRow(mFlipX);
    form->addRow(mFlipY);
    form->addRow(mPriority);
    addShapeControls(*form, controls);
    column->addLayout(form);
    mPick = new QCheckBox("Pick from tile sheet", controls);
    mPick->setObjectName("ChunkPickTiles");
    mPick->setChecked(true);
    column->addWidget(mPick);
    auto* add = new QPushButton("Add Chunk", controls);
    add->setObjectName("ChunkAdd");
    add->setToolTip("Add an empty chunk after the level's last one (the chunk table holds 768)");
    connect(add, &QPushButton::clicked, this, &ChunkDock::addChunk);
    column->addWidget(add);
    mInfo = new QLabel(controls);
    mInfo->setObjectName("ChunkInfo");
    mInfo->setWordWrap(true);
    column->addWidget(mInfo);
    column->addStretch();
    connect(mTile, &QSpinBox::valueChanged, this, &ChunkDock::controlsChanged);
    connect(mLine, &QComboBox::currentIndexChanged, this, &ChunkDock::controlsChanged);
    for (QCheckBox* box : {mFlipX, mFlipY, mPriority}) {
        connect(box, &QCheckBox::toggled, this, &ChunkDock::controlsChanged);
    }
    return controls;
}

QRgb ChunkDock::colourAt(std::int32_t variant, int x, int y) const {
    const LevelArt& art = mSession.art();
    return art.colours[art.chunks.at(variant, x, y) & 0x3Fu];
}

std::optional<std::uint16_t> ChunkDock::entryWord(std::int32_t entry) const {
    const LevelDocument* document = mEdits.document();
    const std::int32_t index = chosenChunk() * kChunkMappingWords + entry;
    if (document == nullptr || index >= document->parts().chunks.wordCount()) {
        return std::nullopt;
    }
    return document->parts().chunks.word(index);
}

void ChunkDock::setEntryWord(std::int32_t entry, std::uint16_t word) {
    const auto before = entryWord(entry);
    if (!before || *before == word) {
        return;
    }
    const std::int32_t index = chosenChunk() * kChunkMappingWords + entry;
    mEdits.push(Part::ChunkMappings, false,
                std::make_unique<SetMappingWordsCommand>(
                    Part::ChunkMappings,
                    std::vector<SetMappingWordsCommand::WordChange>{{index, *before, word}},
                    "Change chunk " + dollarHex(chosenChunk(), 3).toStdString()));
    showEntry();
}

// One empty chunk after the last, as far as the game's chunk table reaches.
void ChunkDock::addChunk() {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    const std::vector<std::uint8_t>& before = document->parts().chunks.bytes;
    const std::int32_t count = document->parts().chunks.wordCount() / kChunkMappingWords;
    if (count >= kMostChunks) {
        mInfo->setText(
            QString("The chunk table holds %1 chunks; no chunk was added").arg(kMostChunks));
        return;
    }
    std::vector<std::uint8_t> after(
        before.begin(),
        before.begin() + static_cast<std::ptrdiff_t>(count) * kChunkMappingWords * 2);
    after.resize(after.size() + static_cast<std::size_t>(kChunkMappingWords) * 2, 0);
    if (mEdits.push(Part::ChunkMappings, false,
                    std::make_unique<ReplaceMappingsCommand>(
                        Part::ChunkMappings, before, std::move(after),
                        "Add chunk " + dollarHex(count, 3).toStdString()))) {
        mSheet->choose(count);
    }
}

void ChunkDock::tilePicked(std::int32_t tile) {
    if (!isVisible() || !mPick->isChecked()) {
        return;
    }
    const std::int32_t entry = mEntries->chosen();
    if (const auto word = entryWord(entry)) {
        setEntryWord(entry, static_cast<std::uint16_t>((*word & ~kTileBits) | (tile & kTileBits)));
        mEntries->choose((entry + 1) % kChunkMappingWords);
    }
}

void ChunkDock::refresh() {
    mSheet->update();
    mEntries->update();
    showEntry();
    showShapes();
}

// The chunk's ground on each path: a button showing the shape, which opens the sheet of all
// 256 shapes to pick another.
void ChunkDock::addShapeControls(QFormLayout& form, QWidget* controls) {
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        auto* button = new QToolButton(controls);
        button->setObjectName(QString("ChunkShape%1").arg(path + 1));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(32, 32));
        button->setToolTip("Pick the chunk's collision shape for this path");
        connect(button, &QToolButton::clicked, this, [this, path] { pickShape(path); });
        mShapeButtons[static_cast<std::size_t>(path)] = button;
        form.addRow(QString("Path %1 shape").arg(path + 1), button);
    }
}

std::optional<std::uint8_t> ChunkDock::chunkShape(std::int32_t path) const {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t>& index =
        document->parts().collision[static_cast<std::size_t>(path)];
    const auto chunk = static_cast<std::size_t>(chosenChunk());
    return chunk < index.size() ? std::optional<std::uint8_t>(index[chunk]) : std::nullopt;
}

void ChunkDock::setChunkShape(std::int32_t path, std::uint8_t shape) {
    const auto before = chunkShape(path);
    if (!before || *before == shape) {
        return;
    }
    mEdits.push(collisionPart(path), false,
                std::make_unique<SetChunkShapeCommand>(path, chosenChunk(), *before, shape));
    showShapes();
}

void ChunkDock::showShapes() {
    const LevelDocument* document = mEdits.document();
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        QToolButton* button = mShapeButtons[static_cast<std::size_t>(path)];
        const auto shape = chunkShape(path);
        button->setEnabled(shape.has_value());
        button->setText(shape ? dollarHex(*shape, 2) : QString("none"));
        QImage picture(kShapeSide, kShapeSide, QImage::Format_ARGB32);
        picture.fill(Qt::black);
        if (shape && document->parts().shapes) {
            paintShape(document->parts().shapes->shapes[*shape], picture);
        }
        button->setIcon(QPixmap::fromImage(picture.scaled(32, 32)));
    }
}

// A popup sheet of the 256 shapes, the chunk's own chosen; a click gives it to the chunk.
void ChunkDock::pickShape(std::int32_t path) {
    const auto shape = chunkShape(path);
    const LevelDocument* document = mEdits.document();
    if (!shape) {
        return;
    }
    auto* popup = new QWidget(this, Qt::Popup);
    popup->setObjectName("ShapePicker");
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* sheet = new ShapeSheet(popup);
    sheet->setObjectName("ShapePickerSheet");
    sheet->setShapes(document->parts().shapes ? &*document->parts().shapes : nullptr);
    auto* scroll = new QScrollArea(popup);
    scroll->setWidget(sheet);
    scroll->setMinimumSize(sheet->size() +
                           QSize(scroll->frameWidth() * 2 + 2, scroll->frameWidth() * 2 + 2));
    layout->addWidget(scroll);
    auto* legend =
        new QLabel(shapeLegend() + " Arrows choose, Return takes, Escape closes.", popup);
    legend->setObjectName("ShapePickerLegend");
    legend->setWordWrap(true);
    legend->setMaximumWidth(scroll->minimumWidth());
    layout->addWidget(legend);
    const auto take = [this, popup, path](int chosen) {
        popup->close();
        setChunkShape(path, static_cast<std::uint8_t>(chosen));
    };
    connect(sheet, &PieceSheet::piecePressed, popup, take);
    connect(sheet, &PieceSheet::pieceActivated, popup, take);
    const QToolButton* button = mShapeButtons[static_cast<std::size_t>(path)];
    const QPoint below = button->mapToGlobal(QPoint(0, button->height()));
    // On the screen whole: a smaller screen than the sheet scrolls it.
    popup->setGeometry(onScreen(QRect(below, popup->sizeHint()), below));
    popup->show();
    sheet->setFocus(Qt::PopupFocusReason);
    sheet->choose(*shape);
}

void ChunkDock::showEntry() {
    mEntries->update();
    const auto word = entryWord(mEntries->chosen());
    mShowing = true;
    for (QWidget* control :
         std::initializer_list<QWidget*>{mTile, mLine, mFlipX, mFlipY, mPriority}) {
        control->setEnabled(word.has_value());
    }
    if (word) {
        mTile->setValue(*word & kTileBits);
        mLine->setCurrentIndex((*word >> 13) & 3);
        mFlipX->setChecked((*word & kFlipX) != 0);
        mFlipY->setChecked((*word & kFlipY) != 0);
        mPriority->setChecked((*word & kPriority) != 0);
    }
    mShowing = false;
    const std::int32_t chunk = chosenChunk();
    mInfo->setText(
        word ? QString("Chunk %1: used by %2 block entries")
                   .arg(dollarHex(chunk, 3))
                   .arg(blockUses(chunk))
             : QString("Chunk %1 is not one of the level's own").arg(dollarHex(chunk, 3)));
}

void ChunkDock::controlsChanged() {
    if (mShowing) {
        return;
    }
    const auto word = static_cast<std::uint16_t>(
        (mPriority->isChecked() ? kPriority : 0) | (mLine->currentIndex() << 13) |
        (mFlipY->isChecked() ? kFlipY : 0) | (mFlipX->isChecked() ? kFlipX : 0) |
        (mTile->value() & kTileBits));
    setEntryWord(mEntries->chosen(), word);
}

// The block mapping words of the level whose chunk (bits 0-9) is `chunk`.
std::int32_t ChunkDock::blockUses(std::int32_t chunk) const {
    const MappingWords& blocks = mEdits.document()->parts().blocks;
    std::int32_t count = 0;
    for (std::int32_t w = 0; w < blocks.wordCount(); ++w) {
        count += (blocks.word(w) & 0x03FF) == chunk ? 1 : 0;
    }
    return count;
}

}  // namespace orvex
