#include "windows/centerme.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace orvex {

void CenterMe(QWidget* frmForm) {
    const QScreen* screen = frmForm->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen->geometry();
    const QSize outer = frmForm->frameGeometry().size();
    const float left = static_cast<float>(area.width() - outer.width()) / 2.0f;
    frmForm->move(area.x() + static_cast<int>(std::lround(left)), frmForm->y());
    const float top = static_cast<float>(area.height() - outer.height()) / 2.0f;
    frmForm->move(frmForm->x(), area.y() + static_cast<int>(std::lround(top)));
}

}  // namespace orvex
