#include "editor/map/collisionlayer.h"

#include <QActionGroup>
#include <QImage>
#include <algorithm>

#include "editor/shell/actionregistry.h"
#include "graphics/collisionimage.h"
#include "graphics/levelart.h"
#include "rom/collision.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

const char* solidityText(std::uint8_t solidity) {
    switch (solidity) {
        case 1:
            return "top only";
        case 2:
            return "sides and bottom";
        case 3:
            return "all sides";
        default:
            return "not solid";
    }
}

}  // namespace

QRgb solidityColour(std::uint8_t solidity) {
    switch (solidity) {
        case 1:
            return qRgba(0xFF, 0xD7, 0x00, 170);  // top only: gold, as render --collision
        case 2:
            return qRgba(0x00, 0xBF, 0xFF, 170);  // sides and bottom: blue
        case 3:
            return qRgba(0xFF, 0x14, 0x93, 110);  // all: pink
        default:
            return qRgba(0, 0, 0, 0);
    }
}

CollisionLayer::CollisionLayer(MapCanvas& canvas, QObject* parent)
    : QObject(parent), mCanvas(canvas) {}

void CollisionLayer::createActions(ActionRegistry& actions, const QString& area, int section) {
    const std::array<const char*, 3> ids{"MenuCollisionOff", "MenuCollisionPath1",
                                         "MenuCollisionPath2"};
    const std::array<const char*, 3> texts{"Collision Off", "Collision: Path 1",
                                           "Collision: Path 2"};
    auto* group = new QActionGroup(this);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::optional<std::int32_t> path =
            i == 0 ? std::nullopt : std::optional<std::int32_t>(static_cast<std::int32_t>(i - 1));
        mChoices[i] = actions.add({ids[i], texts[i], {}, area, "View", section, true},
                                  [this, path] { show(path); });
        group->addAction(mChoices[i]);
    }
    mChoices[0]->setChecked(true);
    actions.add(
        {"MenuCollisionCycle", "Cycle Collision", {QKeySequence(Qt::Key_C)}, area, "View", section},
        [this] {
            show(!mPath        ? std::optional<std::int32_t>(0)
                 : *mPath == 0 ? std::optional<std::int32_t>(1)
                               : std::nullopt);
        });
}

void CollisionLayer::attach(const LevelDocument* document) {
    mDocument = document;
    show(mPath);
}

void CollisionLayer::show(std::optional<std::int32_t> path) {
    mPath = path;
    mChoices[path ? static_cast<std::size_t>(*path + 1) : 0]->setChecked(true);
    mCanvas.setCollision(mDocument != nullptr ? path : std::nullopt,
                         [this](std::int32_t block) { return picture(block); });
    emit pathShown();
}

QPixmap CollisionLayer::picture(std::int32_t block) const {
    if (mDocument == nullptr || !mPath) {
        return {};
    }
    std::array<std::uint8_t, kBlockSize * kBlockSize> solidity{};
    drawBlockCollision(mDocument->parts(), block, *mPath, solidity);
    if (std::all_of(solidity.begin(), solidity.end(), [](std::uint8_t s) { return s == 0; })) {
        return {};
    }
    QImage image(kBlockSize, kBlockSize, QImage::Format_ARGB32_Premultiplied);
    const std::array<QRgb, 4> colours{
        qPremultiply(solidityColour(0)), qPremultiply(solidityColour(1)),
        qPremultiply(solidityColour(2)), qPremultiply(solidityColour(3))};
    for (std::int32_t y = 0; y < kBlockSize; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < kBlockSize; ++x) {
            row[x] = colours[solidity[static_cast<std::size_t>(y * kBlockSize + x)] & 3u];
        }
    }
    return QPixmap::fromImage(std::move(image));
}

// A change of a chunk's shape, of a shape or of block entries: the blocks whose ground it
// changed are drawn again, only while a path is shown (showing one draws every block afresh).
void CollisionLayer::documentChanged(const DocumentChange& change) {
    if (!mPath || mDocument == nullptr) {
        return;
    }
    std::vector<std::int32_t> blocks;
    if (change.part == collisionPart(*mPath)) {
        blocks = blocksUsingChunks(change.first, change.count);
    } else if (change.part == Part::CollisionShapes) {
        for (std::int32_t shape = change.first; shape < change.first + change.count; ++shape) {
            const std::vector<std::int32_t> using_ = blocksUsingShape(shape);
            blocks.insert(blocks.end(), using_.begin(), using_.end());
        }
    } else if (change.part == Part::BlockMappings) {
        for (std::int32_t block = change.first; block < change.first + change.count; ++block) {
            blocks.push_back(block);
        }
    }
    if (!blocks.empty()) {
        mCanvas.forgetCollision(blocks);
    }
}

std::vector<std::int32_t> CollisionLayer::blocksUsingChunks(std::int32_t first,
                                                            std::int32_t count) const {
    ChunkSet chunks;
    for (std::int32_t chunk = std::max(first, 0);
         chunk < first + count && chunk < static_cast<std::int32_t>(chunks.size()); ++chunk) {
        chunks.set(static_cast<std::size_t>(chunk));
    }
    return blocksShowing(mDocument->parts().blocks, chunks);
}

std::vector<std::int32_t> CollisionLayer::blocksUsingShape(std::int32_t shape) const {
    const std::vector<std::uint8_t>& index =
        mDocument->parts().collision[static_cast<std::size_t>(*mPath)];
    ChunkSet chunks;
    for (std::size_t chunk = 0; chunk < index.size() && chunk < chunks.size(); ++chunk) {
        chunks[chunk] = index[chunk] == shape;
    }
    return blocksShowing(mDocument->parts().blocks, chunks);
}

QString CollisionLayer::pointerText(std::uint8_t block, std::int32_t x, std::int32_t y) const {
    if (!mPath || mDocument == nullptr) {
        return {};
    }
    const LevelParts& parts = mDocument->parts();
    const std::int32_t at =
        block * kBlockMappingWords + (y / kChunkSide) * kChunksPerBlockRow + x / kChunkSide;
    if (at >= parts.blocks.wordCount()) {
        return {};
    }
    const std::uint16_t word = parts.blocks.word(at);
    const std::int32_t chunk = word & kBlockChunkBits;
    const std::uint8_t solidity = blockSolidity(word, *mPath);
    const std::vector<std::uint8_t>& index = parts.collision[static_cast<std::size_t>(*mPath)];
    QString text = QString("path %1: chunk %2").arg(*mPath + 1).arg(dollarHex(chunk, 3));
    if (static_cast<std::size_t>(chunk) >= index.size()) {
        return text + ", no shape";
    }
    const std::uint8_t shape = index[static_cast<std::size_t>(chunk)];
    text += ", shape " + dollarHex(shape, 2);
    if (parts.shapes) {
        const std::uint8_t angle =
            flippedAngle(parts.shapes->shapes[shape].angle, (word & kBlockFlipX) != 0,
                         (word & kBlockFlipY) != 0);
        text += ", angle " + dollarHex(angle, 2);
    }
    return text + ", " + solidityText(solidity);
}

}  // namespace orvex
