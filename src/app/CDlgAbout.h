#pragma once

#include <memory>

#include <QWidgetAction>

namespace Ui {
class AboutClass;
}

namespace aptui {

class Widget;

// The about panel as a widget action, to be placed in a pop-up menu: icon, name line and version line, a
// corner button in the top row and two optional buttons with their separator lines in the bottom row.
class CDlgAbout : public QWidgetAction {
    Q_OBJECT

public:
    explicit CDlgAbout(QObject* parent = nullptr);
    ~CDlgAbout() override;

    void setName(const QString& name);
    void setVersion(const QString& version);
    void setCornerButtonText(const QString& text);
    void setPanelSize(int width, int height);
    void setCornerButtonVisible(bool visible);
    // Both optional buttons together with both separator lines.
    void setOptionalButtonsVisible(bool visible);

    // The panel; owned by the action (QWidgetAction deletes its default widget).
    Widget* panel() const { return m_panel; }

    // A build number from a compiler-style date "Mmm dd yyyy": "Feb 28 2018" gives 20180228; 0 when the text
    // is not such a date.
    static int buildNumber(const QString& buildDate);

signals:
    void siganlBtn1Clicked();
    void siganlBtn2Clicked();
    void signalConerBtnClicked();

private:
    Widget* m_panel = nullptr;
    std::unique_ptr<Ui::AboutClass> m_ui;
};

} // namespace aptui
