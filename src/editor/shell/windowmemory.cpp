#include "editor/shell/windowmemory.h"

#include <QActionGroup>
#include <QComboBox>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <array>

#include "editor/map/mapcanvas.h"
#include "editor/map/mapframe.h"
#include "editor/shell/editorwindow.h"

namespace orvex {

namespace {

constexpr const char* kGroup = "window";
constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kDocksKey = "window/docks";
constexpr const char* kZoomKey = "window/zoom";
constexpr const char* kToolKey = "window/tool";
// The choices of the docks' own fields that a restart keeps, by objectName.
constexpr std::array<const char*, 1> kRememberedChoices{"TileLine"};

QString choiceKey(const char* name) {
    return QString("window/choice/") + name;
}
// How much of the screen a first start takes, across and down.
constexpr double kFirstStartShare = 0.85;
constexpr std::array<const char*, 3> kOverlaysShownAtFirst{"MenuObjects", "MenuRings", "MenuStart"};

QString checkedKey(const QString& id) {
    return QString(kGroup) + "/checked/" + id;
}

// The actions whose state is remembered: checkable ones that are not one of a group's choices
// (tools and planes are chosen, not switched on and off).
template <typename Visit>
void forEachSwitch(const ActionRegistry& actions, Visit visit) {
    for (const ActionSpec& spec : actions.specs()) {
        QAction* action = actions.action(spec.id);
        if (action->isCheckable() && action->actionGroup() == nullptr) {
            visit(QString(spec.id), *action);
        }
    }
}

void takeMostOfTheScreen(EditorWindow& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize outer = available.size() * kFirstStartShare;
    window.resize(outer - (window.frameGeometry().size() - window.size()));
    window.move(available.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

}  // namespace

void restoreWindowMemory(EditorWindow& window) {
    const QSettings settings;
    if (!settings.contains(kGeometryKey) ||
        !window.restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        takeMostOfTheScreen(window);
    }
    window.restoreState(settings.value(kDocksKey).toByteArray());
    forEachSwitch(window.actions(), [&](const QString& id, QAction& action) {
        if (settings.contains(checkedKey(id))) {
            action.setChecked(settings.value(checkedKey(id)).toBool());
        } else if (std::find(kOverlaysShownAtFirst.begin(), kOverlaysShownAtFirst.end(), id) !=
                   kOverlaysShownAtFirst.end()) {
            action.setChecked(true);
        }
    });
    if (settings.contains(kZoomKey)) {
        window.map().setZoom(settings.value(kZoomKey).toUInt());
    }
    for (const char* name : kRememberedChoices) {
        auto* choice = window.findChild<QComboBox*>(name);
        const int index = settings.value(choiceKey(name), -1).toInt();
        if (choice != nullptr && index >= 0 && index < choice->count()) {
            choice->setCurrentIndex(index);
        }
    }
    // Chosen everywhere (its docks included) as its key would choose it.
    window.tools().choose(settings.value(kToolKey).toString());
    // The keys are the map's at the start, not those of the first field of a dock.
    window.map().mapFrame().canvas()->setFocus();
}

void storeWindowMemory(const EditorWindow& window) {
    QSettings settings;
    settings.setValue(kGeometryKey, window.saveGeometry());
    settings.setValue(kDocksKey, window.saveState());
    settings.setValue(kZoomKey, static_cast<unsigned>(window.map().zoom()));
    for (const char* name : kRememberedChoices) {
        if (const auto* choice = window.findChild<QComboBox*>(name)) {
            settings.setValue(choiceKey(name), choice->currentIndex());
        }
    }
    forEachSwitch(window.actions(), [&](const QString& id, const QAction& action) {
        const QVariant chosen = action.property(kChosenStateProperty);
        settings.setValue(checkedKey(id), chosen.isValid() ? chosen.toBool() : action.isChecked());
    });
    if (const AbstractTool* tool = window.tools().chosen()) {
        settings.setValue(kToolKey, tool->id());
    }
}

void forgetWindowMemory() {
    QSettings().remove(kGroup);
}

}  // namespace orvex
