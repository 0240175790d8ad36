#pragma once

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QSpinBox>

#include "editor/collision/shapeviews.h"
#include "editor/pieces/pieceedits.h"

namespace orvex {

// The Collision Shapes editor: the sheet of the 256 shapes every zone shares and the chosen
// shape's solid mask, large. Drawing the mask computes both height arrays; the angle follows
// the top surface while "Angle from the surface" is on, else it is set by hand. Each change is
// one undo step, and the first asks first, since it changes every level.
class ShapeDock : public QDockWidget {
    Q_OBJECT

public:
    ShapeDock(PieceEdits& edits, QWidget* parent);

    void refresh();
    [[nodiscard]] ShapeSheet& sheet() const { return *mSheet; }
    [[nodiscard]] ShapeEditor& editor() const { return *mEditor; }
    [[nodiscard]] std::int32_t chosenShape() const { return mSheet->chosen(); }
    // Stores `shape` as the chosen shape, one undo step.
    void setShape(const Shape& shape);

private:
    QWidget* createControls(QWidget* body);
    [[nodiscard]] const CollisionShapes* shapes() const;
    void showShape();
    void maskEdited(const ShapeMask& mask);
    void angleEdited(int angle);
    void surfaceAngleToggled(bool on);
    [[nodiscard]] QString usesText(std::int32_t shape) const;

    PieceEdits& mEdits;
    ShapeSheet* mSheet = nullptr;
    ShapeEditor* mEditor = nullptr;
    QSpinBox* mAngle = nullptr;
    QCheckBox* mSurfaceAngle = nullptr;
    QLabel* mInfo = nullptr;
    bool mShowing = false;  // the controls are being filled, not changed by the user
};

}  // namespace orvex
