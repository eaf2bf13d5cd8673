#pragma once

#include <memory>

#include <QBasicTimer>
#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;

namespace Ui {
class WarningDialog;
}

namespace aptui {
class MultiStateLineEdit;
}

namespace VexaTool {

// A small frameless, translucent message box that closes itself after two seconds. Kind 0 reports a success,
// 1 an information, 2 an error; a caller may also have the offending editor marked.
class WarningDialog : public QDialog {
    Q_OBJECT

public:
    enum Kind { Success = 0, Information = 1, Error = 2 };

    static constexpr int kAutoCloseMs = 2000;

    // caller is the widget that reports; the box itself has no parent. autoCloseMs exists for tests.
    WarningDialog(int kind, const QString& text, QWidget* caller, int autoCloseMs = kAutoCloseMs);
    ~WarningDialog() override;

    // Marks field and hintLabel by kind (when both are given), then shows the box modally at position
    // (screen coordinates of its top-left corner) and returns once it has closed.
    static void showWarning(const QPoint& position, int kind, const QString& text, QWidget* caller,
                            aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr);
    // The same with a taller box, for messages of several lines.
    static void showLongWarning(const QPoint& position, int kind, const QString& text, QWidget* caller,
                                aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr);

    // Where a caller puts the box so that it sits centred on itself.
    static QPoint centredOn(const QWidget* caller);

    static QString largeIconPath(int kind);

signals:
    void signalWarnClose();

public slots:
    void onBtnClose();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    static void run(const QPoint& position, int kind, const QString& text, QWidget* caller,
                    aptui::MultiStateLineEdit* field, QLabel* hintLabel, bool tall);
    void setContent(int kind, const QString& text);

    std::unique_ptr<Ui::WarningDialog> m_ui;
    QBasicTimer m_closeTimer;
};

} // namespace VexaTool
