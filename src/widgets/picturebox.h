#pragma once

#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <functional>

namespace orvex {

// A picture stretched over the whole widget, given or left to be made when it is first needed:
// a picture out of view, or one replaced before the next repaint, costs nothing.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent);

    // The picture shown (made now if it was left to be made when needed).
    [[nodiscard]] const QPixmap& picture() const;
    // Shows `picture`; the same picture again costs nothing.
    void setPicture(const QPixmap& picture);
    // Shows the picture `make` returns, made when the box is next painted or asked for its
    // picture.
    void setPictureMaker(std::function<QPixmap()> make);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintPicture(QPainter& painter) const;

private:
    mutable QPixmap mPicture;
    mutable std::function<QPixmap()> mMake;  // set while the picture is still to be made
};

}  // namespace orvex
