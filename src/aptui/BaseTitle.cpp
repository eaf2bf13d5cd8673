#include "aptui/BaseTitle.h"

#include "ui_BaseTitle.h"

namespace aptui {

namespace {

// A hidden button must not be reachable by shortcut or keyboard either, so it is disabled as well.
void showButton(QToolButton* button, bool showIt) {
    button->setVisible(showIt);
    button->setEnabled(showIt);
}

} // namespace

BaseTitle::BaseTitle(bool showApp, bool showOption, bool showMin, bool showMax, bool showClose, QWidget* parent)
    : CFancyTitle(parent)
    , m_ui(std::make_unique<Ui::BaseTitle>()) {
    m_ui->setupUi(this);
    setAppButtonShow(showApp);
    setOptionButtonShow(showOption);
    setMinButtonShow(showMin);
    setMaxButtonShow(showMax);
    setCloseButtonShow(showClose);

    connect(m_ui->btnApp, &QToolButton::clicked, this, &BaseTitle::signalAppButtonClicked);
    connect(m_ui->btnOption, &QToolButton::clicked, this, &BaseTitle::signalOptionButtonClicked);
    connect(m_ui->btnMin, &QToolButton::clicked, this, &BaseTitle::signalMinButtonClicked);
    connect(m_ui->btnMax, &QToolButton::clicked, this, &BaseTitle::signalMaxButtonClicked);
    connect(m_ui->btnClose, &QToolButton::clicked, this, &BaseTitle::signalCloseButtonClicked);
}

BaseTitle::~BaseTitle() = default;

QString BaseTitle::title() const {
    return m_ui->labelTitle->text();
}

void BaseTitle::setAppButtonShow(bool showIt) {
    showButton(m_ui->btnApp, showIt);
}

void BaseTitle::setOptionButtonShow(bool showIt) {
    showButton(m_ui->btnOption, showIt);
}

void BaseTitle::setMinButtonShow(bool showIt) {
    showButton(m_ui->btnMin, showIt);
}

void BaseTitle::setMaxButtonShow(bool showIt) {
    showButton(m_ui->btnMax, showIt);
    // A window without a maximize button is not maximized by a double-click on its title either.
    SetOpenDoubleClickEnable(showIt);
}

void BaseTitle::setCloseButtonShow(bool showIt) {
    showButton(m_ui->btnClose, showIt);
}

void BaseTitle::addCustomButton(QAbstractButton* button) {
    if (button != nullptr) {
        m_ui->m_hlayoutCustomButtons->addWidget(button);
    }
}

void BaseTitle::setTitle(const QString& title) {
    m_ui->labelTitle->setText(title);
}

void BaseTitle::setTitleIcon(const QIcon& icon) {
    m_ui->btnApp->setIcon(icon);
}

} // namespace aptui
