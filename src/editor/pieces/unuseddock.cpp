#include "editor/pieces/unuseddock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <bitset>

#include "editor/pieces/tiledock.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

std::vector<std::int32_t> unusedTiles(const LevelParts& parts, const LevelStart& start) {
    const std::vector<std::uint8_t> table = composeChunks(parts.chunks, start);
    std::bitset<kBaseTiles> used;
    for (std::size_t at = 0; at + 1 < table.size(); at += 2) {
        used.set(((table[at] & 0x07u) << 8) | table[at + 1]);
    }
    const std::vector<TileUse> uses = videoTileUses(parts, start);
    std::vector<std::int32_t> unused;
    for (std::int32_t t = 0; t < parts.tiles.completeTiles(); ++t) {
        const auto at = static_cast<std::size_t>(t);
        if (!used.test(at) && uses[at] == TileUse::LevelArt) {
            unused.push_back(t);
        }
    }
    return unused;
}

std::vector<std::int32_t> unusedChunks(const LevelParts& parts) {
    std::bitset<kBaseChunks> used;
    for (std::int32_t w = 0; w < parts.blocks.wordCount(); ++w) {
        used.set(parts.blocks.word(w) & 0x03FFu);
    }
    std::vector<std::int32_t> unused;
    const std::int32_t chunks =
        std::min(parts.chunks.wordCount() / kChunkMappingWords, kBaseChunks);
    for (std::int32_t c = 0; c < chunks; ++c) {
        if (!used.test(static_cast<std::size_t>(c))) {
            unused.push_back(c);
        }
    }
    return unused;
}

std::vector<std::int32_t> unusedBlocks(const LevelParts& parts,
                                       const std::vector<const Layout*>& otherLayouts) {
    std::bitset<kBlockCount> used;
    for (const std::uint8_t block : parts.layout.bytes()) {
        used.set(block);
    }
    for (const Layout* other : otherLayouts) {
        for (const std::uint8_t block : other->bytes()) {
            used.set(block);
        }
    }
    std::vector<std::int32_t> unused;
    const std::int32_t blocks =
        std::min(parts.blocks.wordCount() / kBlockMappingWords, kBlockCount);
    for (std::int32_t b = 0; b < blocks; ++b) {
        if (!used.test(static_cast<std::size_t>(b))) {
            unused.push_back(b);
        }
    }
    return unused;
}

}  // namespace

UnusedPieces findUnused(const LevelParts& parts, const LevelStart& start,
                        const std::vector<const Layout*>& otherLayouts) {
    return {unusedTiles(parts, start), unusedChunks(parts), unusedBlocks(parts, otherLayouts)};
}

UnusedDock::UnusedDock(QWidget* parent) : QDockWidget("Find Unused", parent) {
    setObjectName("UnusedArea");
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    const std::array<const char*, 3> names{"UnusedTiles", "UnusedChunks", "UnusedBlocks"};
    const std::array<const char*, 3> titles{"Tiles", "Chunks", "Blocks"};
    for (std::size_t kind = 0; kind < mLists.size(); ++kind) {
        auto* column = new QVBoxLayout;
        auto* heading = new QLabel(titles[kind], body);
        heading->setWordWrap(true);
        column->addWidget(heading);
        if (kind == 2) {
            mBlocksHeading = heading;
            mBlocksHeading->setObjectName("UnusedBlocksHeading");
        }
        mLists[kind] = new QListWidget(body);
        mLists[kind]->setObjectName(names[kind]);
        column->addWidget(mLists[kind]);
        row->addLayout(column);
        connect(mLists[kind], &QListWidget::currentRowChanged, this, [this, kind](int chosen) {
            const QListWidgetItem* item = chosen >= 0 ? mLists[kind]->item(chosen) : nullptr;
            if (item == nullptr) {
                return;
            }
            const int piece = item->data(Qt::UserRole).toInt();
            if (kind == 0) {
                emit tileChosen(piece);
            } else if (kind == 1) {
                emit chunkChosen(piece);
            } else {
                emit blockChosen(piece);
            }
        });
    }
    setWidget(body);
}

void UnusedDock::refresh(const LevelParts* parts, const LevelStart& start,
                         const std::vector<const Layout*>& otherLayouts, const QString& readers) {
    if (isHidden()) {
        return;
    }
    mBlocksHeading->setText(readers.isEmpty() ? QString("Blocks")
                                              : "Blocks (no cell of " + readers + ")");
    const UnusedPieces unused =
        parts != nullptr ? findUnused(*parts, start, otherLayouts) : UnusedPieces{};
    const std::array<const std::vector<std::int32_t>*, 3> found{&unused.tiles, &unused.chunks,
                                                                &unused.blocks};
    const std::array<int, 3> digits{3, 3, 2};
    for (std::size_t kind = 0; kind < mLists.size(); ++kind) {
        // A list is filled anew only when it changed: this runs when docks are shown, which can
        // happen while a list reports its chosen entry, and its items must outlive that.
        if (*found[kind] == mListed[kind]) {
            continue;
        }
        mListed[kind] = *found[kind];
        QListWidget& list = *mLists[kind];
        const QSignalBlocker quiet(list);
        list.clear();
        for (const std::int32_t piece : *found[kind]) {
            auto* item = new QListWidgetItem(dollarHex(piece, digits[kind]), &list);
            item->setData(Qt::UserRole, piece);
        }
    }
}

}  // namespace orvex
