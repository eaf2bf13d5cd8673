#include "app/VEXAToolMainPage.h"

#include <QIcon>

#include "ui_VEXAToolMainPage.h"

namespace VexaTool {

VEXAToolMainPage::VEXAToolMainPage(QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::VEXAToolMainPage>()) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(tr("VEXA Tool"));
    setWindowIcon(QIcon(QStringLiteral(":/CommonSkin/VEXATool/Images/VEXATool/SystemInfo/logo_large.png")));
}

VEXAToolMainPage::~VEXAToolMainPage() = default;

} // namespace VexaTool
