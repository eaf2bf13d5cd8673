#include "guitoolkit/CIntValidator.h"

namespace OrvisGUIToolkit {

CIntValidator::CIntValidator(int bottom, int top, QObject* parent)
    : QValidator(parent)
    , m_bottom(bottom)
    , m_top(top) {}

QValidator::State CIntValidator::validate(QString& input, int& /*pos*/) const {
    if (input.isEmpty()) {
        return Intermediate;
    }
    const bool negative = input.startsWith(QLatin1Char('-'));
    if (negative && m_bottom >= 0) {
        return Invalid;
    }
    const QStringView digits = QStringView(input).mid(negative ? 1 : 0);
    if (digits.isEmpty()) {
        return Intermediate;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return Invalid;
        }
    }
    bool ok = false;
    const qlonglong value = input.toLongLong(&ok, 10);
    if (!ok) {
        return Invalid; // more digits than any int can hold
    }
    if (value > m_top) {
        // Typing more digits only moves a positive number further away; a negative one may still come back.
        return (negative && value < 0) ? Intermediate : Invalid;
    }
    if (value < m_bottom) {
        // A positive number below the range may still grow into it; a negative one only shrinks.
        return negative ? Invalid : Intermediate;
    }
    return Acceptable;
}

} // namespace OrvisGUIToolkit
