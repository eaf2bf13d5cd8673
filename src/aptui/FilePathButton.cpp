#include "aptui/FilePathButton.h"

namespace aptui {

FilePathButton::FilePathButton(QWidget* parent)
    : QToolButton(parent) {}

} // namespace aptui
