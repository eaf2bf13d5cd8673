#include "modify/DeviceActivePage.h"

#include <QImage>
#include <QPixmap>

#include "ui_DeviceActivePage.h"

namespace VexaTool {

namespace {

QString centred(const QString& text) {
    return QStringLiteral("<html><head/><body><p align=\"center\">%1</p></body></html>").arg(text);
}

// The note is three translated pieces: words of a language that spaces its words need a space between them,
// Chinese none.
QString joiner(const QString& left, const QString& right) {
    const bool spaced = !left.isEmpty() && !right.isEmpty() && left.back().script() == QChar::Script_Latin &&
                        right.front().script() == QChar::Script_Latin;
    return spaced ? QStringLiteral(" ") : QString();
}

} // namespace

DeviceActivePage::DeviceActivePage(QWidget* parent)
    : aptui::Widget(parent)
    , m_ui(std::make_unique<Ui::DeviceActivePage>()) {
    m_ui->setupUi(this);
}

DeviceActivePage::~DeviceActivePage() = default;

void DeviceActivePage::setImage(const char* path) {
    m_imagePath = QString::fromLatin1(path);
    const QImage image(m_imagePath);
    m_ui->m_labelPicture->setPixmap(
        QPixmap::fromImage(image.scaled(100, 100, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void DeviceActivePage::showActivation(const QString& title) {
    m_ui->m_labelNetPara->setText(centred(title));
    m_ui->m_labelWord1->setText(centred(tr("Device not activated")));
    m_ui->m_labelWord2->hide();
    m_ui->m_labelWord3->setText(centred(tr("The network parameters can be modified after the device is activated")));
    setImage(kNotActivatedImage);
    m_ui->m_tipWidget->show();
    m_ui->m_labelGrayline2->show();
    m_ui->m_labelGrayline3->show();
    m_ui->m_labelActiveNow->setText(tr("Active now"));
    m_ui->m_labelActiveNow->show();
}

void DeviceActivePage::showSingleActivation() {
    showActivation(tr("Device active"));
}

void DeviceActivePage::showBatchActivation() {
    showActivation(tr("Batch devices active"));
}

void DeviceActivePage::showMixedSelection() {
    m_ui->m_labelNetPara->setText(centred(tr("Batch devices network parameters")));
    m_ui->m_labelWord1->setText(tr("Sorry,the devices you have chosen has not activated devices"));
    const QString first = tr("Note: please activate");
    const QString bold = tr("the device");
    const QString last = tr("to perform other operations");
    m_ui->m_labelWord2->setText(
        QStringLiteral("<html><head/><body><p>%1<span style=\"font-weight:600;\">%2</span>%3</p></body></html>")
            .arg(first + joiner(first, bold), bold + joiner(bold, last), last));
    m_ui->m_labelWord2->show();
    setImage(kAbnormalImage);
    m_ui->m_tipWidget->hide();
    m_ui->m_labelGrayline2->hide();
    m_ui->m_labelGrayline3->hide();
    m_ui->m_labelActiveNow->hide();
}

} // namespace VexaTool
