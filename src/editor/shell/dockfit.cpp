#include "editor/shell/dockfit.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>

namespace orvex {

namespace {

// The least a dock's contents take: room for a title line's worth and a scroll bar.
constexpr QSize kLeastDockBody(48, 40);

}  // namespace

void letDocksScroll(QMainWindow& window) {
    for (QDockWidget* dock : window.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
        QWidget* body = dock->widget();
        if (body == nullptr || qobject_cast<QScrollArea*>(body) != nullptr) {
            continue;
        }
        auto* scroll = new QScrollArea(dock);
        scroll->setObjectName(dock->objectName() + "Scroll");
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        // Its own hint would count both bars; a few lines of the contents are enough.
        scroll->setMinimumSize(kLeastDockBody);
        scroll->setWidget(body);
        dock->setWidget(scroll);
    }
}

QRect onScreen(QRect area, QPoint anchor) {
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return area;
    }
    const QRect free = screen->availableGeometry();
    area.setWidth(std::min(area.width(), free.width()));
    area.setHeight(std::min(area.height(), free.height()));
    area.moveLeft(std::clamp(area.left(), free.left(), free.right() + 1 - area.width()));
    area.moveTop(std::clamp(area.top(), free.top(), free.bottom() + 1 - area.height()));
    return area;
}

}  // namespace orvex
