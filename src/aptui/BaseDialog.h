#pragma once

#include <memory>

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;

namespace Ui {
class BaseDialog;
}

namespace aptui {

class BaseTitle;

// The frame of every dialog: own title bar on top, a content area (a centred text, or a widget supplied by
// a subclass), and a bottom bar with "Confirm" and "Cancel". The title and bottom buttons have default
// reactions (minimize, maximize/restore, close, accept, close) that a dialog can switch off one by one.
class BaseDialog : public QDialog {
    Q_OBJECT

public:
    // The buttons a dialog shows: the title bar's, then the bottom bar's.
    enum class Button {
        App = 0x01,
        Option = 0x02,
        Min = 0x04,
        Max = 0x08,
        Close = 0x10,
        Confirm = 0x20,
        Cancel = 0x40,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    explicit BaseDialog(Buttons buttons, QWidget* parent = nullptr);
    BaseDialog(bool app, bool option, bool min, bool max, bool close, bool confirm, bool cancel,
               QWidget* parent = nullptr);
    ~BaseDialog() override;

    // Replaces the content area with widget; afterwards setDefaultText does nothing. Called once by subclasses.
    void setContentWidget(QWidget* widget);
    // With false, "Confirm" only emits signalConfirmButtonClicked() and the dialog decides itself when to close.
    void setEnableConfirm(bool enable);

    BaseTitle* titleBar() const { return m_title; }

    // While held (a device call is under way), nothing closes the dialog: Cancel, Escape, the title's close
    // button and the window system are refused, so that the call's outcome reaches the user.
    void setHeldOpen(bool held);
    void reject() override;

    // The cover of a device call: the content and "Confirm" are disabled, progress (a bar of the content) runs, the
    // cursor says so and the dialog is held open until showBusy(false, ...).
    void showBusy(bool busy, QWidget* progress);
    bool isBusy() const { return m_busy; }

signals:
    void signalAppButtonClicked();
    void signalOptionButtonClicked();
    void signalMinButtonClicked();
    void signalMaxButtonClicked();
    void signalCloseButtonClicked();
    void signalConfirmButtonClicked();
    void signalCancelButtonClicked();

public slots:
    void setEnableDefaultConnections(bool enableMin, bool enableMax, bool enableClose, bool enableConfirm,
                                     bool enableCancel);
    void setTitle(const QString& title);
    void setDefaultText(const QString& text);
    void setDefaultText(const QString& text, int fontSize);
    void setDefaultText(const QString& text, int fontSize, bool blod);
    void setConfirmButtonText(const QString& text);
    void setCancelButtonText(const QString& text);
    void setBottomBarHeight(int height);
    void setBottomVisible(bool value);
    void onConfirmBtnClicked();
    void onCancelBtnClicked();
    void restoreWindow();

private:
    QMetaObject::Connection connectMin();
    QMetaObject::Connection connectMax();
    QMetaObject::Connection connectClose();

    std::unique_ptr<Ui::BaseDialog> m_ui;
    BaseTitle* m_title = nullptr;
    // The default text label until setContentWidget removes it.
    QPointer<QLabel> m_labelNULL;
    QMetaObject::Connection m_minConnection;
    QMetaObject::Connection m_maxConnection;
    QMetaObject::Connection m_closeConnection;
    bool m_minConnected = false;
    bool m_maxConnected = false;
    bool m_closeConnected = false;
    bool m_confirmAccepts = true;
    bool m_cancelCloses = true;
    bool m_heldOpen = false;
    bool m_busy = false;
    QPointer<QWidget> m_contentWidget;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(BaseDialog::Buttons)

} // namespace aptui
