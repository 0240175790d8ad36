#include "editor/collision/shapeviews.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace orvex {

namespace {

constexpr QRgb kSolid = 0xFFE8E8E8;
constexpr QRgb kHanging = 0xFF90C8FF;  // solid from the top edge down
constexpr QRgb kEmpty = 0xFF202830;
const QColor kSheetGrid(90, 100, 110);

}  // namespace

void paintShape(const Shape& shape, QImage& picture) {
    const ShapeMask mask = shapeMask(shape);
    for (int y = 0; y < kShapeSide; ++y) {
        for (int x = 0; x < kShapeSide; ++x) {
            const bool hanging = shape.vertical[static_cast<std::size_t>(x)] < 0;
            picture.setPixel(x, y, !mask.solid(x, y) ? kEmpty : hanging ? kHanging : kSolid);
        }
    }
}

QString shapeLegend() {
    return "Grey: solid from the bottom edge up (floors, slopes); blue: solid from the top edge "
           "down (ceilings); dark: empty. Top left: the shape's number; bottom left: its angle "
           "($00 a flat floor, $FF the nearest right angle).";
}

ShapeSheet::ShapeSheet(QWidget* parent) : PieceSheet(kShapeCount, kShapeSide, 16, parent) {
    setPainter([this](std::int32_t index, QImage& picture) {
        paintShape(mShapes != nullptr ? mShapes->shapes[static_cast<std::size_t>(index)] : Shape{},
                   picture);
    });
    setLabels([this](std::int32_t index) {
        // Unused shapes (no heights, angle 0) stay unlabelled, so the used ones stand out.
        const Shape* shape =
            mShapes != nullptr ? &mShapes->shapes[static_cast<std::size_t>(index)] : nullptr;
        if (shape == nullptr || (shape->vertical == ShapeHeights{} && shape->angle == 0)) {
            return QString();
        }
        return QString::number(shape->angle, 16).toUpper().rightJustified(2, '0');
    });
}

void ShapeSheet::setShapes(const CollisionShapes* shapes) {
    mShapes = shapes;
    update();
}

// Over the pieces: the grid between them, and each shape's number in hexadecimal.
void ShapeSheet::paintEvent(QPaintEvent* event) {
    PieceSheet::paintEvent(event);
    QPainter painter(this);
    painter.setPen(kSheetGrid);
    const int size = pieceRect(0).width();
    for (int line = 1; line < 16; ++line) {
        painter.drawLine(line * size, 0, line * size, height());
        painter.drawLine(0, line * size, width(), line * size);
    }
    QFont font = painter.font();
    font.setPixelSize(std::max(7, size / 4));
    painter.setFont(font);
    const QRect exposed = event->rect();
    for (std::int32_t index = 0; index < kShapeCount; ++index) {
        const QRect place = pieceRect(index);
        if (!place.intersects(exposed)) {
            continue;
        }
        const QString number = QString::number(index, 16).toUpper().rightJustified(2, '0');
        const QRect box = painter.fontMetrics().boundingRect(number).adjusted(-1, 0, 1, 0);
        const QRect corner(place.topLeft() + QPoint(1, 1), box.size());
        painter.fillRect(corner, QColor(0, 0, 0, 150));
        painter.setPen(QColor(200, 230, 255));
        painter.drawText(corner, Qt::AlignCenter, number);
    }
    painter.setPen(QPen(Qt::yellow, 2));
    painter.drawRect(pieceRect(chosen()).adjusted(1, 1, -1, -1));
}

ShapeEditor::ShapeEditor(QWidget* parent) : QWidget(parent) {
    setObjectName("ShapeEditor");
    setFixedSize(sizeHint());
}

QSize ShapeEditor::sizeHint() const {
    return {kShapeSide * kPixel + 1, kShapeSide * kPixel + 1};
}

QRect ShapeEditor::pixelRect(int x, int y) const {
    return {x * kPixel, y * kPixel, kPixel, kPixel};
}

void ShapeEditor::setMask(const ShapeMask& mask) {
    if (!mDrawing) {
        mMask = mask;
        update();
    }
}

void ShapeEditor::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    for (int y = 0; y < kShapeSide; ++y) {
        for (int x = 0; x < kShapeSide; ++x) {
            painter.fillRect(pixelRect(x, y), QColor::fromRgb(mMask.solid(x, y) ? kSolid : kEmpty));
        }
    }
    painter.setPen(QColor(80, 90, 100));
    for (int i = 0; i <= kShapeSide; ++i) {
        painter.drawLine(i * kPixel, 0, i * kPixel, kShapeSide * kPixel);
        painter.drawLine(0, i * kPixel, kShapeSide * kPixel, i * kPixel);
    }
}

void ShapeEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        return;
    }
    mDrawing = true;
    mSolid = event->button() == Qt::LeftButton;
    mBefore = mMask;
    mLast.reset();
    paintAt(event->position().toPoint());
}

void ShapeEditor::mouseMoveEvent(QMouseEvent* event) {
    if (mDrawing) {
        paintAt(event->position().toPoint());
    }
}

void ShapeEditor::mouseReleaseEvent(QMouseEvent* event) {
    if (!mDrawing) {
        return;
    }
    paintAt(event->position().toPoint());
    mDrawing = false;
    if (mMask != mBefore) {
        emit edited(mMask);
    }
}

// Paints the pixels on the line from the last point of the stroke to `at`, so that a fast drag
// leaves no gaps.
void ShapeEditor::paintAt(QPoint at) {
    const QPoint to(std::clamp(at.x(), 0, kShapeSide * kPixel - 1) / kPixel,
                    std::clamp(at.y(), 0, kShapeSide * kPixel - 1) / kPixel);
    forEachPixelOnLine(mLast.value_or(to), to, [this](int x, int y) {
        if (mMask.solid(x, y) != mSolid) {
            mMask.set(x, y, mSolid);
            update(pixelRect(x, y));
        }
    });
    mLast = to;
}

}  // namespace orvex
