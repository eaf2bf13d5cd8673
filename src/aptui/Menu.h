#pragma once

#include <QMenu>

namespace aptui {

// A frameless, translucent pop-up menu whose whole look comes from the style sheet; it carries no drop
// shadow of the window system.
class Menu : public QMenu {
    Q_OBJECT

public:
    explicit Menu(QWidget* parent = nullptr);
    Menu(const QString& title, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;

private:
    void setUp();
};

} // namespace aptui
