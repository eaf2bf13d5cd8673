#include "aptui/TipDialog.h"

#include "ui_TipDialog.h"

namespace VexaTool {

TipDialog::TipDialog(QWidget* parent)
    : BaseDialog(Button::Close | Button::Confirm | Button::Cancel, parent)
    , m_ui(std::make_unique<Ui::TipDialog>()) {
    auto* content = new QWidget(this);
    m_ui->setupUi(content);
    setContentWidget(content);
    setEnableDefaultConnections(true, true, true, true, true);
}

TipDialog::~TipDialog() = default;

void TipDialog::setTipText(const QString& text) {
    m_ui->m_labelTip->setText(text);
}

QString TipDialog::tipText() const {
    return m_ui->m_labelTip->text();
}

} // namespace VexaTool
