#include "editor/pieces/tileviews.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace orvex {

PixelEditor::PixelEditor(QWidget* parent) : QWidget(parent) {
    setObjectName("PixelEditor");
    setFixedSize(sizeHint());
}

QSize PixelEditor::sizeHint() const {
    return {8 * kPixel + 1, 8 * kPixel + 1};
}

QRect PixelEditor::pixelRect(int x, int y) const {
    return {x * kPixel, y * kPixel, kPixel, kPixel};
}

// The pixel (QPoint's division rounds; a pixel is the whole square).
std::optional<QPoint> PixelEditor::pixelAt(QPointF point) const {
    const QPoint at = point.toPoint();
    const auto cell = [](int value) { return value >= 0 ? value / kPixel : -1; };
    const QPoint pixel(cell(at.x()), cell(at.y()));
    if (pixel.x() < 0 || pixel.x() >= 8 || pixel.y() < 0 || pixel.y() >= 8) {
        return std::nullopt;
    }
    return pixel;
}

void PixelEditor::setPixels(const Pixels& pixels, const std::array<QRgb, 16>& colours) {
    if (mInGesture) {
        return;
    }
    mPixels = pixels;
    mColours = colours;
    update();
}

void PixelEditor::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.save();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            painter.fillRect(
                pixelRect(x, y),
                QColor::fromRgb(mColours[mPixels[static_cast<std::size_t>(y * 8 + x)] & 15u]));
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    for (int i = 0; i <= 8; ++i) {
        painter.drawLine(i * kPixel, 0, i * kPixel, 8 * kPixel);
        painter.drawLine(0, i * kPixel, 8 * kPixel, i * kPixel);
    }
    painter.restore();
    if (mTools != nullptr) {
        mTools->paintPreview(painter, {event->rect()});
    }
}

void PixelEditor::mousePressEvent(QMouseEvent* event) {
    if (mTools != nullptr) {
        mTools->mousePressed(
            {event->position(), event->button(), event->buttons(), event->modifiers()});
    }
}

void PixelEditor::mouseMoveEvent(QMouseEvent* event) {
    if (mTools != nullptr) {
        mTools->mouseMoved({event->position(), Qt::NoButton, event->buttons(), event->modifiers()});
    }
}

void PixelEditor::mouseReleaseEvent(QMouseEvent* event) {
    if (mTools != nullptr) {
        mTools->mouseReleased(
            {event->position(), event->button(), event->buttons(), event->modifiers()});
    }
}

void PixelEditor::beginGesture() {
    mBefore = mPixels;
    mInGesture = true;
}

void PixelEditor::paint(QPoint pixel) {
    mPixels[static_cast<std::size_t>(pixel.y() * 8 + pixel.x())] = mColour;
    update(pixelRect(pixel.x(), pixel.y()));
}

void PixelEditor::endGesture() {
    mInGesture = false;
    if (mPixels != mBefore) {
        emit edited(mPixels);
    }
}

void PixelEditor::pick(QPoint pixel) {
    emit colourPicked(mPixels[static_cast<std::size_t>(pixel.y() * 8 + pixel.x())]);
}

PixelEditor::Pixels tilePixels(const std::vector<std::uint8_t>& art, std::int32_t tile) {
    PixelEditor::Pixels pixels{};
    const std::size_t at = static_cast<std::size_t>(tile) * 32;
    for (std::size_t i = 0; i < 32 && at + i < art.size(); ++i) {
        pixels[2 * i] = static_cast<std::uint8_t>(art[at + i] >> 4);
        pixels[2 * i + 1] = static_cast<std::uint8_t>(art[at + i] & 0x0F);
    }
    return pixels;
}

std::vector<std::uint8_t> tileBytes(const PixelEditor::Pixels& pixels) {
    std::vector<std::uint8_t> bytes(32);
    for (std::size_t i = 0; i < 32; ++i) {
        bytes[i] = static_cast<std::uint8_t>((pixels[2 * i] << 4) | (pixels[2 * i + 1] & 0x0F));
    }
    return bytes;
}

PixelEditor::Pixels flipped(const PixelEditor::Pixels& pixels, bool horizontal) {
    PixelEditor::Pixels out{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int from = horizontal ? y * 8 + (7 - x) : (7 - y) * 8 + x;
            out[static_cast<std::size_t>(y * 8 + x)] = pixels[static_cast<std::size_t>(from)];
        }
    }
    return out;
}

}  // namespace orvex
