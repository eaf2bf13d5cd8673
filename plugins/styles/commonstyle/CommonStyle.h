#pragma once

#include <QProxyStyle>

// The program's widget style: Fusion with a few adjustments for a flat, light look. Most of the look comes
// from the skin's style sheets; this style covers what they leave to the style (palette, metrics, hints)
// so that anything painted outside the sheets matches them.
class CommonStyle : public QProxyStyle {
    Q_OBJECT

public:
    CommonStyle();

    QPalette standardPalette() const override;
    void polish(QPalette& palette) override;
    using QProxyStyle::polish;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
