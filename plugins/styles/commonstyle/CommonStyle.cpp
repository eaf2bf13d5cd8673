#include "CommonStyle.h"

#include <QAbstractItemView>
#include <QStyleFactory>

CommonStyle::CommonStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
    setObjectName(QStringLiteral("CommonStyle"));
}

QPalette CommonStyle::standardPalette() const {
    // The same colours as the skin's sheets, for whatever the sheets do not paint.
    const QColor text(0x33, 0x33, 0x33);
    const QColor disabledText(0xA8, 0xAE, 0xB6);
    const QColor accent(0x2F, 0x6F, 0xDE);

    QPalette p(QColor(0xF7, 0xF8, 0xFA));
    p.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::AlternateBase, QColor(0xF8, 0xF9, 0xFB));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::LinkVisited, QColor(0x24, 0x59, 0xB8));
    p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8A, 0x93, 0x9F));
    p.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    p.setColor(QPalette::Midlight, QColor(0xE4, 0xE7, 0xEB));
    p.setColor(QPalette::Mid, QColor(0xD0, 0xD4, 0xDA));
    p.setColor(QPalette::Dark, QColor(0xA9, 0xB4, 0xC4));
    p.setColor(QPalette::Shadow, QColor(0x8A, 0x93, 0x9F));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabledText);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xF3, 0xF4, 0xF6));
    p.setColor(QPalette::Disabled, QPalette::Button, QColor(0xF5, 0xF6, 0xF8));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xA9, 0xC3, 0xF0));
    // An inactive window keeps its selection colour: the tool is often used beside other windows.
    p.setColor(QPalette::Inactive, QPalette::Highlight, accent);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    return p;
}

void CommonStyle::polish(QPalette& palette) {
    palette = standardPalette();
}

int CommonStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_SmallIconSize:
    case PM_ButtonIconSize:
    case PM_ListViewIconSize:
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return 16;
    case PM_ToolBarIconSize:
        return 20;
    case PM_DefaultFrameWidth:
        return 1;
    case PM_ScrollBarExtent:
        return 10;
    case PM_HeaderMargin:
        return 8;
    case PM_FocusFrameHMargin:
    case PM_FocusFrameVMargin:
        return 0;
    case PM_MenuPanelWidth:
        return 1;
    case PM_TextCursorWidth:
        return 1;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int CommonStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_ItemView_ShowDecorationSelected:
        return 1; // the whole row takes the selection, check-box cell included
    case SH_ItemView_ActivateItemOnSingleClick:
        return 0;
    case SH_ComboBox_Popup:
        return 0; // a plain list below the field, not a menu placed over it
    case SH_ComboBox_ListMouseTracking:
    case SH_Menu_MouseTracking:
        return 1;
    case SH_EtchDisabledText:
    case SH_DitherDisabledText:
        return 0;
    case SH_DialogButtonBox_ButtonsHaveIcons:
        return 0;
    case SH_UnderlineShortcut:
        return 0;
    case SH_Widget_Animation_Duration:
        return 0; // a tool for installers: state changes show at once
    case SH_ToolTip_WakeUpDelay:
        return 500;
    case SH_Table_GridLineColor:
        return static_cast<int>(QColor(0xED, 0xEF, 0xF2).rgb());
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

void CommonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    // Item views show the current row by its tint; a dotted focus rectangle on top only adds noise.
    if (element == PE_FrameFocusRect && widget != nullptr &&
        (qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
         qobject_cast<const QAbstractItemView*>(widget->parentWidget()) != nullptr)) {
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
