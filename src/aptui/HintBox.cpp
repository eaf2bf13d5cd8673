#include "aptui/HintBox.h"

namespace aptui {

HintBox::HintBox(const QString& text, Kind kind, QWidget* parent)
    : BaseDialog(false, false, false, false, true, kind == Question, kind == Question, parent)
    , m_text(text) {
    setTitle(tr("Hint"));
    setBottomVisible(kind == Question);
    setObjectName(QStringLiteral("APP_WARNINGDLG"));
    setDefaultText(text);
}

} // namespace aptui
