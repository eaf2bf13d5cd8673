#pragma once

#include <QMenu>

namespace OrvisGUIToolkit {

// Exists so that style sheets and forms can address the toolkit's own QMenu by type.
class CMenu : public QMenu {
    Q_OBJECT

public:
    explicit CMenu(QWidget* parent = nullptr);
};

} // namespace OrvisGUIToolkit
