#pragma once

#include <memory>

#include "aptui/Widget.h"

namespace Ui {
class DeviceActivePage;
}

namespace VexaTool {

// The notice shown instead of the parameter form while the selection holds devices that are not activated:
// why nothing can be changed yet, and for an activatable selection the heading over the activation frame.
class DeviceActivePage : public aptui::Widget {
    Q_OBJECT

public:
    static constexpr const char* kNotActivatedImage =
        ":/CommonSkin/VEXATool/Images/VEXATool/ParamModify/icon_not_activated.png";
    static constexpr const char* kAbnormalImage = ":/CommonSkin/VEXATool/Images/VEXATool/ParamModify/icon_abnormal.png";

    explicit DeviceActivePage(QWidget* parent = nullptr);
    ~DeviceActivePage() override;

    void showSingleActivation();
    void showBatchActivation();
    void showMixedSelection();

    // The resource path of the image shown now (for tests and screenshots).
    QString imagePath() const { return m_imagePath; }

private:
    void showActivation(const QString& title);
    void setImage(const char* path);

    std::unique_ptr<Ui::DeviceActivePage> m_ui;
    QString m_imagePath;
};

} // namespace VexaTool
