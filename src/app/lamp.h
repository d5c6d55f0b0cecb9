#pragma once

#include <QColor>
#include <QWidget>

// A round indicator lamp: the communication lamp in the banner and the input
// lamps of the function test. It only shows a colour; what the colour means is
// decided by whoever sets it.
class Lamp : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit Lamp(QWidget *parent = nullptr);

    QColor color() const;
    void setColor(const QColor &color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = Qt::white;
};
