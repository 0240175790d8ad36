#include "editor/pieces/blockdock.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "editor/shell/blockuses.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

// The first solidity bit of a block mapping word (see levelformat.h).
constexpr int kFirstSolidBit = 12;

}  // namespace

BlockDock::BlockDock(PieceEdits& edits, const EditorSession& session,
                     std::function<std::int32_t()> chosenChunk, QWidget* parent)
    : QDockWidget("Blocks", parent),
      mEdits(edits),
      mSession(session),
      mChosenChunk(std::move(chosenChunk)) {
    setObjectName("BlockArea");
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    mEntries = new PieceSheet(kBlockMappingWords, kChunkSide, kChunksPerBlockRow, body);
    mEntries->setObjectName("BlockEntries");
    mEntries->setScale(3);
    mEntries->setRangeSelection(true);
    mEntries->setPainter([this](std::int32_t entry, QImage& picture) {
        const LevelArt& art = mSession.art();
        const int left = (entry % kChunksPerBlockRow) * kChunkSide;
        const int top = (entry / kChunksPerBlockRow) * kChunkSide;
        for (int y = 0; y < kChunkSide; ++y) {
            const std::uint8_t* from = art.blocks.row(mBlock, top + y);
            for (int x = 0; x < kChunkSide; ++x) {
                picture.setPixel(x, y, art.colours[from[left + x] & 0x3Fu]);
            }
        }
    });
    row->addWidget(mEntries, 0, Qt::AlignTop);
    row->addWidget(createControls(body));
    setWidget(body);
    // A press, not the choice: clicking the chosen entry again paints it too; a drag paints
    // every entry it crosses, as one step.
    connect(mEntries, &PieceSheet::pieceChosen, this, [this] { showEntry(); });
    connect(mEntries, &PieceSheet::rangeChosen, this, [this] { showEntry(); });
    connect(mEntries, &PieceSheet::piecePressed, this, &BlockDock::strokeStarted);
    connect(mEntries, &PieceSheet::pieceDragged, this, &BlockDock::strokeReached);
    connect(mEntries, &PieceSheet::dragFinished, this, &BlockDock::strokeFinished);
}

QWidget* BlockDock::createControls(QWidget* body) {
    auto* controls = new QWidget(body);
    auto* column = new QVBoxLayout(controls);
    auto* form = new QFormLayout;
    mChunk = new QSpinBox(controls);
    mChunk->setObjectName("BlockChunk");
    mChunk->setRange(0, kBlockChunkBits);
    mChunk->setDisplayIntegerBase(16);
    mChunk->setPrefix("$");
    form->addRow("Chunk", mChunk);
    mFlipX = new QCheckBox("X flip", controls);
    mFlipX->setObjectName("BlockFlipX");
    mFlipY = new QCheckBox("Y flip", controls);
    mFlipY->setObjectName("BlockFlipY");
    form->addRow(mFlipX);
    form->addRow(mFlipY);
    const std::array<const char*, 4> solid{"Path 1 top solid", "Path 1 sides and bottom solid",
                                           "Path 2 top solid", "Path 2 sides and bottom solid"};
    for (std::size_t i = 0; i < solid.size(); ++i) {
        mSolid[i] = new QCheckBox(solid[i], controls);
        mSolid[i]->setObjectName(QString("BlockSolid%1").arg(i));
        form->addRow(mSolid[i]);
    }
    column->addLayout(form);
    mPaint = new QCheckBox("Paint with chosen chunk", controls);
    mPaint->setObjectName("BlockPaint");
    column->addWidget(mPaint);
    auto* copy = new QHBoxLayout;
    mTarget = new QSpinBox(controls);
    mTarget->setObjectName("BlockCopyTarget");
    mTarget->setRange(0, kBlockCount - 1);
    mTarget->setDisplayIntegerBase(16);
    mTarget->setPrefix("$");
    auto* copyButton = new QPushButton("Copy into block", controls);
    copyButton->setObjectName("BlockCopyInto");
    copy->addWidget(copyButton);
    copy->addWidget(mTarget);
    column->addLayout(copy);
    auto* findFree = new QPushButton("Find Free Block", controls);
    findFree->setObjectName("BlockFindFree");
    findFree->setToolTip(
        "Choose the first block after $00 that no cell holds in any level reading these blocks, "
        "and make it the target of Copy into block");
    column->addWidget(findFree);
    mInfo = new QLabel(controls);
    mInfo->setObjectName("BlockInfo");
    mInfo->setWordWrap(true);
    column->addWidget(mInfo);
    column->addStretch();
    connect(copyButton, &QPushButton::clicked, this, [this] { copyInto(mTarget->value()); });
    connect(findFree, &QPushButton::clicked, this, &BlockDock::findFreeBlock);
    connect(mChunk, &QSpinBox::valueChanged, this,
            [this](int chunk) { changeField(kBlockChunkBits, static_cast<std::uint16_t>(chunk)); });
    connect(mFlipX, &QCheckBox::toggled, this,
            [this](bool on) { changeField(kBlockFlipX, on ? kBlockFlipX : std::uint16_t{0}); });
    connect(mFlipY, &QCheckBox::toggled, this,
            [this](bool on) { changeField(kBlockFlipY, on ? kBlockFlipY : std::uint16_t{0}); });
    for (std::size_t i = 0; i < mSolid.size(); ++i) {
        const auto bit = static_cast<std::uint16_t>(1u << (kFirstSolidBit + static_cast<int>(i)));
        connect(mSolid[i], &QCheckBox::toggled, this,
                [this, bit](bool on) { changeField(bit, on ? bit : std::uint16_t{0}); });
    }
    return controls;
}

