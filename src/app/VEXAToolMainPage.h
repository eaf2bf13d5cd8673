#pragma once

#include <memory>

#include <QMainWindow>

namespace Ui {
class VEXAToolMainPage;
}

namespace VexaTool {

// The program's only main window. So far it is the frame alone: frameless, titled, with the empty
// "verticalLayout" that will take the title bar and the two pages.
class VEXAToolMainPage : public QMainWindow {
    Q_OBJECT

public:
    explicit VEXAToolMainPage(QWidget* parent = nullptr);
    ~VEXAToolMainPage() override;

private:
    std::unique_ptr<Ui::VEXAToolMainPage> m_ui;
};

} // namespace VexaTool
