#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <cstdint>
#include <vector>

#include "document/levelparts.h"
#include "graphics/levelstart.h"

namespace orvex {

// The pieces of a level nothing uses: tiles of the level's art no chunk entry shows (tiles the
// game fills with other art at level start are not counted), chunks no block entry shows, and
// blocks no cell holds of the act's layout nor of `otherLayouts` (the layouts of the other
// levels that read the same blocks).
struct UnusedPieces {
    std::vector<std::int32_t> tiles;
    std::vector<std::int32_t> chunks;
    std::vector<std::int32_t> blocks;
};

[[nodiscard]] UnusedPieces findUnused(const LevelParts& parts, const LevelStart& start,
                                      const std::vector<const Layout*>& otherLayouts = {});

// Find Unused: the three lists of unused pieces, kept up to date while the dock is shown. A
// click on an entry chooses the piece in its editor (the block in the block column).
class UnusedDock : public QDockWidget {
    Q_OBJECT

public:
    explicit UnusedDock(QWidget* parent);

    // Lists the pieces of `parts` (none without a level) when the dock is shown; a block counts
    // as used when any of `otherLayouts` holds it, and the blocks' heading names `readers`,
    // the levels whose layouts were searched.
    void refresh(const LevelParts* parts, const LevelStart& start,
                 const std::vector<const Layout*>& otherLayouts = {}, const QString& readers = {});
    [[nodiscard]] QListWidget& list(std::size_t kind) const { return *mLists[kind]; }

signals:
    void tileChosen(int tile);
    void chunkChosen(int chunk);
    void blockChosen(int block);

private:
    std::array<QListWidget*, 3> mLists{};  // tiles, chunks, blocks
    QLabel* mBlocksHeading = nullptr;
    std::array<std::vector<std::int32_t>, 3> mListed;  // what they list
};

}  // namespace orvex
