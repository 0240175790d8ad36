#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "editor/shell/toolmanager.h"
#include "graphics/indexedimage.h"
#include "graphics/tiles.h"
#include "widgets/piecesheet.h"
#include "widgets/pixelline.h"

namespace orvex {

// What fills a tile of video memory at level start, for the video memory map.
enum class TileUse : std::uint8_t { Free, LevelArt, Animation, SpriteArt };

// One tile's 64 pixels, large, in colour index `colour` of the 16 colours shown, edited by the
// chosen tool of its ToolManager (pixeltools.h: the pencil, the fill and the colour picker),
// whose preview it paints over the pixels. A gesture (a press, the drag after it) changes the
// pixels shown; when it ends it reports them once.
class PixelEditor : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPixel = 24;
    using Pixels = std::array<std::uint8_t, 64>;

    explicit PixelEditor(QWidget* parent = nullptr);

    // The tools that hear the mouse and paint their preview (none: nothing edits). Not owned.
    void setTools(ToolManager* tools) { mTools = tools; }
    // Shown unless a gesture is under way: its own pixels stay until it ends.
    void setPixels(const Pixels& pixels, const std::array<QRgb, 16>& colours);
    [[nodiscard]] const Pixels& pixels() const { return mPixels; }
    void setColour(std::uint8_t colour) { mColour = colour; }
    [[nodiscard]] std::uint8_t colour() const { return mColour; }
    [[nodiscard]] QRect pixelRect(int x, int y) const;
    // The pixel under a point of the editor; none outside the tile.
    [[nodiscard]] std::optional<QPoint> pixelAt(QPointF point) const;
    [[nodiscard]] QSize sizeHint() const override;

    // A gesture: begin keeps the pixels as they are, paint gives `pixel` the chosen colour,
    // end reports the pixels (edited) when they changed.
    void beginGesture();
    void paint(QPoint pixel);
    void endGesture();
    [[nodiscard]] bool inGesture() const { return mInGesture; }
    // Reports the colour index of `pixel` (colourPicked).
    void pick(QPoint pixel);

signals:
    // The gesture ended with these pixels.
    void edited(const orvex::PixelEditor::Pixels& pixels);
    void colourPicked(int colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Pixels mPixels{};
    std::array<QRgb, 16> mColours{};
    std::uint8_t mColour = 1;
    bool mInGesture = false;
    Pixels mBefore{};
    ToolManager* mTools = nullptr;
};

// The 64 pixels of tile `tile` from 4-bit art bytes (32 a tile, left pixel in the high nibble)
// and back.
[[nodiscard]] PixelEditor::Pixels tilePixels(const std::vector<std::uint8_t>& art,
                                             std::int32_t tile);
[[nodiscard]] std::vector<std::uint8_t> tileBytes(const PixelEditor::Pixels& pixels);
// The pixels mirrored left-right or top-bottom.
[[nodiscard]] PixelEditor::Pixels flipped(const PixelEditor::Pixels& pixels, bool horizontal);

}  // namespace orvex
