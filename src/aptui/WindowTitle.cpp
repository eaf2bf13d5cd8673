#include "aptui/WindowTitle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSpacerItem>
#include <QStyle>
#include <QToolButton>

#include "aptui/SystemMenu.h"
#include "guitoolkit/CHBoxLayout.h"
#include "guitoolkit/CWidgetItem.h"
#include "guitoolkit/WindowLookup.h"

namespace aptui {

namespace {

QToolButton* makeButton(const QString& name, Qt::FocusPolicy focus, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setFixedSize(24, 24);
    button->setFocusPolicy(focus);
    return button;
}

} // namespace

WindowTitle::WindowTitle(QWidget* parent)
    : CFancyTitle(parent) {
    m_labelTitle = new QLabel(this);
    m_labelTitle->setObjectName(QStringLiteral("m_labelTitle"));
    m_btnIcon = makeButton(QStringLiteral("m_btnIcon"), Qt::NoFocus, this);
    m_btnMinimize = makeButton(QStringLiteral("m_btnMinimize"), Qt::ClickFocus, this);
    m_btnMaximize = makeButton(QStringLiteral("m_btnMaximize"), Qt::ClickFocus, this);
    m_btnClose = makeButton(QStringLiteral("m_btnClose"), Qt::ClickFocus, this);
    m_btnClose->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    m_btnSystemMenu = makeButton(QStringLiteral("m_btnSystemMenu"), Qt::ClickFocus, this);
    // Icons only: a screen reader reads these names.
    m_btnIcon->setAccessibleName(tr("Application"));
    m_btnMinimize->setAccessibleName(tr("Minimize"));
    m_btnMaximize->setAccessibleName(tr("Maximize"));
    m_btnClose->setAccessibleName(tr("Close"));
    m_btnSystemMenu->setAccessibleName(tr("Menu"));
    m_systemMenu = new SystemMenu(this);

    setFixedHeight(35);
    // The bar decides itself what a double-click does, so that the button's name follows the window state.
    SetOpenDoubleClickEnable(false);

    auto* layout = new OrvisGUIToolkit::CHBoxLayout(this);
    layout->SetLayoutContentsMargins(4, 0, 4, 0);
    layout->SetLayoutSpacing(10);
    layout->AddWidget(m_btnIcon);
    layout->AddItem(new OrvisGUIToolkit::CWidgetItem(m_labelTitle, Qt::AlignLeft | Qt::AlignVCenter));
    layout->AddItem(new QSpacerItem(5, 1, QSizePolicy::Fixed, QSizePolicy::Fixed));

    auto* right = new QWidget(this);
    auto* rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addStretch();
    rightLayout->addWidget(m_btnSystemMenu);
    rightLayout->addItem(new QSpacerItem(12, 1, QSizePolicy::Fixed, QSizePolicy::Fixed));
    rightLayout->addWidget(m_btnMinimize);
    rightLayout->addWidget(m_btnMaximize);
    rightLayout->addWidget(m_btnClose);
    layout->AddWidget(right);

    connect(m_btnClose, &QToolButton::clicked, this, &WindowTitle::closeWindow);
    connect(m_btnMinimize, &QToolButton::clicked, this, &WindowTitle::minimizeWindow);
    // Queued: the window changes state only after the click has been fully processed by the button.
    connect(m_btnMaximize, &QToolButton::clicked, this, &WindowTitle::maxOrRestoreWindow, Qt::QueuedConnection);
    connect(m_btnSystemMenu, &QToolButton::clicked, this, &WindowTitle::displaySyetemMenu);
}

WindowTitle::~WindowTitle() = default;

void WindowTitle::setTitle(const QString& title) {
    m_labelTitle->setText(title);
}

QString WindowTitle::title() const {
    return m_labelTitle->text();
}

QWidget* WindowTitle::independentWindow() {
    return OrvisGUIToolkit::GetIndependentWindow(this, nullptr);
}

void WindowTitle::minimizeWindow() {
    if (QWidget* window = independentWindow()) {
        window->showMinimized();
    }
}

void WindowTitle::maxOrRestoreWindow() {
    QWidget* window = independentWindow();
    if (window == nullptr) {
        return;
    }
    if (IsMaximized(window)) {
        ShowNormal(window, QSize());
        m_btnMaximize->setObjectName(QStringLiteral("m_btnMaximize"));
        m_btnMaximize->setAccessibleName(tr("Maximize"));
    } else {
        ShowMaximized(window);
        m_btnMaximize->setObjectName(QStringLiteral("m_btnResore"));
        m_btnMaximize->setAccessibleName(tr("Restore"));
    }
    // Style-sheet rules select on the name; they apply only after a re-polish.
    m_btnMaximize->style()->unpolish(m_btnMaximize);
    m_btnMaximize->style()->polish(m_btnMaximize);
    m_btnMaximize->update();
}

void WindowTitle::closeWindow() {
    if (QWidget* window = independentWindow()) {
        window->close();
        emit signalCloseApp();
    }
}

void WindowTitle::displaySyetemMenu() {
    emit signalSystemMenu();
}

void WindowTitle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || independentWindow() == nullptr) {
        event->ignore();
        return;
    }
    maxOrRestoreWindow();
    emit SignalWndSizeStatusChanged();
    event->accept();
}

} // namespace aptui
