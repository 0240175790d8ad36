#pragma once

#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointF>
#include <QRect>
#include <QString>

class QPainter;

namespace orvex {

class ToolManager;

// One mouse event on a canvas with tools, at `position` in the canvas's own pixels.
struct ToolEvent {
    QPointF position;
    Qt::MouseButton button = Qt::NoButton;  // the button pressed or let go; none for a move
    Qt::MouseButtons buttons;               // the buttons held
    Qt::KeyboardModifiers modifiers;
};

// What the window shows of a tool: its action's id (the QAction's objectName and the settings
// key of its keys, "ToolPlace"), its menu text, its default key, and the tooltip and icon of
// its tool bar button (empty: the text, no icon).
struct ToolInfo {
    const char* id = "";
    QString text{};
    QKeySequence key{};
    QString toolTip{};
    QIcon icon{};
};

// What a tool's preview is painted on: `area` is the part of the canvas being painted, in the
// canvas's pixels (the painter draws nowhere else).
struct ToolPaintContext {
    QRect area;
};

// One tool of a canvas: what the mouse and the keys do on it while the tool is chosen. A
// ToolManager owns it, registers its action and hands it the canvas's events; between
// activate() and deactivate() it is the chosen one. The events come in the canvas's pixels; a
// tool turns them into what it edits (cells, level pixels, a tile's pixels) through the canvas
// or model it was made with, which outlive it.
class AbstractTool {
public:
    explicit AbstractTool(ToolInfo info) : mInfo(std::move(info)) {}
    virtual ~AbstractTool() = default;
    AbstractTool(const AbstractTool&) = delete;
    AbstractTool& operator=(const AbstractTool&) = delete;

    [[nodiscard]] const ToolInfo& info() const { return mInfo; }
    [[nodiscard]] QString id() const { return mInfo.id; }

    // The tool is chosen (also again while chosen, after a deactivate) or another one is.
    virtual void activate() {}
    virtual void deactivate() {}
    virtual void mousePressed(const ToolEvent& event) { (void)event; }
    virtual void mouseMoved(const ToolEvent& event) { (void)event; }
    virtual void mouseReleased(const ToolEvent& event) { (void)event; }
    // The pointer left the canvas.
    virtual void mouseLeft() {}
    // A key pressed on the canvas, before the canvas's own keys and the focus chain (Tab) see
    // it: true when the tool took it.
    virtual bool keyPressed(const QKeyEvent& event) {
        (void)event;
        return false;
    }
    // The canvas's cursor while the tool is chosen.
    [[nodiscard]] virtual QCursor cursor() const { return Qt::ArrowCursor; }
    // What the tool shows on the canvas of its own (a rectangle being dragged out, a shape
    // under the pointer): painted over the canvas's layers, in the canvas's pixels, with the
    // painter as a new one is. The canvas paints the chosen tool's only; it paints it again
    // when the choice changes, and when the tool asks with updatePreview().
    virtual void paintPreview(QPainter& painter, const ToolPaintContext& context) const {
        (void)painter;
        (void)context;
    }
    // A note about the tool for the status line, which its area shows when it applies (empty:
    // none).
    [[nodiscard]] virtual QString statusText() const { return {}; }

protected:
    // The preview changed: `area` of the canvas (all of it when empty) is painted again. Nothing
    // while the tool is not registered with a manager that has a canvas.
    void updatePreview(const QRect& area = {}) const;

private:
    friend class ToolManager;  // sets mManager on registration

    ToolInfo mInfo;
    const ToolManager* mManager = nullptr;
};

}  // namespace orvex