void BlockDock::open(std::int32_t block) {
    mBlock = block;
    setWindowTitle(QString("Blocks \u2014 block %1").arg(dollarHex(block, 2)));
    refresh();
}

void BlockDock::refresh() {
    mEntries->update();
    showEntry();
}

std::optional<std::uint16_t> BlockDock::entryWord(std::int32_t entry) const {
    const LevelDocument* document = mEdits.document();
    const std::int32_t index = mBlock * kBlockMappingWords + entry;
    if (document == nullptr || index >= document->parts().blocks.wordCount()) {
        return std::nullopt;
    }
    return document->parts().blocks.word(index);
}

void BlockDock::setEntryWord(std::int32_t entry, std::uint16_t word) {
    const auto before = entryWord(entry);
    if (!before || *before == word) {
        return;
    }
    mEdits.push(Part::BlockMappings, false,
                std::make_unique<SetMappingWordsCommand>(
                    Part::BlockMappings,
                    std::vector<SetMappingWordsCommand::WordChange>{
                        {mBlock * kBlockMappingWords + entry, *before, word}},
                    "Change block " + dollarHex(mBlock, 2).toStdString()));
    showEntry();
}

void BlockDock::strokeStarted(std::int32_t entry) {
    mStroke.assign(1, entry);
}

void BlockDock::strokeReached(std::int32_t entry) {
    if (!mStroke.empty() && std::find(mStroke.begin(), mStroke.end(), entry) == mStroke.end()) {
        mStroke.push_back(entry);
    }
}

// The entries the gesture crossed take the chosen chunk, keeping their flips and solidity.
void BlockDock::strokeFinished() {
    std::vector<SetMappingWordsCommand::WordChange> changes;
    const std::int32_t chunk = mChosenChunk() & kBlockChunkBits;
    for (const std::int32_t entry : std::exchange(mStroke, {})) {
        const auto word = entryWord(entry);
        if (!mPaint->isChecked() || !word) {
            continue;
        }
        const auto painted = static_cast<std::uint16_t>((*word & ~kBlockChunkBits) | chunk);
        if (painted != *word) {
            changes.push_back({mBlock * kBlockMappingWords + entry, *word, painted});
        }
    }
    const std::size_t painted = changes.size();
    if (!changes.empty()) {
        mEdits.push(Part::BlockMappings, false,
                    std::make_unique<SetMappingWordsCommand>(
                        Part::BlockMappings, std::move(changes),
                        "Paint block " + dollarHex(mBlock, 2).toStdString()),
                    static_cast<std::uint8_t>(mBlock));
    }
    showEntry();
    if (painted > 0) {
        mInfo->setText(mInfo->text() +
                       QString("\nChunk %1 painted into %2 entr%3; each kept its own X and Y "
                               "flip and solidity (change them above)")
                           .arg(dollarHex(chunk, 3))
                           .arg(painted)
                           .arg(painted == 1 ? "y" : "ies"));
    }
}

