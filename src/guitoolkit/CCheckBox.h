#pragma once

#include <QCheckBox>

namespace OrvisGUIToolkit {

// Exists so that style sheets and forms can address the toolkit's own QCheckBox by type.
class CCheckBox : public QCheckBox {
    Q_OBJECT

public:
    explicit CCheckBox(QWidget* parent = nullptr);
};

} // namespace OrvisGUIToolkit
