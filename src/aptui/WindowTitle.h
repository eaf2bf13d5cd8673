#pragma once

#include "guitoolkit/CFancyTitle.h"
#include "guitoolkit/CWidgetSizeFactory.h"

class QLabel;
class QToolButton;

namespace aptui {

class SystemMenu;

// The main window's own title bar: icon, title, and on the right the system-menu, minimize, maximize/restore
// and close buttons. The system-menu button only reports its click; the window pops up its own menu. The
// maximize button is named "m_btnResore" while the title has the window maximized, which selects its image.
class WindowTitle : public OrvisGUIToolkit::CFancyTitle, public OrvisGUIToolkit::CWidgetSizeFactory {
    Q_OBJECT

public:
    explicit WindowTitle(QWidget* parent = nullptr);
    ~WindowTitle() override;

    void setTitle(const QString& title);
    QString title() const;

signals:
    // After the close button asked the window to close, whether or not the window agreed.
    void signalCloseApp();
    void signalSystemMenu();

public slots:
    void minimizeWindow();
    void maxOrRestoreWindow();
    void closeWindow();
    void displaySyetemMenu();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QWidget* independentWindow();

    QLabel* m_labelTitle = nullptr;
    QToolButton* m_btnIcon = nullptr;
    QToolButton* m_btnMinimize = nullptr;
    QToolButton* m_btnMaximize = nullptr;
    QToolButton* m_btnClose = nullptr;
    QToolButton* m_btnSystemMenu = nullptr;
    SystemMenu* m_systemMenu = nullptr;
};

} // namespace aptui
