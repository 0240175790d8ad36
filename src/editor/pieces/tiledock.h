#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

#include "editor/pieces/pieceedits.h"
#include "editor/pieces/tileviews.h"
#include "editor/shell/actionregistry.h"
#include "editor/shell/toolmanager.h"

namespace orvex {

// What fills each tile of video memory at level start: the level's art, the animation
// scripts' tiles, the sprite art of the cue lists (and the pictures code makes), or nothing.
[[nodiscard]] std::vector<TileUse> videoTileUses(const LevelParts& parts, const LevelStart& start);

// The Tiles editor: the tile sheet in video memory order (16 a row, 2x to 8x) in the colours of
// a palette line chosen for viewing, the video memory map over it, and the chosen tile's pixels
// with the pencil, the fill and the colour picker (the pixel editor's tools, registered in the
// action registry for area `area`), mirroring, Copy and Paste of whole tiles and how many chunk
// entries use the tile. Only the level's own art can be edited.
class TileDock : public QDockWidget {
    Q_OBJECT

public:
    TileDock(PieceEdits& edits, const EditorSession& session, ActionRegistry& actions,
             const QString& area, QWidget* parent);

    // The level's tiles (or none) are shown anew.
    void refresh();
    // The tile art or the colours changed.
    void artChanged();
    [[nodiscard]] PieceSheet& sheet() const { return *mSheet; }
    [[nodiscard]] PixelEditor& pixelEditor() const { return *mPixels; }
    [[nodiscard]] ToolManager& pixelTools() const { return *mPixelTools; }
    [[nodiscard]] PieceSheet& colours() const { return *mColours; }
    // The tile chosen and whether it is the level's own art.
    [[nodiscard]] std::int32_t chosenTile() const { return mSheet->chosen(); }
    [[nodiscard]] bool editable(std::int32_t tile) const;
    // Adds an empty tile after the level's last and chooses it, one undo step.
    void addTile();

private:
    QWidget* createTools(QWidget* body, ActionRegistry& actions, const QString& area);
    void addPixelTools(QGridLayout& buttons, ActionRegistry& actions, const QString& area);
    void showChosen();
    void storeTile(std::int32_t tile, const std::vector<std::uint8_t>& bytes, const char* what);
    void flip(bool horizontal);
    void copyTile() const;
    void pasteTile();
    [[nodiscard]] std::int32_t chunkUses(std::int32_t tile) const;
    [[nodiscard]] std::array<QRgb, 16> lineColours() const;

    PieceEdits& mEdits;
    const EditorSession& mSession;
    PieceSheet* mSheet = nullptr;
    PieceSheet* mColours = nullptr;
    PixelEditor* mPixels = nullptr;
    ToolManager* mPixelTools = nullptr;
    QSpinBox* mZoom = nullptr;
    QComboBox* mLine = nullptr;
    QCheckBox* mMap = nullptr;
    QLabel* mInfo = nullptr;
    std::vector<TileUse> mUses;
    std::int32_t mTileCount = -1;  // the art's tiles when mUses was made
};

}  // namespace orvex
