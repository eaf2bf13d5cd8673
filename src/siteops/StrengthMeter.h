#pragma once

#include <QWidget>

class QLabel;

namespace VexaTool {

// The program's password strength meter: three bars and a word (weak, medium, strong) by the shared password rule.
class StrengthMeter : public QWidget {
    Q_OBJECT

public:
    explicit StrengthMeter(QWidget* parent = nullptr);

    // 0: not acceptable; 1 to 3: weak to strong.
    int setPassword(const QString& userName, const QString& password);
    QString levelText() const;

private:
    QLabel* m_bars[3] = {};
    QLabel* m_word = nullptr;
};

} // namespace VexaTool
