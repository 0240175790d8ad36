#include "editor/pieces/piecesarea.h"

#include <array>
#include <tuple>

#include "editor/shell/blockuses.h"

namespace orvex {

namespace {

constexpr int kPiecesSection = 70;

}  // namespace

PiecesArea::PiecesArea(AreaContext& context, MapArea& map)
    : EditingArea(context), mMap(map), mEdits(context) {
    setObjectName("PiecesArea");
}

// View > Palette, Tiles and the other editors show or hide their docks.
void PiecesArea::createActions(ActionRegistry& actions) {
    const std::array<std::tuple<const char*, const char*, Qt::Key>, 6> docks{{
        {"MenuPaletteEditor", "Palette Editor", Qt::Key_F6},
        {"MenuTileEditor", "Tile Editor", Qt::Key_F7},
        {"MenuChunkEditor", "Chunk Editor", Qt::Key_F8},
        {"MenuBlockEditor", "Block Editor", Qt::Key_F9},
        {"MenuFindUnused", "Find Unused", Qt::Key_F10},
        {"MenuShapeEditor", "Collision Shapes", Qt::Key_F12},
    }};
    for (const auto& [id, text, key] : docks) {
        mShowActions.push_back(
            actions.add({id, text, {QKeySequence(key)}, name(), "View", kPiecesSection, true}));
    }
    // Made here, as its pixel editor's tools are registered with the other actions.
    mTiles = new TileDock(mEdits, mContext.session, actions, name(), &mContext.window);
}

void PiecesArea::createDocks() {
    mPalette = new PaletteDock(mEdits, mContext.session, &mContext.window);
    mChunks = new ChunkDock(mEdits, mContext.session, &mContext.window);
    mBlocks = new BlockDock(
        mEdits, mContext.session, [this] { return mChunks->chosenChunk(); }, &mContext.window);
    mUnused = new UnusedDock(&mContext.window);
    mShapes = new ShapeDock(mEdits, &mContext.window);
    const std::array<QDockWidget*, 6> docks{mPalette, mTiles, mChunks, mBlocks, mUnused, mShapes};
    for (std::size_t i = 0; i < docks.size(); ++i) {
        QDockWidget* dock = docks[i];
        QAction* show = mShowActions[i];
        mContext.window.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        connect(show, &QAction::toggled, dock, &QDockWidget::setVisible);
        connect(dock, &QDockWidget::visibilityChanged, show,
                [dock, show] { show->setChecked(!dock->isHidden()); });
    }
    connectDocks();
}

// A tile chosen in the tile sheet can go into the chosen chunk entry; the block chosen in the
// block column opens in the block editor.
void PiecesArea::connectDocks() {
    // A click in the sheet, not a tile chosen by code (Find Unused, a paste).
    connect(&mTiles->sheet(), &PieceSheet::piecePressed, this,
            [this](int tile) { mChunks->tilePicked(tile); });
    connect(&mMap.blockSelector(), &BlockSelector::selectedBlockChanged, this,
            [this](int block) { mBlocks->open(block); });
    connect(mBlocks, &BlockDock::blockWanted, this, [this](int block) {
        mMap.blockSelector().pickBlock(static_cast<std::uint8_t>(block));
    });
    connectUnused();
}

// An unused piece chosen in the list is chosen in its editor, which is shown.
void PiecesArea::connectUnused() {
    // Only when shown: the window hides its docks as it closes, with the level going.
    connect(mUnused, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            refreshUnused();
        }
    });
    connect(mUnused, &UnusedDock::tileChosen, this, [this](int tile) {
        mShowActions[1]->setChecked(true);
        mTiles->sheet().choose(tile);
    });
    connect(mUnused, &UnusedDock::chunkChosen, this, [this](int chunk) {
        mShowActions[2]->setChecked(true);
        mChunks->sheet().choose(chunk);
    });
    connect(mUnused, &UnusedDock::blockChosen, this, [this](int block) {
        mShowActions[3]->setChecked(true);
        mMap.blockSelector().pickBlock(static_cast<std::uint8_t>(block));
    });
}

// Edit > Copy and Paste reach the tile sheet and the palette as their keys do, while they
// have the focus.
bool PiecesArea::runFor(QWidget* focus, EditCommand command) {
    if (command != EditCommand::Copy && command != EditCommand::Paste) {
        return false;
    }
    const bool copy = command == EditCommand::Copy;
    if (focus == &mTiles->sheet()) {
        if (copy) {
            emit mTiles->sheet().copyRequested();
        } else {
            emit mTiles->sheet().pasteRequested();
        }
        return true;
    }
    if (focus == &mPalette->swatches()) {
        if (copy) {
            emit mPalette->swatches().copyRequested(false);
        } else {
            emit mPalette->swatches().pasteRequested();
        }
        return true;
    }
    return false;
}

void PiecesArea::refreshUnused() {
    const LevelDocument* document = mEdits.document();
    std::vector<const Layout*> others;
    for (const EditorSession::SharingLayout& other : mContext.session.sharingLayouts()) {
        others.push_back(&other.layout);
    }
    mUnused->refresh(document != nullptr ? &document->parts() : nullptr,
                     mContext.session.levelStart(), others, blockReaders(mContext.session));
}

void PiecesArea::refreshAll() {
    mPalette->refresh();
    mTiles->refresh();
    mChunks->refresh();
    mBlocks->refresh();
    mShapes->refresh();
    refreshUnused();
}

void PiecesArea::attach(LevelDocument* document) {
    mEdits.attach(document);
    refreshAll();
}

void PiecesArea::artReady() {
    refreshAll();
}

// The map area, first of the areas, has drawn the change into the art already.
void PiecesArea::documentChanged(const DocumentChange& change) {
    switch (change.part) {
        case Part::Palette:
            mPalette->refresh();
            [[fallthrough]];
        case Part::TileArt:
        case Part::ChunkMappings:
        case Part::BlockMappings:
            mTiles->artChanged();
            mChunks->refresh();
            mBlocks->refresh();
            refreshUnused();
            break;
        case Part::Layout:
            refreshUnused();
            break;
        case Part::CollisionShapes:
            mShapes->refresh();
            [[fallthrough]];
        case Part::CollisionPrimary:
        case Part::CollisionSecondary:
            mChunks->refresh();
            break;
        default:
            break;
    }
}

}  // namespace orvex
