#include "Gallery.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "Standins.h"
#include "aptui/FilePathButton.h"
#include "aptui/HintBox.h"
#include "aptui/MultiStateLineEdit.h"
#include "aptui/TipDialog.h"
#include "aptui/WarningDialog.h"
#include "guitoolkit/CCheckBox.h"
#include "guitoolkit/CRadioButton.h"

namespace {

const char* const kImages = ":/CommonSkin/VEXATool/Images/VEXATool/";

QLabel* picture(const QString& path, QWidget* parent, QSize size = QSize()) {
    auto* l = new QLabel(parent);
    QPixmap pm(path);
    if (size.isValid())
        pm = pm.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    l->setPixmap(pm);
    return l;
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color: #8A939F;"));
    return l;
}

// A white card standing in for a page of plain controls.
QWidget* controlsCard(QWidget* parent) {
    auto* card = new aptui::Widget(parent);
    card->setObjectName(QStringLiteral("galleryCard"));
    card->setStyleSheet(QStringLiteral("#galleryCard { background: #FFFFFF; border: 1px solid #D0D4DA; }"));
    auto* grid = new QGridLayout(card);
    grid->setContentsMargins(20, 16, 20, 16);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(12);

    int row = 0;
    grid->addWidget(caption(QStringLiteral("Buttons"), card), row, 0);
    auto* primary = new QPushButton(QStringLiteral("Active"), card);
    primary->setObjectName(QStringLiteral("m_btnActive"));
    primary->setMinimumHeight(30);
    grid->addWidget(primary, row, 1);
    auto* normal = new QPushButton(QStringLiteral("Export"), card);
    normal->setObjectName(QStringLiteral("m_btnExport"));
    normal->setMinimumHeight(30);
    grid->addWidget(normal, row, 2);
    auto* hovered = new QPushButton(QStringLiteral("QR code"), card);
    hovered->setObjectName(QStringLiteral("m_btnQRcode"));
    hovered->setAttribute(Qt::WA_UnderMouse);
    hovered->setMinimumHeight(30);
    grid->addWidget(hovered, row, 3);
    auto* disabled = new QPushButton(QStringLiteral("Modify"), card);
    disabled->setObjectName(QStringLiteral("m_btnModify"));
    disabled->setEnabled(false);
    disabled->setMinimumHeight(30);
    grid->addWidget(disabled, row, 4);

    ++row;
    grid->addWidget(caption(QStringLiteral("Choices"), card), row, 0);
    auto* c1 = new OrvisGUIToolkit::CCheckBox(card);
    c1->setText(QStringLiteral("Reset IPC"));
    c1->setChecked(true);
    grid->addWidget(c1, row, 1);
    auto* c2 = new OrvisGUIToolkit::CCheckBox(card);
    c2->setText(QStringLiteral("Enable DHCP"));
    grid->addWidget(c2, row, 2);
    auto* r1 = new OrvisGUIToolkit::CRadioButton(card);
    r1->setText(QStringLiteral("ManualInput"));
    r1->setChecked(true);
    grid->addWidget(r1, row, 3);
    auto* r2 = new OrvisGUIToolkit::CRadioButton(card);
    r2->setText(QStringLiteral("AutoInput"));
    grid->addWidget(r2, row, 4);

    ++row;
    grid->addWidget(caption(QStringLiteral("Editors"), card), row, 0);
    auto* combo = new QComboBox(card);
    combo->addItems({QStringLiteral("English"), QStringLiteral("Chinese")});
    combo->setMinimumHeight(30);
    grid->addWidget(combo, row, 1);
    auto* spin = new QSpinBox(card);
    spin->setRange(0, 127);
    spin->setValue(64);
    spin->setMinimumHeight(30);
    grid->addWidget(spin, row, 2);
    auto* path = new aptui::MultiStateLineEdit(card);
    path->setObjectName(QStringLiteral("m_lineEditFilepath"));
    path->setText(QStringLiteral("C:\\"));
    path->setMinimumHeight(30);
    grid->addWidget(path, row, 3);
    auto* folders = new QHBoxLayout;
    for (bool enabled : {true, false}) {
        auto* b = new aptui::FilePathButton(card);
        b->setObjectName(QStringLiteral("m_btnFilepath"));
        b->setMinimumSize(30, 30);
        b->setEnabled(enabled);
        folders->addWidget(b);
    }
    auto* hoveredFolder = new aptui::FilePathButton(card);
    hoveredFolder->setMinimumSize(30, 30);
    hoveredFolder->setAttribute(Qt::WA_UnderMouse);
    folders->addWidget(hoveredFolder);
    folders->addStretch();
    grid->addLayout(folders, row, 4);

    ++row;
    grid->addWidget(caption(QStringLiteral("Strength"), card), row, 0);
    const char* const levels[][3] = {
        {"grey", "grey", "grey"}, {"red", "grey", "grey"}, {"yellow", "yellow", "grey"}, {"green", "green", "green"}};
    const char* const words[] = {"", "Weak", "Medium", "Strong"};
    for (int level = 0; level < 4; ++level) {
        auto* meter = new QHBoxLayout;
        meter->setSpacing(2);
        for (const char* colour : levels[level])
            meter->addWidget(picture(QStringLiteral(":/CommonSkin/Password/Images/Public/Control/Password/%1.png")
                                         .arg(QLatin1String(colour)),
                                     card));
        auto* word = new QLabel(QLatin1String(words[level]), card);
        word->setObjectName(QStringLiteral("m_labelLevel"));
        meter->addSpacing(6);
        meter->addWidget(word);
        meter->addStretch();
        grid->addLayout(meter, row + level / 2, 1 + (level % 2) * 2, 1, 2);
    }
    row += 2;

    ++row;
    grid->addWidget(caption(QStringLiteral("Icons"), card), row, 0);
    auto* icons = new QHBoxLayout;
    icons->setSpacing(12);
    for (const char* name : {"ok", "info", "error"})
        icons->addWidget(picture(QLatin1String(kImages) +
                                     QStringLiteral("BaseControl/Inputs/icon_alert_%1.png").arg(QLatin1String(name)),
                                 card));
    for (const char* name : {"ok", "info", "error"})
        icons->addWidget(picture(QLatin1String(kImages) +
                                     QStringLiteral("TipDialog/icon_alert_%1_large.png").arg(QLatin1String(name)),
                                 card));
    icons->addWidget(picture(QLatin1String(kImages) + QStringLiteral("ParamModify/icon_not_activated.png"), card));
    icons->addWidget(picture(QLatin1String(kImages) + QStringLiteral("ParamModify/icon_abnormal.png"), card));
    icons->addWidget(
        picture(QStringLiteral(":/aptui/complex/Images/System/Complex/calculate.png"), card, QSize(64, 64)));
    for (const char* name : {"left", "leftSel", "right", "RightSel"})
        icons->addWidget(
            picture(QStringLiteral(":/aptui/complex/Images/System/Complex/%1.png").arg(QLatin1String(name)), card));
    icons->addStretch();
    grid->addLayout(icons, row, 1, 1, 4);
    grid->setRowStretch(row + 1, 1);
    return card;
}

// The about panel as it sits in the title bar's pop-up menu.
QWidget* aboutPanel(QWidget* parent) {
    auto* menu = new aptui::Menu(parent);
    menu->setWindowFlags(Qt::Widget);
    menu->setObjectName(QStringLiteral("aboutMenu"));
    auto* panel = new aptui::Widget(menu);
    panel->setObjectName(QStringLiteral("AboutDialog_ID_FX_CANNOT_BE_MULTI"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(12);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("SoftIcon"));
    icon->setFixedSize(40, 40);
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("Name: VEXA"), panel);
    name->setObjectName(QStringLiteral("m_labNameValue"));
    auto* version = new QLabel(QStringLiteral("Version: v3.0.0.1build20180202_096"), panel);
    version->setObjectName(QStringLiteral("m_labVersionValue"));
    lines->addWidget(name);
    lines->addWidget(version);
    lines->addStretch();
    row->addLayout(lines, 1);
    auto* layout = new QVBoxLayout(menu);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(panel);
    return menu;
}

} // namespace

