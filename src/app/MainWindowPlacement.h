#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace apt {

// Where the main window goes on a screen's work area: on a large screen it takes the screen's proportions
// at a height of 768 and the window system places it; on a small one it fills the work area.
struct MainWindowPlacement {
    QSize size;
    bool move = false;
    QPoint position;

    static constexpr int kHeight = 768;

    static MainWindowPlacement forWorkArea(const QRect& available);
};

} // namespace apt
