#include "app/lamp.h"

#include <QPainter>

#include <algorithm>

Lamp::Lamp(QWidget *parent)
    : QWidget(parent)
{
    // No background of its own: the lamp sits on coloured panels and only the
    // circle is painted, so the corners show whatever lies beneath.
}

QColor Lamp::color() const
{
    return m_color;
}

void Lamp::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged(m_color);
}

QSize Lamp::sizeHint() const
{
    return {20, 20};
}

QSize Lamp::minimumSizeHint() const
{
    return {8, 8};
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // Largest centred circle; the half-pixel inset keeps the 1 px outline
    // on whole pixels instead of smearing it over two.
    const qreal diameter = std::min(width(), height()) - 1.0;
    if (diameter <= 0)
        return;
    const QRectF circle((width() - diameter) / 2.0, (height() - diameter) / 2.0, diameter, diameter);

    painter.setPen(QPen(QColor(64, 64, 64), 1.0));
    painter.setBrush(m_color);
    painter.drawEllipse(circle);
}