void BlockDock::copyInto(std::int32_t target) {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr || target == mBlock) {
        return;
    }
    const MappingWords& blocks = document->parts().blocks;
    std::vector<SetMappingWordsCommand::WordChange> changes;
    for (std::int32_t w = 0; w < kBlockMappingWords; ++w) {
        const std::int32_t from = mBlock * kBlockMappingWords + w;
        const std::int32_t to = target * kBlockMappingWords + w;
        if (to < blocks.wordCount() && from < blocks.wordCount() &&
            blocks.word(to) != blocks.word(from)) {
            changes.push_back({to, blocks.word(to), blocks.word(from)});
        }
    }
    if (!changes.empty()) {
        mEdits.push(Part::BlockMappings, false,
                    std::make_unique<SetMappingWordsCommand>(
                        Part::BlockMappings, std::move(changes),
                        "Copy block " + dollarHex(mBlock, 2).toStdString() + " into block " +
                            dollarHex(target, 2).toStdString()));
    }
}

void BlockDock::showEntry() {
    const auto word = entryWord(mEntries->chosen());
    mShowing = true;
    for (QWidget* control : std::initializer_list<QWidget*>{mChunk, mFlipX, mFlipY, mSolid[0],
                                                            mSolid[1], mSolid[2], mSolid[3]}) {
        control->setEnabled(word.has_value());
    }
    if (word) {
        mChunk->setValue(*word & kBlockChunkBits);
        mFlipX->setChecked((*word & kBlockFlipX) != 0);
        mFlipY->setChecked((*word & kBlockFlipY) != 0);
        for (std::size_t i = 0; i < mSolid.size(); ++i) {
            mSolid[i]->setChecked(((*word >> (kFirstSolidBit + static_cast<int>(i))) & 1) != 0);
        }
    }
    mShowing = false;
    QString text = QString("Block %1: %2")
                       .arg(dollarHex(mBlock, 2))
                       .arg(usesText(blockUses(mSession, static_cast<std::uint8_t>(mBlock))));
    const std::size_t selected = mEntries->selection().size();
    if (selected > 1) {
        text += QString(
                    "\n%1 entries chosen (Shift+click): a change of a field goes to all of "
                    "them, each keeping its other fields")
                    .arg(selected);
    }
    mInfo->setText(text);
}

// A field changed: the bits of `mask` become `value` in every chosen entry, one undo step.
void BlockDock::changeField(std::uint16_t mask, std::uint16_t value) {
    if (mShowing) {
        return;
    }
    std::vector<SetMappingWordsCommand::WordChange> changes;
    for (const std::int32_t entry : mEntries->selection()) {
        const auto word = entryWord(entry);
        if (!word) {
            continue;
        }
        const auto changed = static_cast<std::uint16_t>((*word & ~mask) | (value & mask));
        if (changed != *word) {
            changes.push_back({mBlock * kBlockMappingWords + entry, *word, changed});
        }
    }
    if (!changes.empty()) {
        const std::size_t count = changes.size();
        mEdits.push(Part::BlockMappings, false,
                    std::make_unique<SetMappingWordsCommand>(
                        Part::BlockMappings, std::move(changes),
                        "Change " +
                            (count == 1 ? std::string("block ")
                                        : std::to_string(count) + " entries of block ") +
                            dollarHex(mBlock, 2).toStdString()),
                    static_cast<std::uint8_t>(mBlock));
    }
    showEntry();
}

// The first block past $00 that no level reading these blocks places and the game does not
// overwrite in the zone: it becomes the target of Copy into block, and is chosen in the block
// column.
void BlockDock::findFreeBlock() {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    std::vector<bool> used(kBlockCount, false);
    used[0] = true;  // the empty block every layout is filled with
    // Blocks the game overwrites in this zone cannot be placed.
    for (std::size_t block = 0; block < used.size(); ++block) {
        used[block] = used[block] || mSession.art().hiddenBlocks.test(block);
    }
    for (const std::uint8_t block : document->layout().bytes()) {
        used[block] = true;
    }
    for (const EditorSession::SharingLayout& other : mSession.sharingLayouts()) {
        for (const std::uint8_t block : other.layout.bytes()) {
            used[block] = true;
        }
    }
    const auto free = std::find(used.begin(), used.end(), false);
    if (free == used.end()) {
        mInfo->setText("Every block is placed somewhere in " + blockReaders(mSession));
        return;
    }
    const auto block = static_cast<std::int32_t>(free - used.begin());
    mTarget->setValue(block);
    emit blockWanted(block);
    mInfo->setText(QString("Block %1 is free: no cell of %2 holds it")
                       .arg(dollarHex(block, 2), blockReaders(mSession)));
}

}  // namespace orvex
