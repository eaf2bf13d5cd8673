#pragma once

#include "aptui/Widget.h"

namespace aptui {

// The translucent veil a window lays over itself while a dialog runs. Only what the style sheet paints for
// it and for its inner "m_cover" is visible.
class CoverWidget : public Widget {
    Q_OBJECT

public:
    explicit CoverWidget(QWidget* parent = nullptr);
};

} // namespace aptui
