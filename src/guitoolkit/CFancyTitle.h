#pragma once

#include <QFrame>
#include <QPoint>

namespace OrvisGUIToolkit {

// Base of the title bars of frameless windows: dragging it with the left button moves the top-level window (by
// the window system where it offers that, as Wayland requires, else by moving the window itself), and a left
// double-click maximizes or restores it unless a subclass switches that off.
class CFancyTitle : public QFrame {
    Q_OBJECT

public:
    explicit CFancyTitle(QWidget* parent = nullptr);

    void SetOpenDoubleClickEnable(bool enable);
    bool IsOpenDoubleClickEnable() const { return m_doubleClickEnabled; }

signals:
    // The window was maximized or restored from the title bar.
    void SignalWndSizeStatusChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Hands the drag to the window system; false where it cannot (then the window moves itself).
    virtual bool beginSystemMove();

private:
    bool m_doubleClickEnabled = true;
    bool m_dragging = false;
    // Where the press happened, relative to the window's top-left corner.
    QPoint m_dragOffset;
};

} // namespace OrvisGUIToolkit
