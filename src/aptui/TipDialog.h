#pragma once

#include <memory>

#include "aptui/BaseDialog.h"

namespace Ui {
class TipDialog;
}

namespace VexaTool {

// A yes/no question: exec() returns Accepted for "Confirm"; the title's close button and "Cancel" mean no.
class TipDialog : public aptui::BaseDialog {
    Q_OBJECT

public:
    explicit TipDialog(QWidget* parent = nullptr);
    ~TipDialog() override;

    void setTipText(const QString& text);
    QString tipText() const;

private:
    std::unique_ptr<Ui::TipDialog> m_ui;
};

} // namespace VexaTool
