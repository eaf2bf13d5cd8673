#pragma once

#include <QHBoxLayout>

namespace OrvisGUIToolkit {

class CHBoxLayout : public QHBoxLayout {
    Q_OBJECT

public:
    explicit CHBoxLayout(QWidget* parent = nullptr);

    void SetLayoutContentsMargins(int left, int top, int right, int bottom);
    void SetLayoutSpacing(int spacing);
    void AddWidget(QWidget* widget);
    // Takes ownership of item.
    void AddItem(QLayoutItem* item, int stretch = 0);
};

} // namespace OrvisGUIToolkit
