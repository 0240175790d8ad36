#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace orvex {

inline constexpr QColor kMarkColour{255, 255, 0};
inline constexpr int kMarkWidth = 2;

// An element of a control array that shows a picture stretched to its own size: a block
// thumbnail (TileViewer) or a map cell (Mapa). All elements of an array share one objectName;
// the element's number is the property "index" (also index()). A marked element draws a frame
// over its picture (the block selector marks the selected block).
class PictureCell : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int index READ index CONSTANT)

public:
    PictureCell(QWidget* parent, const QString& arrayName, std::int16_t index);

    [[nodiscard]] int index() const { return mIndex; }
    // The picture shown (made now if it was left to be made when needed).
    [[nodiscard]] const QPixmap& picture() const;
    // Shows `picture`; the same picture again costs nothing.
    void setPicture(const QPixmap& picture);
    // Shows the picture `make` returns, made when the cell is next painted or asked for its
    // picture: a cell out of view costs nothing until it comes into view.
    void setPictureMaker(std::function<QPixmap()> make);
    [[nodiscard]] bool isMarked() const { return mMarked; }
    void setMarked(bool marked);

signals:
    void clicked(int index);
    // A right button click: picking the block a map cell shows.
    void rightClicked(int index);
    void mouseMoved(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::int16_t mIndex;
    mutable QPixmap mPicture;
    mutable std::function<QPixmap()> mMake;  // set while the picture is still to be made
    bool mMarked = false;
};

}  // namespace orvex
