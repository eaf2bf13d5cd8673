#include "aptui/MultiStateLineEdit.h"

#include <QLabel>
#include <QStyle>

namespace aptui {

MultiStateLineEdit::MultiStateLineEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_states{{QStringLiteral("NORMAL"), NORMAL}, {QStringLiteral("3"), NORMAL}, {QStringLiteral("ERROR"), ERROR},
               {QStringLiteral("1"), ERROR},       {QStringLiteral("TIP"), TIP},  {QStringLiteral("2"), TIP}} {
    qRegisterMetaType<aptui::MultiStateLineEdit::State>("aptui::MultiStateLineEdit::State");
}

QString MultiStateLineEdit::stateName(State state) {
    switch (state) {
    case TIP:
        return QStringLiteral("Tip");
    case NORMAL:
        return QStringLiteral("Normal");
    case ERROR:
    default:
        return QStringLiteral("Error");
    }
}

QString MultiStateLineEdit::state() const {
    return stateName(m_state);
}

void MultiStateLineEdit::setState(const QString& state) {
    m_state = m_states.value(state.toUpper(), ERROR);
    emit stateChanged(stateName(m_state));
}

void MultiStateLineEdit::setLineEditState(aptui::MultiStateLineEdit::State state) {
    setState(stateName(state));
    // Style-sheet rules on a property are only re-evaluated on a new polish.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void MultiStateLineEdit::clearMark(QLabel* hint) {
    if (hint)
        hint->clear();
    setLineEditState(NORMAL);
}

} // namespace aptui
