#pragma once

#include <QTimer>

#include "aptui/CoverWidget.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace aptui {

// The veil over the main window while device calls run: what is being done ("Modifying 3 of 256"), a
// progress bar and Stop. It follows its window's size, takes every mouse click, and keeps the keyboard
// focus on Stop, so nothing under it can be changed meanwhile; the window itself stays live and repaints.
class BatchProgressCover : public aptui::CoverWidget {
    Q_OBJECT

public:
    enum Operation { Modifying, Activating, SettingTime, ChangingPasswords };

    explicit BatchProgressCover(QWidget* window);

    // Shows the cover for a run of total devices; Stop is offered for any change, and for activations of more
    // than one device.
    void begin(Operation operation, int total);
    void setProgress(int done, int total);
    // Devices of the run that restart to take their new settings (0: none); shown until they answer again.
    void setRestarting(int devices);
    void end();

    QString text() const;
    int value() const;
    bool stopOffered() const;

signals:
    void signalStop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onStop();
    void showProgress();

    Operation m_operation = Modifying;
    QLabel* m_label = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    // Hundreds of answers a second would repaint the bar for each; a few times a second is enough to see.
    QTimer m_refresh;
    int m_done = 0;
    int m_total = 0;
    int m_restarting = 0;
};

} // namespace aptui
