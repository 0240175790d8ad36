#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace orvex {

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

}  // namespace orvex
