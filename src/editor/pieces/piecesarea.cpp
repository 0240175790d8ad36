#include "editor/pieces/piecesarea.h"

#include <array>
#include <tuple>

namespace orvex {

namespace {

constexpr int kPiecesSection = 70;

}  // namespace

PiecesArea::PiecesArea(AreaContext& context) : EditingArea(context), mEdits(context) {
    setObjectName("PiecesArea");
}

// View > Palette and View > Tiles show or hide their docks.
void PiecesArea::createActions(ActionRegistry& actions) {
    const std::array<std::tuple<const char*, const char*, Qt::Key>, 2> docks{{
        {"MenuPaletteEditor", "Palette Editor", Qt::Key_F6},
        {"MenuTileEditor", "Tile Editor", Qt::Key_F7},
    }};
    for (const auto& [id, text, key] : docks) {
        mShowActions.push_back(
            actions.add({id, text, {QKeySequence(key)}, name(), "View", kPiecesSection, true}));
    }
}

void PiecesArea::createDocks() {
    mPalette = new PaletteDock(mEdits, mContext.session, &mContext.window);
    mTiles = new TileDock(mEdits, mContext.session, &mContext.window);
    const std::array<QDockWidget*, 2> docks{mPalette, mTiles};
    for (std::size_t i = 0; i < docks.size(); ++i) {
        QDockWidget* dock = docks[i];
        QAction* show = mShowActions[i];
        mContext.window.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        connect(show, &QAction::toggled, dock, &QDockWidget::setVisible);
        connect(dock, &QDockWidget::visibilityChanged, show,
                [dock, show] { show->setChecked(!dock->isHidden()); });
    }
}

void PiecesArea::attach(LevelDocument* document) {
    mEdits.attach(document);
    mPalette->refresh();
    mTiles->refresh();
}

void PiecesArea::artReady() {
    mPalette->refresh();
    mTiles->refresh();
}

// The map area, first of the areas, has drawn the change into the art already.
void PiecesArea::documentChanged(const DocumentChange& change) {
    switch (change.part) {
        case Part::Palette:
            mPalette->refresh();
            mTiles->artChanged();
            break;
        case Part::TileArt:
        case Part::ChunkMappings:
            mTiles->artChanged();
            break;
        default:
            break;
    }
}

}  // namespace orvex
