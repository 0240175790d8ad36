#include "editor/pieces/paletteview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "graphics/palette.h"

namespace orvex {

namespace {

constexpr int kColours = kPaletteLines * kLineColours;
constexpr int kConsoleColumns = 32;

QColor screenColour(std::uint16_t word) {
    return QColor::fromRgb(colourOf(word));
}

// Copy and Paste go to the swatches while they have the focus, ahead of the window's Edit menu.
bool isClipboardKey(QKeyEvent* key) {
    const QKeyCombination plain(key->modifiers() & ~Qt::ShiftModifier, Qt::Key(key->key()));
    return QKeySequence(plain) == QKeySequence(QKeySequence::Copy) ||
           QKeySequence(plain) == QKeySequence(QKeySequence::Paste);
}

}  // namespace

PaletteSwatches::PaletteSwatches(QWidget* parent) : QWidget(parent) {
    setObjectName("PaletteSwatches");
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(sizeHint());
}

QSize PaletteSwatches::sizeHint() const {
    return {kLineColours * kSquare + 1, kPaletteLines * kSquare + 1};
}

QRect PaletteSwatches::squareRect(int colour) const {
    return {(colour % kLineColours) * kSquare, (colour / kLineColours) * kSquare, kSquare, kSquare};
}

void PaletteSwatches::setColours(const PaletteWords& stored, const PaletteWords& shown) {
    mStored = stored;
    mShown = shown;
    update();
}

void PaletteSwatches::select(int colour) {
    if (colour >= 0 && colour < kColours && colour != mSelected) {
        mSelected = colour;
        update();
        emit colourSelected(colour);
    }
}

bool PaletteSwatches::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        isClipboardKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void PaletteSwatches::keyPressEvent(QKeyEvent* event) {
    const bool line = (event->modifiers() & Qt::ShiftModifier) != 0;
    const QKeyCombination plain(event->modifiers() & ~Qt::ShiftModifier, Qt::Key(event->key()));
    if (QKeySequence(plain) == QKeySequence(QKeySequence::Copy)) {
        emit copyRequested(line);
    } else if (QKeySequence(plain) == QKeySequence(QKeySequence::Paste)) {
        emit pasteRequested();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void PaletteSwatches::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    for (int colour = 0; colour < kColours; ++colour) {
        const QRect square = squareRect(colour);
        const auto at = static_cast<std::size_t>(colour);
        painter.fillRect(square, screenColour(mStored.words[at]));
        if (mShown.words[at] != mStored.words[at]) {
            QRect lower = square;
            lower.setTop(square.top() + square.height() / 2);
            painter.fillRect(lower, screenColour(mShown.words[at]));
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    for (int colour = 0; colour < kColours; ++colour) {
        painter.drawRect(squareRect(colour));
    }
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(squareRect(mSelected).adjusted(1, 1, -1, -1));
}

void PaletteSwatches::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int column = at.x() / kSquare;
    const int line = at.y() / kSquare;
    if (column < kLineColours && line < kPaletteLines) {
        select(line * kLineColours + column);
    }
}

ConsoleColours::ConsoleColours(QWidget* parent) : QWidget(parent) {
    setObjectName("ConsoleColours");
    setMinimumSize(sizeHint());
}

QSize ConsoleColours::sizeHint() const {
    return {kConsoleColumns * kSquare + 1, (512 / kConsoleColumns) * kSquare + 1};
}

// Square index = blue 64 + green 8 + red: the 3-bit channels in the word's bits 9-11, 5-7, 1-3.
std::uint16_t ConsoleColours::wordAt(int index) {
    const int red = index & 7;
    const int green = (index >> 3) & 7;
    const int blue = (index >> 6) & 7;
    return static_cast<std::uint16_t>((blue << 9) | (green << 5) | (red << 1));
}

int ConsoleColours::indexOf(std::uint16_t word) {
    return ((word >> 9) & 7) * 64 + ((word >> 5) & 7) * 8 + ((word >> 1) & 7);
}

QRect ConsoleColours::squareRect(int index) const {
    return {(index % kConsoleColumns) * kSquare, (index / kConsoleColumns) * kSquare, kSquare,
            kSquare};
}

void ConsoleColours::setCurrent(std::uint16_t word) {
    mCurrent = indexOf(word);
    update();
}

void ConsoleColours::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    for (int index = 0; index < 512; ++index) {
        painter.fillRect(squareRect(index), screenColour(wordAt(index)));
    }
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(squareRect(mCurrent).adjusted(1, 1, -1, -1));
}

void ConsoleColours::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int index = (at.y() / kSquare) * kConsoleColumns + at.x() / kSquare;
    if (at.x() / kSquare < kConsoleColumns && index >= 0 && index < 512) {
        mCurrent = index;
        update();
        emit chosen(wordAt(index));
    }
}

}  // namespace orvex
