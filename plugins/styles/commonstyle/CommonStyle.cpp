#include "CommonStyle.h"

#include <QAbstractItemView>
#include <QStyleFactory>

CommonStyle::CommonStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
    setObjectName(QStringLiteral("CommonStyle"));
}

namespace {

// The same colours as the skin's sheets, for whatever the sheets do not paint. Rows for all groups come first; the
// rows after them override one group.
struct Colour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    QRgb rgb;
};
constexpr QRgb kText = 0x333333;
constexpr QRgb kDisabledText = 0xA8AEB6;
constexpr QRgb kAccent = 0x2F6FDE;
constexpr QRgb kWhite = 0xFFFFFF;
constexpr Colour kColours[] = {
    {QPalette::All, QPalette::Window, kWhite},
    {QPalette::All, QPalette::WindowText, kText},
    {QPalette::All, QPalette::Base, kWhite},
    {QPalette::All, QPalette::AlternateBase, 0xF8F9FB},
    {QPalette::All, QPalette::Text, kText},
    {QPalette::All, QPalette::Button, kWhite},
    {QPalette::All, QPalette::ButtonText, kText},
    {QPalette::All, QPalette::BrightText, kWhite},
    {QPalette::All, QPalette::Highlight, kAccent},
    {QPalette::All, QPalette::HighlightedText, kWhite},
    {QPalette::All, QPalette::Link, kAccent},
    {QPalette::All, QPalette::LinkVisited, 0x2459B8},
    {QPalette::All, QPalette::ToolTipBase, kWhite},
    {QPalette::All, QPalette::ToolTipText, kText},
    {QPalette::All, QPalette::PlaceholderText, 0x8A939F},
    {QPalette::All, QPalette::Light, kWhite},
    {QPalette::All, QPalette::Midlight, 0xE4E7EB},
    {QPalette::All, QPalette::Mid, 0xD0D4DA},
    {QPalette::All, QPalette::Dark, 0xA9B4C4},
    {QPalette::All, QPalette::Shadow, 0x8A939F},
    {QPalette::Disabled, QPalette::WindowText, kDisabledText},
    {QPalette::Disabled, QPalette::Text, kDisabledText},
    {QPalette::Disabled, QPalette::ButtonText, kDisabledText},
    {QPalette::Disabled, QPalette::Base, 0xF3F4F6},
    {QPalette::Disabled, QPalette::Button, 0xF5F6F8},
    {QPalette::Disabled, QPalette::Highlight, 0xA9C3F0},
    // An inactive window keeps its selection colour: the tool is often used beside other windows.
    {QPalette::Inactive, QPalette::Highlight, kAccent},
    {QPalette::Inactive, QPalette::HighlightedText, kWhite},
};

} // namespace

QPalette CommonStyle::standardPalette() const {
    QPalette p(QColor(0xF7, 0xF8, 0xFA));
    for (const Colour& c : kColours)
        p.setColor(c.group, c.role, QColor(c.rgb));
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
