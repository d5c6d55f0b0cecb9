#include "app/lamp.h"

#include "i18n/language.h"
#include "i18n/languagefont.h"

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
    if (color == m_color && !m_unknown)
        return;
    m_unknown = false;
    m_color = color;
    update();
    emit colorChanged(m_color);
}

void Lamp::setUnknown()
{
    if (m_unknown)
        return;
    m_unknown = true;
    update();
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

    const QColor outline(64, 64, 64);
    if (m_unknown) {
        // Grey with a question mark: no colour a controller's input could give.
        painter.setPen(QPen(outline, 1.0, Qt::DotLine));
        painter.setBrush(QColor(192, 192, 192));
        painter.drawEllipse(circle);
        // A Latin mark, drawn in the Latin face whatever the language: the Ming faces of the
        // Chinese windows have no bold and draw it thin and pale.
        QFont mark = LanguageFont::forLanguage(Language::English).font();
        mark.setBold(true);
        mark.setPixelSize(std::max(6, int(diameter * 0.7)));
        painter.setFont(mark);
        painter.setPen(outline);
        painter.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
        return;
    }
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(m_color);
    painter.drawEllipse(circle);
}
