#include "aptui/HintBox.h"

namespace aptui {

HintBox::HintBox(const QString& text, Kind kind, QWidget* parent)
    : BaseDialog(kind == Question ? Button::Close | Button::Confirm | Button::Cancel : Buttons(Button::Close), parent)
    , m_text(text) {
    setTitle(tr("Hint"));
    setBottomVisible(kind == Question);
    setObjectName(QStringLiteral("APP_WARNINGDLG"));
    setDefaultText(text);
}

} // namespace aptui
