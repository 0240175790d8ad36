#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/leveldocument.h"
#include "editor/map/mapcanvas.h"

namespace orvex {

class ActionRegistry;

// View > Collision: the ground of collision path 1 or 2 drawn over the map as the game meets
// it, each chunk's shape with its entry's flips, coloured by the entry's solidity; C cycles
// Off, Path 1, Path 2. An edit of a chunk's shape, a shape or a block entry draws again only
// the blocks it reached.
class CollisionLayer : public QObject {
    Q_OBJECT

public:
    CollisionLayer(MapCanvas& canvas, QObject* parent);

    // The three choices and the cycle, in the View menu of `area` at `section`.
    void createActions(ActionRegistry& actions, const QString& area, int section);
    void attach(const LevelDocument* document);
    void documentChanged(const DocumentChange& change);
    // Shows path `path` (0 or 1), or none.
    void show(std::optional<std::int32_t> path);
    [[nodiscard]] std::optional<std::int32_t> path() const { return mPath; }
    // What the status line says of the ground at `x`, `y` (pixels inside block `block`): the
    // chunk, its shape and the shape's angle as the game takes it with the entry's flips, and
    // the solidity. Empty while no path is shown.
    [[nodiscard]] QString pointerText(std::uint8_t block, std::int32_t x, std::int32_t y) const;

signals:
    void pathShown();

private:
    using ChunkSet = std::bitset<kBaseChunks>;  // by the 10-bit chunk number of a block entry

    [[nodiscard]] QPixmap picture(std::int32_t block) const;
    [[nodiscard]] std::vector<std::int32_t> blocksUsingChunks(std::int32_t first,
                                                              std::int32_t count) const;
    [[nodiscard]] std::vector<std::int32_t> blocksUsingShape(std::int32_t shape) const;

    MapCanvas& mCanvas;
    const LevelDocument* mDocument = nullptr;
    std::optional<std::int32_t> mPath;
    std::array<QAction*, 3> mChoices{};  // Off, Path 1, Path 2
};

// The colours the ground is drawn in, by solidity: top only, sides and bottom only, all.
[[nodiscard]] QRgb solidityColour(std::uint8_t solidity);

}  // namespace orvex
