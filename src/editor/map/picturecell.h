#pragma once

#include <QColor>
#include <cstdint>

#include "widgets/picturebox.h"

namespace orvex {

inline constexpr QColor kMarkColour{255, 255, 0};
inline constexpr int kMarkWidth = 2;

// An element of a control array that shows a picture stretched to its own size: a block
// thumbnail (TileViewer) or a map cell (Mapa). All elements of an array share one objectName;
// the element's number is the property "index" (also index()). A marked element draws a frame
// over its picture (the block selector marks the selected block).
class PictureCell : public PictureBox {
    Q_OBJECT
    Q_PROPERTY(int index READ index CONSTANT)

public:
    PictureCell(QWidget* parent, const QString& arrayName, std::int16_t index);

    [[nodiscard]] int index() const { return mIndex; }
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
    bool mMarked = false;
};

}  // namespace orvex
