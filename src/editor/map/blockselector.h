#pragma once

#include <QObject>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>

#include "editor/map/picturecell.h"

namespace orvex {

inline constexpr std::int32_t kThumbnailCount = 256;
inline constexpr std::int32_t kThumbnailSize = 64;
inline constexpr std::int32_t kStripStep = 125;   // strip pixels per step of VScroll1
inline constexpr std::int32_t kStripSteps = 128;  // VScroll1's maximum

// The block selector on the left of the form: the viewport Picture1 holding the strip Picture2
// with the thumbnails TileViewer(0..255), and its scroll bar VScroll1 (0..128, each step moves
// the strip up by 125 pixels). A thumbnail click sets selectedBlock; the selected block's
// thumbnail is marked with a frame.
class BlockSelector : public QObject {
    Q_OBJECT

public:
    // How many cells of the plane shown use a block; empty while no level is shown.
    // What uses a block, as a tooltip says it after its name ("used by 3 cells ..."); empty:
    // nothing said.
    using BlockUses = std::function<QString(std::uint8_t block)>;

    explicit BlockSelector(QWidget* form);

    // The thumbnails' tooltips name the block and, through `uses`, how many cells use it.
    void setBlockUses(BlockUses uses) { mUses = std::move(uses); }

    [[nodiscard]] QScrollBar* scrollBar() const { return mVScroll1; }
    [[nodiscard]] QWidget* viewport() const { return mPicture1; }
    [[nodiscard]] QWidget* strip() const { return mPicture2; }
    [[nodiscard]] PictureCell* thumbnail(std::int32_t block) const;
    [[nodiscard]] std::uint8_t selectedBlock() const { return mSelectedBlock; }
    // Selects `block` and scrolls the strip, if need be, so that its thumbnail is in view.
    void pickBlock(std::uint8_t block);
    // Blocks the level cannot use (the game overwrites them): their thumbnails are disabled and
    // cannot be selected; a selection among them moves to the next block that can be.
    void setWithheld(const std::bitset<kThumbnailCount>& blocks);
    [[nodiscard]] bool isWithheld(std::uint8_t block) const { return mWithheld.test(block); }
    // The VScroll1 value nearest to `current` that shows all of thumbnail `block` in a viewport
    // `viewHeight` pixels tall (its top edge when the viewport is shorter than a thumbnail).
    [[nodiscard]] static int scrollValueShowing(std::uint8_t block, int current, int viewHeight);

signals:
    void selectedBlockChanged(int block);

protected:
    // The mouse wheel over the strip scrolls it; a tooltip over a thumbnail names its block.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createThumbnails();
    void selectBlock(int index);
    void markSelection(std::uint8_t block);
    void scrollStrip(int value);

    QScrollBar* mVScroll1 = nullptr;
    QWidget* mPicture1 = nullptr;
    QWidget* mPicture2 = nullptr;
    std::array<PictureCell*, kThumbnailCount> mThumbnails{};
    std::uint8_t mSelectedBlock = 0;
    std::bitset<kThumbnailCount> mWithheld;
    BlockUses mUses;
    int mWheelRemainder = 0;
};

}  // namespace orvex
