#pragma once

#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointF>
#include <QString>

namespace orvex {

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
    // A note about the tool for the status line, which its area shows when it applies (empty:
    // none).
    [[nodiscard]] virtual QString statusText() const { return {}; }

private:
    ToolInfo mInfo;
};

}  // namespace orvex
