#include "support/ModalAnswer.h"

#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace testsupport {

void answerNextModal(std::function<void(QWidget* modal)> answer, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, answer = std::move(answer), timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && clock->elapsed() < timeoutMs) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (modal == nullptr) {
            QTest::qFail("no modal widget came up", __FILE__, __LINE__);
            return;
        }
        answer(modal);
    });
    timer->start(10);
}

void clickInNextModal(const QString& buttonName, int timeoutMs) {
    answerNextModal(
        [buttonName](QWidget* modal) {
            auto* button = modal->findChild<QAbstractButton*>(buttonName);
            if (button != nullptr && button->isVisible()) {
                button->click();
                return;
            }
            if (button == nullptr) {
                QTest::qFail(qPrintable(QStringLiteral("no button %1 in the modal box").arg(buttonName)), __FILE__,
                             __LINE__);
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->done(99);
            }
        },
        timeoutMs);
}

} // namespace testsupport
