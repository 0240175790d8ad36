#pragma once

#include <QPoint>
#include <algorithm>
#include <cstdlib>

namespace orvex {

// Calls visit(x, y) for each pixel on the line from `from` to `to`, both ends included, one per
// step along the longer axis: the pixels a drag between two pointer events crosses.
template <typename Visit>
void forEachPixelOnLine(QPoint from, QPoint to, Visit visit) {
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int i = 0; i <= steps; ++i) {
        visit(from.x() + (steps == 0 ? 0 : (to.x() - from.x()) * i / steps),
              from.y() + (steps == 0 ? 0 : (to.y() - from.y()) * i / steps));
    }
}

}  // namespace orvex
