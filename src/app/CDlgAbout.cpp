#include "app/CDlgAbout.h"

#include <array>

#include <QPushButton>

#include "aptui/Widget.h"
#include "ui_CDlgAbout.h"

namespace aptui {

namespace {

const char* const kBuildDate = "Feb 28 2018";

} // namespace

CDlgAbout::CDlgAbout(QObject* parent)
    : QWidgetAction(parent)
    , m_panel(new Widget)
    , m_ui(std::make_unique<Ui::AboutClass>()) {
    m_ui->setupUi(m_panel);
    m_panel->setWindowTitle(tr("About"));
    setPanelSize(288, 134);
    setDefaultWidget(m_panel);
    m_panel->setObjectName(QStringLiteral("AboutDialog_ID_FX_CANNOT_BE_MULTI"));
    setVersion(tr(" v2.0.0.3") + QStringLiteral(" Build") +
               QString::number(buildNumber(QString::fromLatin1(kBuildDate))));

    connect(m_ui->aboutbtn1, &QPushButton::clicked, this, &CDlgAbout::siganlBtn1Clicked);
    connect(m_ui->aboutbtn2, &QPushButton::clicked, this, &CDlgAbout::siganlBtn2Clicked);
    connect(m_ui->m_conerBtn, &QPushButton::clicked, this, &CDlgAbout::signalConerBtnClicked);
}

CDlgAbout::~CDlgAbout() = default;

void CDlgAbout::setName(const QString& name) {
    m_ui->m_labNameValue->setText(tr("Name: ") + name);
}

void CDlgAbout::setVersion(const QString& version) {
    m_ui->m_labVersionValue->setText(tr("Version: ") + version);
}

void CDlgAbout::setCornerButtonText(const QString& text) {
    m_ui->m_conerBtn->setText(text);
}

void CDlgAbout::setPanelSize(int width, int height) {
    m_panel->setFixedSize(width, height);
}

void CDlgAbout::setCornerButtonVisible(bool visible) {
    m_ui->m_conerBtn->setVisible(visible);
}

void CDlgAbout::setOptionalButtonsVisible(bool visible) {
    m_ui->aboutbtn1->setVisible(visible);
    m_ui->aboutbtn2->setVisible(visible);
    m_ui->aboutLine1->setVisible(visible);
    m_ui->aboutLine2->setVisible(visible);
}

int CDlgAbout::buildNumber(const QString& buildDate) {
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (buildDate.size() != 11) {
        return 0;
    }
    int month = 0;
    for (std::size_t i = 0; i < months.size(); ++i) {
        if (buildDate.left(3) == QLatin1String(months[i])) {
            month = static_cast<int>(i) + 1;
        }
    }
    bool dayOk = false;
    bool yearOk = false;
    // A compiler pads a one-digit day with a space: "Feb  2 2018".
    const int day = buildDate.mid(4, 2).trimmed().toInt(&dayOk);
    const int year = buildDate.mid(7, 4).toInt(&yearOk);
    if (month == 0 || !dayOk || !yearOk || day < 1 || day > 31) {
        return 0;
    }
    return year * 10000 + month * 100 + day;
}

} // namespace aptui
