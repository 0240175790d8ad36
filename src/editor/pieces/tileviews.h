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

#include "editor/tools/toolmanager.h"
#include "graphics/indexedimage.h"
#include "graphics/tiles.h"

namespace orvex {

// What fills a tile of video memory at level start, for the video memory map.
enum class TileUse : std::uint8_t { Free, LevelArt, Animation, SpriteArt };

// A sheet of square pieces in index order, `columns` a row, each drawn by a callback at `scale`
// pixels a piece pixel; the chosen piece is framed, and scrolled into view when the sheet lies
// in a scroll area. A click chooses a piece, as do the arrow keys; Return or Enter takes the
// chosen one. With the focus here the platform's Copy and Paste keys ask for the chosen piece
// to be copied or pasted over.
class PieceSheet : public QWidget {
    Q_OBJECT

public:
    // The colours (0xAARRGGBB) of piece `index`, side x side, row by row.
    using Painter = std::function<void(std::int32_t index, QImage& picture)>;

    PieceSheet(std::int32_t count, std::int32_t side, std::int32_t columns,
               QWidget* parent = nullptr);

    void setPainter(Painter painter);
    // A short text drawn in each piece's bottom left corner (empty: none).
    void setLabels(std::function<QString(std::int32_t index)> label);
    // Marks drawn over pieces: a colour a piece (transparent for none).
    void setMarks(std::vector<QColor> marks);
    void setScale(int scale);
    [[nodiscard]] int scale() const { return mScale; }
    void choose(std::int32_t index);
    [[nodiscard]] std::int32_t chosen() const { return mChosen; }
    // With range selection on, Shift+click (or Shift+arrow) chooses the rectangle of pieces
    // between the piece chosen before and the one clicked; a plain click chooses one again.
    void setRangeSelection(bool on) { mRangeSelection = on; }
    // The pieces chosen, ascending: the rectangle, or the chosen piece alone.
    [[nodiscard]] std::vector<std::int32_t> selection() const;
    [[nodiscard]] QRect pieceRect(std::int32_t index) const;
    [[nodiscard]] QSize sizeHint() const override;

signals:
    // A piece was chosen, by a click or by choose().
    void pieceChosen(int index);
    // The user pressed the left button on a piece, then, holding it, moved onto others, then let
    // go: a gesture over pieces, apart from a choice made by code.
    void piecePressed(int index);
    void pieceDragged(int index);
    void dragFinished();
    // Return or Enter on the chosen piece.
    void pieceActivated(int index);
    // Shift chose a rectangle of pieces (see selection()).
    void rangeChosen();
    void copyRequested();
    void pasteRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] std::int32_t pieceAt(QPoint at) const;
    [[nodiscard]] bool stepKey(const QKeyEvent* event);
    void showChosen();
    void drawLabel(QPainter& painter, const QRect& place, const QString& text) const;

    std::int32_t mCount;
    std::int32_t mSide;
    std::int32_t mColumns;
    int mScale = 2;
    std::int32_t mChosen = 0;
    Painter mPainter;
    std::function<QString(std::int32_t)> mLabel;
    std::vector<QColor> mMarks;
    bool mDragging = false;
    bool mRangeSelection = false;
    std::optional<std::int32_t> mRangeStart;  // the rectangle's other corner
};

// Calls visit(x, y) for each pixel on the line from `from` to `to`, both ends included, one per
// step along the longer axis: the pixels a drag between two pointer events crosses.
template <typename Visit>
void forEachPixelOnLine(QPoint from, QPoint to, Visit visit) {
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int i = 0; i <= steps; ++i) {
        visit(from.x() + (steps == 0 ? 0 : (to.x() - from.x()) * i / steps),
              from.y() + (steps == 0 ? 0 : (to.y() - from.y()) * i / steps));
    }
}

// One tile's 64 pixels, large, in colour index `colour` of the 16 colours shown, edited by the
// chosen tool of its ToolManager (pixeltools.h: the pencil, the fill and the colour picker). A
// gesture (a press, the drag after it) changes the pixels shown; when it ends it reports them
// once.
class PixelEditor : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPixel = 24;
    using Pixels = std::array<std::uint8_t, 64>;

    explicit PixelEditor(QWidget* parent = nullptr);

    // The tools that hear the mouse (none: nothing edits). Not owned.
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
