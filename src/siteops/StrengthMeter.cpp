#include "siteops/StrengthMeter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

#include "passwordrule/PasswordLevel.h"

namespace VexaTool {

namespace {

QPixmap bar(const char* colour) {
    return QPixmap(
        QStringLiteral(":/CommonSkin/Password/Images/Public/Control/Password/%1.png").arg(QLatin1String(colour)));
}

} // namespace

StrengthMeter::StrengthMeter(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (int i = 0; i < 3; ++i) {
        m_bars[i] = new QLabel(this);
        m_bars[i]->setObjectName(QStringLiteral("m_labelLevel%1").arg(i + 1));
        m_bars[i]->setPixmap(bar("grey"));
        layout->addWidget(m_bars[i]);
    }
    m_word = new QLabel(this);
    m_word->setObjectName(QStringLiteral("m_labelLevel"));
    layout->addWidget(m_word);
    layout->addStretch();
    setAccessibleName(tr("Password strength"));
}

int StrengthMeter::setPassword(const QString& userName, const QString& password) {
    const int level = password.isEmpty() ? 0 : passwordLevel(userName.toStdU32String(), password.toStdU32String());
    static const char* const colours[] = {"grey", "red", "yellow", "green"};
    for (int i = 0; i < 3; ++i)
        m_bars[i]->setPixmap(bar(i < level ? colours[level] : "grey"));
    const QString words[] = {QString(), tr("Weak"), tr("Medium"), tr("Strong")};
    m_word->setText(words[level]);
    setAccessibleDescription(words[level]);
    return level;
}

QString StrengthMeter::levelText() const {
    return m_word->text();
}

} // namespace VexaTool
