#pragma once

#include "editor/map/maparea.h"
#include "editor/pieces/blockdock.h"
#include "editor/pieces/chunkdock.h"
#include "editor/pieces/palettedock.h"
#include "editor/pieces/pieceedits.h"
#include "editor/pieces/shapedock.h"
#include "editor/pieces/tiledock.h"
#include "editor/pieces/unuseddock.h"
#include "editor/shell/editingarea.h"

namespace orvex {

// The pieces the level is made of, each edited in a dock of its own: the palette, the tiles, the
// chunks (with their collision shapes) and the block chosen in the map's block column, the
// pieces nothing uses, and the collision shapes every zone shares.
// Every edit is one step of the undo stack and shows at once in the map, the block column and
// the overview (the map area draws the art again where the piece is used).
class PiecesArea : public EditingArea {
    Q_OBJECT

public:
    PiecesArea(AreaContext& context, MapArea& map);

    [[nodiscard]] QString name() const override { return "Pieces"; }
    void createActions(ActionRegistry& actions) override;
    void createDocks() override;
    void attach(LevelDocument* document) override;
    void artReady() override;
    void documentChanged(const DocumentChange& change) override;
    bool runFor(QWidget* focus, EditCommand command) override;

    [[nodiscard]] PaletteDock& paletteDock() const { return *mPalette; }
    [[nodiscard]] TileDock& tileDock() const { return *mTiles; }
    [[nodiscard]] ChunkDock& chunkDock() const { return *mChunks; }
    [[nodiscard]] BlockDock& blockDock() const { return *mBlocks; }
    [[nodiscard]] UnusedDock& unusedDock() const { return *mUnused; }
    [[nodiscard]] ShapeDock& shapeDock() const { return *mShapes; }

private:
    void refreshAll();
    void connectDocks();
    void connectUnused();
    void refreshUnused();

    MapArea& mMap;
    PieceEdits mEdits;
    PaletteDock* mPalette = nullptr;
    TileDock* mTiles = nullptr;
    ChunkDock* mChunks = nullptr;
    BlockDock* mBlocks = nullptr;
    UnusedDock* mUnused = nullptr;
    ShapeDock* mShapes = nullptr;
    std::vector<QAction*> mShowActions;
};

}  // namespace orvex
