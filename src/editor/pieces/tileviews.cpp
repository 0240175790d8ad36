#include "editor/pieces/tileviews.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace orvex {

namespace {

// The pixel of the editor under `at` (QPoint's division rounds; a pixel is the whole square).
QPoint pixelAt(QPoint at) {
    const auto cell = [](int value) { return value >= 0 ? value / PixelEditor::kPixel : -1; };
    return {cell(at.x()), cell(at.y())};
}

}  // namespace

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

void PixelEditor::setPixels(const Pixels& pixels, const std::array<QRgb, 16>& colours) {
    if (mDrawing) {
        return;  // the gesture's own pixels stay until it ends
    }
    mPixels = pixels;
    mColours = colours;
    update();
}

void PixelEditor::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
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
}

void PixelEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = pixelAt(event->position().toPoint());
    if (at.x() < 0 || at.x() >= 8 || at.y() < 0 || at.y() >= 8) {
        return;
    }
    if (mTool == Tool::Picker) {
        emit colourPicked(mPixels[static_cast<std::size_t>(at.y() * 8 + at.x())]);
        return;
    }
    mBefore = mPixels;
    if (mTool == Tool::Fill) {
        fill(at.x(), at.y());
        update();
        if (mPixels != mBefore) {
            emit edited(mPixels);
        }
        return;
    }
    mDrawing = true;
    mLast.reset();
    paintAt(at);
}

void PixelEditor::mouseMoveEvent(QMouseEvent* event) {
    if (mDrawing) {
        paintAt(pixelAt(event->position().toPoint()));
    }
}

void PixelEditor::mouseReleaseEvent(QMouseEvent* event) {
    (void)event;
    if (!mDrawing) {
        return;
    }
    mDrawing = false;
    if (mPixels != mBefore) {
        emit edited(mPixels);
    }
}

// Paints the pixels on the line from the last pixel of the stroke to `at` (a fast drag leaves no
// gaps); a point outside the tile paints nothing and starts the line afresh.
void PixelEditor::paintAt(QPoint at) {
    if (at.x() < 0 || at.x() >= 8 || at.y() < 0 || at.y() >= 8) {
        mLast.reset();
        return;
    }
    forEachPixelOnLine(mLast.value_or(at), at, [this](int x, int y) {
        mPixels[static_cast<std::size_t>(y * 8 + x)] = mColour;
        update(pixelRect(x, y));
    });
    mLast = at;
}

// The pixels of the same colour joined to (x, y) across edges take the chosen colour.
void PixelEditor::fill(int x, int y) {
    const std::uint8_t from = mPixels[static_cast<std::size_t>(y * 8 + x)];
    if (from == mColour) {
        return;
    }
    std::vector<QPoint> pending{{x, y}};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        if (p.x() < 0 || p.x() >= 8 || p.y() < 0 || p.y() >= 8) {
            continue;
        }
        std::uint8_t& pixel = mPixels[static_cast<std::size_t>(p.y() * 8 + p.x())];
        if (pixel != from) {
            continue;
        }
        pixel = mColour;
        pending.insert(pending.end(),
                       {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
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
