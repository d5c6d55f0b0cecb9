#include "app/flattabstyle.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionTab>

void FlatTabStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    if (element == CE_TabBarTabShape) {
        if (const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option)) {
            QStyleOptionButton button;
            button.QStyleOption::operator=(*tab);
            button.rect = tab->rect.adjusted(1, 1, -1, -1);
            button.features = QStyleOptionButton::Flat;
            button.state |= State_Raised;
            if (tab->state & State_Selected)
                button.state = (button.state & ~State_Raised) | State_Sunken | State_On;
            baseStyle()->drawControl(CE_PushButtonBevel, &button, painter, widget);
            if (tab->state & State_Selected) {
                // A flat button shows no bevel in most styles; a frame marks the page in front.
                painter->save();
                painter->setPen(tab->palette.color(QPalette::Dark));
                painter->drawRect(button.rect.adjusted(0, 0, -1, -1));
                painter->restore();
            }
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize FlatTabStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                     const QWidget *widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_TabBarTab)
        s += QSize(8, 2);
    return s;
}
