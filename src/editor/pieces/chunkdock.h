#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <array>

#include "editor/pieces/pieceedits.h"
#include "editor/pieces/tileviews.h"

namespace orvex {

// The Chunks editor: the chunk sheet (16 a row) and the chosen chunk's four entries (top left,
// top right, bottom left, bottom right), each a tile with X and Y flip, palette line and
// priority. With "Pick from tile sheet" on, a tile chosen in the tile sheet goes into the chosen
// entry and the next entry is chosen. Each change is one undo step; the use count is the
// number of block entries showing the chunk.
class ChunkDock : public QDockWidget {
    Q_OBJECT

public:
    ChunkDock(PieceEdits& edits, const EditorSession& session, QWidget* parent);

    void refresh();
    // A tile was chosen in the tile sheet.
    void tilePicked(std::int32_t tile);
    [[nodiscard]] PieceSheet& sheet() const { return *mSheet; }
    [[nodiscard]] PieceSheet& entries() const { return *mEntries; }
    [[nodiscard]] std::int32_t chosenChunk() const { return mSheet->chosen(); }
    // The mapping word of entry `entry` (0..3) of the chosen chunk, if the level's chunks hold it.
    [[nodiscard]] std::optional<std::uint16_t> entryWord(std::int32_t entry) const;
    // Stores `word` as entry `entry` of the chosen chunk, one undo step.
    void setEntryWord(std::int32_t entry, std::uint16_t word);
    // Adds an empty chunk after the level's last one, one undo step, and chooses it; none past
    // the 768 chunks of the game's table.
    void addChunk();
    // The collision shape of the chosen chunk on path `path` (0 or 1), if the zone's index
    // holds the chunk.
    [[nodiscard]] std::optional<std::uint8_t> chunkShape(std::int32_t path) const;
    // Gives the chosen chunk shape `shape` on path `path`, one undo step.
    void setChunkShape(std::int32_t path, std::uint8_t shape);
    // The shape button of path `path`: a click opens the sheet of shapes to pick from.
    [[nodiscard]] QToolButton& shapeButton(std::int32_t path) const {
        return *mShapeButtons[static_cast<std::size_t>(path)];
    }

private:
    QWidget* createControls(QWidget* body);
    void addShapeControls(QFormLayout& form, QWidget* controls);
    void pickShape(std::int32_t path);
    void showShapes();
    void showEntry();
    void controlsChanged();
    [[nodiscard]] std::int32_t blockUses(std::int32_t chunk) const;
    [[nodiscard]] QRgb colourAt(std::int32_t variant, int x, int y) const;

    PieceEdits& mEdits;
    const EditorSession& mSession;
    PieceSheet* mSheet = nullptr;
    PieceSheet* mEntries = nullptr;
    QSpinBox* mTile = nullptr;
    QCheckBox* mFlipX = nullptr;
    QCheckBox* mFlipY = nullptr;
    QCheckBox* mPriority = nullptr;
    QComboBox* mLine = nullptr;
    QCheckBox* mPick = nullptr;
    QLabel* mInfo = nullptr;
    std::array<QToolButton*, 2> mShapeButtons{};
    bool mShowing = false;  // the controls are being filled, not changed by the user
};

}  // namespace orvex
