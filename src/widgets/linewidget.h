#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace orvex {

// A one-pixel line between two points of its container, both ends included. The widget covers
// the line's bounding box.
class LineWidget : public QWidget {
    Q_OBJECT

public:
    LineWidget(QWidget* parent, QPoint from, QPoint to, QColor colour);

    [[nodiscard]] QPoint from() const { return mFrom; }
    [[nodiscard]] QPoint to() const { return mTo; }
    [[nodiscard]] QColor colour() const { return mColour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint mFrom;
    QPoint mTo;
    QColor mColour;
};

}  // namespace orvex
