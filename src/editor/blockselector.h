#pragma once

#include <QObject>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <cstdint>

#include "editor/picturecell.h"

namespace orvex {

inline constexpr std::int32_t kThumbnailCount = 256;
inline constexpr std::int32_t kThumbnailSize = 64;
inline constexpr std::int32_t kStripStep = 125;  // strip pixels per step of VScroll1

// The block selector on the left of the form: the viewport Picture1 holding the strip Picture2
// with the thumbnails TileViewer(0..255), and its scroll bar VScroll1 (0..128, each step moves
// the strip up by 125 pixels). A thumbnail click sets selectedBlock.
class BlockSelector : public QObject {
    Q_OBJECT

public:
    explicit BlockSelector(QWidget* form);

    [[nodiscard]] QScrollBar* scrollBar() const { return mVScroll1; }
    [[nodiscard]] QWidget* viewport() const { return mPicture1; }
    [[nodiscard]] QWidget* strip() const { return mPicture2; }
    [[nodiscard]] PictureCell* thumbnail(std::int32_t block) const;
    [[nodiscard]] std::uint8_t selectedBlock() const { return mSelectedBlock; }

private:
    void createThumbnails();
    void selectBlock(int index);
    void scrollStrip(int value);

    QScrollBar* mVScroll1 = nullptr;
    QWidget* mPicture1 = nullptr;
    QWidget* mPicture2 = nullptr;
    std::array<PictureCell*, kThumbnailCount> mThumbnails{};
    std::uint8_t mSelectedBlock = 0;
};

}  // namespace orvex
