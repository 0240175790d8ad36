#pragma once

#include <QAction>
#include <QActionGroup>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "editor/shell/abstracttool.h"
#include "editor/shell/actionregistry.h"

namespace orvex {

// The tools of one canvas (Tiled's ToolManager): it owns them, registers each one's action,
// keeps which one is chosen (exactly one, once one is registered), hands the canvas's events to
// it and paints its preview over the canvas. The actions are checkable and exclusive; their keys
// are the registry's, so the Keys dialog lists and changes them and they are remembered as every
// key is. Adding a tool is one class and one call of add().
class ToolManager : public QObject {
    Q_OBJECT

public:
    // The tools' menu entries go in menu `menu`, section `section` (no menu: keys only).
    ToolManager(QString menu, int section, QObject* parent);
    ~ToolManager() override;
    ToolManager(const ToolManager&) = delete;
    ToolManager& operator=(const ToolManager&) = delete;

    // The widget whose events come in; it shows the chosen tool's cursor. Not owned.
    void setCanvas(QWidget* canvas);

    // Registers `tool` for area `area`: its action in `actions`, triggered to choose it. The
    // first tool registered is chosen (activated, without toolChosen). Returns the action.
    QAction* add(std::unique_ptr<AbstractTool> tool, ActionRegistry& actions, const QString& area);

    // Chooses the tool with `id` (a chosen one again: deactivated and activated), as its action
    // does; an unknown id changes nothing.
    void choose(const QString& id);
    [[nodiscard]] AbstractTool* chosen() const { return mChosen; }
    [[nodiscard]] AbstractTool* tool(const QString& id) const;
    // The area that registered `tool` (empty for a tool of another manager).
    [[nodiscard]] QString areaOf(const AbstractTool& tool) const;

    // Paints the chosen tool's preview (AbstractTool::paintPreview); the canvas calls it after
    // its own layers.
    void paintPreview(QPainter& painter, const ToolPaintContext& context) const;
    // Paints `area` of the canvas (all of it when empty) again.
    void updateCanvas(const QRect& area = {}) const;

    // The canvas's events, for the chosen tool.
    void mousePressed(const ToolEvent& event);
    void mouseMoved(const ToolEvent& event);
    void mouseReleased(const ToolEvent& event);
    void mouseLeft();
    [[nodiscard]] bool keyPressed(const QKeyEvent& event);

signals:
    // Another tool, or the same again, was chosen.
    void toolChosen(orvex::AbstractTool& tool);

private:
    struct Entry {
        std::unique_ptr<AbstractTool> tool;
        QAction* action = nullptr;
        QString area;
    };

    [[nodiscard]] const Entry* entry(const QString& id) const;
    void showCursor();

    QString mMenu;
    int mSection;
    QActionGroup* mGroup;
    QPointer<QWidget> mCanvas;
    std::vector<Entry> mTools;
    AbstractTool* mChosen = nullptr;
};

}  // namespace orvex
