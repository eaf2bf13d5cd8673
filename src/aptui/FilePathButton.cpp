#include "aptui/FilePathButton.h"

namespace aptui {

FilePathButton::FilePathButton(QWidget* parent)
    : QToolButton(parent) {
    // An icon only; the forms that use it name it after what it chooses.
    setAccessibleName(tr("Browse"));
}

} // namespace aptui
