#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

#include "document/levelparts.h"

namespace orvex {

// The level's four palette lines of 16 colours, one square each. Where the colour shown on the
// level's first frame differs from the stored one (a palette cycle writes it), the square's
// lower half shows the first frame's colour. A click selects a colour; with the focus here,
// the platform's Copy and Paste keys ask for the selected colour (Shift: its line) to be
// copied or pasted.
class PaletteSwatches : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSquare = 22;

    explicit PaletteSwatches(QWidget* parent = nullptr);

    void setColours(const PaletteWords& stored, const PaletteWords& shown);
    void select(int colour);
    [[nodiscard]] int selected() const { return mSelected; }
    [[nodiscard]] QRect squareRect(int colour) const;
    [[nodiscard]] QSize sizeHint() const override;

signals:
    void colourSelected(int colour);
    void copyRequested(bool wholeLine);
    void pasteRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PaletteWords mStored;
    PaletteWords mShown;
    int mSelected = 0;
};

// The console's 512 colours (3 bits a channel), 32 across and 16 down: blue and green choose
// the row, red and the rest of green the column. A click chooses one.
class ConsoleColours : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSquare = 11;

    explicit ConsoleColours(QWidget* parent = nullptr);

    // The colour word of square `index` (0..511) and the square of a word.
    [[nodiscard]] static std::uint16_t wordAt(int index);
    [[nodiscard]] static int indexOf(std::uint16_t word);
    [[nodiscard]] QRect squareRect(int index) const;
    void setCurrent(std::uint16_t word);
    [[nodiscard]] QSize sizeHint() const override;

signals:
    void chosen(std::uint16_t word);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int mCurrent = 0;
};

}  // namespace orvex
