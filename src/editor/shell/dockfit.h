#pragma once

#include <QMainWindow>
#include <QWidget>

namespace orvex {

// Keeps the window within its screen whatever docks it shows: each dock's contents scroll
// inside the dock when it has less room than they ask for, so that docks never raise the
// window's minimum size past the screen (several docks on one side share its height instead of
// making the window taller). Call once all docks are added; the contents keep their
// objectNames and parents below the dock.
void letDocksScroll(QMainWindow& window);

// `area` moved, where needed, to lie within the free area of the screen under `anchor` (a
// global point); it shrinks to that area when it is larger.
[[nodiscard]] QRect onScreen(QRect area, QPoint anchor);

}  // namespace orvex
