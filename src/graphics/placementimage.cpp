#include "graphics/placementimage.h"

#include <cmath>

namespace orvex {

namespace {

constexpr std::int32_t kMarkerSide = 16;

void putPixel(IndexedImage& picture, std::int32_t x, std::int32_t y, std::uint8_t colour) {
    if (x >= 0 && y >= 0 && x < picture.width() && y < picture.height()) {
        picture.setPixel(x, y, colour);
    }
}

void drawSquare(IndexedImage& picture, std::int32_t x, std::int32_t y, std::uint8_t colour) {
    const std::int32_t half = kMarkerSide / 2;
    for (std::int32_t i = -half; i < half; ++i) {
        putPixel(picture, x + i, y - half, colour);
        putPixel(picture, x + i, y + half - 1, colour);
        putPixel(picture, x - half, y + i, colour);
        putPixel(picture, x + half - 1, y + i, colour);
    }
}

void drawCircle(IndexedImage& picture, std::int32_t x, std::int32_t y, std::uint8_t colour) {
    for (std::int32_t dy = -8; dy < 8; ++dy) {
        for (std::int32_t dx = -8; dx < 8; ++dx) {
            const double distance = std::hypot(dx + 0.5, dy + 0.5);
            if (distance > 5.5 && distance < 7.5) {
                putPixel(picture, x + dx, y + dy, colour);
            }
        }
    }
}

}  // namespace

void drawSprite(IndexedImage& picture, const SpriteImage& sprite, std::int32_t x, std::int32_t y) {
    const IndexedImage& source = sprite.picture;
    for (std::int32_t row = 0; row < source.height(); ++row) {
        for (std::int32_t column = 0; column < source.width(); ++column) {
            const std::uint8_t pixel = source.pixel(column, row);
            if (pixel % 16 != 0) {
                putPixel(picture, x + sprite.left + column, y + sprite.top + row, pixel);
            }
        }
    }
}

void drawPlacements(IndexedImage& picture, const LevelParts& parts, const LevelSprites& sprites,
                    std::uint8_t marker) {
    for (const RingGroup& group : parts.rings.value_or(std::vector<RingGroup>{})) {
        for (std::int32_t i = 0; i < group.count; ++i) {
            const RingPoint at = ringPoint(group, i);
            if (const SpriteImage* ring = sprites.ring()) {
                drawSprite(picture, *ring, at.x, at.y);
            } else {
                drawCircle(picture, at.x, at.y, marker);
            }
        }
    }
    for (const ObjectPlacement& object : parts.objects.value_or(std::vector<ObjectPlacement>{})) {
        if (const SpriteImage* sprite = sprites.object(object)) {
            drawSprite(picture, *sprite, object.x, object.y);
        } else {
            drawSquare(picture, object.x, object.y, marker);
        }
    }
}

IndexedImage renderObjectType(const LevelSprites& sprites, std::uint8_t id, std::uint8_t subtype) {
    ObjectPlacement object;
    object.id = id;
    object.subtype = subtype;
    const SpriteImage* sprite = sprites.object(object);
    if (sprite == nullptr) {
        return {};
    }
    constexpr std::int32_t kMargin = 4;
    IndexedImage picture(sprite->picture.width() + 2 * kMargin,
                         sprite->picture.height() + 2 * kMargin);
    drawSprite(picture, *sprite, kMargin - sprite->left, kMargin - sprite->top);
    return picture;
}

}  // namespace orvex
