#pragma once

#include <QProxyStyle>

// Draws the tabs of a tab bar as flat buttons, the selected one pressed, the way the work area's
// page selector looks on the production line's PCs.
class FlatTabStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};
