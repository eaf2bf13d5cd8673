#pragma once

#include <memory>

#include <QIcon>
#include <QString>

#include "guitoolkit/CFancyTitle.h"
#include "guitoolkit/CWidgetSizeFactory.h"

class QAbstractButton;
class QToolButton;

namespace Ui {
class BaseTitle;
}

namespace aptui {

// The title bar of every dialog: application button, title, custom buttons, then option, minimize, maximize
// and close. It only reports clicks; the dialog decides what they do.
class BaseTitle : public OrvisGUIToolkit::CFancyTitle, public OrvisGUIToolkit::CWidgetSizeFactory {
    Q_OBJECT

public:
    BaseTitle(bool showApp, bool showOption, bool showMin, bool showMax, bool showClose, QWidget* parent = nullptr);
    ~BaseTitle() override;

    QString title() const;

signals:
    void signalAppButtonClicked();
    void signalOptionButtonClicked();
    void signalMinButtonClicked();
    void signalMaxButtonClicked();
    void signalCloseButtonClicked();

public slots:
    void setAppButtonShow(bool showIt);
    void setOptionButtonShow(bool showIt);
    void setMinButtonShow(bool showIt);
    void setMaxButtonShow(bool showIt);
    void setCloseButtonShow(bool showIt);
    void addCustomButton(QAbstractButton* button);
    void setTitle(const QString& title);
    void setTitleIcon(const QIcon& icon);

private:
    std::unique_ptr<Ui::BaseTitle> m_ui;
};

} // namespace aptui
