#include "editor/shell/toolmanager.h"

#include <algorithm>

namespace orvex {

ToolManager::ToolManager(QString menu, int section, QObject* parent)
    : QObject(parent), mMenu(std::move(menu)), mSection(section), mGroup(new QActionGroup(this)) {}

// The tools go before the manager's QObject parts, so none is called during that.
ToolManager::~ToolManager() {
    mChosen = nullptr;
    mTools.clear();
}

void ToolManager::setCanvas(QWidget* canvas) {
    mCanvas = canvas;
    showCursor();
}

QAction* ToolManager::add(std::unique_ptr<AbstractTool> tool, ActionRegistry& actions,
                          const QString& area) {
    const ToolInfo& info = tool->info();
    const QList<QKeySequence> keys =
        info.key.isEmpty() ? QList<QKeySequence>{} : QList<QKeySequence>{info.key};
    QAction* action = actions.add({info.id, info.text, keys, area, mMenu, mSection, true},
                                  [this, id = QString(info.id)] { choose(id); });
    if (!info.toolTip.isEmpty()) {
        action->setToolTip(info.toolTip);
    }
    action->setIcon(info.icon);
    mGroup->addAction(action);
    AbstractTool* added = tool.get();
    added->mManager = this;
    mTools.push_back({std::move(tool), action, area});
    if (mChosen == nullptr) {
        mChosen = added;
        action->setChecked(true);
        added->activate();
        showCursor();
    }
    return action;
}

const ToolManager::Entry* ToolManager::entry(const QString& id) const {
    const auto found = std::find_if(mTools.begin(), mTools.end(),
                                    [&id](const Entry& each) { return each.tool->id() == id; });
    return found == mTools.end() ? nullptr : &*found;
}

AbstractTool* ToolManager::tool(const QString& id) const {
    const Entry* found = entry(id);
    return found != nullptr ? found->tool.get() : nullptr;
}

QString ToolManager::areaOf(const AbstractTool& tool) const {
    const Entry* found = entry(tool.id());
    return found != nullptr && found->tool.get() == &tool ? found->area : QString();
}

void ToolManager::choose(const QString& id) {
    const Entry* found = entry(id);
    if (found == nullptr) {
        return;
    }
    found->action->setChecked(true);
    if (mChosen != nullptr) {
        mChosen->deactivate();
    }
    mChosen = found->tool.get();
    mChosen->activate();
    showCursor();
    updateCanvas();  // the preview of the tool before goes, the chosen one's shows
    emit toolChosen(*mChosen);
}

void ToolManager::paintPreview(QPainter& painter, const ToolPaintContext& context) const {
    if (mChosen != nullptr) {
        mChosen->paintPreview(painter, context);
    }
}

void ToolManager::updateCanvas(const QRect& area) const {
    if (mCanvas == nullptr) {
        return;
    }
    if (area.isEmpty()) {
        mCanvas->update();
    } else {
        mCanvas->update(area);
    }
}

// The tool's one call into its manager, defined beside the manager.
void AbstractTool::updatePreview(const QRect& area) const {
    if (mManager != nullptr) {
        mManager->updateCanvas(area);
    }
}

void ToolManager::showCursor() {
    if (mCanvas != nullptr && mChosen != nullptr) {
        mCanvas->setCursor(mChosen->cursor());
    }
}

void ToolManager::mousePressed(const ToolEvent& event) {
    if (mChosen != nullptr) {
        mChosen->mousePressed(event);
    }
}

void ToolManager::mouseMoved(const ToolEvent& event) {
    if (mChosen != nullptr) {
        mChosen->mouseMoved(event);
    }
}

void ToolManager::mouseReleased(const ToolEvent& event) {
    if (mChosen != nullptr) {
        mChosen->mouseReleased(event);
    }
}

void ToolManager::mouseLeft() {
    if (mChosen != nullptr) {
        mChosen->mouseLeft();
    }
}

bool ToolManager::keyPressed(const QKeyEvent& event) {
    return mChosen != nullptr && mChosen->keyPressed(event);
}

}  // namespace orvex
