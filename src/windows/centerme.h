#pragma once

#include <QWidget>

namespace orvex {

// Centres a top-level window on its screen: first its left edge at (screen width - window
// width) / 2, then its top edge at (screen height - window height) / 2, with the window's
// outer size. A window larger than the screen gets a negative left or top.
void CenterMe(QWidget* frmForm);

}  // namespace orvex
