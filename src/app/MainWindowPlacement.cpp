#include "app/MainWindowPlacement.h"

namespace apt {

MainWindowPlacement MainWindowPlacement::forWorkArea(const QRect& available) {
    MainWindowPlacement placement;
    const int w = available.width();
    const int h = available.height();
    if (h >= kHeight) {
        // 64-bit so that a very wide desktop cannot overflow before the division.
        placement.size = QSize(static_cast<int>(static_cast<qint64>(w) * kHeight / h), kHeight);
        return placement;
    }
    placement.size = QSize(w, h);
    placement.move = true;
    // The work area's own corner: a task bar on the top or left edge must not cover the window.
    placement.position = available.topLeft();
    return placement;
}

} // namespace apt