Gallery::Gallery(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("gallery"));
    setFixedSize(1280, 900);

    auto* main = new VexaTool::VEXAToolMainPage(this);
    main->setGeometry(20, 20, 860, 540);

    auto* hint = new aptui::HintBox(tr("Display resolution less than 1024*768,are you sure to start the program?"),
                                    aptui::HintBox::Question);
    hint->setParent(this);
    hint->setGeometry(900, 20, 360, 226);

    // kept up for the picture: the program's box closes itself after two seconds
    const int day = 24 * 3600 * 1000;
    auto* ok = new VexaTool::WarningDialog(0, tr("Activate Succeed."), nullptr, day);
    ok->setParent(this);
    ok->move(925, 262);
    auto* error = new VexaTool::WarningDialog(2, tr("The password you typed do not match."), nullptr, day);
    error->setParent(this);
    error->move(925, 394);

    auto* about = aboutPanel(this);
    about->setGeometry(925, 528, 310, 76);

    {
        auto* card = controlsCard(this);
        card->setGeometry(20, 580, 860, 300);
    }

    // A window under its cover while a question runs on top of it.
    auto* covered = new VexaTool::VEXAToolMainPage(this);
    covered->setGeometry(900, 620, 360, 260);
    covered->setCovered(true);
    auto* question = new VexaTool::TipDialog;
    question->setTitle(tr("Exit"));
    question->setTipText(tr("Exit the VEXA software?"));
    question->setParent(this);
    question->setGeometry(935, 680, 290, 170);
    question->raise();
}

void Gallery::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xE9, 0xEC, 0xF0));
}
