#pragma once

#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "rom/levelformat.h"

namespace orvex {

// Pictures of the 256 blocks at 100% (128 x 128) and at one smaller cell size, for a map that
// draws many cells of few blocks. A picture, once forgotten, is made through the maker when it is
// next asked for, so that a load or a change reaching many blocks costs only the ones drawn.
class BlockPictureCache {
public:
    // Makes the picture of a block (null: nothing to draw).
    using Maker = std::function<QPixmap(std::int32_t block)>;

    void setMaker(Maker make) { mMake = std::move(make); }
    // The pictures of `blocks` are made again when next asked for.
    void forget(const std::vector<std::int32_t>& blocks);
    // Every picture forgotten (made again when asked for) or, with `drop`, gone until forgotten.
    void clear(bool drop);
    // The picture of `block` drawn `size` pixels a side: the 100% picture for 128 or more,
    // else a smooth reduction made once for that size.
    [[nodiscard]] const QPixmap& at(std::int32_t block, std::int32_t size) const;

private:
    Maker mMake;
    mutable std::array<QPixmap, kBlockCount> mPictures;
    mutable std::array<bool, kBlockCount> mOutdated{};
    mutable std::array<QPixmap, kBlockCount> mScaled;  // at mScaledSize, when first drawn
    mutable std::int32_t mScaledSize = 0;
};

}  // namespace orvex
