#pragma once

#include <QWidget>

// One canvas with every styled piece of the program laid out side by side, for screenshots of the skin.
class Gallery : public QWidget {
    Q_OBJECT
public:
    explicit Gallery(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
