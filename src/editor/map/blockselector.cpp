#include "editor/map/blockselector.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace orvex {

BlockSelector::BlockSelector(QWidget* form) : QObject(form) {
    mVScroll1 = new QScrollBar(Qt::Vertical, form);
    mVScroll1->setObjectName("VScroll1");
    mVScroll1->setGeometry(68, 20, 17, 438);
    mVScroll1->setRange(0, kStripSteps);
    mVScroll1->setSingleStep(1);
    mVScroll1->setPageStep(1);
    mVScroll1->setTracking(false);
    connect(mVScroll1, &QScrollBar::valueChanged, this, &BlockSelector::scrollStrip);

    mPicture1 = new QWidget(form);
    mPicture1->setObjectName("Picture1");
    mPicture1->setGeometry(0, 20, 68, 438);
    mPicture2 = new QWidget(mPicture1);
    mPicture2->setObjectName("Picture2");
    mPicture2->setGeometry(0, 0, 64, 16383);
    createThumbnails();
    thumbnail(mSelectedBlock)->setMarked(true);
    mPicture1->installEventFilter(this);
    mPicture2->installEventFilter(this);
}

bool BlockSelector::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        mWheelRemainder += static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int steps = mWheelRemainder / QWheelEvent::DefaultDeltasPerStep;
        mWheelRemainder %= QWheelEvent::DefaultDeltasPerStep;
        mVScroll1->setValue(mVScroll1->value() - steps);
        return true;
    }
    if (event->type() == QEvent::ToolTip && watched == mPicture2) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int block = help->pos().y() / kThumbnailSize;
        if (block < 0 || block >= kThumbnailCount) {
            return true;
        }
        QString text = QString("Block 0x%1").arg(block, 2, 16, QChar('0')).toUpper();
        text.replace("0X", "0x");
        if (isWithheld(static_cast<std::uint8_t>(block))) {
            text += ": the game overwrites it in this zone, so it cannot be placed";
        } else if (const QString uses = mUses ? mUses(static_cast<std::uint8_t>(block)) : QString();
                   !uses.isEmpty()) {
            text += ": " + uses;
        }
        QToolTip::showText(help->globalPos(), text, mPicture2);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

PictureCell* BlockSelector::thumbnail(std::int32_t block) const {
    return mThumbnails.at(static_cast<std::size_t>(block));
}

void BlockSelector::createThumbnails() {
    for (std::int32_t i = 0; i < kThumbnailCount; ++i) {
        auto* thumbnail = new PictureCell(mPicture2, "TileViewer", static_cast<std::int16_t>(i));
        thumbnail->setGeometry(0, kThumbnailSize * i, kThumbnailSize, kThumbnailSize);
        connect(thumbnail, &PictureCell::clicked, this, &BlockSelector::selectBlock);
        mThumbnails[static_cast<std::size_t>(i)] = thumbnail;
    }
}

void BlockSelector::pickBlock(std::uint8_t block) {
    if (isWithheld(block)) {
        return;
    }
    selectBlock(block);
    mVScroll1->setValue(scrollValueShowing(block, mVScroll1->value(), mPicture1->height()));
}

int BlockSelector::scrollValueShowing(std::uint8_t block, int current, int viewHeight) {
    const int top = kThumbnailSize * block;
    const int bottom = top + kThumbnailSize;
    int value = current;
    if (top < kStripStep * value || viewHeight < kThumbnailSize) {
        value = top / kStripStep;  // the last step that leaves its top edge in view
    } else if (bottom > kStripStep * value + viewHeight) {
        value = (bottom - viewHeight + kStripStep - 1) / kStripStep;  // the first that shows it all
    }
    return std::clamp(value, 0, kStripSteps);
}

void BlockSelector::setWithheld(const std::bitset<kThumbnailCount>& blocks) {
    mWithheld = blocks;
    for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
        thumbnail(b)->setEnabled(!blocks.test(static_cast<std::size_t>(b)));
    }
    if (!isWithheld(mSelectedBlock) || blocks.all()) {
        return;
    }
    std::int32_t next = mSelectedBlock;
    while (isWithheld(static_cast<std::uint8_t>(next))) {
        next = (next + 1) % kThumbnailCount;
    }
    selectBlock(next);
}

void BlockSelector::selectBlock(int index) {
    const auto block = static_cast<std::uint8_t>(index);
    if (isWithheld(block)) {
        return;
    }
    markSelection(block);
    mSelectedBlock = block;
    emit selectedBlockChanged(block);
}

void BlockSelector::markSelection(std::uint8_t block) {
    thumbnail(mSelectedBlock)->setMarked(false);
    thumbnail(block)->setMarked(true);
}

void BlockSelector::scrollStrip(int value) {
    const auto top = static_cast<std::int16_t>(-kStripStep * value);
    mPicture2->move(0, top);
}

}  // namespace orvex
