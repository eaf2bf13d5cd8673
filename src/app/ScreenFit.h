#pragma once

#include <QList>
#include <QRect>

namespace apt {

// Whether the screens can hold a 1024 x 768 window. The two tests may be passed by different screens, and
// they look at the screens' far edges in desktop coordinates, so a screen placed right of another counts
// with its offset.
struct ScreenFit {
    bool wideEnough = false;
    bool highEnough = false;

    bool fits() const { return wideEnough && highEnough; }

    static constexpr int kMinWidth = 1024;
    static constexpr int kMinHeight = 768;

    static ScreenFit of(const QList<QRect>& screenGeometries);
};

} // namespace apt
