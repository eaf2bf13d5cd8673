#pragma once

#include <QValidator>

namespace OrvisGUIToolkit {

// Accepts decimal integers in [bottom, top]. Unlike QIntValidator it takes no group separators, no signs
// for a non-negative range and no locale digits: what a port or prefix editor takes is plain digits, leading
// zeros allowed ("080" is 80).
class CIntValidator : public QValidator {
    Q_OBJECT

public:
    CIntValidator(int bottom, int top, QObject* parent = nullptr);

    int bottom() const { return m_bottom; }
    int top() const { return m_top; }

    State validate(QString& input, int& pos) const override;

private:
    int m_bottom;
    int m_top;
};

} // namespace OrvisGUIToolkit
