#pragma once

#include "link/serialportentry.h"

#include <QList>
#include <QObject>

#include <functional>

class QComboBox;

// Builds the port box's items again each time the operator opens its list, because a USB
// adapter is often plugged in after the tool has started. The text in the box stays what it
// was: it is what the next operation opens, whether or not the list holds it. Each item is a
// port's name and carries, as its tool tip, what tells the adapter apart, in the words of the
// language in force when the list opened; the open list shows beside each name the adapter's
// maker, model, serial number and stable path (PortItemDelegate), the closed box the name alone.
class PortListRefresher : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<QList<SerialPortEntry>()>;
    using Describe = std::function<QString(const SerialPortEntry &)>;

    // Watches box and lives as long as it does.
    PortListRefresher(QComboBox *box, Source source, Describe describe);

    // Where the next openings take the ports from.
    void setSource(Source source);
    // The ports present now, from that source.
    QList<SerialPortEntry> entries() const;

    // Replaces the items of box with the ports' names, their tool tips from describe and the
    // words beside them, and selects the first; the text follows the selection.
    static void fill(QComboBox *box, const QList<SerialPortEntry> &ports, const Describe &describe);
    // Replaces the items and keeps the text.
    static void refill(QComboBox *box, const QList<SerialPortEntry> &ports, const Describe &describe);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *m_box;
    Source m_source;
    Describe m_describe;
};
