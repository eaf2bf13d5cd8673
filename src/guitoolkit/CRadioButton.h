#pragma once

#include <QRadioButton>

namespace OrvisGUIToolkit {

// Exists so that style sheets and forms can address the toolkit's own QRadioButton by type.
class CRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit CRadioButton(QWidget* parent = nullptr);
};

} // namespace OrvisGUIToolkit
