#pragma once

#include <QMainWindow>
#include <QObject>
#include <QStatusBar>
#include <QString>
#include <QToolBar>
#include <QUndoStack>
#include <cstdint>
#include <functional>

#include "document/leveldocument.h"
#include "editor/shell/actionregistry.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorsession.h"
#include "editor/shell/toolmanager.h"
#include "editor/shell/windowhost.h"

namespace orvex {

// What the shell lends every area: the level session, the undo stack, the dialogs, the progress
// host, the tools of the map's canvas (one of them chosen across all areas), a question and a
// note.
struct AreaContext {
    QMainWindow& window;
    EditorSession& session;
    QUndoStack& undo;
    EditorDialogs& dialogs;
    WindowHost* host = nullptr;  // made with the map, before any level is shown
    ToolManager& tools;
    std::function<bool()> isBusy;
    // A note on the right of the status line, with its tooltip.
    std::function<void(const QString& text, const QString& details)> note;
};

// The edit commands of the Edit menu that act on what the chosen tool edits.
enum class EditCommand { Cut, Copy, Paste, Insert, Delete, SelectAll, Deselect };

// One kind of editing in the window: its actions (registered with their texts, keys and menu
// places), its docks, its section of the tool bar, its part of the status line, and what it
// does when a level is shown or let go. The shell calls these in a fixed order: createActions,
// createDocks, addToToolBar, addStatusWidgets (left side, then the right side after the
// shell's own), then for every level attach(document), blockDrawn for each block drawn,
// artReady, levelShown; attach(nullptr) when the level goes.
class EditingArea : public QObject {
    Q_OBJECT

public:
    explicit EditingArea(AreaContext& context) : QObject(&context.window), mContext(context) {}

    [[nodiscard]] virtual QString name() const = 0;
    virtual void createActions(ActionRegistry& actions) = 0;
    virtual void createDocks() {}
    virtual void addToToolBar(QToolBar& bar) { (void)bar; }
    enum class StatusSide { Left, Right };
    virtual void addStatusWidgets(QStatusBar& line, StatusSide side) {
        (void)line;
        (void)side;
    }

    // The document of the level shown, or null when it is let go: nothing of the area may
    // refer to the old one afterwards.
    virtual void attach(LevelDocument* document) = 0;
    // The level's art: one block drawn, and everything drawn (sprites too).
    virtual void blockDrawn(std::int32_t block) { (void)block; }
    virtual void artReady() {}
    // The level is shown: the view goes to its start.
    virtual void levelShown() {}
    // A part of the document changed (an edit, its undo or redo).
    virtual void documentChanged(const DocumentChange& change) { (void)change; }
    // A tool of the map's canvas was chosen (of this area or another).
    virtual void toolChosen(AbstractTool& tool) { (void)tool; }
    // Whether the area registered `tool`; the Edit commands go to the area of the chosen tool.
    [[nodiscard]] bool ownsTool(const AbstractTool& tool) const {
        return mContext.tools.areaOf(tool) == name();
    }
    virtual void run(EditCommand command) { (void)command; }
    // An Edit command while `focus` has the keyboard focus, asked of every area before the
    // chosen tool's: true when the area took it for one of its own widgets (a piece sheet's
    // Copy), false to leave it to the tool.
    virtual bool runFor(QWidget* focus, EditCommand command) {
        (void)focus;
        (void)command;
        return false;
    }
    // A load or a save started (false) or ended (true).
    virtual void setCommandsEnabled(bool enabled) { (void)enabled; }

protected:
    AreaContext& mContext;
};

}  // namespace orvex
