#pragma once

#include <memory>

#include <QMainWindow>
#include <QPointer>

class QHBoxLayout;

namespace Ui {
class VEXAToolMainPage;
}

namespace aptui {
class CoverWidget;
class Menu;
class PinButton;
class WindowTitle;
} // namespace aptui

class AboutDialog;

namespace VexaTool {

class DeviceDisplayPage;
class DeviceModifyPage;
class OnvifSignIn;
class ScanRangesDialog;

// The program's only main window: frameless, its own title bar on top, the device list page on the left and
// the fixed-width modify page on the right, a pin button on the seam that folds the right page away, and a
// translucent cover laid over everything while a dialog runs. Building it starts discovery; closing it asks.
class VEXAToolMainPage : public QMainWindow {
    Q_OBJECT

public:
    explicit VEXAToolMainPage(QWidget* parent = nullptr);
    ~VEXAToolMainPage() override;

    // Builds the window, sizes it for the primary screen's work area, shows it and places the pin button:
    // what the program does once its start-up has succeeded.
    static std::unique_ptr<VEXAToolMainPage> showOnPrimaryScreen();

    bool isCovering() const { return m_covering; }
    // A batch of the modify page or a plan is sending to devices.
    bool isBatchRunning() const;
    DeviceDisplayPage* listPage() const;
    DeviceModifyPage* modifyPage() const;
    OnvifSignIn* signIn() const { return m_signIn; }
    // "Sign in to ONVIF devices…" in the window's menu.
    QAction* signInAction() const { return m_signInAction; }
    // "Scan addresses…" in the window's menu, and the dialog it opens (null until first opened).
    QAction* scanAddressesAction() const { return m_scanAction; }
    ScanRangesDialog* scanDialog() const;
    QAction* exportInventoryAction() const { return m_exportInventoryAction; }

signals:
    void signalGetHelp();

public slots:
    void onMovePinButtion();
    void onShowOrHideRightSpace();
    void OnBtnSystemMenu();
    void setCover(bool coverIt);
    void enableCover();
    void disableCover();
    // Asks for the ONVIF login under the window's cover.
    void onSignIn();
    // Opens the address-scan dialog beside the list, which fills while it scans.
    void onScanAddresses();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Puts the list page and the modify page into the window (title, list, modify, spacer) and wires them to
    // the discovery handler, to each other and to the cover.
    void installPages(DeviceDisplayPage* listPage, DeviceModifyPage* modifyPage);
    void startDiscovery();
    // After "stop and exit" during a batch: closes the window once the batch has ended and its results page
    // has been closed.
    void leaveWhenBatchEnded();

    std::unique_ptr<Ui::VEXAToolMainPage> m_ui;
    QHBoxLayout* m_hLayout = nullptr;
    aptui::WindowTitle* m_title = nullptr;
    QPointer<DeviceDisplayPage> m_listPage;
    QPointer<DeviceModifyPage> m_modifyPage;
    QWidget* m_rightSpace = nullptr;
    QPointer<aptui::PinButton> m_pinButton;
    QWidget* m_pinBorder = nullptr;
    aptui::CoverWidget* m_cover = nullptr;
    bool m_covering = false;
    AboutDialog* m_aboutAction = nullptr;
    QAction* m_signInAction = nullptr;
    QAction* m_exportInventoryAction = nullptr;
    OnvifSignIn* m_signIn = nullptr;
    QAction* m_scanAction = nullptr;
    QPointer<ScanRangesDialog> m_scanDialog;
    aptui::Menu* m_aboutMenu = nullptr;
    bool m_leaving = false;
};

} // namespace VexaTool
