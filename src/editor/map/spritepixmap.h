#pragma once

#include <QImage>

#include "graphics/indexedimage.h"

namespace orvex {

// A sprite picture in the level's colours; colour 0 of every palette line is transparent.
inline QImage spriteImage(const IndexedImage& picture, const ColourTable& colours) {
    QImage image(picture.width(), picture.height(), QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint8_t pixel = picture.pixel(x, y);
            line[x] = pixel % 16 == 0 ? 0 : colours[pixel];
        }
    }
    return image;
}

}  // namespace orvex
