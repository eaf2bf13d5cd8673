#pragma once

#include "guitoolkit/CMenu.h"

namespace aptui {

// The menu a title bar keeps for itself. The main window pops up its own about menu instead, so these entry
// points have nothing to do in this program; they exist for title bars of other windows built on the toolkit.
class SystemMenu : public OrvisGUIToolkit::CMenu {
    Q_OBJECT

public:
    explicit SystemMenu(QWidget* parent = nullptr);

public slots:
    void openUserManual() {}
    void updateData() {}
    void settings() {}
    void about() {}
};

} // namespace aptui
