#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

namespace orvex {

// A solid rectangle, optionally outlined: the corner square of the map view and the bar of the
// progress window.
class FilledShape : public QWidget {
    Q_OBJECT

public:
    FilledShape(QWidget* parent, QColor fill, std::optional<QColor> border);

    [[nodiscard]] QColor fillColour() const { return mFill; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor mFill;
    std::optional<QColor> mBorder;
};

}  // namespace orvex
