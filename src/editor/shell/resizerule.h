#pragma once

#include <QSize>
#include <QWidget>

namespace orvex {

// The controls the main window's layout rule moves.
struct ResizeTargets {
    QWidget* window = nullptr;
    QWidget* mapFrame = nullptr;   // MapaFase
    QWidget* mapHBar = nullptr;    // HScroll1
    QWidget* mapVBar = nullptr;    // VScroll2
    QWidget* blockBar = nullptr;   // VScroll1
    QWidget* blockView = nullptr;  // Picture1
    QWidget* corner = nullptr;     // Canto
};

// Lays the controls out for the window's outer size W x H (frame, caption and menu bar
// included), statement by statement in a fixed order. An assignment that would give a zero or
// negative width or height is skipped, so that control keeps its last size.
void applyResizeRule(const ResizeTargets& targets, QSize outer);

}  // namespace orvex
