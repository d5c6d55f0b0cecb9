#pragma once

#include <QRect>
#include <QScrollBar>
#include <QSize>

// The traffic table's vertical scroll bar. While the table follows the end, every batch of
// rows changes the bar's range and value, and the base bar repaints itself for each, although
// with thousands of rows its handle stays the smallest the style draws, at the bottom: the
// same picture, some of the largest fills of the window, five times a second. This bar repaints
// for a change of range or value only when what the style draws for it changes: the handle's
// place and size, whether it is at either end, whether there is anything to scroll. A change
// is looked at once the events at hand are handled, so that a range that grows and the value
// that follows it to the end count as one.
class TrafficScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    explicit TrafficScrollBar(QWidget *parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Look
    {
        QSize size;
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool scrolls = false;
        bool operator==(const Look &) const = default;
    };
    Look look() const;

    Look m_painted;
    bool m_hasPainted = false;
    bool m_checkPending = false;
};
