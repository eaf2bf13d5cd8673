#include "aptui/Menu.h"

#include <QEvent>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace aptui {

Menu::Menu(QWidget* parent)
    : QMenu(parent) {
    setUp();
}

Menu::Menu(const QString& title, QWidget* parent)
    : QMenu(title, parent) {
    setUp();
}

void Menu::setUp() {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("Menu"));
}

bool Menu::event(QEvent* event) {
#ifdef Q_OS_WIN
    // All pop-up menus share one window class: taking the shadow off the class once, at the first native
    // handle, covers every later menu too.
    static bool classShadowRemoved = false;
    static bool removing = false;
    if (event->type() == QEvent::WinIdChange && !classShadowRemoved && !removing) {
        removing = true;
        const auto handle = reinterpret_cast<HWND>(winId());
        const DWORD style = GetClassLongW(handle, GCL_STYLE);
        SetClassLongW(handle, GCL_STYLE, static_cast<LONG>(style & ~static_cast<DWORD>(CS_DROPSHADOW)));
        classShadowRemoved = true;
        removing = false;
    }
#endif
    // Elsewhere the frameless translucent pop-up already has no shadow of its own.
    return QMenu::event(event);
}

} // namespace aptui
