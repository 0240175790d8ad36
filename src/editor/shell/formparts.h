#pragma once

#include <QComboBox>
#include <QWidget>

namespace orvex {

// The level selector Combo1 at the form's top left: editable, `entries` levels numbered from 1,
// showing "1" until a level is chosen; its field takes digits only.
[[nodiscard]] QComboBox* createLevelSelector(QWidget& form, int entries);

// The caption "Level:" and the line under it, drawn below every other control of the form.
void createCaptionLine(QWidget& form);

}  // namespace orvex
