#include "editor/pieces/shapedock.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "widgets/numberbox.h"
#include "widgets/qtext.h"

namespace orvex {

namespace {

QString heightsText(const ShapeHeights& heights) {
    QStringList values;
    for (const std::int8_t height : heights) {
        values << QString::number(height);
    }
    return values.join(' ');
}

}  // namespace

ShapeDock::ShapeDock(PieceEdits& edits, QWidget* parent)
    : QDockWidget("Collision Shapes", parent), mEdits(edits) {
    setObjectName("ShapeArea");
    auto* body = new QWidget(this);
    auto* row = new QHBoxLayout(body);
    mSheet = new ShapeSheet(body);
    mSheet->setObjectName("ShapeSheet");
    auto* scroller = new QScrollArea(body);
    scroller->setWidget(mSheet);
    scroller->setMinimumWidth(mSheet->width() + 24);
    row->addWidget(scroller, 1);
    row->addWidget(createControls(body));
    setWidget(body);
    connect(mSheet, &PieceSheet::pieceChosen, this, [this] { showShape(); });
}

QWidget* ShapeDock::createControls(QWidget* body) {
    auto* controls = new QWidget(body);
    auto* column = new QVBoxLayout(controls);
    mEditor = new ShapeEditor(controls);
    column->addWidget(mEditor);
    auto* form = new QFormLayout;
    mAngle = new HexByteBox(*parentWidget(), controls);
    mAngle->setObjectName("ShapeAngle");
    form->addRow("Angle", mAngle);
    column->addLayout(form);
    mSurfaceAngle = new QCheckBox("Angle from the surface", controls);
    mSurfaceAngle->setObjectName("ShapeSurfaceAngle");
    mSurfaceAngle->setChecked(true);
    column->addWidget(mSurfaceAngle);
    mInfo = new QLabel(controls);
    mInfo->setObjectName("ShapeInfo");
    mInfo->setWordWrap(true);
    mInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(mInfo);
    column->addStretch();
    connect(mEditor, &ShapeEditor::edited, this, &ShapeDock::maskEdited);
    connect(mAngle, &QSpinBox::valueChanged, this, &ShapeDock::angleEdited);
    connect(mSurfaceAngle, &QCheckBox::toggled, this, &ShapeDock::surfaceAngleToggled);
    return controls;
}

const CollisionShapes* ShapeDock::shapes() const {
    const LevelDocument* document = mEdits.document();
    return document != nullptr && document->parts().shapes ? &*document->parts().shapes : nullptr;
}

void ShapeDock::refresh() {
    mSheet->setShapes(shapes());
    showShape();
}

void ShapeDock::showShape() {
    mSheet->update();
    const CollisionShapes* all = shapes();
    mShowing = true;
    mEditor->setEnabled(all != nullptr);
    mAngle->setEnabled(all != nullptr);
    mSurfaceAngle->setEnabled(all != nullptr);
    if (all == nullptr) {
        mEditor->setMask({});
        mInfo->setText(mEdits.document() != nullptr
                           ? "This image's collision shape tables were not found."
                           : QString());
        mShowing = false;
        return;
    }
    const Shape& shape = all->shapes[static_cast<std::size_t>(chosenShape())];
    mEditor->setMask(shapeMask(shape));
    mAngle->setValue(shape.angle);
    mShowing = false;
    mInfo->setText(QString("Shape %1: %2\nHeights: %3\nWidths: %4")
                       .arg(dollarHex(chosenShape(), 2), usesText(chosenShape()),
                            heightsText(shape.vertical), heightsText(shape.horizontal)));
}

// How many of this zone's chunks take the shape on each path.
QString ShapeDock::usesText(std::int32_t shape) const {
    const LevelParts& parts = mEdits.document()->parts();
    std::array<int, kCollisionPaths> uses{};
    for (std::size_t path = 0; path < uses.size(); ++path) {
        for (const std::uint8_t chunkShape : parts.collision[path]) {
            uses[path] += chunkShape == shape ? 1 : 0;
        }
    }
    return QString("used by %1 chunks on path 1 and %2 on path 2 in this zone")
        .arg(uses[0])
        .arg(uses[1]);
}

void ShapeDock::setShape(const Shape& shape) {
    const CollisionShapes* all = shapes();
    const std::int32_t index = chosenShape();
    if (all == nullptr || all->shapes[static_cast<std::size_t>(index)] == shape) {
        return;
    }
    mEdits.push(Part::CollisionShapes, true,
                std::make_unique<SetShapeCommand>(
                    index, all->shapes[static_cast<std::size_t>(index)], shape));
    showShape();
}

void ShapeDock::maskEdited(const ShapeMask& mask) {
    const std::optional<std::uint8_t> angle =
        mSurfaceAngle->isChecked()
            ? std::nullopt
            : std::optional<std::uint8_t>(static_cast<std::uint8_t>(mAngle->value()));
    setShape(shapeFromMask(mask, angle));
    showShape();  // a refused edit shows the shape as it is
}

// An angle typed in is the shape's from now on: the surface no longer sets it.
void ShapeDock::angleEdited(int angle) {
    const CollisionShapes* all = shapes();
    if (mShowing || all == nullptr) {
        return;
    }
    mSurfaceAngle->setChecked(false);
    Shape shape = all->shapes[static_cast<std::size_t>(chosenShape())];
    shape.angle = static_cast<std::uint8_t>(angle);
    setShape(shape);
}

void ShapeDock::surfaceAngleToggled(bool on) {
    const CollisionShapes* all = shapes();
    if (!on || all == nullptr) {
        return;
    }
    Shape shape = all->shapes[static_cast<std::size_t>(chosenShape())];
    shape.angle = surfaceAngle(shapeMask(shape));
    setShape(shape);
}

}  // namespace orvex
