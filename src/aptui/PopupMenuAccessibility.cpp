#include "aptui/PopupMenuAccessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QApplication>
#include <QMenu>

namespace aptui {

namespace {

class ApplicationAccessible : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + static_cast<int>(popups().size()); }

    QAccessibleInterface* child(int index) const override {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const QList<QMenu*> open = popups();
        return index - windows < open.size() ? QAccessible::queryAccessibleInterface(open.at(index - windows))
                                             : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        const int window = QAccessibleApplication::indexOfChild(child);
        if (window >= 0)
            return window;
        const qsizetype at = popups().indexOf(qobject_cast<QMenu*>(child->object()));
        return at < 0 ? -1 : QAccessibleApplication::childCount() + static_cast<int>(at);
    }

private:
    static QList<QMenu*> popups() {
        QList<QMenu*> open;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(window); menu && menu->isVisible())
                open.append(menu);
        return open;
    }
};

QAccessibleInterface* applicationFactory(const QString& key, QObject* object) {
    if (object && object == qApp && key == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    return nullptr;
}

} // namespace

void listPopupMenusForScreenReaders() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&applicationFactory);
        installed = true;
    }
}

} // namespace aptui
