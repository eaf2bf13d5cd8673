#include "app/ScreenFit.h"

namespace apt {

ScreenFit ScreenFit::of(const QList<QRect>& screenGeometries) {
    ScreenFit fit;
    for (const QRect& g : screenGeometries) {
        if (g.right() + 1 > kMinWidth - 1) {
            fit.wideEnough = true;
        }
        if (g.bottom() + 1 > kMinHeight - 1) {
            fit.highEnough = true;
        }
    }
    return fit;
}

} // namespace apt
