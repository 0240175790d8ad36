#include "editor/map/blockpicturecache.h"

namespace orvex {

void BlockPictureCache::forget(const std::vector<std::int32_t>& blocks) {
    for (const std::int32_t block : blocks) {
        const auto index = static_cast<std::size_t>(block & 0xFF);
        mOutdated[index] = true;
        mScaled[index] = QPixmap();
    }
}

void BlockPictureCache::clear(bool drop) {
    if (drop) {
        mPictures.fill(QPixmap());
    }
    mOutdated.fill(!drop);
    mScaled.fill(QPixmap());
}

const QPixmap& BlockPictureCache::at(std::int32_t block, std::int32_t size) const {
    const auto index = static_cast<std::size_t>(block & 0xFF);
    QPixmap& picture = mPictures[index];
    if (mOutdated[index]) {
        picture = mMake ? mMake(block) : QPixmap();
        mOutdated[index] = false;
    }
    if (size >= kBlockSize || picture.isNull()) {
        return picture;
    }
    if (mScaledSize != size) {
        mScaled.fill(QPixmap());
        mScaledSize = size;
    }
    QPixmap& scaled = mScaled[index];
    if (scaled.isNull()) {
        scaled = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return scaled;
}

}  // namespace orvex
