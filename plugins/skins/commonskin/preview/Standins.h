#pragma once

// Stand-ins for the parts of the program that the gallery shows before they exist (main window, its title
// bar and its two pages), with the program's class names, object names and layouts, so that the skin's type
// and name selectors match as they will in the program. They carry no behaviour. Everything else in the
// gallery is the program's own widget from src/aptui and src/guitoolkit.

#include <QMainWindow>
#include <QMenu>
#include <QWidget>

#include "aptui/Widget.h"
#include "guitoolkit/CFancyTitle.h"

namespace aptui {

class CoverWidget;
class PinButton;

class Menu : public QMenu {
    Q_OBJECT
public:
    explicit Menu(QWidget* parent = nullptr);
};

class WindowTitle : public OrvisGUIToolkit::CFancyTitle {
    Q_OBJECT
public:
    explicit WindowTitle(const QString& title, QWidget* parent = nullptr);
};

} // namespace aptui

namespace VexaTool {

class VEXAToolMainPage : public QMainWindow {
    Q_OBJECT
public:
    explicit VEXAToolMainPage(QWidget* parent = nullptr);
    void setCovered(bool covered);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    aptui::CoverWidget* m_cover = nullptr;
    aptui::PinButton* m_pin = nullptr;
    QWidget* m_modifyPage = nullptr;
};

class DeviceDisplayPage : public aptui::Widget {
    Q_OBJECT
public:
    explicit DeviceDisplayPage(QWidget* parent = nullptr);
};

class DeviceModifyPage : public aptui::Widget {
    Q_OBJECT
public:
    explicit DeviceModifyPage(QWidget* parent = nullptr);
};

} // namespace VexaTool
