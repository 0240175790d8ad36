#include "editor/pieces/pixeltools.h"

#include <vector>

namespace orvex {

PencilTool::PencilTool(PixelEditor& editor)
    : AbstractTool({"TilePencil", "Pencil", QKeySequence(Qt::SHIFT | Qt::Key_P)}),
      mEditor(editor) {}

void PencilTool::deactivate() {
    if (mEditor.inGesture()) {
        mEditor.endGesture();
    }
}

void PencilTool::mousePressed(const ToolEvent& event) {
    if (event.button != Qt::LeftButton) {
        return;
    }
    const std::optional<QPoint> pixel = mEditor.pixelAt(event.position);
    if (!pixel) {
        return;
    }
    mEditor.beginGesture();
    mLast.reset();
    paintTo(pixel);
}

void PencilTool::mouseMoved(const ToolEvent& event) {
    if (mEditor.inGesture()) {
        paintTo(mEditor.pixelAt(event.position));
    }
}

void PencilTool::mouseReleased(const ToolEvent& /*event*/) {
    if (mEditor.inGesture()) {
        mEditor.endGesture();
    }
}

// Paints the pixels on the line from the last pixel of the stroke to `pixel` (a fast drag
// leaves no gaps); a point outside the tile paints nothing and starts the line afresh.
void PencilTool::paintTo(std::optional<QPoint> pixel) {
    if (!pixel) {
        mLast.reset();
        return;
    }
    forEachPixelOnLine(mLast.value_or(*pixel), *pixel, [this](int x, int y) {
        mEditor.paint({x, y});
    });
    mLast = pixel;
}

PixelFillTool::PixelFillTool(PixelEditor& editor)
    : AbstractTool({"TileFill", "Fill", QKeySequence(Qt::SHIFT | Qt::Key_F)}), mEditor(editor) {}

void PixelFillTool::mousePressed(const ToolEvent& event) {
    const std::optional<QPoint> start = mEditor.pixelAt(event.position);
    if (event.button != Qt::LeftButton || !start) {
        return;
    }
    const PixelEditor::Pixels& pixels = mEditor.pixels();
    const auto at = [&pixels](QPoint p) {
        return pixels[static_cast<std::size_t>(p.y() * 8 + p.x())];
    };
    const std::uint8_t from = at(*start);
    mEditor.beginGesture();
    if (from != mEditor.colour()) {
        std::vector<QPoint> pending{*start};
        while (!pending.empty()) {
            const QPoint p = pending.back();
            pending.pop_back();
            if (p.x() < 0 || p.x() >= 8 || p.y() < 0 || p.y() >= 8 || at(p) != from) {
                continue;
            }
            mEditor.paint(p);
            pending.insert(pending.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1),
                                           p - QPoint(0, 1)});
        }
    }
    mEditor.endGesture();
}

PickerTool::PickerTool(PixelEditor& editor)
    : AbstractTool({"TilePicker", "Picker", QKeySequence(Qt::SHIFT | Qt::Key_I)}),
      mEditor(editor) {}

void PickerTool::mousePressed(const ToolEvent& event) {
    if (const auto pixel = mEditor.pixelAt(event.position);
        pixel && event.button == Qt::LeftButton) {
        mEditor.pick(*pixel);
    }
}

}  // namespace orvex
