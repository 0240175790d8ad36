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

#include "graphics/indexedimage.h"
#include "graphics/tiles.h"
#include "widgets/piecesheet.h"
#include "widgets/pixelline.h"

namespace orvex {

// What fills a tile of video memory at level start, for the video memory map.
enum class TileUse : std::uint8_t { Free, LevelArt, Animation, SpriteArt };

// One tile's 64 pixels, large, edited with the pencil, the fill or the colour picker in colour
// index `colour` of the 16 colours shown. A gesture (a press, the drag after it) changes the
// pixels shown; on release it reports them once.
class PixelEditor : public QWidget {
    Q_OBJECT

public:
    enum class Tool { Pencil, Fill, Picker };
    static constexpr int kPixel = 24;
    using Pixels = std::array<std::uint8_t, 64>;

    explicit PixelEditor(QWidget* parent = nullptr);

    void setPixels(const Pixels& pixels, const std::array<QRgb, 16>& colours);
    [[nodiscard]] const Pixels& pixels() const { return mPixels; }
    void setTool(Tool tool) { mTool = tool; }
    void setColour(std::uint8_t colour) { mColour = colour; }
    [[nodiscard]] QRect pixelRect(int x, int y) const;
    [[nodiscard]] QSize sizeHint() const override;

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
    void paintAt(QPoint at);
    void fill(int x, int y);

    Pixels mPixels{};
    std::array<QRgb, 16> mColours{};
    Tool mTool = Tool::Pencil;
    std::uint8_t mColour = 1;
    bool mDrawing = false;
    Pixels mBefore{};
    std::optional<QPoint> mLast;  // the pixel the stroke reached last
};

// The 64 pixels of tile `tile` from 4-bit art bytes (32 a tile, left pixel in the high nibble)
// and back.
[[nodiscard]] PixelEditor::Pixels tilePixels(const std::vector<std::uint8_t>& art,
                                             std::int32_t tile);
[[nodiscard]] std::vector<std::uint8_t> tileBytes(const PixelEditor::Pixels& pixels);
// The pixels mirrored left-right or top-bottom.
[[nodiscard]] PixelEditor::Pixels flipped(const PixelEditor::Pixels& pixels, bool horizontal);

}  // namespace orvex
