#pragma once

#include <QToolButton>

namespace aptui {

// The folder button beside a file path field; a type of its own so that style sheets and forms can address it.
class FilePathButton : public QToolButton {
    Q_OBJECT

public:
    explicit FilePathButton(QWidget* parent = nullptr);
};

} // namespace aptui
