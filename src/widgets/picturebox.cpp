#include "widgets/picturebox.h"

namespace orvex {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

const QPixmap& PictureBox::picture() const {
    if (mMake) {
        mPicture = mMake();
        mMake = nullptr;
    }
    return mPicture;
}

void PictureBox::setPicture(const QPixmap& picture) {
    mMake = nullptr;
    if (picture.cacheKey() == mPicture.cacheKey()) {
        return;
    }
    mPicture = picture;
    update();
}

void PictureBox::setPictureMaker(std::function<QPixmap()> make) {
    mMake = std::move(make);
    update();
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintPicture(painter);
}

void PictureBox::paintPicture(QPainter& painter) const {
    if (const QPixmap& shown = picture(); !shown.isNull()) {
        painter.drawPixmap(rect(), shown);
    }
}

}  // namespace orvex
