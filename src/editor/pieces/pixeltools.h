#pragma once

#include <QPoint>
#include <optional>

#include "editor/pieces/tileviews.h"
#include "editor/shell/abstracttool.h"

namespace orvex {

// The pixel editor's tools, each acting on its PixelEditor with the left button.

// Pencil: the pixels the pointer crosses while the button is held take the chosen colour; the
// stroke is one edit.
class PencilTool : public AbstractTool {
public:
    explicit PencilTool(PixelEditor& editor);

    void deactivate() override;
    void mousePressed(const ToolEvent& event) override;
    void mouseMoved(const ToolEvent& event) override;
    void mouseReleased(const ToolEvent& event) override;

private:
    void paintTo(std::optional<QPoint> pixel);

    PixelEditor& mEditor;
    std::optional<QPoint> mLast;  // the pixel the stroke reached last
};

// Fill: a click gives the chosen colour to the pixels of the clicked one's colour joined to it
// across edges.
class PixelFillTool : public AbstractTool {
public:
    explicit PixelFillTool(PixelEditor& editor);

    void mousePressed(const ToolEvent& event) override;

private:
    PixelEditor& mEditor;
};

// Picker: a click makes the pixel's colour index the chosen colour; it edits nothing.
class PickerTool : public AbstractTool {
public:
    explicit PickerTool(PixelEditor& editor);

    void mousePressed(const ToolEvent& event) override;

private:
    PixelEditor& mEditor;
};

}  // namespace orvex
