#pragma once

#include <QPointer>
#include <QPushButton>

namespace aptui {

// The narrow button on a window's seam that folds a buddy page away and back. Its arrow points the way
// the page will move on the next click.
class PinButton : public QPushButton {
    Q_OBJECT

public:
    explicit PinButton(QWidget* parent = nullptr);

    // Not owned.
    void setBuddy(QWidget* buddy);
    QWidget* buddy() const { return m_buddy; }

signals:
    // Emitted after the buddy has been shown or hidden.
    void pinButtonClicked();

public slots:
    void buddyState();

private:
    QPointer<QWidget> m_buddy;
};

} // namespace aptui
