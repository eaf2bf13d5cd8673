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

// A small frameless, translucent message box. It reports a success, which closes itself after two seconds, or
// an information or an error, which stays until the user closes it; a caller may also have the offending editor
// marked.
class WarningDialog : public QDialog {
    Q_OBJECT

public:
    enum Kind : int { Success = 0, Information = 1, Error = 2 };
    Q_ENUM(Kind)

    static constexpr int kAutoCloseMs = 2000;

    // caller is the widget that reports; the box itself has no parent. autoCloseMs exists for tests.
    WarningDialog(Kind kind, const QString& text, QWidget* caller, int autoCloseMs = kAutoCloseMs);
    // For callers that hold the kind as a number; a number that is no kind shows no icon.
    WarningDialog(int kind, const QString& text, QWidget* caller, int autoCloseMs = kAutoCloseMs)
        : WarningDialog(static_cast<Kind>(kind), text, caller, autoCloseMs) {}
    ~WarningDialog() override;

    // Marks field and hintLabel by kind (when both are given), then shows the box modally at position
    // (screen coordinates of its top-left corner) and returns once it has closed.
    static void showWarning(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                            aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr);
    static void showWarning(const QPoint& position, int kind, const QString& text, QWidget* caller,
                            aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr) {
        showWarning(position, static_cast<Kind>(kind), text, caller, field, hintLabel);
    }
    // The same with a taller box, for messages of several lines.
    static void showLongWarning(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                                aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr);
    static void showLongWarning(const QPoint& position, int kind, const QString& text, QWidget* caller,
                                aptui::MultiStateLineEdit* field = nullptr, QLabel* hintLabel = nullptr) {
        showLongWarning(position, static_cast<Kind>(kind), text, caller, field, hintLabel);
    }

    // Marks field and hintLabel as showWarning does, without a box: for a form that names all its faults in one.
    static void mark(Kind kind, aptui::MultiStateLineEdit* field, QLabel* hintLabel);

    // Where a caller puts the box so that it sits centred on itself.
    static QPoint centredOn(const QWidget* caller);

    static QString largeIconPath(Kind kind);

signals:
    void signalWarnClose();

public slots:
    void onBtnClose();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    static void run(const QPoint& position, Kind kind, const QString& text, QWidget* caller,
                    aptui::MultiStateLineEdit* field, QLabel* hintLabel, bool tall);
    void setContent(Kind kind, const QString& text);

    std::unique_ptr<Ui::WarningDialog> m_ui;
    QBasicTimer m_closeTimer;
};

} // namespace VexaTool
