#pragma once

#include "editor/pieces/palettedock.h"
#include "editor/pieces/pieceedits.h"
#include "editor/pieces/tiledock.h"
#include "editor/shell/editingarea.h"

namespace orvex {

// The pieces the level is made of, each edited in a dock of its own: the palette and the tiles.
// Every edit is one step of the undo stack and shows at once in the map, the block column and
// the overview (the map area draws the art again where the piece is used).
class PiecesArea : public EditingArea {
    Q_OBJECT

public:
    explicit PiecesArea(AreaContext& context);

    [[nodiscard]] QString name() const override { return "Pieces"; }
    void createActions(ActionRegistry& actions) override;
    void createDocks() override;
    void attach(LevelDocument* document) override;
    void artReady() override;
    void documentChanged(const DocumentChange& change) override;

    [[nodiscard]] PaletteDock& paletteDock() const { return *mPalette; }
    [[nodiscard]] TileDock& tileDock() const { return *mTiles; }

private:
    PieceEdits mEdits;
    PaletteDock* mPalette = nullptr;
    TileDock* mTiles = nullptr;
    std::vector<QAction*> mShowActions;
};

}  // namespace orvex
