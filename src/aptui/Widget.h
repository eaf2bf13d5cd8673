#pragma once

#include <QWidget>

namespace aptui {

// Base of the pages and the cover: lets style sheets paint a plain widget's background and border, and
// reports mouse activity as signals.
class Widget : public QWidget {
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);

signals:
    void signalDoubleClicked();
    void signalMouseClicked();
    void signalMouseEnter();
    void signalMouseLeave();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace aptui
