#include "app/trafficscrollbar.h"

#include <QStyle>
#include <QStyleOptionSlider>

TrafficScrollBar::TrafficScrollBar(QWidget *parent)
    : QScrollBar(Qt::Vertical, parent)
{
}

TrafficScrollBar::Look TrafficScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    Look look;
    look.size = size();
    look.handle = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    look.atMinimum = option.sliderValue == option.minimum;
    look.atMaximum = option.sliderValue == option.maximum;
    look.scrolls = option.minimum < option.maximum;
    return look;
}

void TrafficScrollBar::sliderChange(SliderChange change)
{
    // Everything else (steps, orientation, a drag) repaints as the base bar does; the base
    // bar's repaints for hover, press, style and size do not come through here.
    if ((change != SliderRangeChange && change != SliderValueChange) || isSliderDown() || !m_hasPainted) {
        QScrollBar::sliderChange(change);
        return;
    }
    // Rows arriving change the range first, which lifts the handle off the end, and the view
    // scrolls to the end afterwards: the look is compared once both have happened.
    if (m_checkPending)
        return;
    m_checkPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_checkPending = false;
            // Painted now, as soon as the base bar's own update would have been.
            if (look() != m_painted)
                repaint();
        },
        Qt::QueuedConnection);
}

void TrafficScrollBar::paintEvent(QPaintEvent *event)
{
    m_painted = look();
    m_hasPainted = true;
    QScrollBar::paintEvent(event);
}
