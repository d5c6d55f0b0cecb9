#pragma once

#include <QColor>
#include <QWidget>

// A round indicator lamp: the communication lamp in the banner and the input
// lamps of the function test. It only shows a colour; what the colour means is
// decided by whoever sets it. A lamp whose state is not known (its input has not
// been read for a while) has a look of its own, neither lit nor clear, until it is
// given a colour again.
class Lamp : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(bool unknown READ isUnknown)

public:
    explicit Lamp(QWidget *parent = nullptr);

    QColor color() const;
    void setColor(const QColor &color);
    bool isUnknown() const { return m_unknown; }
    void setUnknown();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = Qt::white;
    bool m_unknown = false;
};
