#include "editor/shell/resizerule.h"

namespace orvex {

namespace {

void setWidth(QWidget* widget, int width) {
    if (width > 0) {
        widget->resize(width, widget->height());
    }
}

void setHeight(QWidget* widget, int height) {
    if (height > 0) {
        widget->resize(widget->width(), height);
    }
}

void setTop(QWidget* widget, int top) {
    widget->move(widget->x(), top);
}

void setLeft(QWidget* widget, int left) {
    widget->move(left, widget->y());
}

}  // namespace

void applyResizeRule(const ResizeTargets& targets, QSize outer) {
    const int w = outer.width();
    const int h = outer.height();
    targets.window->update();
    setWidth(targets.mapFrame, w - 36);
    setHeight(targets.mapFrame, h - 36);
    setTop(targets.mapHBar, h - 65);
    setWidth(targets.mapHBar, w - 112);
    targets.mapVBar->raise();
    setLeft(targets.mapVBar, w - 113);
    setHeight(targets.mapVBar, h - 65);
    setHeight(targets.blockBar, h - 66);
    setHeight(targets.blockView, h - 66);
    setTop(targets.corner, h - 66);
    setLeft(targets.corner, w - 114);
}

}  // namespace orvex
